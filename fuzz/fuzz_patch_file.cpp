// Fuzz target: a patch or bank file read, listed, unpacked as File > Open does; written files read back.
#include "files/PatchFile.h"
#include "fuzz/FuzzCheck.h"
#include "midi/MidiTypes.h"
#include "patch/PatchDecode.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

using namespace amplix;

namespace {

constexpr std::uint8_t kFill = 0xA5; // what the buffer held before, so a stray write shows

void unpackBank(std::span<const std::uint8_t> bank) {
    const std::vector<std::string> lines = bankListing(bank);
    FUZZ_CHECK(lines.size() == kPatchLocations);
    for (std::size_t n = 0; n < kPatchLocations; ++n)
        FUZZ_CHECK(lines[n].compare(0, 4, locationLabel(n) + "  ") == 0 &&
                   lines[n].size() <= 4 + kNameLength);

    for (int n = -1; n <= int(kPatchLocations); ++n) {
        std::vector<std::uint8_t> buffer(bank.begin(), bank.end());
        const bool unpacked = bankEntryToSingleDump(buffer, n);
        FUZZ_CHECK(unpacked == (n >= 0 && n < int(kPatchLocations) && bank.size() >= kBankDumpSize));
        if (!unpacked) {
            FUZZ_CHECK(std::equal(buffer.begin(), buffer.end(), bank.begin()));
            continue;
        }
        // A bank's header differs from a single patch's in byte 6 only.
        if (classifyDump(bank) == DumpKind::Bank)
            FUZZ_CHECK(classifyDump(buffer) == DumpKind::SinglePatch);
        FUZZ_CHECK(buffer[kSingleDumpSize - 1] == kSysexEnd);
        const auto patch = bank.subspan(bankPatchOffset(std::size_t(n)), kRecordNibbles);
        FUZZ_CHECK(std::equal(patch.begin(), patch.end(), buffer.begin() + kDumpDataOffset));
        decodeSingleDump(buffer);
    }
}

// Whether a byte at position i of a dump of that size could come from the device, told
// position by position: byte 7 any data byte, the nibbles 00 to 0F, F7 last.
bool deviceSends(std::size_t i, std::size_t size, std::uint8_t byte) {
    if (i == size - 1)
        return byte == kSysexEnd;
    return i < kDumpDataOffset ? byte < kStatusBit : byte <= kNibbleMax;
}

// A refused dump names its first byte the device could not have sent; none before it.
void checkRefusedAt(std::span<const std::uint8_t> dump, const std::optional<InvalidDumpByte>& invalid) {
    FUZZ_CHECK(invalid.has_value() && invalid->offset >= kDumpByte7 && invalid->offset < dump.size());
    for (std::size_t i = kDumpByte7; i < invalid->offset; ++i)
        FUZZ_CHECK(deviceSends(i, dump.size(), dump[i]));
    FUZZ_CHECK(!deviceSends(invalid->offset, dump.size(), dump[invalid->offset]));
}

// What the editor writes reads back as it was written: a saved single patch, a bank as Save All
// or the library saves it, and a bank entry made a single patch. Byte 7 is what a device or an
// accepted file gave, a data byte.
void writtenFilesReadBack(std::span<const std::uint8_t> data) {
    if (data.empty())
        return;
    const std::uint8_t byte7 = data[0] & 0x7F;
    std::array<PatchRecord, kPatchLocations> patches{};
    for (std::size_t n = 0; n < kPatchLocations; ++n)
        for (std::size_t k = 0; k < kRecordSize; ++k)
            patches[n][k] = data[(1 + n * kRecordSize + k) % data.size()];
    std::vector<std::uint8_t> buffer(kSysexBufferSize);
    const auto single = buildSingleDump(patches[0], byte7);
    FUZZ_CHECK(readPatchFile(single, buffer).status == PatchFileStatus::SinglePatch);
    FUZZ_CHECK(readRecord(buffer, kDumpDataOffset) == patches[0] && buffer[kDumpByte7] == byte7);
    const auto bank = buildBankDump(patches, byte7);
    FUZZ_CHECK(readPatchFile(bank, buffer).status == PatchFileStatus::Bank);
    for (std::size_t n = 0; n < kPatchLocations; ++n)
        FUZZ_CHECK(readRecord(buffer, bankPatchOffset(n)) == patches[n]);
    const std::size_t n = data[0] % kPatchLocations;
    FUZZ_CHECK(bankEntryToSingleDump(buffer, int(n)));
    std::vector<std::uint8_t> entry(kSysexBufferSize);
    FUZZ_CHECK(readPatchFile(std::span(buffer).first(kSingleDumpSize), entry).status ==
               PatchFileStatus::SinglePatch);
    FUZZ_CHECK(readRecord(entry, kDumpDataOffset) == patches[n]);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> file(data, size);

    // The editor's receive buffer, no larger than there, so a write past it is caught.
    std::vector<std::uint8_t> buffer(kSysexBufferSize, kFill);
    const PatchFileRead read = readPatchFile(file, buffer);
    const std::size_t kept = std::min(size, kSingleDumpSize);
    FUZZ_CHECK(std::equal(file.begin(), file.begin() + std::ptrdiff_t(kept), buffer.begin()));
    const auto untouchedPastKept = [&] {
        return std::all_of(buffer.begin() + std::ptrdiff_t(kept), buffer.end(),
                           [](std::uint8_t b) { return b == kFill; });
    };
    FUZZ_CHECK(!read.invalidByte || read.status == PatchFileStatus::BadFormat);
    switch (read.status) {
    case PatchFileStatus::SinglePatch:
        FUZZ_CHECK(size >= kSingleDumpSize && classifyDump(file) == DumpKind::SinglePatch);
        // Whatever is taken can go to the device as it is.
        FUZZ_CHECK(fuzz::isSendableSingleDump(std::span(buffer).first(kSingleDumpSize)));
        decodeSingleDump(buffer);
        dumpName(buffer);
        break;
    case PatchFileStatus::Bank:
        FUZZ_CHECK(size >= kBankDumpSize && classifyDump(file) == DumpKind::Bank);
        FUZZ_CHECK(std::equal(file.begin(), file.begin() + kBankDumpSize, buffer.begin()));
        FUZZ_CHECK(fuzz::isSendableBankDump(std::span(buffer).first(kBankDumpSize)));
        unpackBank(std::span(buffer).first(kBankDumpSize));
        break;
    case PatchFileStatus::TooShort:
        FUZZ_CHECK(size < kSingleDumpSize || (classifyDump(file) == DumpKind::Bank && size < kBankDumpSize));
        FUZZ_CHECK(untouchedPastKept());
        break;
    case PatchFileStatus::BadFormat:
        FUZZ_CHECK(size >= kSingleDumpSize && untouchedPastKept());
        if (classifyDump(file) == DumpKind::SinglePatch)
            checkRefusedAt(file.first(kSingleDumpSize), read.invalidByte);
        else if (classifyDump(file) == DumpKind::Bank)
            checkRefusedAt(file.first(kBankDumpSize), read.invalidByte);
        else
            FUZZ_CHECK(!read.invalidByte);
        break;
    }
    writtenFilesReadBack(file);

    // A caller's smaller buffer is never overrun either.
    std::vector<std::uint8_t> small(size == 0 ? 0 : data[size - 1]);
    readPatchFile(file, small);

    // The listing and the unpacking take whatever they are given, a cut bank included.
    unpackBank(file);
    return 0;
}
