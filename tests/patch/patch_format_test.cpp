// Dumps and names byte for byte; what a record decodes to.
#include "patch/PatchDecode.h"
#include "patch/SysexFormat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using namespace amplix;

namespace {

std::vector<std::uint8_t> nameNibbles(std::span<const std::uint8_t> dump) {
    return {dump.begin() + 118, dump.begin() + 150};
}

// A name field: the given nibbles, then 02 00 (a space) up to 16 characters.
std::vector<std::uint8_t> nibblesThenSpaces(std::vector<std::uint8_t> nibbles) {
    while (nibbles.size() < 32)
        nibbles.insert(nibbles.end(), {0x02, 0x00});
    return nibbles;
}

} // namespace

TEST(PatchFormat, DumpsHaveTheirHeadersNibblesAndEnds) {
    PatchRecord record{};
    record[0] = 0x5A;
    record[70] = 0xE9;
    auto single = buildSingleDump(record, 0x33);
    EXPECT_EQ(classifyDump(single), DumpKind::SinglePatch);
    EXPECT_EQ(single[7], 0x33);
    EXPECT_EQ(single[8], 0x05); // record byte 5A as 05 0A
    EXPECT_EQ(single[9], 0x0A);
    EXPECT_EQ(single[148], 0x0E);
    EXPECT_EQ(single[149], 0x09);
    EXPECT_EQ(single[150], 0xF7);

    std::array<PatchRecord, kPatchLocations> patches{};
    patches[35][55] = 'Z';
    auto bank = buildBankDump(patches);
    EXPECT_EQ(classifyDump(bank), DumpKind::Bank);
    EXPECT_EQ(bankPatchOffset(35), 4978u);
    EXPECT_EQ(bank[4978 + 2 * 55], 0x05); // 'Z' = 5A: the name of 9D starts at 5088
    EXPECT_EQ(bank[5088], 0x05);
    EXPECT_EQ(bank[5120], 0xF7);
    EXPECT_EQ(readRecord(bank, bankPatchOffset(35)), patches[35]);

    const std::uint8_t wrong[] = {0xF0, 0x00, 0x01, 0x0C, 0x01, 0x01, 0x03};
    EXPECT_EQ(classifyDump(wrong), DumpKind::Other);
    EXPECT_EQ(classifyDump(std::span(wrong, 6)), DumpKind::Other);
}

TEST(PatchFormat, NamesAreWrittenAsNibblesThenSpaces) {
    struct Case {
        const char* what;
        std::string name;
        std::vector<std::uint8_t> expected;
    } cases[] = {
        {"four letters", "Lead", nibblesThenSpaces({0x04, 0x0C, 0x06, 0x05, 0x06, 0x01, 0x06, 0x04})},
        {"empty", "", nibblesThenSpaces({})},
        {"a 00 ends the name", std::string("Ab\0cd", 5), nibblesThenSpaces({0x04, 0x01, 0x06, 0x02})},
        {"Latin-1 above 7F", "\xE9", nibblesThenSpaces({0x0E, 0x09})},
    };
    for (const auto& c : cases) {
        auto dump = buildSingleDump(PatchRecord{}, 0x11);
        auto before = dump;
        writeDumpName(dump, c.name);
        EXPECT_EQ(nameNibbles(dump), c.expected) << c.what;
        // Nothing but the name changes, byte 7 included.
        EXPECT_TRUE(std::equal(dump.begin(), dump.begin() + 118, before.begin())) << c.what;
        EXPECT_EQ(dump[150], 0xF7);
    }
    auto dump = buildSingleDump(PatchRecord{});
    writeDumpName(dump, "ABCDEFGHIJKLMNOPQ"); // 17 characters: the 17th is not written
    EXPECT_EQ(dumpName(dump), "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(dump[150], 0xF7);
}

TEST(PatchDecode, SwitchesFirstThenRecordOrderAndOnlyTheEffectsOwnLayout) {
    PatchRecord record{};
    record[46] = 6; // "Delay": no effect layout
    auto decoded = decodePatch(record);
    ASSERT_GE(decoded.controls.size(), 8u);
    const char* switches[] = {"Distortion", "DriveBoost", "PresBoost", "Delay",
                              "TremChor",   "Reverb",     "NoiseGate", "Bright"};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(decoded.controls[std::size_t(i)].parameter->member, switches[i]);
    auto has = [&](std::string_view member) {
        return std::any_of(decoded.controls.begin(), decoded.controls.end(),
                           [&](const DecodedControl& c) { return c.parameter->member == member; });
    };
    EXPECT_EQ(decoded.effectCode, 6);
    EXPECT_TRUE(has("RotaryDepth")); // from byte 47 whatever the effect
    EXPECT_FALSE(has("ChSpeed"));
    EXPECT_FALSE(has("CRatio"));
    EXPECT_FALSE(has("EffectSel"));
    EXPECT_FALSE(has("Wah")); // not in the record

    record[46] = 0x12; // high nibble ignored: code 2, rotary
    decoded = decodePatch(record);
    EXPECT_EQ(decoded.effectCode, 2);
    EXPECT_TRUE(has("RotarySpeed") && has("RotaryMax") && has("RotaryMin"));
    EXPECT_FALSE(has("TremSpeed") || has("Swell") || has("ChDepth"));
}
