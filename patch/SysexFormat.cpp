// Building, recognising and reading the device's SysEx messages.
#include "patch/SysexFormat.h"

#include <algorithm>

namespace amplix {

DumpKind classifyDump(std::span<const std::uint8_t> message) {
    if (message.size() < kHeaderSize)
        return DumpKind::Other;
    auto head = message.first(kHeaderSize);
    if (std::equal(head.begin(), head.end(), sysExHeader.begin()))
        return DumpKind::SinglePatch;
    if (std::equal(head.begin(), head.end(), sysExHeaderAll.begin()))
        return DumpKind::Bank;
    return DumpKind::Other;
}

std::optional<InvalidDumpByte> firstInvalidDumpByte(std::span<const std::uint8_t> message,
                                                    std::size_t dataOffset) {
    if (message.size() <= dataOffset) // too short to have an end after its nibbles
        return InvalidDumpByte{message.size(), DumpByteFault::NoEnd};
    const std::size_t last = message.size() - 1;
    for (std::size_t i = 1; i < last; ++i) {
        if (message[i] & kStatusBit)
            return InvalidDumpByte{i, DumpByteFault::StatusByte};
        if (i >= dataOffset && message[i] > kNibbleMax)
            return InvalidDumpByte{i, DumpByteFault::BigNibble};
    }
    if (message[last] != kSysexEnd)
        return InvalidDumpByte{last, DumpByteFault::NoEnd};
    return std::nullopt;
}

std::uint8_t readRecordByte(std::span<const std::uint8_t> message, std::size_t dataOffset, std::size_t k) {
    std::size_t at = dataOffset + 2 * k;
    if (at + 1 >= message.size())
        return 0;
    return std::uint8_t((message[at] << 4) + message[at + 1]);
}

void writeRecordByte(std::span<std::uint8_t> message, std::size_t dataOffset, std::size_t k,
                     std::uint8_t value) {
    std::size_t at = dataOffset + 2 * k;
    if (at + 1 >= message.size())
        return;
    message[at] = value >> 4;
    message[at + 1] = value & 0x0F;
}

PatchRecord readRecord(std::span<const std::uint8_t> message, std::size_t dataOffset) {
    PatchRecord record{};
    for (std::size_t k = 0; k < kRecordSize; ++k)
        record[k] = readRecordByte(message, dataOffset, k);
    return record;
}

void writeRecord(std::span<std::uint8_t> message, std::size_t dataOffset, const PatchRecord& record) {
    for (std::size_t k = 0; k < kRecordSize; ++k)
        writeRecordByte(message, dataOffset, k, record[k]);
}

std::array<std::uint8_t, kSingleDumpSize> buildSingleDump(const PatchRecord& record, std::uint8_t byte7) {
    std::array<std::uint8_t, kSingleDumpSize> dump{};
    std::copy(sysExHeader.begin(), sysExHeader.end(), dump.begin());
    dump[kDumpByte7] = byte7;
    writeRecord(dump, kDumpDataOffset, record);
    dump[kSingleDumpSize - 1] = kSysexEnd;
    return dump;
}

std::array<std::uint8_t, kBankDumpSize> buildBankDump(const std::array<PatchRecord, kPatchLocations>& patches,
                                                      std::uint8_t byte7) {
    std::array<std::uint8_t, kBankDumpSize> dump{};
    std::copy(sysExHeaderAll.begin(), sysExHeaderAll.end(), dump.begin());
    dump[kDumpByte7] = byte7;
    for (std::size_t n = 0; n < kPatchLocations; ++n)
        writeRecord(dump, bankPatchOffset(n), patches[n]);
    dump[kBankDumpSize - 1] = kSysexEnd;
    return dump;
}

std::string dumpName(std::span<const std::uint8_t> dump) {
    std::string name;
    for (std::size_t j = 0; j < kNameLength; ++j) {
        const std::uint8_t c = readRecordByte(dump, kDumpDataOffset, kNameOffset + j);
        if (c == 0)
            break;
        name += char(c);
    }
    return name;
}

void writeDumpName(std::span<std::uint8_t> dump, std::string_view latin1Name) {
    bool ended = false;
    for (std::size_t j = 0; j < kNameLength; ++j) {
        if (j >= latin1Name.size() || latin1Name[j] == '\0')
            ended = true;
        writeRecordByte(dump, kDumpDataOffset, kNameOffset + j,
                        ended ? std::uint8_t(' ') : std::uint8_t(latin1Name[j]));
    }
}

void makeStoreMessage(std::span<std::uint8_t> message, int location) {
    if (message.size() < kStoreMessageSize)
        return;
    for (std::size_t i = kSingleDumpSize - 1; i >= kDumpByte7; --i)
        message[i + 1] = message[i];
    message[6] = 0x00;
    message[kStoreLocationOffset] = std::uint8_t(location);
}

std::vector<std::array<std::uint8_t, kStoreMessageSize>>
bankStoreMessages(std::span<const std::uint8_t> bank) {
    std::vector<std::array<std::uint8_t, kStoreMessageSize>> messages;
    if (bank.size() < kBankDumpSize || classifyDump(bank) != DumpKind::Bank)
        return messages;
    for (std::size_t n = 0; n < kPatchLocations; ++n) {
        const auto dump = buildSingleDump(readRecord(bank, bankPatchOffset(n)), bank[kDumpByte7]);
        std::array<std::uint8_t, kStoreMessageSize> store{};
        std::copy(dump.begin(), dump.end(), store.begin());
        makeStoreMessage(store, int(n));
        messages.push_back(store);
    }
    return messages;
}

std::string locationLabel(std::size_t location) {
    if (location >= kPatchLocations)
        return {};
    return {char('1' + location / 4), char('A' + location % 4)};
}

std::optional<std::size_t> locationOfLabel(std::string_view label) {
    constexpr std::size_t kLettersPerBank = 4;
    if (label.size() != 2 || label[0] < '1' || label[0] > '9')
        return std::nullopt;
    const char letter = char(label[1] & ~0x20); // upper case
    if (letter < 'A' || letter >= char('A' + kLettersPerBank))
        return std::nullopt;
    return std::size_t(label[0] - '1') * kLettersPerBank + std::size_t(letter - 'A');
}

std::string programTitle(int program) {
    if (program == 0)
        return "Amplix 32 - Manual Mode";
    if (program < 0 || program > kLastProgram)
        return {};
    return "Amplix 32 - Patch " + locationLabel(std::size_t(program - 1));
}

} // namespace amplix
