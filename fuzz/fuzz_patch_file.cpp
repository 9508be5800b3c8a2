// Fuzz target: a patch or bank file read, listed and unpacked as File > Open does it.
#include "files/PatchFile.h"
#include "fuzz/FuzzCheck.h"
#include "midi/MidiTypes.h"
#include "patch/PatchDecode.h"

#include <algorithm>
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> file(data, size);

    // The editor's receive buffer, no larger than there, so a write past it is caught.
    std::vector<std::uint8_t> buffer(kSysexBufferSize, kFill);
    const PatchFileStatus status = readPatchFile(file, buffer);
    const std::size_t kept = std::min(size, kSingleDumpSize);
    FUZZ_CHECK(std::equal(file.begin(), file.begin() + std::ptrdiff_t(kept), buffer.begin()));
    switch (status) {
    case PatchFileStatus::SinglePatch:
        FUZZ_CHECK(size >= kSingleDumpSize && classifyDump(file) == DumpKind::SinglePatch);
        decodeSingleDump(buffer);
        dumpName(buffer);
        break;
    case PatchFileStatus::Bank:
        FUZZ_CHECK(size >= kBankDumpSize && classifyDump(file) == DumpKind::Bank);
        FUZZ_CHECK(std::equal(file.begin(), file.begin() + kBankDumpSize, buffer.begin()));
        unpackBank(std::span(buffer).first(kBankDumpSize));
        break;
    case PatchFileStatus::TooShort:
        FUZZ_CHECK(size < kSingleDumpSize || (classifyDump(file) == DumpKind::Bank && size < kBankDumpSize));
        FUZZ_CHECK(std::all_of(buffer.begin() + std::ptrdiff_t(kept), buffer.end(),
                               [](std::uint8_t b) { return b == kFill; }));
        break;
    case PatchFileStatus::BadFormat:
        FUZZ_CHECK(size >= kSingleDumpSize && classifyDump(file) == DumpKind::Other);
        break;
    }

    // A caller's smaller buffer is never overrun either.
    std::vector<std::uint8_t> small(size == 0 ? 0 : data[size - 1]);
    readPatchFile(file, small);

    // The listing and the unpacking take whatever they are given, a cut bank included.
    unpackBank(file);
    return 0;
}
