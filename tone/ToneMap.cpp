// The one table of device parameters, and the conversions every part of the editor reads from it.
#include "tone/ToneMap.h"

#include "tone/PanelLayout.h"
#include "tone/ToneLists.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace amplix {

namespace {

constexpr int kControllerOn = 127; // a switch turned on, as its controller says it
using W = ToneWindow;
using K = ControlKind;
using L = ListMap;
using Rx = ReceiveRule;
using X = ToneExtra;
using R = RecordRule;
using E = EffectLayout;
constexpr bool kFocus = true;
constexpr bool kNoFocus = false;
constexpr int kNoSelection = -1;

// clang-format off
constexpr ToneParameter kToneMap[] = {
//   CC  member             window      kind              list        receive          focus     extra              init  byte record             layout      2nd
    { 1, "RotaryDepth",     W::Rotary,  K::ReversedSlider, L::None,   Rx::RotaryDepth, kNoFocus, X::ChecksTremChor,  127, 47, R::Half,           E::Any,       0},
    { 4, "WahLevel",        W::Pedals,  K::ReversedSlider, L::None,   Rx::Reversed,    kNoFocus, X::ChecksWah,         0, 18, R::Full,           E::Any,       0},
    { 7, "VolLevel",        W::Pedals,  K::ReversedSlider, L::None,   Rx::Reversed,    kNoFocus, X::None,              0, 22, R::Full,           E::Any,       0},
    {12, "AmpModel",        W::Frame,   K::IndexedList,    L::None,   Rx::AmpModel,    kFocus,   X::None,   kNoSelection,  8, R::Index,          E::Any,       0},
    {13, "Drive",           W::Frame,   K::ReversedSlider, L::None,   Rx::Reversed,    kFocus,   X::PairedDrive2,     64,  9, R::Half,           E::Any,       0},
    {14, "Bass",            W::Frame,   K::ReversedSlider, L::None,   Rx::Reversed,    kFocus,   X::None,             64, 11, R::Half,           E::Any,       0},
    {15, "Mid",             W::Frame,   K::ReversedSlider, L::None,   Rx::Reversed,    kFocus,   X::None,             64, 12, R::Half,           E::Any,       0},
    {16, "Treble",          W::Frame,   K::ReversedSlider, L::None,   Rx::Reversed,    kFocus,   X::None,             64, 13, R::Half,           E::Any,       0},
    {17, "ChVol",           W::Frame,   K::ReversedSlider, L::None,   Rx::Reversed,    kFocus,   X::None,             64, 15, R::Half,           E::Any,       0},
    {18, "ReverbLevel",     W::Reverb,  K::ReversedSlider, L::None,   Rx::Reversed,    kFocus,   X::ChecksReverb,     63, 43, R::Half,           E::Any,       0},
    {19, "EffectSel",       W::Frame,   K::MappedList,     L::Effect, Rx::EffectType,  kFocus,   X::None,   kNoSelection, 46, R::EffectCode,     E::Any,       0},
    {20, "Drive2",          W::Frame,   K::ReversedSlider, L::None,   Rx::Reversed,    kNoFocus, X::None,             64, 10, R::Half,           E::Any,       0},
    {21, "Presence",        W::Frame,   K::ReversedSlider, L::None,   Rx::Reversed,    kFocus,   X::None,             64, 14, R::Half,           E::Any,       0},
    {22, "NoiseGate",       W::Gate,    K::Switch,         L::None,   Rx::Switch,      kNoFocus, X::None,              0,  6, R::Flag,           E::Any,       0},
    {23, "GateThreshold",   W::Gate,    K::DirectSlider,   L::None,   Rx::Ignored,     kNoFocus, X::None,            127, 16, R::GateThreshold,  E::Any,       0},
    {24, "GateDecayTime",   W::Gate,    K::ReversedSlider, L::None,   Rx::Reversed,    kNoFocus, X::None,            127, 17, R::Half,           E::Any,       0},
    {25, "Distortion",      W::Frame,   K::Switch,         L::None,   Rx::Switch,      kNoFocus, X::None,              0,  0, R::Flag,           E::Any,       0},
    {26, "DriveBoost",      W::Frame,   K::Switch,         L::None,   Rx::Switch,      kNoFocus, X::None,              0,  1, R::Flag,           E::Any,       0},
    {27, "PresBoost",       W::Frame,   K::Switch,         L::None,   Rx::Switch,      kNoFocus, X::None,              0,  2, R::Flag,           E::Any,       0},
    {28, "Delay",           W::Delay,   K::Switch,         L::None,   Rx::Switch,      kNoFocus, X::None,              0,  3, R::Flag,           E::Any,       0},
    {30, "DelayTime",       W::Delay,   K::DelayTime,      L::None,   Rx::Ignored,     kNoFocus, X::DelayTimeLabel,    0, 27, R::DelayTime,      E::Any,      62},
    {32, "DelayFeedback",   W::Delay,   K::DirectSlider,   L::None,   Rx::Direct,      kFocus,   X::None,              0, 34, R::Half,           E::Any,       0},
    {34, "DelayLevel",      W::Delay,   K::ReversedSlider, L::None,   Rx::Reversed,    kFocus,   X::None,            127, 36, R::Half,           E::Any,       0},
    {36, "Reverb",          W::Reverb,  K::Switch,         L::None,   Rx::Switch,      kNoFocus, X::None,              1,  5, R::Flag,           E::Any,       0},
    {37, "ReverbType",      W::Reverb,  K::MappedList,     L::TwoEntry, Rx::TwoEntry,  kNoFocus, X::None,   kNoSelection, 38, R::NibbleTwoEntry, E::Any,       0},
    {38, "ReverbDecay",     W::Reverb,  K::ReversedSlider, L::None,   Rx::Reversed,    kFocus,   X::None,             63, 39, R::Half,           E::Any,       0},
    {39, "ReverbTone",      W::Reverb,  K::ReversedSlider, L::None,   Rx::Reversed,    kNoFocus, X::None,             63, 40, R::Half,           E::Any,       0},
    {40, "ReverbDiffusion", W::Reverb,  K::ReversedSlider, L::None,   Rx::Reversed,    kNoFocus, X::None,             63, 41, R::Half,           E::Any,       0},
    {41, "ReverbDensity",   W::Reverb,  K::ReversedSlider, L::None,   Rx::Reversed,    kNoFocus, X::None,             63, 42, R::Half,           E::Any,       0},
    {42, "CRatio",          W::Compressor, K::MappedList,  L::CompressionRatio, Rx::RatioSteps, kNoFocus, X::None, kNoSelection, 48, R::RatioIndex, E::Compressor, 0},
    {43, "Wah",             W::Pedals,  K::Switch,         L::None,   Rx::Switch,      kNoFocus, X::None,              0, -1, R::None,           E::Any,       0},
    {44, "WahBottom",       W::Pedals,  K::ReversedSlider, L::None,   Rx::Reversed,    kNoFocus, X::None,            127, 19, R::Full,           E::Any,       0},
    {45, "WahTop",          W::Pedals,  K::ReversedSlider, L::None,   Rx::Reversed,    kNoFocus, X::None,              0, 20, R::Full,           E::Any,       0},
    {46, "VolMin",          W::Pedals,  K::ReversedSlider, L::None,   Rx::Reversed,    kNoFocus, X::None,            127, 23, R::Full,           E::Any,       0},
    {47, "VolPosition",     W::Pedals,  K::MappedList,     L::TwoEntry, Rx::TwoEntry,  kNoFocus, X::None,   kNoSelection, 24, R::NibbleTwoEntry, E::Any,       0},
    {49, "Swell",           W::Swell,   K::ReversedSlider, L::None,   Rx::Reversed,    kNoFocus, X::None,            127, 48, R::Half,           E::Swell,     0},
    {50, "TremChor",        W::Frame,   K::Switch,         L::None,   Rx::Switch,      kNoFocus, X::None,              0,  4, R::Flag,           E::Any,       0},
    {51, "ChSpeed",         W::Chorus,  K::DirectSlider,   L::None,   Rx::Direct,      kNoFocus, X::None,            127, 48, R::ChorusSpeed,    E::Chorus,    0},
    {52, "ChDepth",         W::Chorus,  K::ReversedSlider, L::None,   Rx::Reversed,    kNoFocus, X::None,            127, 50, R::ChorusDepth,    E::Chorus,    0},
    {53, "ChFeedback",      W::Chorus,  K::ReversedSlider, L::None,   Rx::Reversed,    kNoFocus, X::FeedbackLabel,   127, 52, R::Full,           E::Chorus,    0},
    {54, "ChPreDelay",      W::Chorus,  K::ReversedSlider, L::None,   Rx::Reversed,    kNoFocus, X::None,            127, 53, R::ChorusPreDelay, E::Chorus,    0},
    {55, "RotarySpeed",     W::Rotary,  K::MappedList,     L::TwoEntry, Rx::TwoEntry,  kNoFocus, X::None,   kNoSelection, 48, R::NibbleTwoEntry, E::Rotary,    0},
    {56, "RotaryMax",       W::Rotary,  K::DirectSlider,   L::None,   Rx::Direct,      kNoFocus, X::FastNotAboveSlow, 127, 49, R::RotaryRate,     E::Rotary,    0},
    {57, "RotaryMin",       W::Rotary,  K::DirectSlider,   L::None,   Rx::Direct,      kNoFocus, X::FastNotAboveSlow, 127, 51, R::RotaryRate,     E::Rotary,    0},
    {58, "TremSpeed",       W::Tremolo, K::DirectSlider,   L::None,   Rx::Direct,      kNoFocus, X::None,            127, 48, R::TremoloSpeed,   E::Tremolo,   0},
    {59, "TremDepth",       W::Tremolo, K::ReversedSlider, L::None,   Rx::Reversed,    kNoFocus, X::None,            127, 50, R::Full,           E::Tremolo,   0},
    {kTapTempoController, "", W::Frame,   K::None,           L::None,   Rx::TapTempo,    kNoFocus, X::None,              0, -1, R::None,           E::Any,       0},
    {71, "CabSel",          W::Frame,   K::IndexedList,    L::None,   Rx::Index,       kFocus,   X::None,   kNoSelection, 44, R::NibbleIndex,    E::Any,       0},
    {72, "Air",             W::Frame,   K::DirectSlider,   L::None,   Rx::Ignored,     kNoFocus, X::None,             64, 45, R::Half,           E::Any,       0},
    {73, "Bright",          W::Frame,   K::Switch,         L::None,   Rx::Ignored,     kNoFocus, X::None,              1,  7, R::Flag,           E::Any,       0},
};

// List index, effect code, Delay box, Trem/Chorus box, modulation-slot window.
constexpr EffectRow kEffects[] = {
    { 0, 10, false, false, W::Frame},
    { 1, 11, false, false, W::Compressor},
    { 2,  9, false, true,  W::Tremolo},
    { 3,  8, false, true,  W::Chorus},
    { 4,  0, false, true,  W::Chorus},
    { 5,  1, false, true,  W::Chorus},
    { 6,  3, false, true,  W::Chorus},
    { 7, kRotaryEffectCode, false, true, W::Rotary},
    { 8,  6, true,  false, W::Frame},
    { 9,  7, true,  false, W::Compressor},
    {10,  5, true,  true,  W::Tremolo},
    {11,  4, true,  true,  W::Chorus},
    {12, 12, true,  true,  W::Chorus},
    {13, 13, true,  true,  W::Chorus},
    {14, 15, true,  true,  W::Chorus},
    {15, 14, true,  false, W::Swell},
};
// clang-format on

// Compression-ratio steps: a received value below each bound selects that entry.
constexpr int kRatioBounds[] = {22, 44, 66, 88, 110};

constexpr int kGateThresholdScaleMilli = 1323;
constexpr double kDelayMsPerStep = 0.1923;
constexpr int kDelayRecordPerStep = 6;
constexpr int kDelayDeviceMax = 16383;
constexpr int kChorusSpeedStep = 50;
constexpr int kChorusDepthScale = 104;
constexpr int kChorusPreDelayScale = 42;
constexpr int kRotaryRateBase = 100;
constexpr int kRotaryRateStep = 22;
constexpr int kTremoloSpeedStep = 25;

constexpr int kBitsPerByte = 8;

// How many bytes p's field spans, and the i-th of them.
int fieldBytes(const ToneParameter& p) {
    return (recordFieldBits(p.record) + kBitsPerByte - 1) / kBitsPerByte;
}
std::size_t fieldByte(const ToneParameter& p, int i) {
    return std::size_t(p.recordByte + i);
}
std::uint32_t fieldMask(const ToneParameter& p) {
    return (std::uint32_t(1) << recordFieldBits(p.record)) - 1;
}

const ToneParameter& effectSelection() {
    static const ToneParameter& row = *findParameter("EffectSel");
    return row;
}

int ceilDiv(int a, int b) {
    return (a + b - 1) / b;
}
std::uint8_t clamp7(int v) {
    return std::uint8_t(std::clamp(v, 0, 127));
}

int gateThresholdValue(int b) {
    return 127 - (kGateThresholdScaleMilli * b) / 1000;
}

// The field a controller value sets, delay time aside.
int fieldForControllerValue(const ToneParameter& p, int value) {
    switch (p.record) {
    case R::None:
    case R::DelayTime:
        return 0;
    case R::Flag:
        return value >= 64 ? 1 : 0;
    case R::Index:
    case R::NibbleIndex:
    case R::EffectCode:
    case R::Full:
        return value;
    case R::RatioIndex:
        return ratioIndexForValue(value);
    case R::NibbleTwoEntry:
        return twoEntryIndexForValue(value);
    case R::Half:
        return value / 2;
    case R::GateThreshold: {
        // The byte whose threshold comes nearest the value sent.
        int best = 0;
        for (int b = 1; b <= 96; ++b)
            if (std::abs(gateThresholdValue(b) - value) < std::abs(gateThresholdValue(best) - value))
                best = b;
        return best;
    }
    case R::ChorusSpeed:
        return value * kChorusSpeedStep;
    case R::ChorusDepth:
        return ceilDiv(value * 256, kChorusDepthScale);
    case R::ChorusPreDelay:
        return ceilDiv(value * 256, kChorusPreDelayScale);
    case R::RotaryRate:
        return kRotaryRateBase + kRotaryRateStep * value;
    case R::TremoloSpeed:
        return kTremoloSpeedStep * value;
    }
    return 0;
}

} // namespace

std::span<const ToneParameter> toneMap() {
    return kToneMap;
}

const ToneParameter* findParameter(std::string_view member) {
    for (const auto& p : kToneMap)
        if (!member.empty() && p.member == member)
            return &p;
    return nullptr;
}

const ToneParameter* findController(std::uint8_t controller) {
    for (const auto& p : kToneMap)
        if (p.controller == controller || (p.secondController && p.secondController == controller))
            return &p;
    return nullptr;
}

std::vector<std::pair<std::uint8_t, std::uint8_t>> controllerMessages(const ToneParameter& p, int state) {
    switch (p.kind) {
    case K::ReversedSlider:
        return {{p.controller, clamp7(kSliderMax - state)}};
    case K::DirectSlider:
        return {{p.controller, clamp7(state)}};
    case K::Switch:
        return {{p.controller, std::uint8_t(state ? 127 : 0)}};
    case K::IndexedList:
        if (state < 0 || state > 127)
            return {};
        return {{p.controller, std::uint8_t(state)}};
    case K::MappedList:
        switch (p.list) {
        case L::Effect:
            if (const EffectRow* row = effectForIndex(state))
                return {{p.controller, row->code}};
            return {};
        case L::CompressionRatio:
            if (state < 0 || state >= int(kCompressionRatioValues.size()))
                return {};
            return {{p.controller, std::uint8_t(kCompressionRatioValues[std::size_t(state)])}};
        case L::TwoEntry:
            if (state < 0 || state > 1)
                return {};
            return {{p.controller, std::uint8_t(state ? 127 : 0)}};
        case L::None:
            return {};
        }
        return {};
    case K::DelayTime: {
        const int v = delayTimeDeviceValue(state);
        return {{p.controller, std::uint8_t((v >> 7) & 0x7F)}, {p.secondController, std::uint8_t(v & 0x7F)}};
    }
    case K::None:
        return {};
    }
    return {};
}

std::string valueText(const ToneParameter& p, int state) {
    switch (p.kind) {
    case K::ReversedSlider:
    case K::DirectSlider:
        return std::to_string(controllerMessages(p, state).front().second);
    case K::Switch:
        return controllerMessages(p, state).front().second ? "On" : "Off";
    case K::IndexedList:
    case K::MappedList: {
        const std::span<const std::string_view> entries = listEntries(p.member);
        if (state < 0 || state >= int(entries.size()))
            return "(none)";
        return std::string(entries[std::size_t(state)]);
    }
    case K::DelayTime: // the slider counts milliseconds
        return std::to_string(state) + " ms";
    case K::None:
        return {};
    }
    return {};
}

std::string labelledValueText(const ToneParameter& p, int state) {
    return std::string(controlLabel(p.member)) + ": " + valueText(p, state);
}

int positionForValue(const ToneParameter& p, int value) {
    switch (p.kind) {
    case K::ReversedSlider:
        return std::clamp(kSliderMax - value, 0, kSliderMax);
    case K::DirectSlider:
        return std::clamp(value, 0, kSliderMax);
    case K::DelayTime:
        return std::clamp(value, 0, kDelayTimeMaxMs);
    default:
        return value;
    }
}

int controlStateForValue(const ToneParameter& p, int value) {
    switch (p.kind) {
    case K::ReversedSlider:
    case K::DirectSlider:
    case K::DelayTime:
        return positionForValue(p, value);
    case K::Switch:
        return value >= 64 ? 1 : 0;
    default:
        return value;
    }
}

std::optional<int> receivedControlState(const ToneParameter& p, int v) {
    switch (p.receive) {
    case ReceiveRule::Reversed:
        return kSliderMax - v;
    case ReceiveRule::Direct:
    case ReceiveRule::Index:
        return v;
    case ReceiveRule::Switch:
        return v >= 64 ? 1 : 0;
    case ReceiveRule::TwoEntry:
        return twoEntryIndexForValue(v);
    case ReceiveRule::RatioSteps:
        return ratioIndexForValue(v);
    default:
        return std::nullopt;
    }
}

int delayTimeDeviceValue(int ms) {
    if (ms <= 0)
        return 0;
    return std::min((ms * 5201 - 1) / 1000, kDelayDeviceMax);
}

int delayTimeMsFromRecord(std::uint32_t recordValue) {
    const std::uint32_t steps = recordValue / kDelayRecordPerStep;
    const double t = steps * kDelayMsPerStep;
    int ms = int(t);
    if (t - ms > 0.5) // an exact half rounds down
        ++ms;
    return ms;
}

int ratioIndexForValue(int value) {
    int index = 0;
    while (index < int(std::size(kRatioBounds)) && value >= kRatioBounds[index])
        ++index;
    return index;
}

int recordField(const ToneParameter& p, const PatchRecord& r) {
    std::uint32_t v = 0;
    for (int i = 0; i < fieldBytes(p); ++i)
        v = (v << kBitsPerByte) | r[fieldByte(p, i)];
    return int(v & fieldMask(p));
}

int recordField(std::string_view member, const PatchRecord& r) {
    const ToneParameter* p = findParameter(member);
    return p ? recordField(*p, r) : 0;
}

void storeRecordField(const ToneParameter& p, std::int64_t value, PatchRecord& r) {
    std::uint32_t mask = fieldMask(p);
    auto v = std::uint32_t(value) & mask;
    // From the last byte, which holds the lowest bits, back to the first.
    for (int i = fieldBytes(p) - 1; i >= 0; --i, mask >>= kBitsPerByte, v >>= kBitsPerByte) {
        std::uint8_t& b = r[fieldByte(p, i)];
        b = std::uint8_t((b & ~mask) | v);
    }
}

void storeRecordField(std::string_view member, std::int64_t value, PatchRecord& r) {
    if (const ToneParameter* p = findParameter(member))
        storeRecordField(*p, value, r);
}

void storeDumpField(const ToneParameter& p, std::int64_t value, std::span<std::uint8_t> message,
                    std::size_t dataOffset) {
    PatchRecord r{};
    for (int i = 0; i < fieldBytes(p); ++i)
        r[fieldByte(p, i)] = readRecordByte(message, dataOffset, fieldByte(p, i));
    storeRecordField(p, value, r);
    for (int i = 0; i < fieldBytes(p); ++i)
        writeRecordByte(message, dataOffset, fieldByte(p, i), r[fieldByte(p, i)]);
}

int recordValue(const ToneParameter& p, const PatchRecord& r) {
    const int f = recordField(p, r);
    switch (p.record) {
    case R::None:
        return 0;
    case R::Flag:
        return f ? 127 : 0;
    case R::Index:
    case R::NibbleIndex:
    case R::EffectCode:
    case R::RatioIndex:
    case R::Full:
        return f;
    case R::NibbleTwoEntry:
        return f ? 1 : 0;
    case R::Half:
        return 2 * f;
    case R::GateThreshold:
        return gateThresholdValue(f);
    case R::DelayTime:
        return delayTimeMsFromRecord(std::uint32_t(f));
    case R::ChorusSpeed:
        return f / kChorusSpeedStep;
    case R::ChorusDepth:
        return f * kChorusDepthScale / 256;
    case R::ChorusPreDelay:
        return f * kChorusPreDelayScale / 256;
    case R::RotaryRate:
        return (f - kRotaryRateBase) / kRotaryRateStep;
    case R::TremoloSpeed:
        return f / kTremoloSpeedStep;
    }
    return 0;
}

void storeControllerValue(const ToneParameter& p, std::uint8_t controller, int value, PatchRecord& r) {
    if (p.layout != E::Any && p.layout != layoutForEffectCode(recordField(effectSelection(), r)))
        return;
    value = std::clamp(value, 0, 127);
    if (p.record == R::DelayTime) {
        // The device keeps 6 x the 14-bit value; each controller replaces its own 7 bits.
        int steps = std::min(recordField(p, r) / kDelayRecordPerStep, kDelayDeviceMax);
        if (controller == p.secondController)
            steps = (steps & ~0x7F) | value;
        else
            steps = (steps & 0x7F) | (value << 7);
        storeRecordField(p, steps * kDelayRecordPerStep, r);
        return;
    }
    // Any other controller sets its parameter whole, and the device rewrites the field's bytes
    // whole: bits above a narrower field come back 0.
    for (int i = 0; i < fieldBytes(p); ++i)
        r[fieldByte(p, i)] = 0;
    storeRecordField(p, fieldForControllerValue(p, value), r);
}

void applyController(PatchRecord& record, std::uint8_t controller, std::uint8_t value) {
    const ToneParameter* parameter = findController(controller);
    if (!parameter)
        return;
    storeControllerValue(*parameter, controller, value, record);
    if (parameter->record != R::EffectCode)
        return;
    // Choosing an effect on the device turns it on, so a dump read straight after shows the
    // same switches the panel sets when the user picks that effect.
    if (const EffectRow* effect = effectForCode(recordField(*parameter, record))) {
        for (const auto& [member, on] : {std::pair{"Delay", effect->delay}, {"TremChor", effect->tremChor}}) {
            const ToneParameter& row = *findParameter(member);
            storeControllerValue(row, row.controller, on ? kControllerOn : 0, record);
        }
    }
}

std::string chorusFeedbackLabel(int position) {
    if (position > 63)
        return "Feedback(-)";
    if (position == 63)
        return "Feedback(" + std::to_string(0) + ")";
    return "Feedback(+)";
}

std::string delayTimeLabel(int ms) {
    return "Delay Time:  " + std::to_string(ms) + " mS";
}

std::span<const EffectRow> effectTable() {
    return kEffects;
}

const EffectRow* effectForIndex(int index) {
    for (const auto& row : kEffects)
        if (row.index == index)
            return &row;
    return nullptr;
}

int effectCodeNamed(std::string_view name) {
    const auto at = std::find(kEffectNames.begin(), kEffectNames.end(), name);
    const EffectRow* row = effectForIndex(int(at - kEffectNames.begin()));
    return row ? row->code : 0;
}

const EffectRow* effectForCode(int code) {
    for (const auto& row : kEffects)
        if (row.code == code)
            return &row;
    return nullptr;
}

EffectLayout layoutForEffectCode(int code) {
    const EffectRow* row = effectForCode(code);
    if (!row)
        return E::None;
    switch (row->window) {
    case W::Chorus:
        return E::Chorus;
    case W::Rotary:
        return E::Rotary;
    case W::Tremolo:
        return E::Tremolo;
    case W::Compressor:
        return E::Compressor;
    case W::Swell:
        return E::Swell;
    default:
        return E::None;
    }
}

} // namespace amplix
