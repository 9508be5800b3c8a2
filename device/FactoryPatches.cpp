// Generates the simulator's 36 initial patches from one row of tone settings each.
#include "device/FactoryPatches.h"

#include "tone/ToneMap.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace amplix {
namespace {

constexpr std::uint8_t kOn = 1;
constexpr std::uint8_t kKnobMax = 63;

// Delay time of the patches whose effect has no delay: the device keeps one all the same.
constexpr int kIdleDelayMs = 350;

// Effect settings on the editor's 0..127 controller scale.
constexpr int kChorusFeedbackNeutral = 64;
constexpr int kFlangerFeedback = 100;
constexpr int kChorusPreDelay = 64;
constexpr int kFlangerPreDelay = 8;
constexpr int kRotaryFastDivisor = 4; // "Fast" at a quarter of "Slow", never above it
constexpr int kDefaultRotaryDepth = 80;
constexpr int kSwitchedOn = 127;

enum EffectCode : std::uint8_t {
    kChorus2 = 0,
    kFlanger1 = 1,
    kRotary = 2,
    kFlanger2 = 3,
    kDelayChorus1 = 4,
    kDelayTremolo = 5,
    kDelayOnly = 6,
    kDelayCompressor = 7,
    kChorus1 = 8,
    kTremolo = 9,
    kBypass = 10,
    kCompressor = 11,
    kDelayChorus2 = 12,
    kDelayFlanger1 = 13,
    kDelaySwell = 14,
    kDelayFlanger2 = 15,
};

enum Flag : unsigned {
    kDist = 1 << 0,
    kBoost = 1 << 1,
    kPres = 1 << 2,
    kBright = 1 << 3,
    kGate = 1 << 4,
    kRoom = 1 << 5,    // room reverb rather than spring
    kFast = 1 << 6,    // rotary starts fast
    kVolPost = 1 << 7, // volume pedal after the drive
};

// One tone. Knobs are 0..63; rate and depth are 0..127 on the editor's scale (for the
// compressor, depth is the ratio index 0..5); reverb 0 means reverb off; delayMs 0 means no
// delay in the effect.
struct Tone {
    std::string_view name;
    std::uint8_t amp, cabinet, effect;
    std::uint8_t drive, bass, middle, treble, presence, volume, air, reverb;
    std::uint16_t delayMs;
    std::uint8_t feedback, echo, rate, depth;
    unsigned flags;
};

// clang-format off
constexpr Tone kTones[kPatchLocations] = {
    // name              amp cab effect          drv bas mid tre prs vol air rev  dlyMs fb ech rate dep flags
    {"Clean Sparkle",     1,  5, kChorus2,        12, 30, 28, 42, 36, 40, 20, 24,    0,  0,  0,  20, 70, kBright},
    {"Jazz Box",         16,  3, kBypass,          8, 38, 34, 22, 18, 42, 16, 18,    0,  0,  0,   0,  0, kRoom},
    {"Glassy Twin",       7,  5, kTremolo,        14, 28, 26, 44, 40, 40, 22, 28,    0,  0,  0,  70, 80, kBright},
    {"Warm Tweed",        6,  1, kBypass,         22, 34, 36, 30, 28, 38, 18, 20,    0,  0,  0,   0,  0, 0},
    {"Brit Chime",        9,  6, kChorus1,        24, 26, 34, 40, 38, 38, 24, 22,    0,  0,  0,  12, 50, kBright | kRoom},
    {"Slapback Tweed",    5,  0, kDelayOnly,      30, 32, 38, 34, 30, 40, 14, 16,  110,  4, 30,   0,  0, 0},
    {"Blues Bite",       30,  9, kDelayTremolo,   34, 30, 40, 36, 32, 38, 20, 18,  320, 12, 20,  60, 60, kVolPost},
    {"Boutique Edge",    17,  7, kCompressor,     28, 30, 36, 38, 34, 38, 22, 20,    0,  0,  0,   0,  2, kRoom},
    {"Brit Crunch",      11, 12, kDelayOnly,      40, 34, 40, 38, 36, 36, 18, 16,  280, 10, 18,   0,  0, kDist},
    {"Cali Crunch",      24, 11, kDelayChorus1,   38, 32, 36, 40, 38, 36, 20, 18,  360, 14, 20,  16, 60, kDist | kRoom},
    {"Rhythm Chug",       2, 14, kBypass,         42, 40, 30, 36, 34, 36, 12, 10,    0,  0,  0,   0,  0, kDist | kGate},
    {"Country Twang",    28,  3, kDelayCompressor,16, 26, 30, 46, 42, 40, 22, 20,  140,  6, 26,   0,  3, kBright},
    {"Singing Lead",     12, 11, kDelayOnly,      50, 34, 42, 38, 36, 40, 18, 22,  420, 22, 24,   0,  0, kDist | kBoost | kRoom},
    {"Liquid Lead",      18,  8, kDelayChorus2,   46, 32, 44, 36, 34, 40, 20, 24,  480, 20, 22,  10, 40, kBoost | kRoom},
    {"Screaming Solo",   14, 14, kDelayFlanger1,  56, 36, 38, 42, 40, 40, 16, 20,  390, 18, 20,   8, 90, kDist | kBoost | kGate},
    {"Vintage Lead",     10, 13, kDelaySwell,     44, 30, 42, 36, 32, 40, 20, 22,  450, 16, 22,  40,  0, kBoost},
    {"Heavy Riff",       13, 11, kBypass,         52, 40, 18, 40, 38, 36, 12, 12,    0,  0,  0,   0,  0, kDist | kGate},
    {"Modern Metal",     27, 14, kBypass,         58, 42, 16, 42, 44, 36, 10, 10,    0,  0,  0,   0,  0, kDist | kGate | kPres},
    {"Sludge Tone",      26, 11, kDelayOnly,      60, 46, 24, 30, 28, 36, 14, 14,  600, 10, 12,   0,  0, kDist | kGate},
    {"Insane Gain",      31, 14, kBypass,         63, 38, 22, 38, 36, 34, 10, 10,    0,  0,  0,   0,  0, kDist | kBoost | kGate},
    {"Spinning Organ",    1,  3, kRotary,         18, 34, 36, 32, 28, 40, 24, 20,    0,  0,  0, 105, 90, kFast | kRoom},
    {"Jet Flanger",       3,  8, kFlanger1,       40, 32, 34, 40, 36, 38, 16, 18,    0,  0,  0,   6,110, kDist},
    {"Deep Chorus",       8,  5, kChorus2,        20, 32, 30, 38, 34, 40, 22, 26,    0,  0,  0,  14,110, kRoom},
    {"Surf Tremolo",     22,  5, kTremolo,        16, 30, 28, 42, 38, 40, 20, 40,    0,  0,  0,  90,100, kBright},
    {"Ambient Swell",    25,  8, kDelaySwell,     18, 30, 32, 36, 32, 40, 28, 36,  520, 28, 26,  80,  0, kRoom},
    {"Long Echo",        23,  7, kDelayOnly,      26, 32, 34, 36, 32, 40, 24, 24,  900, 30, 24,   0,  0, kRoom},
    {"Dotted Echo",      19,  6, kDelayChorus1,   28, 30, 36, 38, 34, 38, 22, 22,  375, 20, 22,  18, 50, kBright},
    {"Space Flange",     20,  6, kDelayFlanger2,  30, 30, 32, 40, 36, 38, 26, 28,  660, 24, 20,   4,100, kRoom},
    {"Vintage Fuzz",     15,  2, kBypass,         54, 36, 30, 34, 30, 36, 14, 12,    0,  0,  0,   0,  0, kDist},
    {"Layered Drive",     4,  8, kDelayOnly,      36, 34, 38, 36, 34, 38, 18, 16,  300, 10, 16,   0,  0, kDist},
    {"Garage Rock",      21,  1, kBypass,         44, 34, 38, 40, 36, 38, 16, 14,    0,  0,  0,   0,  0, kDist | kBright},
    {"Funky Squash",     16,  3, kCompressor,     10, 28, 32, 44, 40, 40, 18, 14,    0,  0,  0,   0,  4, kBright},
    {"Studio Direct",     0, 15, kCompressor,     20, 32, 32, 32, 32, 40,  0,  0,    0,  0,  0,   0,  1, 0},
    {"Crunch Tremolo",   29, 12, kDelayTremolo,   38, 32, 36, 38, 34, 38, 18, 16,  250,  8, 18,  50, 70, kDist},
    {"Slow Rotary",       7,  5, kRotary,         20, 30, 32, 36, 32, 40, 20, 18,    0,  0,  0,  60, 70, kRoom},
    {"Clean Slate",       1,  8, kBypass,         32, 32, 32, 32, 32, 40, 32,  0,    0,  0,  0,   0,  0, 0},
};
// clang-format on

bool isFlanger(std::uint8_t effect) {
    return effect == kFlanger1 || effect == kFlanger2 || effect == kDelayFlanger1 || effect == kDelayFlanger2;
}

// Writes a value on the controller scale the way the device stores that controller. Effect
// parameters need the effect code in place first.
void store(PatchRecord& patch, std::string_view member, int value) {
    const ToneParameter& parameter = *findParameter(member);
    storeControllerValue(parameter, parameter.controller, value, patch);
}

// The delay time as the delay slider sends it, both halves.
void storeDelayTime(PatchRecord& patch, int ms) {
    const ToneParameter& parameter = *findParameter("DelayTime");
    for (auto [controller, value] : controllerMessages(parameter, ms))
        storeControllerValue(parameter, controller, value, patch);
}

void setEffectParameters(PatchRecord& patch, const Tone& tone) {
    switch (layoutForEffectCode(tone.effect)) {
    case EffectLayout::Chorus: {
        const bool flanger = isFlanger(tone.effect);
        store(patch, "ChSpeed", tone.rate);
        store(patch, "ChDepth", tone.depth);
        store(patch, "ChFeedback", flanger ? kFlangerFeedback : kChorusFeedbackNeutral);
        store(patch, "ChPreDelay", flanger ? kFlangerPreDelay : kChorusPreDelay);
        break;
    }
    case EffectLayout::Rotary:
        // "Fast" never above "Slow", as the rotary window keeps them.
        store(patch, "RotarySpeed", (tone.flags & kFast) ? kSwitchedOn : 0);
        store(patch, "RotaryMax", tone.rate / kRotaryFastDivisor);
        store(patch, "RotaryMin", tone.rate);
        break;
    case EffectLayout::Tremolo:
        store(patch, "TremSpeed", tone.rate);
        store(patch, "TremDepth", tone.depth);
        break;
    case EffectLayout::Compressor:
        store(patch, "CRatio",
              kCompressionRatioValues[std::min<std::size_t>(tone.depth, kCompressionRatioValues.size() - 1)]);
        break;
    case EffectLayout::Swell:
        store(patch, "Swell", tone.rate);
        break;
    case EffectLayout::Any:
    case EffectLayout::None: // delay alone and bypass use none of bytes 48 to 54
        break;
    }
}

PatchRecord makePatch(const Tone& tone) {
    const EffectRow& effect = *effectForCode(tone.effect);
    PatchRecord patch{};
    storeRecordField("Distortion", (tone.flags & kDist) ? kOn : 0, patch);
    storeRecordField("DriveBoost", (tone.flags & kBoost) ? kOn : 0, patch);
    storeRecordField("PresBoost", (tone.flags & kPres) ? kOn : 0, patch);
    // The delay and modulation switches as the panel presets them for the effect.
    storeRecordField("Delay", effect.delay ? kOn : 0, patch);
    storeRecordField("TremChor", effect.tremChor ? kOn : 0, patch);
    storeRecordField("Reverb", tone.reverb > 0 ? kOn : 0, patch);
    storeRecordField("NoiseGate", (tone.flags & kGate) ? kOn : 0, patch);
    storeRecordField("Bright", (tone.flags & kBright) ? kOn : 0, patch);

    storeRecordField("AmpModel", tone.amp, patch);
    storeRecordField("Drive", tone.drive, patch);
    // The second drive only sounds on the layered amp model; elsewhere it just rides along.
    storeRecordField("Drive2", std::min<std::uint8_t>(kKnobMax, tone.drive + 16), patch);
    storeRecordField("Bass", tone.bass, patch);
    storeRecordField("Mid", tone.middle, patch);
    storeRecordField("Treble", tone.treble, patch);
    storeRecordField("Presence", tone.presence, patch);
    storeRecordField("ChVol", tone.volume, patch);

    // Higher gain wants the gate to close earlier.
    storeRecordField("GateThreshold", std::uint8_t(16 + tone.drive / 2), patch);
    storeRecordField("GateDecayTime", 24, patch);
    storeRecordField("WahLevel", 96, patch);
    storeRecordField("WahBottom", 16, patch);
    storeRecordField("WahTop", 104, patch);
    storeRecordField("VolLevel", 127, patch);
    storeRecordField("VolMin", 0, patch);
    storeRecordField("VolPosition", (tone.flags & kVolPost) ? kOn : 0, patch);

    storeDelayTime(patch, effect.delay ? tone.delayMs : kIdleDelayMs);
    storeRecordField("DelayFeedback", effect.delay ? tone.feedback : 8, patch);
    storeRecordField("DelayLevel", effect.delay ? tone.echo : 16, patch);

    storeRecordField("ReverbType", (tone.flags & kRoom) ? kOn : 0, patch);
    storeRecordField("ReverbDecay", (tone.flags & kRoom) ? 28 : 40, patch);
    storeRecordField("ReverbTone", 36, patch);
    storeRecordField("ReverbDiffusion", 40, patch);
    storeRecordField("ReverbDensity", 44, patch);
    storeRecordField("ReverbLevel", tone.reverb, patch);

    storeRecordField("CabSel", tone.cabinet, patch);
    storeRecordField("Air", tone.air, patch);
    storeRecordField("EffectSel", tone.effect, patch);
    store(patch, "RotaryDepth", tone.effect == kRotary ? tone.depth : kDefaultRotaryDepth);
    setEffectParameters(patch, tone);

    std::fill(patch.begin() + kNameOffset, patch.end(), std::uint8_t(' '));
    std::copy_n(tone.name.begin(), std::min(tone.name.size(), kNameLength), patch.begin() + kNameOffset);
    return patch;
}

std::array<PatchRecord, kPatchLocations> makeFactoryPatches() {
    std::array<PatchRecord, kPatchLocations> patches{};
    for (std::size_t n = 0; n < kPatchLocations; ++n)
        patches[n] = makePatch(kTones[n]);
    return patches;
}

} // namespace

const std::array<PatchRecord, kPatchLocations>& factoryPatches() {
    static const std::array<PatchRecord, kPatchLocations> patches = makeFactoryPatches();
    return patches;
}

} // namespace amplix
