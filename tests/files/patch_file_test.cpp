// The editor's own files: which are taken and which refused, and the file name a save proposes.
#include "device/PodDevice.h"
#include "files/PatchFile.h"
#include "midi/MidiTypes.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace amplix;

TEST(PatchFile, APatchNameBecomesAFileNameEverySystemTakes) {
    const std::pair<std::string, std::string> cases[] = {
        {"Clean Tone      ", "Clean Tone"},         // the padding goes, inner blanks stay
        {"AC/DC Back In", "AC_DC Back In"},         // a path separator would name a folder
        {"a\\b:c*d?e\"f<g>h|", "a_b_c_d_e_f_g_h_"}, // what other systems refuse
        {std::string("Tab\tBell\x07", 9), "Tab_Bell_"},
        {"..hidden", "hidden"},   // a leading dot would hide the file
        {"Cr\xE8me", "Cr\xE8me"}, // Latin-1 stays as it is
        {"                ", ""},
        {" . ", ""},
        {"", ""},
    };
    for (const auto& [name, file] : cases)
        EXPECT_EQ(fileNameForPatch(name), file) << name;
}

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes singleFile(std::uint8_t byte7) {
    PatchRecord record{};
    for (std::size_t k = 0; k < kRecordSize; ++k) // every nibble value, high and low
        record[k] = std::uint8_t(k * 0x11 + 0x0F);
    const auto dump = buildSingleDump(record, byte7);
    return {dump.begin(), dump.end()};
}

Bytes bankFile(std::uint8_t byte7) {
    std::array<PatchRecord, kPatchLocations> patches{};
    for (std::size_t n = 0; n < kPatchLocations; ++n)
        for (std::size_t k = 0; k < kRecordSize; ++k)
            patches[n][k] = std::uint8_t(0xFF - n - 3 * k);
    const auto dump = buildBankDump(patches, byte7);
    return {dump.begin(), dump.end()};
}

} // namespace

// Refused as a file with neither header is: a status byte anywhere between the F0 and the F7
// (the device would break the dump off there and take what follows as other messages), a nibble
// above 0F, a dump without its closing F7. The first such byte is named.
TEST(PatchFile, ADumpWithAByteNoDeviceSendsIsRefusedAtThatByte) {
    struct Case {
        const char* what;
        bool bank;
        std::vector<std::pair<std::size_t, std::uint8_t>> changes;
        std::size_t offset;
        DumpByteFault fault;
    };
    using enum DumpByteFault;
    const Case cases[] = {
        {"bank: 301 and 302 = 55 99", true, {{301, 0x55}, {302, 0x99}}, 301, BigNibble},
        {"bank: a Note On status in 1A", true, {{302, 0x99}}, 302, StatusByte},
        {"bank: byte 7 a status byte", true, {{7, 0x80}}, 7, StatusByte},
        {"bank: an early F7", true, {{2000, 0xF7}}, 2000, StatusByte},
        {"bank: the last nibble of 9D", true, {{5119, 0x10}}, 5119, BigNibble},
        {"bank: no F7 at its end", true, {{5120, 0x00}}, 5120, NoEnd},
        {"bank: another F0 at its end", true, {{5120, 0xF0}}, 5120, NoEnd},
        {"single: byte 7 a status byte", false, {{7, 0xFF}}, 7, StatusByte},
        {"single: a second F0", false, {{8, 0xF0}}, 8, StatusByte},
        {"single: a status byte in the name", false, {{140, 0xB0}}, 140, StatusByte},
        {"single: nibble 10", false, {{9, 0x10}}, 9, BigNibble},
        {"single: nibble 7F", false, {{149, 0x7F}}, 149, BigNibble},
        {"single: the earlier of two", false, {{60, 0x10}, {30, 0x90}}, 30, StatusByte},
        {"single: no F7 at its end", false, {{150, 0x7F}}, 150, NoEnd},
    };
    for (const Case& c : cases) {
        Bytes file = c.bank ? bankFile(0x01) : singleFile(0x01);
        for (const auto& [at, value] : c.changes)
            file[at] = value;
        std::vector<std::uint8_t> buffer(kSysexBufferSize, 0xA5);
        const PatchFileRead read = readPatchFile(file, buffer);
        EXPECT_EQ(read.status, PatchFileStatus::BadFormat) << c.what;
        EXPECT_EQ(read.invalidByte, (InvalidDumpByte{c.offset, c.fault})) << c.what;
        // Nothing of a refused bank beyond its first 151 bytes reaches the buffer.
        EXPECT_EQ(buffer[kSingleDumpSize], 0xA5) << c.what;
    }
}

// Everything the editor writes is read back as written, whatever byte 7 a device gave it: a saved
// single patch, a bank as Save All and the library write it, each bank entry as File > Open sends
// it, and the simulator's own dumps. What follows a dump is never looked at.
TEST(PatchFile, EveryFileTheEditorWritesIsTaken) {
    for (const std::uint8_t byte7 : {0x00, 0x01, 0x4B, 0x7F}) {
        PodDevice device;
        ASSERT_TRUE(device.setByte7(byte7));
        const Bytes bank = bankFile(byte7);
        std::vector<std::pair<std::string, Bytes>> files = {
            {"single", singleFile(byte7)},
            {"bank", bank},
            {"device edit buffer", device.editBufferDump()},
            {"device bank", device.bankDump()},
        };
        for (int n = 0; n < int(kPatchLocations); ++n) {
            Bytes entry = bank;
            ASSERT_TRUE(bankEntryToSingleDump(entry, n));
            files.emplace_back("entry " + locationLabel(std::size_t(n)),
                               Bytes(entry.begin(), entry.begin() + kSingleDumpSize));
        }
        for (auto [what, file] : files) {
            const bool isBank = file.size() == kBankDumpSize;
            file.insert(file.end(), {0x99, 0x10, 0xF0}); // beyond the dump
            std::vector<std::uint8_t> buffer(kSysexBufferSize);
            const PatchFileRead read = readPatchFile(file, buffer);
            EXPECT_EQ(read.status, isBank ? PatchFileStatus::Bank : PatchFileStatus::SinglePatch)
                << what << " " << int(byte7);
            EXPECT_FALSE(read.invalidByte) << what;
            const std::size_t size = isBank ? kBankDumpSize : kSingleDumpSize;
            EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + std::ptrdiff_t(size), file.begin()))
                << what;
        }
    }
}

// The store message carries its record one byte later: byte 8 is the dump's byte 7, not a nibble.
TEST(PatchFile, TheStoreMessageIsCheckedByItsOwnLayout) {
    std::vector<std::uint8_t> store(kStoreMessageSize);
    const auto dump = buildSingleDump(PatchRecord{}, 0x7F);
    std::copy(dump.begin(), dump.end(), store.begin());
    makeStoreMessage(store, 35);
    EXPECT_EQ(firstInvalidDumpByte(store, kStoreDataOffset), std::nullopt);
    store[9] = 0x10;
    EXPECT_EQ(firstInvalidDumpByte(store, kStoreDataOffset), (InvalidDumpByte{9, DumpByteFault::BigNibble}));
    EXPECT_EQ(firstInvalidDumpByte(std::span(store).first(5), kStoreDataOffset),
              (InvalidDumpByte{5, DumpByteFault::NoEnd})); // cut short before its nibbles
}
