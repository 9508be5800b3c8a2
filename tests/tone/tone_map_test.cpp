// The tone map: the values every control sends, takes back and stores, checked against the device's rules.
#include "tone/ToneMap.h"

#include "tone/ToneLists.h"

#include <gtest/gtest.h>

#include <map>
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
    storeRecordField("EffectSel", code, r);
    return r;
}

// An effect whose parameters use the layout: a row of that layout is stored only under it.
int effectFor(EffectLayout layout) {
    return layout == EffectLayout::Rotary       ? kRotaryEffectCode
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
        // The importers find effects by their list names.
        EXPECT_EQ(effectCodeNamed(kEffectNames.at(std::size_t(row.index))), row.code);
    }
    EXPECT_EQ(codes.size(), 16u);
    EXPECT_EQ(effectCodeNamed("Delay/Compressor"), 7);
    EXPECT_EQ(effectCodeNamed("Wah"), 0);
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
            storeRecordField("EffectSel", effectFor(p.layout), r);
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

// Every row's field, stored raw into records full of other bits: the value reads back (past the
// field's largest value only its low bits are kept), and no bit outside the field changes.
TEST(ToneMap, EveryRecordFieldHoldsItsValueAndNoOtherBit) {
    // The bits a field of each width owns, from the row's record byte on.
    const std::map<int, std::vector<std::uint8_t>> ownBits = {
        {4, {0x0F}}, {8, {0xFF}}, {12, {0x0F, 0xFF}}, {16, {0xFF, 0xFF}}, {20, {0x0F, 0xFF, 0xFF}}};
    for (const auto& p : toneMap()) {
        const int bits = recordFieldBits(p.record);
        if (bits == 0)
            continue;
        const std::vector<std::uint8_t>& own = ownBits.at(bits);
        ASSERT_GE(p.recordByte, 0) << p.member;
        ASSERT_LE(p.recordByte + own.size(), kRecordParameterBytes) << p.member;
        PatchRecord mask{};
        std::copy(own.begin(), own.end(), mask.begin() + p.recordByte);

        const std::int64_t max = (std::int64_t(1) << bits) - 1;
        // Stored and read back: past the largest value, only the low bits are kept.
        std::vector<std::pair<std::int64_t, std::int64_t>> values = {{max + 1, 0}, {max + 3, 2}, {-1, max}};
        for (std::int64_t v : {std::int64_t(0), std::int64_t(1), 0x55555 & max, 0xAAAAA & max, max})
            values.emplace_back(v, v);
        for (std::uint8_t even : {0xA5, 0x5A}) {
            PatchRecord pattern;
            for (std::size_t k = 0; k < pattern.size(); ++k)
                pattern[k] = k % 2 ? std::uint8_t(~even) : even;
            for (auto [stored, read] : values) {
                PatchRecord r = pattern;
                storeRecordField(p, stored, r);
                EXPECT_EQ(recordField(p, r), read) << p.member << " " << stored;
                for (std::size_t k = 0; k < r.size(); ++k)
                    EXPECT_EQ(r[k] & ~mask[k], pattern[k] & ~mask[k]) << p.member << " byte " << k;
            }
        }
        PatchRecord all{};
        storeRecordField(p.member, max, all);
        EXPECT_EQ(all, mask) << p.member;
    }

    PatchRecord r;
    r.fill(0x5A);
    const PatchRecord before = r;
    storeRecordField("Wah", 1, r); // not in the record
    storeRecordField("NoSuchControl", 1, r);
    EXPECT_EQ(r, before);
    EXPECT_EQ(recordField("Wah", r), 0);
}

// A field stored into a dump rewrites its own nibble pairs and leaves the rest as it came.
TEST(ToneMap, AFieldStoredInADumpRewritesOnlyItsOwnNibbles) {
    struct Case {
        const char* member;
        int value;
        std::vector<std::pair<std::size_t, std::uint8_t>> changed; // dump offset, new nibble
    } cases[] = {
        {"AmpModel", 0x1C, {{24, 0x01}, {25, 0x0C}}},
        {"CabSel", 0x0B, {{97, 0x0B}}}, // byte 44: its high nibble stays
        {"DelayTime", 0xABCDE, {{63, 0x0A}, {64, 0x0B}, {65, 0x0C}, {66, 0x0D}, {67, 0x0E}}},
    };
    for (const auto& c : cases) {
        std::array<std::uint8_t, kSingleDumpSize> dump;
        dump.fill(0x07);
        auto expected = dump;
        for (auto [at, nibble] : c.changed)
            expected[at] = nibble;
        storeDumpField(param(c.member), c.value, dump, kDumpDataOffset);
        EXPECT_EQ(dump, expected) << c.member;
    }
}

TEST(ToneMap, DelayTimeIsStoredAsSixTimesTheDeviceValueOneHalfAtATime) {
    const ToneParameter& p = param("DelayTime");
    PatchRecord r = recordWithEffect(6);
    r[27] = 0xA0; // the high nibble of the first byte is not the delay's
    storeControllerValue(p, p.controller, 40, r);
    storeControllerValue(p, p.secondController, 80, r);
    const std::uint32_t v = (std::uint32_t(r[27] & 0x0F) << 16) | (r[28] << 8) | r[29];
    EXPECT_EQ(v, 6u * 5200u);
    EXPECT_EQ(recordValue(p, r), 1000); // as the slider sent it
    EXPECT_EQ(r[27] & 0xF0, 0xA0);
    // One half alone keeps the other: the high 7 bits change, the low 7 stay.
    storeControllerValue(p, p.controller, 41, r);
    const std::uint32_t w = (std::uint32_t(r[27] & 0x0F) << 16) | (r[28] << 8) | r[29];
    EXPECT_EQ(w, 6u * (41u * 128u + 5200u % 128u));
    EXPECT_EQ(r[27] & 0xF0, 0xA0);
    storeControllerValue(p, p.controller, 127, r);
    storeControllerValue(p, p.secondController, 127, r);
    EXPECT_EQ(recordValue(p, r), 3150);
}

// Any other controller rewrites its parameter's bytes whole: no bit above a narrow field stays.
TEST(ToneMap, AControllerRewritesItsParametersBytesWhole) {
    struct Case {
        const char* member;
        int value;
        std::vector<std::pair<std::size_t, std::uint8_t>> bytes;
    } cases[] = {
        {"Distortion", 127, {{0, 0x01}}},
        {"CabSel", 3, {{44, 0x03}}},
        {"ChDepth", 127, {{50, 0x01}, {51, 0x39}}}, // 313
    };
    for (const auto& c : cases) {
        PatchRecord r;
        r.fill(0xA5);
        storeRecordField("EffectSel", 0, r); // a chorus
        storeControllerValue(param(c.member), param(c.member).controller, c.value, r);
        for (auto [k, b] : c.bytes)
            EXPECT_EQ(r[k], b) << c.member << " byte " << k;
    }
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

// What a control shows for a value, from a dump and from the device's own controller: a switch
// is on from 64, a reversed slider turns its value round, and what does more than move a
// control (the amp model, the effect, the rotary depth outside the rotary, tap tempo) moves none.
TEST(ToneMap, ControlsShowTheValuesTheDeviceSends) {
    EXPECT_EQ(controlStateForValue(param("Drive"), 100), 27);
    EXPECT_EQ(controlStateForValue(param("Distortion"), 63), 0);
    EXPECT_EQ(controlStateForValue(param("Distortion"), 64), 1);
    EXPECT_EQ(controlStateForValue(param("DelayTime"), 1250), 1250);
    EXPECT_EQ(controlStateForValue(param("CabSel"), 7), 7);

    EXPECT_EQ(receivedControlState(param("Drive"), 100), 27);
    EXPECT_EQ(receivedControlState(param("Distortion"), 64), 1);
    EXPECT_EQ(receivedControlState(param("CRatio"), 44), 2);
    EXPECT_EQ(receivedControlState(param("ReverbType"), 64), 1);
    EXPECT_EQ(receivedControlState(param("CabSel"), 9), 9);
    for (std::string_view member : {"AmpModel", "EffectSel", "RotaryDepth"})
        EXPECT_EQ(receivedControlState(param(member), 10), std::nullopt) << member;
    EXPECT_EQ(receivedControlState(*findController(kTapTempoController), 127), std::nullopt);
}

// A state as the user reads it: the value sent, whichever way the slider runs.
TEST(ToneMap, StatesReadInTheDevicesTerms) {
    const struct {
        const char* member;
        int state;
        const char* value;
    } cases[] = {
        {"Bass", 0, "127"}, // reversed: the top end sends 127
        {"Bass", 127, "0"},
        {"Drive", 27, "100"},
        {"GateThreshold", 0, "0"}, // direct, vertical
        {"GateThreshold", 127, "127"},
        {"Air", 64, "64"},        // direct, horizontal
        {"DelayTime", 0, "0 ms"}, // milliseconds, not the 14-bit value
        {"DelayTime", 1250, "1250 ms"},
        {"DelayTime", 3150, "3150 ms"},
        {"Bright", 0, "Off"},
        {"Bright", 1, "On"},
        {"AmpModel", 0, "Tube Preamp"}, // an indexed list
        {"AmpModel", 31, "POD Insane"},
        {"AmpModel", -1, "(none)"}, // before the first patch arrives
        {"CabSel", 15, "No Cab"},
        {"EffectSel", 0, "Bypass"}, // a mapped list: the entry, not its code
        {"EffectSel", 15, "Delay/Swell"},
        {"EffectSel", 16, "(none)"},
        {"CRatio", 5, "infinity:1"},
        {"RotarySpeed", 1, "Fast"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(valueText(param(c.member), c.state), c.value) << c.member << " " << c.state;
    EXPECT_EQ(labelledValueText(param("Bass"), 0), "Bass: 127");
    // Named as the panel labels the control: without the colon, without its window.
    EXPECT_EQ(labelledValueText(param("DelayTime"), 1250), "Delay Time: 1250 ms");
    EXPECT_EQ(labelledValueText(param("AmpModel"), 12), "Amp Model: Brit Hi Gain");
    EXPECT_EQ(labelledValueText(param("ChVol"), 64), "Volume: 63");
    EXPECT_EQ(labelledValueText(param("ChDepth"), 64), "Depth: 63");
    EXPECT_EQ(labelledValueText(param("PresBoost"), 1), "Presence: On");
}

// Every list can name its entries: a list row without them would read "(none)" whatever is chosen.
TEST(ToneMap, EveryListNamesItsEntries) {
    for (const auto& p : toneMap()) {
        if (p.kind == ControlKind::IndexedList || p.kind == ControlKind::MappedList) {
            EXPECT_NE(valueText(p, 0), "(none)") << p.member;
        }
    }
}
