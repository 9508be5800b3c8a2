// The tone map: the values every control sends, takes back and stores, checked against the device's rules.
#include "tone/ToneMap.h"

#include <gtest/gtest.h>

#include <set>

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

// An effect whose parameters use the layout: a row of that layout is stored only under it.
int effectFor(EffectLayout layout) {
    return layout == EffectLayout::Rotary       ? 2
           : layout == EffectLayout::Tremolo    ? 9
           : layout == EffectLayout::Swell      ? 14
           : layout == EffectLayout::Compressor ? 11
                                                : 0;
}

int recordWidth(RecordRule rule) {
    switch (rule) {
    case RecordRule::DelayTime:
        return 3;
    case RecordRule::ChorusSpeed:
    case RecordRule::ChorusDepth:
    case RecordRule::ChorusPreDelay:
    case RecordRule::RotaryRate:
    case RecordRule::TremoloSpeed:
        return 2;
    default:
        return 1;
    }
}

} // namespace

TEST(ToneMap, ControlStatesBecomeTheBytesSent) {
    struct Case {
        const char* member;
        int state;
        Messages expected;
    } cases[] = {
        {"Drive", 0, {{13, 127}}},       // reversed slider at the top end
        {"Drive", 127, {{13, 0}}},       // and at the bottom end
        {"Air", 64, {{72, 64}}},         // direct slider
        {"GateThreshold", 0, {{23, 0}}}, // direct vertical: the top end sends 0
        {"Bright", 1, {{73, 127}}},
        {"EffectSel", 8, {{19, 6}}}, // "Delay"
        {"EffectSel", 16, {}},       // no such entry
        {"CRatio", 3, {{42, 80}}},   // "3:1"
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
    const std::pair<int, int> ratio[] = {{0, 0},  {21, 0},  {22, 1},  {43, 1}, {44, 2},
                                         {66, 3}, {109, 4}, {110, 5}, {127, 5}};
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
    EXPECT_EQ(layoutForEffectCode(15), EffectLayout::Chorus);
    EXPECT_EQ(layoutForEffectCode(6), EffectLayout::None);
}

TEST(ToneMap, RecordBytesDecodeToTheValueTheControlStandsFor) {
    PatchRecord r{};
    struct Case {
        const char* member;
        std::vector<std::pair<int, std::uint8_t>> bytes;
        int effect;
        int value;
    } cases[] = {
        {"Distortion", {{0, 0x01}}, 10, 127}, // a switch: its low nibble
        {"Drive", {{9, 63}}, 10, 126},        // position 1
        {"GateThreshold", {{16, 96}}, 10, 0}, // 127 - trunc(1.323 x 96)
        {"GateThreshold", {{16, 10}}, 10, 114},
        {"DelayTime", {{27, 0x00}, {28, 0x17}, {29, 0x70}}, 6, 192}, // V = 6000
        {"ChFeedback", {{52, 64}}, 0, 64},
        {"ChSpeed", {{48, 0x18}, {49, 0xFF}}, 0, 127}, // 6399 div 50
        {"ChDepth", {{50, 0x01}, {51, 0x3B}}, 0, 127}, // 315 x 104 div 256
        {"ChDepth", {{50, 0xF1}, {51, 0x3C}}, 0, 128}, // 316, high nibble of byte 50 ignored
        {"RotaryMax", {{49, 0x00}, {50, 90}}, 2, 0},   // (90 - 100) div 22 cuts toward zero
        {"RotaryMax", {{49, 0x00}, {50, 100}}, 2, 0},
        {"TremSpeed", {{48, 0x0C}, {49, 0x7F}}, 9, 127}, // T = 3199
        {"ReverbType", {{38, 0x30}}, 10, 0},
    };
    for (const auto& c : cases) {
        r = recordWithEffect(c.effect);
        for (auto [k, b] : c.bytes)
            r[std::size_t(k)] = b;
        EXPECT_EQ(recordValue(param(c.member), r), c.value) << c.member;
    }
}

// What the device stores for a controller must decode to what a control then shows.
TEST(ToneMap, StoredControllerValuesComeBackAsSent) {
    for (const auto& p : toneMap()) {
        if (p.record == RecordRule::None || p.record == RecordRule::DelayTime ||
            p.record == RecordRule::EffectCode)
            continue;
        const int effect = effectFor(p.layout);
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

// A controller stored by the device changes its own bytes and no other byte of the patch.
TEST(ToneMap, AStoredControllerChangesOnlyItsOwnBytes) {
    for (const auto& p : toneMap()) {
        if (p.record == RecordRule::None || p.record == RecordRule::EffectCode)
            continue;
        for (std::uint8_t controller : {p.controller, p.secondController}) {
            if (controller == 0)
                continue;
            PatchRecord r;
            r.fill(0x5A);
            r[kEffectRecordByte] = std::uint8_t(effectFor(p.layout));
            const PatchRecord before = r;
            storeControllerValue(p, controller, 77, r);
            for (std::size_t k = 0; k < r.size(); ++k) {
                if (int(k) < p.recordByte || int(k) >= p.recordByte + recordWidth(p.record)) {
                    EXPECT_EQ(r[k], before[k])
                        << p.member << " controller " << int(controller) << " byte " << k;
                }
            }
        }
    }
}

TEST(ToneMap, DelayTimeIsStoredAsSixTimesTheDeviceValueOneHalfAtATime) {
    const ToneParameter& p = param("DelayTime");
    PatchRecord r = recordWithEffect(6);
    r[27] = 0xA0; // the high nibble of the first byte is not the delay's
    storeControllerValue(p, kDelayTimeHighController, 40, r);
    storeControllerValue(p, kDelayTimeLowController, 80, r);
    const std::uint32_t v = (std::uint32_t(r[27] & 0x0F) << 16) | (r[28] << 8) | r[29];
    EXPECT_EQ(v, 6u * 5200u);
    EXPECT_EQ(recordValue(p, r), 1000); // as the slider sent it
    EXPECT_EQ(r[27] & 0xF0, 0xA0);
    // One half alone keeps the other: the high 7 bits change, the low 7 stay.
    storeControllerValue(p, kDelayTimeHighController, 41, r);
    const std::uint32_t w = (std::uint32_t(r[27] & 0x0F) << 16) | (r[28] << 8) | r[29];
    EXPECT_EQ(w, 6u * (41u * 128u + 5200u % 128u));
    EXPECT_EQ(r[27] & 0xF0, 0xA0);
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
