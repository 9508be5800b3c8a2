// Fuzz target: a SysEx message taken as a dump, decoded for the panel, renamed and made a store message.
#include "fuzz/FuzzCheck.h"
#include "patch/PatchDecode.h"
#include "patch/SysexFormat.h"
#include "tone/ToneMap.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

using namespace amplix;

namespace {

// What the panel then shows, as the frame asks for it.
void showOnPanel(const DecodedPatch& patch) {
    FUZZ_CHECK(patch.name.size() <= kNameLength && patch.name.find('\0') == std::string::npos);
    FUZZ_CHECK(patch.effectCode >= 0 && patch.effectCode <= 0x0F);
    effectForCode(patch.effectCode);
    for (const DecodedControl& control : patch.controls) {
        FUZZ_CHECK(control.parameter != nullptr);
        const ToneParameter& p = *control.parameter;
        const int position = positionForValue(p, control.value);
        if (p.extra == ToneExtra::DelayTimeLabel)
            delayTimeLabel(control.value);
        else if (p.extra == ToneExtra::FeedbackLabel)
            chorusFeedbackLabel(position);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> message(data, size);
    classifyDump(message);
    showOnPanel(decodeSingleDump(message));

    // Record bytes survive the nibble split whatever they hold.
    const PatchRecord record = readRecord(message, kDumpDataOffset);
    const auto rebuilt =
        buildSingleDump(record, std::uint8_t(size > kDumpByte7 ? data[kDumpByte7] & 0x7F : 0));
    FUZZ_CHECK(fuzz::isSendableSingleDump(rebuilt));
    FUZZ_CHECK(readRecord(rebuilt, kDumpDataOffset) == record);
    showOnPanel(decodePatch(record));

    // The record taken straight from the bytes, so every byte value reaches every rule.
    PatchRecord raw{};
    std::copy_n(message.begin(), std::min(size, kRecordSize), raw.begin());
    showOnPanel(decodePatch(raw));

    // Renaming keeps the name as far as it goes and touches nothing else.
    const std::string name = dumpName(message);
    FUZZ_CHECK(name.size() <= kNameLength);
    std::vector<std::uint8_t> renamed(message.begin(), message.end());
    renamed.resize(std::max(size, kSingleDumpSize + 1));
    const std::vector<std::uint8_t> before = renamed;
    writeDumpName(renamed, name);
    const std::string after = dumpName(renamed);
    FUZZ_CHECK(after.compare(0, name.size(), name) == 0);
    for (std::size_t i = 0; i < renamed.size(); ++i)
        if (i < kDumpDataOffset + 2 * kNameOffset || i >= kDumpDataOffset + 2 * kRecordSize)
            FUZZ_CHECK(renamed[i] == before[i]);

    // The store message moves bytes 7 to 150 up by one and puts the location in.
    const int location = size > 0 ? data[0] % int(kPatchLocations) : 0;
    std::vector<std::uint8_t> store = before;
    makeStoreMessage(store, location);
    FUZZ_CHECK(store[6] == 0x00 && store[kStoreLocationOffset] == location);
    FUZZ_CHECK(std::equal(before.begin() + kDumpByte7, before.begin() + kSingleDumpSize,
                          store.begin() + kDumpByte7 + 1));
    return 0;
}
