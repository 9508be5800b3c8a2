// One name for each control: the label beside it on the panel, and where controls are listed
// apart from their windows, that label after its effect window's name.
#include "patch/PatchText.h"
#include "tone/PanelLayout.h"
#include "tone/ToneLists.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>

using namespace amplix;

namespace {

// Every control of the tone map: the label the user reads beside it, and its listed name.
const std::map<std::string_view, std::pair<std::string_view, std::string_view>> kNames = {
    {"AmpModel", {"Amp Model", "Amp Model"}},
    {"Drive", {"Drive", "Drive"}},
    {"Drive2", {"Drive2", "Drive2"}},
    {"Bass", {"Bass", "Bass"}},
    {"Mid", {"Middle", "Middle"}},
    {"Treble", {"Treble", "Treble"}},
    {"Presence", {"Presence", "Presence (slider)"}},
    {"ChVol", {"Volume", "Volume"}},
    {"Distortion", {"Distortion", "Distortion"}},
    {"DriveBoost", {"Vol Boost", "Vol Boost"}},
    {"PresBoost", {"Presence", "Presence (check box)"}},
    {"Bright", {"Bright", "Bright"}},
    {"CabSel", {"Cabinet Type", "Cabinet Type"}},
    {"Air", {"AIR Level", "AIR Level"}},
    {"EffectSel", {"Effects", "Effects"}},
    {"TremChor", {"Trem/Chorus", "Trem/Chorus"}},
    {"VolLevel", {"Vol", "Pedals > Vol"}},
    {"VolMin", {"Min", "Pedals > Min"}},
    {"VolPosition", {"Volume Pedal Location", "Pedals > Volume Pedal Location"}},
    {"WahLevel", {"Wah", "Pedals > Wah (slider)"}},
    {"WahTop", {"Top", "Pedals > Top"}},
    {"WahBottom", {"Bottom", "Pedals > Bottom"}},
    {"Wah", {"Wah", "Pedals > Wah (check box)"}},
    {"GateThreshold", {"Threshold", "Noise Gate > Threshold"}},
    {"GateDecayTime", {"Decay", "Noise Gate > Decay"}},
    {"NoiseGate", {"Noise Gate", "Noise Gate > Noise Gate"}},
    {"ReverbLevel", {"Reverb", "Reverb > Reverb (slider)"}},
    {"ReverbTone", {"Tone", "Reverb > Tone"}},
    {"ReverbDecay", {"Decay", "Reverb > Decay"}},
    {"ReverbDiffusion", {"Diff", "Reverb > Diff"}},
    {"ReverbDensity", {"Dens", "Reverb > Dens"}},
    {"ReverbType", {"Reverb Type", "Reverb > Reverb Type"}},
    {"Reverb", {"Reverb", "Reverb > Reverb (check box)"}},
    {"DelayTime", {"Delay Time", "Delay > Delay Time"}},
    {"DelayFeedback", {"Delay Feedback", "Delay > Delay Feedback"}},
    {"DelayLevel", {"Level", "Delay > Level"}},
    {"Delay", {"Delay", "Delay > Delay"}},
    {"CRatio", {"Compression Ratio", "Compressor > Compression Ratio"}},
    {"Swell", {"Swell Attack Speed", "Volume Swell > Swell Attack Speed"}},
    {"TremSpeed", {"Speed", "Tremolo > Speed"}},
    {"TremDepth", {"Depth", "Tremolo > Depth"}},
    {"RotaryMax", {"Fast", "Rotary > Fast"}},
    {"RotaryMin", {"Slow", "Rotary > Slow"}},
    {"RotaryDepth", {"Depth", "Rotary > Depth"}},
    {"RotarySpeed", {"Speed", "Rotary > Speed"}},
    {"ChSpeed", {"Speed", "Chorus > Speed"}},
    {"ChDepth", {"Depth", "Chorus > Depth"}},
    {"ChFeedback", {"Feedback", "Chorus > Feedback"}},
    {"ChPreDelay", {"Delay", "Chorus > Delay"}},
};

// A patch whose effect uses the layout, so that its bytes 48 to 54 are the row's.
PatchRecord usingLayout(EffectLayout layout) {
    PatchRecord record{};
    storeRecordField("AmpModel", kPodLayerAmpModel, record); // the second drive in use
    for (const EffectRow& effect : effectTable())
        if (layout == EffectLayout::Any || layoutForEffectCode(effect.code) == layout) {
            storeRecordField("EffectSel", effect.code, record);
            break;
        }
    return record;
}

} // namespace

TEST(ControlNames, EveryControlIsNamedByItsLabelAndListedUnderItsWindow) {
    std::size_t controls = 0;
    for (const ToneParameter& p : toneMap()) {
        if (p.kind == ControlKind::None) {
            EXPECT_EQ(controlLabel(p.member), "");
            EXPECT_EQ(controlName(p.member), "");
            continue;
        }
        ++controls;
        const auto found = kNames.find(p.member);
        ASSERT_NE(found, kNames.end()) << p.member;
        EXPECT_EQ(controlLabel(p.member), found->second.first) << p.member;
        EXPECT_EQ(controlName(p.member), found->second.second) << p.member;
    }
    EXPECT_EQ(controls, kNames.size());
}

// A label's words before its colon; nothing for what is not a control.
TEST(ControlNames, ALabelNamesByItsWordsBeforeAColon) {
    const struct {
        std::string_view text, name;
    } labels[] = {
        {"Cabinet Type:", "Cabinet Type"},
        {"Amp Model: (UnLinked)", "Amp Model"},
        {"Drive2", "Drive2"},
        {"Patch Name:", "Patch Name"},
        {":", ""},
        {"", ""},
    };
    for (const auto& l : labels)
        EXPECT_EQ(labelName(l.text), l.name) << l.text;
    for (std::string_view none : {"", "StaticDrive", "drive", "Tap", "name"}) {
        EXPECT_EQ(controlLabel(none), "") << none;
        EXPECT_EQ(controlName(none), "") << none;
    }
}

// A list of controls from all windows tells each apart: no name twice, nothing read as markup.
TEST(ControlNames, ListedNamesAreUniqueAndPlain) {
    std::set<std::string> seen;
    for (const ToneParameter& p : toneMap()) {
        if (p.kind == ControlKind::None)
            continue;
        const std::string name = controlName(p.member);
        EXPECT_TRUE(seen.insert(name).second) << p.member << ": \"" << name << "\" again";
        EXPECT_EQ(name.find_first_of("<&\t\n"), std::string::npos) << p.member;
    }
    EXPECT_EQ(namedValueText(*findParameter("RotarySpeed"), 1), "Rotary > Speed: Fast");
    EXPECT_EQ(namedValueText(*findParameter("CabSel"), 15), "Cabinet Type: No Cab");
    EXPECT_EQ(namedValueText(*findParameter("ChDepth"), 0), "Chorus > Depth: 127");
}

// Each setting alone changed: the compare list and the diff name it as the panel does.
TEST(ControlNames, ACompareNamesEachSettingAsItsControl) {
    for (const ToneParameter& p : toneMap()) {
        if (p.record == RecordRule::None || p.member == "EffectSel")
            continue;
        const PatchRecord a = usingLayout(p.layout);
        PatchRecord b = a;
        storeRecordField(p, (std::int64_t(1) << recordFieldBits(p.record)) - 1, b);
        const auto compared = comparePatches(a, b);
        ASSERT_EQ(compared.size(), 1u) << p.member;
        EXPECT_EQ(compared[0].control, controlName(p.member)) << p.member;
        const auto lines = differences(shownPatch(buildSingleDump(a)), shownPatch(buildSingleDump(b)));
        ASSERT_EQ(lines.size(), 1u) << p.member;
        EXPECT_EQ(lines[0].substr(0, lines[0].find('\t')), controlName(p.member)) << p.member;
    }
    PatchRecord a{}, b{};
    storeRecordField("EffectSel", effectCodeNamed("Rotary"), b);
    EXPECT_EQ(comparePatches(a, b).front(), (PatchDifference{"Effects", "Chorus 2", "Rotary"}));
    auto dump = buildSingleDump(b);
    writeDumpName(dump, "Lead");
    EXPECT_EQ(comparePatches(b, readRecord(dump, kDumpDataOffset)).front().control, "Patch Name");
}

// The second drive counts only where a patch plays the amp model that has it.
TEST(ControlNames, TheSecondDriveIsListedOnlyWithPodLayer) {
    constexpr int kBritHiGain = 12;
    const struct {
        int ampA, ampB;
        bool listed;
    } cases[] = {
        {kBritHiGain, kBritHiGain, false},
        {0, kBritHiGain, false},
        {kPodLayerAmpModel, kBritHiGain, true},
        {kBritHiGain, kPodLayerAmpModel, true},
        {kPodLayerAmpModel, kPodLayerAmpModel, true},
        {kPodLayerAmpModel + 1, kPodLayerAmpModel - 1, false},
    };
    for (const auto& c : cases) {
        PatchRecord a{}, b{};
        storeRecordField("AmpModel", c.ampA, a);
        storeRecordField("AmpModel", c.ampB, b);
        storeRecordField("Drive2", 10, a);
        storeRecordField("Drive2", 50, b);
        std::set<std::string> names;
        for (const PatchDifference& d : comparePatches(a, b))
            names.insert(d.control);
        EXPECT_EQ(names.contains("Drive2"), c.listed) << c.ampA << " " << c.ampB;
        EXPECT_EQ(names.contains("Amp Model"), c.ampA != c.ampB) << c.ampA << " " << c.ampB;
        const auto lines = differences(shownPatch(buildSingleDump(a)), shownPatch(buildSingleDump(b)));
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                                [](const std::string& l) { return l.starts_with("Drive2\t"); }),
                  c.listed ? 1 : 0)
            << c.ampA << " " << c.ampB;
    }
}
