// What every fuzz target checks beyond the sanitizers: stated promises of the code under test.
#pragma once

#include "patch/SysexFormat.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <span>

// A broken promise is a finding like a crash: libFuzzer keeps the input that caused it.
#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__);         \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (false)

namespace amplix::fuzz {

// A single-patch dump that can go to the device as it is: the header, byte 7 and the nibbles
// are data bytes, the nibbles hold four bits each, and F7 ends it.
inline bool isSendableSingleDump(std::span<const std::uint8_t> dump) {
    if (dump.size() != kSingleDumpSize || classifyDump(dump) != DumpKind::SinglePatch)
        return false;
    if (dump[kDumpByte7] >= 0x80 || dump.back() != kSysexEnd)
        return false;
    const auto nibbles = dump.subspan(kDumpDataOffset, kRecordNibbles);
    return std::all_of(nibbles.begin(), nibbles.end(), [](std::uint8_t b) { return b <= 0x0F; });
}

// The same for a bank dump.
inline bool isSendableBankDump(std::span<const std::uint8_t> dump) {
    if (dump.size() != kBankDumpSize || classifyDump(dump) != DumpKind::Bank)
        return false;
    if (dump[kDumpByte7] >= 0x80 || dump.back() != kSysexEnd)
        return false;
    const auto nibbles = dump.subspan(kDumpDataOffset, kRecordNibbles * kPatchLocations);
    return std::all_of(nibbles.begin(), nibbles.end(), [](std::uint8_t b) { return b <= 0x0F; });
}

} // namespace amplix::fuzz
