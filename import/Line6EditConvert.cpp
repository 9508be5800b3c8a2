// Walks a Line 6 Edit patch module by module and stores each parameter where the POD keeps it.
#include "import/Line6EditConvert.h"

#include "import/BitCast.h"
#include "import/Line6Edit.h"
#include "tone/ToneLists.h"
#include "tone/ToneMap.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

namespace amplix {

namespace {

constexpr std::string_view kPatchDataTag = "PATC";
constexpr std::size_t kFirstModule = 24; // "PATC", the first module's id and length, 12 bytes

// A module: id, length, 12 bytes, then the header at T and the parameter records.
constexpr std::size_t kModuleHeaderSize = 12;
constexpr std::size_t kModelAt = 3;
constexpr std::size_t kPedalPositionAt = 7;
constexpr std::size_t kEnableAt = 11;
constexpr std::size_t kLengthLowBack = 14; // the low 16 bits of the module's length end 12 bytes before T
constexpr std::size_t kRecordsAt = 12;
constexpr std::size_t kLaterRecordsAt = 32; // past a first record these modules do not use
constexpr std::size_t kModuleFixedLength = 24;
constexpr std::size_t kGapToNextHeader = 20;
constexpr int kMaxModulesRead = 10;
constexpr int kDistinctModules = 9;
constexpr int kPedalsFromLaterRecord = 3; // the device code whose pedal modules read so

// A parameter record.
constexpr std::size_t kParameterRecordSize = 20;
constexpr std::size_t kSubNumberAt = 9;
constexpr std::size_t kNumberAt = 11;
constexpr std::size_t kValueAt = 16;
constexpr std::size_t kSwitchAt = 19;
constexpr int kAny = -1;

enum class Module : std::uint8_t {
    Amp,
    Cabinet,
    Air,
    NoiseGate,
    Reverb,
    WahPedal,
    VolumePedal,
    Delay,
    Effect
};
constexpr std::size_t kModuleKinds = std::size_t(Module::Effect) + 1;

enum class ModelIs : std::uint8_t { Any, Zero, NotZero, One };

struct ModuleRow {
    std::array<std::uint8_t, 3> type;
    ModelIs model;
    Module module;
    std::size_t records;
};

// The first matching row names the module; every other type is the effect module.
// clang-format off
constexpr ModuleRow kModules[] = {
    {{0, 0, 0},  ModelIs::Any,     Module::Amp,         11},
    {{1, 0, 0},  ModelIs::Any,     Module::Cabinet,      0},
    {{2, 11, 0}, ModelIs::NotZero, Module::Air,          1},
    {{2, 11, 0}, ModelIs::Zero,    Module::NoiseGate,    2},
    {{2, 0, 0},  ModelIs::One,     Module::NoiseGate,    2},
    {{2, 4, 0},  ModelIs::Any,     Module::Reverb,       5},
    {{2, 6, 0},  ModelIs::Any,     Module::WahPedal,     2},
    {{2, 7, 0},  ModelIs::Any,     Module::VolumePedal,  1},
    {{2, 2, 0},  ModelIs::Any,     Module::Delay,        3},
};
// clang-format on

// The effect module's type and model give the POD effect, named as the effect list names it.
struct EffectModelRow {
    std::array<std::uint8_t, 3> type;
    int model;
    std::string_view effect;
};
// clang-format off
constexpr EffectModelRow kEffectModels[] = {
    {{2, 3, 0},  0, "Delay/Chorus 1"},
    {{2, 3, 0},  1, "Delay/Flanger 1"},
    {{2, 3, 0},  2, "Rotary"},
    {{2, 3, 0},  3, "Delay/Tremolo"},
    {{2, 3, 0}, 15, "Delay/Chorus 2"},
    {{2, 3, 0}, 16, "Delay/Flanger 2"},
    {{2, 0, 0},  0, "Delay/Compressor"},
    {{2, 0, 0},  8, "Delay/Swell"},
};
// clang-format on
constexpr std::string_view kOtherEffect = "Delay";

// How a value becomes what the record holds: first the rules for header bytes, then those
// for parameter records.
// clang-format off
enum class Scale : std::uint8_t {
    Unchanged, LowNibble, Bit0, IsZero, Bit0OfPredecessor,
    Times63, Times127, Switch, GateThreshold, DelayTime,
    ChorusSpeed, ChorusDepth, ChorusFeedback, ChorusPreDelay, RotaryRate, TremoloSpeed, Ratio,
};
// clang-format on

enum class HeaderByte : std::uint8_t { Model, Position, Enable };

struct HeaderRow {
    Module module;
    HeaderByte from;
    Scale scale;
    std::string_view member;
};
constexpr HeaderRow kHeaderValues[] = {
    {Module::Amp, HeaderByte::Model, Scale::Unchanged, "AmpModel"},
    {Module::Cabinet, HeaderByte::Model, Scale::LowNibble, "CabSel"},
    {Module::NoiseGate, HeaderByte::Enable, Scale::Bit0, "NoiseGate"},
    {Module::Reverb, HeaderByte::Model, Scale::IsZero, "ReverbType"},
    {Module::Reverb, HeaderByte::Enable, Scale::Bit0, "Reverb"},
    {Module::VolumePedal, HeaderByte::Position, Scale::Bit0OfPredecessor, "VolPosition"},
    {Module::Delay, HeaderByte::Enable, Scale::Bit0, "Delay"},
    {Module::Effect, HeaderByte::Enable, Scale::Bit0, "TremChor"},
};

// Levels the pedal modules always set: the POD's pedals have them, Line 6 Edit's do not.
struct FixedRow {
    Module module;
    std::string_view member;
    std::uint8_t value;
};
constexpr std::uint8_t kFullLevel = 127;
constexpr FixedRow kFixedValues[] = {
    {Module::WahPedal, "WahLevel", kFullLevel},
    {Module::VolumePedal, "VolLevel", kFullLevel},
};

struct ParameterRow {
    Module module;
    int number;
    int subNumber;
    Scale scale;
    std::string_view member;
};
// clang-format off
constexpr ParameterRow kParameters[] = {
    {Module::Amp, 0, kAny, Scale::Times63, "Bass"},
    {Module::Amp, 1, kAny, Scale::Times63, "Mid"},
    {Module::Amp, 2, kAny, Scale::Times63, "Treble"},
    {Module::Amp, 3, kAny, Scale::Times63, "Drive"},
    {Module::Amp, 4, kAny, Scale::Times63, "Presence"},
    {Module::Amp, 5, kAny, Scale::Times63, "ChVol"},
    {Module::Amp, 6, kAny, Scale::Times63, "Drive2"},
    {Module::Amp, 7, kAny, Scale::Switch, "Distortion"},
    {Module::Amp, 8, kAny, Scale::Switch, "DriveBoost"},
    {Module::Amp, 9, kAny, Scale::Switch, "PresBoost"},
    {Module::Amp, 10, kAny, Scale::Switch, "Bright"},
    {Module::Air, kAny, kAny, Scale::Times63, "Air"},
    {Module::NoiseGate, 0, kAny, Scale::GateThreshold, "GateThreshold"},
    {Module::NoiseGate, 3, kAny, Scale::Times63, "GateDecayTime"},
    {Module::Reverb, 0, kAny, Scale::Times63, "ReverbDecay"},
    {Module::Reverb, 2, 16, Scale::Times63, "ReverbTone"},
    {Module::Reverb, 3, kAny, Scale::Times63, "ReverbDiffusion"},
    {Module::Reverb, 4, kAny, Scale::Times63, "ReverbDensity"},
    {Module::Reverb, 2, 1, Scale::Times63, "ReverbLevel"},
    {Module::WahPedal, 3, kAny, Scale::Times127, "WahBottom"},
    {Module::WahPedal, 2, kAny, Scale::Times127, "WahTop"},
    {Module::VolumePedal, kAny, kAny, Scale::Times127, "VolMin"},
    {Module::Delay, 0, kAny, Scale::DelayTime, "DelayTime"},
    {Module::Delay, 1, 16, Scale::Times63, "DelayFeedback"},
    {Module::Delay, 1, 1, Scale::Times63, "DelayLevel"},
};

// The effect module's records: which apply depends on the layout of the effect chosen, their
// numbers on the generation.
struct EffectParameterRow {
    EffectLayout layout;
    int olderNumber;
    int newerNumber;
    Scale scale;
    std::string_view member;
};
constexpr EffectParameterRow kEffectParameters[] = {
    {EffectLayout::Chorus,     0,  0, Scale::ChorusSpeed,    "ChSpeed"},
    {EffectLayout::Chorus,     1,  1, Scale::ChorusDepth,    "ChDepth"},
    {EffectLayout::Chorus,     2,  2, Scale::ChorusFeedback, "ChFeedback"},
    {EffectLayout::Chorus,     3,  3, Scale::ChorusPreDelay, "ChPreDelay"},
    {EffectLayout::Rotary,     6,  0, Scale::Switch,         "RotarySpeed"},
    {EffectLayout::Rotary,     7,  1, Scale::RotaryRate,     "RotaryMax"},
    {EffectLayout::Rotary,     8,  2, Scale::RotaryRate,     "RotaryMin"},
    {EffectLayout::Rotary,     9,  3, Scale::Times63,        "RotaryDepth"},
    {EffectLayout::Tremolo,   10,  0, Scale::TremoloSpeed,   "TremSpeed"},
    {EffectLayout::Tremolo,   11,  1, Scale::Times127,       "TremDepth"},
    {EffectLayout::Compressor, 5,  0, Scale::Ratio,          "CRatio"},
    {EffectLayout::Swell,      4,  0, Scale::Times63,        "Swell"},
};
// clang-format on

// Whether p is set in an effect's own window. An effect module clears all of these before it
// writes its own, so an earlier effect module leaves nothing behind.
bool inEffectWindow(const ToneParameter& p) {
    const auto opens = [&](const EffectRow& effect) { return effect.window == p.window; };
    const std::span<const EffectRow> effects = effectTable();
    return p.window != ToneWindow::Frame && std::any_of(effects.begin(), effects.end(), opens);
}

// Scaling constants.
constexpr double kHalfScale = 63;
constexpr double kFullScale = 127;
constexpr double kGateOffset = 96;
constexpr double kOlderDelayScale = 98303;
constexpr double kNewerDelayScale = 31.2073;
constexpr long long kMaxDelayTime = 98303;
constexpr double kOlderChorusSpeedScale = 6350;
constexpr double kChorusSpeedPeriodLimit = 0.1;
constexpr long long kSlowestChorusSpeed = 6000;
constexpr long long kMinChorusSpeed = 200;
constexpr long long kMaxChorusSpeed = 6500;
constexpr double kChorusDepthScale = 312;
constexpr double kNewerFeedbackScale = 63.5;
constexpr long long kMaxFeedback = 127;
constexpr double kChorusPreDelayScale = 774;
constexpr double kOlderRotaryScale = 2794;
constexpr double kOlderRotaryBase = 100;
constexpr double kRotaryPeriodLimit = 0.25;
constexpr long long kSlowestRotary = 2894;
constexpr double kOlderTremoloScale = 3175;
constexpr double kTremoloPeriodLimit = 0.25;
constexpr long long kSlowestTremolo = 3175;
constexpr double kMillisecondsPerSecond = 1000;
constexpr long long kRatioFieldMax = 15;
constexpr long long kStrongestRatio = static_cast<long long>(kCompressionRatioNames.size()) - 1;
// Products beyond this cannot come from a sensible file; capping them keeps the conversion
// to an integer defined for any float, infinities included.
constexpr double kProductLimit = 2147483647.0;

// Cut toward zero; NaN counts as 0.
long long truncated(double x) {
    if (std::isnan(x))
        return 0;
    return static_cast<long long>(std::clamp(x, -kProductLimit, kProductLimit));
}

// Cut toward zero, then up by one when more than a half was cut off: an exact half stays.
long long rounded(double x) {
    const long long t = truncated(x);
    return std::clamp(x, -kProductLimit, kProductLimit) - double(t) > 0.5 ? t + 1 : t;
}

// As rounded, but an exact half goes up.
long long roundedHalfUp(double x) {
    const long long t = truncated(x);
    return std::clamp(x, -kProductLimit, kProductLimit) - double(t) >= 0.5 ? t + 1 : t;
}

// A rate in Hz as a period in milliseconds; the slowest period for rates too low to tell.
long long period(double hertz, double lowest, long long slowest) {
    return hertz > lowest ? truncated(kMillisecondsPerSecond / hertz) : slowest;
}

struct ParameterRecord {
    int number;
    int subNumber;
    float value;
    std::uint8_t switchByte;
};

ParameterRecord decodeRecord(std::span<const std::uint8_t, kParameterRecordSize> bytes) {
    const std::uint32_t bits = std::uint32_t(bytes[kValueAt]) << 24 |
                               std::uint32_t(bytes[kValueAt + 1]) << 16 |
                               std::uint32_t(bytes[kValueAt + 2]) << 8 | bytes[kValueAt + 3];
    return {bytes[kNumberAt], bytes[kSubNumberAt], bitCast<float>(bits), bytes[kSwitchAt]};
}

long long scaled(Scale scale, const ParameterRecord& r, int generation) {
    const bool newer = generation == kLine6EditNewer;
    const double v = r.value;
    switch (scale) {
    case Scale::Times63:
        return rounded(v * kHalfScale);
    case Scale::Times127:
        return rounded(v * kFullScale);
    case Scale::Switch:
        return r.switchByte & 1;
    case Scale::GateThreshold:
        return truncated(v + kGateOffset);
    case Scale::DelayTime:
        return std::clamp(truncated(v * (newer ? kNewerDelayScale : kOlderDelayScale)), 0LL, kMaxDelayTime);
    case Scale::ChorusSpeed:
        return std::clamp(newer ? period(v, kChorusSpeedPeriodLimit, kSlowestChorusSpeed)
                                : truncated(v * kOlderChorusSpeedScale),
                          kMinChorusSpeed, kMaxChorusSpeed);
    case Scale::ChorusDepth:
        return truncated(v * kChorusDepthScale);
    case Scale::ChorusFeedback:
        return std::clamp(newer ? roundedHalfUp(v * kNewerFeedbackScale + kNewerFeedbackScale)
                                : rounded(v * kFullScale),
                          0LL, kMaxFeedback);
    case Scale::ChorusPreDelay:
        return truncated(v * kChorusPreDelayScale);
    case Scale::RotaryRate:
        return newer ? period(v, kRotaryPeriodLimit, kSlowestRotary)
                     : truncated(v * kOlderRotaryScale + kOlderRotaryBase);
    case Scale::TremoloSpeed:
        return newer ? period(v, kTremoloPeriodLimit, kSlowestTremolo) : truncated(v * kOlderTremoloScale);
    case Scale::Ratio:
        if (!newer)
            return ratioIndexForValue(int(rounded(v * kFullScale)));
        // A ratio number too big for its field asks for more than any entry offers: the strongest.
        return r.switchByte > kRatioFieldMax ? kStrongestRatio : r.switchByte;
    default:
        return 0;
    }
}

long long headerValue(Scale scale, std::uint8_t byte) {
    switch (scale) {
    case Scale::Unchanged:
        return byte;
    case Scale::LowNibble:
        return byte & 0x0F;
    case Scale::Bit0:
        return byte & 1;
    case Scale::IsZero:
        return byte == 0 ? 1 : 0;
    case Scale::Bit0OfPredecessor:
        return (byte - 1) & 1;
    default:
        return 0;
    }
}

int effectCode(const std::array<std::uint8_t, 3>& type, std::uint8_t model) {
    for (const auto& row : kEffectModels)
        if (row.type == type && row.model == model)
            return effectCodeNamed(row.effect);
    return effectCodeNamed(kOtherEffect);
}

bool modelMatches(ModelIs condition, std::uint8_t model) {
    switch (condition) {
    case ModelIs::Zero:
        return model == 0;
    case ModelIs::NotZero:
        return model != 0;
    case ModelIs::One:
        return model == 1;
    default:
        return true;
    }
}

using ModuleHeader = std::array<std::uint8_t, kModuleHeaderSize>;

const ModuleRow* findModule(const ModuleHeader& header) {
    const std::array<std::uint8_t, 3> type = {header[0], header[1], header[2]};
    for (const auto& row : kModules)
        if (row.type == type && modelMatches(row.model, header[kModelAt]))
            return &row;
    return nullptr;
}

class ModuleConverter {
public:
    ModuleConverter(std::span<const std::uint8_t> file, PatchRecord& record, int deviceCode, int generation)
        : file_(file), record_(record), deviceCode_(deviceCode), generation_(generation) {}

    // Converts the module whose header lies at at; the next header's position, or none when the
    // file ends inside this module.
    std::optional<std::size_t> convert(std::size_t at, const ModuleHeader& header, Module module,
                                       std::size_t records) {
        const std::uint8_t model = header[kModelAt];
        for (const auto& row : kHeaderValues)
            if (row.module == module)
                storeRecordField(row.member, headerValue(row.scale, header[headerOffset(row.from)]), record_);
        for (const auto& row : kFixedValues)
            if (row.module == module)
                storeRecordField(row.member, row.value, record_);

        std::size_t first = at + kRecordsAt;
        EffectLayout layout = EffectLayout::None;
        const bool pedal = module == Module::WahPedal || module == Module::VolumePedal;
        if (pedal && (deviceCode_ == kPedalsFromLaterRecord || model == 0))
            first = at + kLaterRecordsAt;
        if (module == Module::Effect) {
            const int code = effectCode({header[0], header[1], header[2]}, model);
            for (const ToneParameter& p : toneMap())
                if (inEffectWindow(p))
                    storeRecordField(p, 0, record_);
            storeRecordField("EffectSel", code, record_);
            layout = layoutForEffectCode(code);
            records = effectRecords(at);
        }

        ByteReader in(file_);
        for (std::size_t i = 0; i < records; ++i) {
            std::array<std::uint8_t, kParameterRecordSize> bytes{};
            if (!in.seek(first + i * kParameterRecordSize) || !in.read(bytes))
                return std::nullopt;
            const ParameterRecord r = decodeRecord(bytes);
            if (module == Module::Effect)
                convertEffectRecord(layout, r);
            else
                convertRecord(module, r);
        }
        return first + records * kParameterRecordSize + kGapToNextHeader;
    }

private:
    static std::size_t headerOffset(HeaderByte from) {
        return from == HeaderByte::Model      ? kModelAt
               : from == HeaderByte::Position ? kPedalPositionAt
                                              : kEnableAt;
    }

    // From the module's length: whatever follows the fixed part, in records, the last one
    // counted even if short.
    std::size_t effectRecords(std::size_t at) const {
        ByteReader in(file_);
        std::uint16_t length = 0;
        if (!in.seek(at - kLengthLowBack) || !in.readBig16(length) || length <= kModuleFixedLength)
            return 0;
        return (length - kModuleFixedLength + kParameterRecordSize - 1) / kParameterRecordSize;
    }

    void convertRecord(Module module, const ParameterRecord& r) {
        for (const auto& row : kParameters)
            if (row.module == module && (row.number == kAny || row.number == r.number) &&
                (row.subNumber == kAny || row.subNumber == r.subNumber))
                storeRecordField(row.member, scaled(row.scale, r, generation_), record_);
    }

    void convertEffectRecord(EffectLayout layout, const ParameterRecord& r) {
        const bool newer = generation_ == kLine6EditNewer;
        for (const auto& row : kEffectParameters)
            if (row.layout == layout && (newer ? row.newerNumber : row.olderNumber) == r.number)
                storeRecordField(row.member, scaled(row.scale, r, generation_), record_);
    }

    std::span<const std::uint8_t> file_;
    PatchRecord& record_;
    int deviceCode_;
    int generation_;
};

} // namespace

ImportResult convertLine6EditModules(std::span<const std::uint8_t> file, std::size_t position,
                                     std::string_view name, int deviceCode, int generation) {
    ByteReader in(file);
    std::array<std::uint8_t, kPatchDataTag.size()> tag{};
    if (!in.seek(position) || !in.read(tag) ||
        !std::equal(tag.begin(), tag.end(), kPatchDataTag.begin(),
                    [](std::uint8_t a, char b) { return a == std::uint8_t(b); }))
        return {std::nullopt, kCorruptPatchFile};

    PatchRecord record{};
    fillPatchName(record, name);
    ModuleConverter converter(file, record, deviceCode, generation);
    std::array<bool, kModuleKinds> seen{};
    int distinct = 0;
    std::optional<std::size_t> at = position + kFirstModule;
    // The loop ends by its own rules, after the ninth distinct module or the tenth read. A patch
    // whose modules the file cuts off before that is not loaded: what was read of it would leave
    // the rest of the record at zero, a broken sound on the device.
    for (int read = 1;; ++read) {
        ModuleHeader header{};
        if (!in.seek(*at) || !in.read(header))
            return {std::nullopt, kCorruptPatchFile};
        const ModuleRow* row = findModule(header);
        const Module module = row ? row->module : Module::Effect;
        if (!seen[std::size_t(module)]) {
            seen[std::size_t(module)] = true;
            ++distinct;
        }
        at = converter.convert(*at, header, module, row ? row->records : 0);
        if (!at)
            return {std::nullopt, kCorruptPatchFile};
        if (read >= kMaxModulesRead || distinct >= kDistinctModules)
            break;
    }
    return {buildSingleDump(record, 0), {}};
}

ImportResult convertLine6EditPatch(std::span<const std::uint8_t> file, const ImportEntry& entry) {
    const int generation = readLine6EditInformation(file, entry.position).generation;
    return convertLine6EditModules(file, entry.position, entry.name, entry.deviceCode, generation);
}

} // namespace amplix
