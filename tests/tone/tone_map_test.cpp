// The tone map: the values every control sends, takes back and stores, checked against the device's rules.
#include "tone/ToneMap.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace amplix;

namespace {

using Messages = std::vector<std::pair<std::uint8_t, std::uint8_t>>;

const ToneParameter& param(std::string_view member) {
    const ToneParameter* p = findParameter(member);
    EXPECT_NE(p, nullptr) << member;
    return *p;
}

PatchRecord recordWithEffect(int code) {
    PatchRecord r{};
    r[kEffectRecordByte] = std::uint8_t(code);
    return r;
}

} // namespace

TEST(ToneMap, EveryControllerOnceAndTheReceiveTableAsTheDeviceSpeaksIt) {
    std::set<int> controllers;
    std::set<std::string_view> members;
    for (const auto& p : toneMap()) {
        EXPECT_TRUE(controllers.insert(p.controller).second) << int(p.controller);
        if (!p.member.empty()) {
            EXPECT_TRUE(members.insert(p.member).second) << p.member;
        }
    }
    const std::set<int> expected = {1,  4,  7,  12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25,
                                    26, 27, 28, 30, 32, 34, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45, 46,
                                    47, 49, 50, 51, 52, 53, 54, 55, 56, 57, 58, 59, 64, 71, 72, 73};
    EXPECT_EQ(controllers, expected);
    EXPECT_EQ(findController(62), findParameter("DelayTime"));

    std::set<int> focused, ignored;
    for (const auto& p : toneMap()) {
        if (p.focusOnReceive)
            focused.insert(p.controller);
        if (p.receive == ReceiveRule::Ignored)
            ignored.insert(p.controller);
    }
    EXPECT_EQ(focused, (std::set<int>{12, 13, 14, 15, 16, 17, 18, 19, 21, 32, 34, 38, 71}));
    EXPECT_EQ(ignored, (std::set<int>{23, 30, 72, 73}));
    for (int cc : {0, 2, 3, 5, 6, 8, 29, 31, 33, 35, 48, 60, 61, 63, 65, 70, 74, 127})
        EXPECT_EQ(findController(std::uint8_t(cc)), nullptr) << cc;
}

TEST(ToneMap, ControlStatesBecomeTheBytesSent) {
    struct Case {
        const char* member;
        int state;
        Messages expected;
    } cases[] = {
        {"Drive", 0, {{13, 127}}},          // reversed slider at the top end
        {"Drive", 127, {{13, 0}}},          // and at the bottom end
        {"Drive", 64, {{13, 63}}},          // the start position
        {"Air", 64, {{72, 64}}},            // direct slider
        {"GateThreshold", 0, {{23, 0}}},    // direct vertical: the top end sends 0
        {"Bright", 1, {{73, 127}}},
        {"Bright", 0, {{73, 0}}},
        {"AmpModel", 31, {{12, 31}}},
        {"CabSel", 15, {{71, 15}}},
        {"EffectSel", 8, {{19, 6}}},        // "Delay"
        {"EffectSel", 4, {{19, 0}}},        // "Chorus 2"
        {"EffectSel", 16, {}},              // no such entry
        {"CRatio", 3, {{42, 80}}},          // "3:1"
        {"CRatio", 0, {{42, 0}}},
        {"CRatio", 5, {{42, 127}}},
        {"ReverbType", 1, {{37, 127}}},
        {"VolPosition", 0, {{47, 0}}},
        {"RotarySpeed", 1, {{55, 127}}},
        {"DelayTime", 0, {{30, 0}, {62, 0}}},
        {"DelayTime", 1, {{30, 0}, {62, 5}}},
        {"DelayTime", 100, {{30, 4}, {62, 8}}},
        {"DelayTime", 1000, {{30, 40}, {62, 80}}},
        {"DelayTime", 2000, {{30, 81}, {62, 33}}},
        {"DelayTime", 3150, {{30, 127}, {62, 127}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(controllerMessages(param(c.member), c.state), c.expected) << c.member << " " << c.state;
}

TEST(ToneMap, ReceivedValuesSelectListEntriesByThreshold) {
    const std::pair<int, int> ratio[] = {{0, 0}, {21, 0}, {22, 1}, {43, 1}, {44, 2}, {66, 3}, {109, 4}, {110, 5}, {127, 5}};
    for (auto [value, index] : ratio)
        EXPECT_EQ(ratioIndexForValue(value), index) << value;
    EXPECT_EQ(twoEntryIndexForValue(63), 0);
    EXPECT_EQ(twoEntryIndexForValue(64), 1);
}

TEST(ToneMap, EffectTableRunsBothWays) {
    std::set<int> codes;
    for (const auto& row : effectTable()) {
        codes.insert(row.code);
        EXPECT_EQ(effectForCode(row.code), &row);
        EXPECT_EQ(effectForIndex(row.index), &row);
    }
    EXPECT_EQ(codes.size(), 16u);
    struct Case {
        int code;
        EffectLayout layout;
    } layouts[] = {{0, EffectLayout::Chorus},  {2, EffectLayout::Rotary},     {5, EffectLayout::Tremolo},
                   {6, EffectLayout::None},    {7, EffectLayout::Compressor}, {10, EffectLayout::None},
                   {14, EffectLayout::Swell},  {15, EffectLayout::Chorus}};
    for (const auto& c : layouts)
        EXPECT_EQ(layoutForEffectCode(c.code), c.layout) << c.code;
}

TEST(ToneMap, RecordBytesDecodeToTheValueTheControlStandsFor) {
    PatchRecord r{};
    struct Case {
        const char* member;
        std::vector<std::pair<int, std::uint8_t>> bytes;
        int effect;
        int value;
    } cases[] = {
        {"Distortion", {{0, 0x10}}, 10, 0},            // only the low nibble of a switch counts
        {"Distortion", {{0, 0x01}}, 10, 127},
        {"Drive", {{9, 0}}, 10, 0},                    // position 127
        {"Drive", {{9, 63}}, 10, 126},                 // position 1
        {"GateThreshold", {{16, 96}}, 10, 0},          // 127 - trunc(1.323 x 96)
        {"GateThreshold", {{16, 10}}, 10, 114},
        {"DelayTime", {{27, 0x01}, {28, 0x7F}, {29, 0xEC}}, 6, 3150},
        {"DelayTime", {{27, 0x00}, {28, 0x17}, {29, 0x70}}, 6, 192}, // V = 6000
        {"ChFeedback", {{52, 64}}, 0, 64},
        {"ChSpeed", {{48, 0x18}, {49, 0xFF}}, 0, 127}, // 6399 div 50
        {"ChDepth", {{50, 0x01}, {51, 0x3B}}, 0, 127}, // 315 x 104 div 256
        {"ChDepth", {{50, 0xF1}, {51, 0x3C}}, 0, 128}, // 316, high nibble of byte 50 ignored
        {"RotaryMax", {{49, 0x00}, {50, 90}}, 2, 0},   // (90 - 100) div 22 cuts toward zero
        {"RotaryMax", {{49, 0x00}, {50, 100}}, 2, 0},
        {"RotaryMin", {{51, 0x0B}, {52, 0x4E}}, 2, 127}, // R = 2894
        {"TremSpeed", {{48, 0x0C}, {49, 0x7F}}, 9, 127}, // T = 3199
        {"CabSel", {{44, 0x2F}}, 10, 15},
        {"ReverbType", {{38, 0x30}}, 10, 0},
    };
    for (const auto& c : cases) {
        r = recordWithEffect(c.effect);
        for (auto [k, b] : c.bytes)
            r[std::size_t(k)] = b;
        EXPECT_EQ(recordValue(param(c.member), r), c.value) << c.member;
    }
}

TEST(ToneMap, StoredControllerValuesComeBackAsSent) {
    // What the device stores for a controller must decode to what a control then shows.
    for (const auto& p : toneMap()) {
        if (p.record == RecordRule::None || p.record == RecordRule::DelayTime || p.record == RecordRule::EffectCode)
            continue;
        const int effect = p.layout == EffectLayout::Rotary    ? 2
                           : p.layout == EffectLayout::Tremolo  ? 9
                           : p.layout == EffectLayout::Swell    ? 14
                           : p.layout == EffectLayout::Compressor ? 11
                                                                : 0;
        for (int v : {0, 1, 2, 21, 22, 63, 64, 65, 100, 126, 127}) {
            PatchRecord r = recordWithEffect(effect);
            storeControllerValue(p, p.controller, v, r);
            int expected = v;
            switch (p.record) {
            case RecordRule::Flag:
                expected = v >= 64 ? 127 : 0;
                break;
            case RecordRule::Half:
                expected = v & ~1;
                break;
            case RecordRule::NibbleTwoEntry:
                expected = twoEntryIndexForValue(v);
                break;
            case RecordRule::RatioIndex:
                expected = ratioIndexForValue(v);
                break;
            case RecordRule::NibbleIndex:
                expected = v & 0x0F;
                break;
            case RecordRule::GateThreshold:
                // The nearest threshold the record can hold: never more than one step away.
                EXPECT_LE(std::abs(recordValue(p, r) - v), 1) << p.member << " " << v;
                continue;
            default:
                break;
            }
            EXPECT_EQ(recordValue(p, r), expected) << p.member << " " << v;
        }
    }
}

TEST(ToneMap, DelayTimeIsStoredAsSixTimesTheDeviceValueOneHalfAtATime) {
    const ToneParameter& p = param("DelayTime");
    PatchRecord r = recordWithEffect(6);
    storeControllerValue(p, kDelayTimeHighController, 40, r);
    storeControllerValue(p, kDelayTimeLowController, 80, r);
    const std::uint32_t v = (std::uint32_t(r[27] & 0x0F) << 16) | (r[28] << 8) | r[29];
    EXPECT_EQ(v, 6u * 5200u);
    EXPECT_EQ(recordValue(p, r), 1000); // as the slider sent it
    storeControllerValue(p, kDelayTimeHighController, 127, r);
    storeControllerValue(p, kDelayTimeLowController, 127, r);
    EXPECT_EQ(recordValue(p, r), 3150);
}

TEST(ToneMap, EffectParametersAreStoredOnlyUnderTheirOwnEffect) {
    PatchRecord r = recordWithEffect(2); // rotary
    r[48] = 1;
    r[49] = 0x05;
    r[50] = 0x55;
    const PatchRecord before = r;
    storeControllerValue(param("ChSpeed"), 51, 100, r);   // a chorus controller
    storeControllerValue(param("TremSpeed"), 58, 100, r); // a tremolo controller
    EXPECT_EQ(r, before);
    storeControllerValue(param("RotarySpeed"), 55, 0, r);
    EXPECT_EQ(r[48], 0);
}

TEST(ToneMap, PositionsStandForValuesAndClampToTheSlider) {
    EXPECT_EQ(positionForValue(param("Drive"), 126), 1);
    EXPECT_EQ(positionForValue(param("Drive"), 200), 0);
    EXPECT_EQ(positionForValue(param("ChSpeed"), 300), 127);
    EXPECT_EQ(positionForValue(param("DelayTime"), 4000), 3150);
    EXPECT_EQ(positionForValue(param("GateThreshold"), -12), 0);
}
