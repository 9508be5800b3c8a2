// Recognising, listing and unpacking the editor's patch files.
#include "files/PatchFile.h"

#include <algorithm>

namespace amplix {

PatchFileRead readPatchFile(std::span<const std::uint8_t> file, std::span<std::uint8_t> buffer) {
    const std::size_t first = std::min({file.size(), kSingleDumpSize, buffer.size()});
    std::copy_n(file.begin(), first, buffer.begin());
    if (first < kSingleDumpSize)
        return {PatchFileStatus::TooShort, std::nullopt};
    switch (classifyDump(file)) {
    case DumpKind::SinglePatch:
        if (auto invalid = firstInvalidDumpByte(file.first(kSingleDumpSize)))
            return {PatchFileStatus::BadFormat, invalid};
        return {PatchFileStatus::SinglePatch, std::nullopt};
    case DumpKind::Bank:
        if (file.size() < kBankDumpSize || buffer.size() < kBankDumpSize)
            return {PatchFileStatus::TooShort, std::nullopt};
        if (auto invalid = firstInvalidDumpByte(file.first(kBankDumpSize)))
            return {PatchFileStatus::BadFormat, invalid};
        std::copy_n(file.begin(), kBankDumpSize, buffer.begin());
        return {PatchFileStatus::Bank, std::nullopt};
    case DumpKind::Other:
        break;
    }
    return {PatchFileStatus::BadFormat, std::nullopt};
}

std::vector<std::string> bankListing(std::span<const std::uint8_t> bank) {
    std::vector<std::string> lines;
    for (std::size_t n = 0; n < kPatchLocations; ++n) {
        std::string line = locationLabel(n) + "  ";
        for (std::size_t j = 0; j < kNameLength; ++j) {
            const std::uint8_t c = readRecordByte(bank, bankPatchOffset(n), kNameOffset + j);
            if (c == 0)
                break;
            line += char(c);
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

bool bankEntryToSingleDump(std::span<std::uint8_t> buffer, int n) {
    if (n < 0 || n >= int(kPatchLocations) || buffer.size() < kBankDumpSize)
        return false;
    buffer[6] = sysExHeader[6];
    if (n > 0)
        std::copy_n(buffer.begin() + std::ptrdiff_t(bankPatchOffset(std::size_t(n))), kRecordNibbles,
                    buffer.begin() + kDumpDataOffset);
    buffer[kSingleDumpSize - 1] = kSysexEnd;
    return true;
}

std::string fileNameForPatch(std::string_view latin1Name) {
    constexpr std::string_view kRefused = "/\\:*?\"<>|";
    constexpr unsigned char kFirstPrintable = 0x20, kDelete = 0x7F;
    const auto first = latin1Name.find_first_not_of(" .");
    const auto last = latin1Name.find_last_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    std::string name(latin1Name.substr(first, last - first + 1));
    for (char& c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < kFirstPrintable || byte == kDelete || kRefused.find(c) != std::string_view::npos)
            c = '_';
    }
    return name;
}

} // namespace amplix
