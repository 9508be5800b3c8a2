// Generates the simulator's 36 initial patches from one row of tone settings each.
#include "device/FactoryPatches.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace amplix {
namespace {

// Record byte positions written here. The generator only writes records; reading them is the
// decoder's business.
constexpr std::size_t kDistortionOn = 0;
constexpr std::size_t kBoostOn = 1;
constexpr std::size_t kPresenceOn = 2;
constexpr std::size_t kDelayOn = 3;
constexpr std::size_t kEffectOn = 4;
constexpr std::size_t kReverbOn = 5;
constexpr std::size_t kGateOn = 6;
constexpr std::size_t kBrightOn = 7;
constexpr std::size_t kAmpModel = 8;
constexpr std::size_t kDrive = 9;
constexpr std::size_t kDrive2 = 10;
constexpr std::size_t kBass = 11;
constexpr std::size_t kMiddle = 12;
constexpr std::size_t kTreble = 13;
constexpr std::size_t kPresence = 14;
constexpr std::size_t kChannelVolume = 15;
constexpr std::size_t kGateThreshold = 16;
constexpr std::size_t kGateDecay = 17;
constexpr std::size_t kWahLevel = 18;
constexpr std::size_t kWahBottom = 19;
constexpr std::size_t kWahTop = 20;
constexpr std::size_t kVolumeLevel = 22;
constexpr std::size_t kVolumeMinimum = 23;
constexpr std::size_t kVolumeLocation = 24;
constexpr std::size_t kDelayTimeBits16 = 27; // low nibble: bits 16 to 19
constexpr std::size_t kDelayTimeBits8 = 28;
constexpr std::size_t kDelayTimeBits0 = 29;
constexpr std::size_t kDelayFeedback = 34;
constexpr std::size_t kDelayLevel = 36;
constexpr std::size_t kReverbType = 38;
constexpr std::size_t kReverbDecay = 39;
constexpr std::size_t kReverbTone = 40;
constexpr std::size_t kReverbDiffusion = 41;
constexpr std::size_t kReverbDensity = 42;
constexpr std::size_t kReverbLevel = 43;
constexpr std::size_t kCabinet = 44;
constexpr std::size_t kAir = 45;
constexpr std::size_t kEffect = 46;
constexpr std::size_t kRotaryDepth = 47;
constexpr std::size_t kEffect0 = 48; // bytes 48 to 54, laid out by the effect code
constexpr std::size_t kEffect1 = 49;
constexpr std::size_t kEffect2 = 50;
constexpr std::size_t kEffect3 = 51;
constexpr std::size_t kEffect4 = 52;
constexpr std::size_t kEffect5 = 53;

constexpr std::uint8_t kOn = 1;
constexpr std::uint8_t kKnobMax = 63;
constexpr std::uint8_t kCompressorRatioMax = 5;

// Delay time: 6 device units per step of 0.1923 ms, at most 98284 units (3150 ms).
constexpr std::uint32_t kDelayUnitsPerStep = 6;
constexpr double kDelayMsPerStep = 0.1923;
constexpr std::uint32_t kDelayUnitsMax = 98284;
constexpr unsigned kIdleDelayMs = 350; // kept in patches whose delay is off

// Effect parameter words, chosen so that the editor's controls land on the 0..127 scale:
// chorus speed = S / 50, depth = D * 104 / 256, pre-delay = P * 42 / 256; rotary rate =
// (R - 100) / 22; tremolo speed = T / 25.
constexpr std::uint32_t kChorusSpeedPerStep = 50;
constexpr std::uint32_t kChorusDepthScale = 104;
constexpr std::uint32_t kChorusPreDelayScale = 42;
constexpr std::uint32_t kWordScale = 256;
constexpr std::uint32_t kRotaryRateBase = 100;
constexpr std::uint32_t kRotaryRatePerStep = 22;
constexpr std::uint32_t kTremoloSpeedPerStep = 25;
constexpr std::uint8_t kChorusFeedbackNeutral = 64;
constexpr std::uint8_t kFlangerFeedback = 100;
constexpr std::uint8_t kChorusPreDelaySteps = 64;
constexpr std::uint8_t kFlangerPreDelaySteps = 8;
constexpr std::uint8_t kDefaultRotaryDepth = 40;

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

bool hasDelay(std::uint8_t effect) {
    switch (effect) {
    case kDelayChorus1:
    case kDelayTremolo:
    case kDelayOnly:
    case kDelayCompressor:
    case kDelayChorus2:
    case kDelayFlanger1:
    case kDelaySwell:
    case kDelayFlanger2:
        return true;
    default:
        return false;
    }
}

bool isFlanger(std::uint8_t effect) {
    return effect == kFlanger1 || effect == kFlanger2 || effect == kDelayFlanger1 || effect == kDelayFlanger2;
}

void putWord(PatchRecord& patch, std::size_t at, std::uint32_t word) {
    patch[at] = std::uint8_t(word >> 8);
    patch[at + 1] = std::uint8_t(word & 0xFF);
}

void setDelayTime(PatchRecord& patch, unsigned milliseconds) {
    auto steps = std::uint32_t(std::lround(milliseconds / kDelayMsPerStep));
    std::uint32_t units = std::min(steps * kDelayUnitsPerStep, kDelayUnitsMax);
    patch[kDelayTimeBits16] = std::uint8_t((units >> 16) & 0x0F);
    patch[kDelayTimeBits8] = std::uint8_t((units >> 8) & 0xFF);
    patch[kDelayTimeBits0] = std::uint8_t(units & 0xFF);
}

void setEffectParameters(PatchRecord& patch, const Tone& tone) {
    switch (tone.effect) {
    case kChorus2:
    case kFlanger1:
    case kFlanger2:
    case kDelayChorus1:
    case kChorus1:
    case kDelayChorus2:
    case kDelayFlanger1:
    case kDelayFlanger2: {
        bool flanger = isFlanger(tone.effect);
        putWord(patch, kEffect0, tone.rate * kChorusSpeedPerStep);
        putWord(patch, kEffect2, tone.depth * kWordScale / kChorusDepthScale);
        patch[kEffect4] = flanger ? kFlangerFeedback : kChorusFeedbackNeutral;
        std::uint32_t preDelay = flanger ? kFlangerPreDelaySteps : kChorusPreDelaySteps;
        putWord(patch, kEffect5, preDelay * kWordScale / kChorusPreDelayScale);
        break;
    }
    case kRotary:
        patch[kEffect0] = (tone.flags & kFast) ? kOn : 0;
        putWord(patch, kEffect1, kRotaryRateBase + kRotaryRatePerStep * tone.rate);
        putWord(patch, kEffect3, kRotaryRateBase + kRotaryRatePerStep * (tone.rate / 4));
        break;
    case kDelayTremolo:
    case kTremolo:
        putWord(patch, kEffect0, tone.rate * kTremoloSpeedPerStep);
        patch[kEffect2] = tone.depth;
        break;
    case kDelayCompressor:
    case kCompressor:
        patch[kEffect0] = std::min(tone.depth, kCompressorRatioMax);
        break;
    case kDelaySwell:
        patch[kEffect0] = tone.rate / 2;
        break;
    default: // delay alone and bypass use none of bytes 48 to 54
        break;
    }
}

PatchRecord makePatch(const Tone& tone) {
    PatchRecord patch{};
    patch[kDistortionOn] = (tone.flags & kDist) ? kOn : 0;
    patch[kBoostOn] = (tone.flags & kBoost) ? kOn : 0;
    patch[kPresenceOn] = (tone.flags & kPres) ? kOn : 0;
    patch[kDelayOn] = hasDelay(tone.effect) ? kOn : 0;
    patch[kEffectOn] = (tone.effect != kBypass && tone.effect != kDelayOnly) ? kOn : 0;
    patch[kReverbOn] = tone.reverb > 0 ? kOn : 0;
    patch[kGateOn] = (tone.flags & kGate) ? kOn : 0;
    patch[kBrightOn] = (tone.flags & kBright) ? kOn : 0;

    patch[kAmpModel] = tone.amp;
    patch[kDrive] = tone.drive;
    // The second drive only sounds on the layered amp model; elsewhere it just rides along.
    patch[kDrive2] = std::min<std::uint8_t>(kKnobMax, tone.drive + 16);
    patch[kBass] = tone.bass;
    patch[kMiddle] = tone.middle;
    patch[kTreble] = tone.treble;
    patch[kPresence] = tone.presence;
    patch[kChannelVolume] = tone.volume;

    // Higher gain wants the gate to close earlier.
    patch[kGateThreshold] = std::uint8_t(16 + tone.drive / 2);
    patch[kGateDecay] = 24;
    patch[kWahLevel] = 96;
    patch[kWahBottom] = 16;
    patch[kWahTop] = 104;
    patch[kVolumeLevel] = 127;
    patch[kVolumeMinimum] = 0;
    patch[kVolumeLocation] = (tone.flags & kVolPost) ? kOn : 0;

    bool delay = hasDelay(tone.effect);
    setDelayTime(patch, delay ? tone.delayMs : kIdleDelayMs);
    patch[kDelayFeedback] = delay ? tone.feedback : 8;
    patch[kDelayLevel] = delay ? tone.echo : 16;

    patch[kReverbType] = (tone.flags & kRoom) ? kOn : 0;
    patch[kReverbDecay] = (tone.flags & kRoom) ? 28 : 40;
    patch[kReverbTone] = 36;
    patch[kReverbDiffusion] = 40;
    patch[kReverbDensity] = 44;
    patch[kReverbLevel] = tone.reverb;

    patch[kCabinet] = tone.cabinet;
    patch[kAir] = tone.air;
    patch[kEffect] = tone.effect;
    patch[kRotaryDepth] = tone.effect == kRotary ? std::uint8_t(tone.depth / 2) : kDefaultRotaryDepth;
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
