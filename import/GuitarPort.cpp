// Reads GuitarPort version 1 patches and converts their parameters into a POD patch record.
#include "import/GuitarPort.h"

#include "import/BitCast.h"

#include "tone/ToneLists.h"
#include "tone/ToneMap.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace amplix {

namespace {

// The file's fixed places.
constexpr std::size_t kVersionOffset = 20;
constexpr std::array<std::uint8_t, 4> kVersion99 = {0x00, 0x00, 0x00, 0x63};
constexpr std::size_t kPatchLengthOffset = 28;
constexpr std::size_t kPatchDataOffset = 32;
constexpr std::size_t kCompressorOnOffset = 171;
constexpr std::size_t kModulationTypeOffset = 227;
constexpr std::size_t kModulationOnOffset = 231;
constexpr std::size_t kModulationOffset = 232; // the modulation parameters, then the reverb block
constexpr std::uint8_t kSwitchedOn = 1;

// The information chunk.
constexpr std::string_view kListTag = "LIST";
constexpr std::string_view kInfoTag = "INFO";
constexpr std::string_view kDateTag = "IDAT";
constexpr std::size_t kTagSize = 4;
constexpr std::uint32_t kSmallestInfoSize = 5; // "INFO" and at least a byte more
constexpr std::uint32_t kLongestShownText = 999;

// How a source value becomes the value of its record field.
enum class Value : std::uint8_t {
    Bit0,        // bit 0 of the byte
    Byte,        // the byte unchanged
    LowNibble,   // the byte's low 4 bits
    IsZero,      // 1 when the byte is 0, else 0
    RatioNumber, // the byte + 1: GuitarPort counts ratios from 0, the POD from "off"
    Times63,     // float x 63, rounded
    Times127,    // float x 127, rounded
    Plus96,      // float + 96, truncated: the gate's -96..0 dB onto the POD's 0..96
    Feedback,    // (float + 1) x 0.5 x 127, rounded: -1..1 onto 0..127
    Times312,    // float x 312, truncated
    Times31200,  // float x 31200, truncated
    Period,      // 1000 / float, truncated, kept within the row's limits: a speed in Hz to ms
};

// One source value: its offset (from the file's start or from the block it belongs to), the
// tone-map member whose record bytes it fills, and the rule. The tone map knows where and how
// wide each member's record field is.
struct Field {
    std::size_t source;
    std::string_view member;
    Value value;
    int low = 0; // Period only: the limits
    int high = 0;
};

struct FixedValue {
    std::string_view member;
    int value;
};

// clang-format off
constexpr Field kAmpAndTone[] = {
    { 47, "AmpModel",      Value::Byte},
    { 55, "Bright",        Value::Bit0},
    { 59, "Distortion",    Value::Bit0},
    { 60, "Drive",         Value::Times63},
    { 60, "Drive2",        Value::Times63},
    { 68, "Bass",          Value::Times63},
    { 72, "Mid",           Value::Times63},
    { 76, "Treble",        Value::Times63},
    { 80, "Presence",      Value::Times63},
    { 84, "ChVol",         Value::Times63},
    {115, "CabSel",        Value::LowNibble},
    {147, "NoiseGate",     Value::Bit0},
    {148, "GateThreshold", Value::Plus96},
    {152, "GateDecayTime", Value::Times63},
};

// GuitarPort has no boost switches, no AIR and no pedals: these take fixed values. Record byte
// 21, which no control reads, stays 0 like every byte nothing here writes.
constexpr FixedValue kFixed[] = {
    {"DriveBoost", 0}, {"PresBoost", 0}, {"Air", 0},
    {"WahLevel", 127}, {"WahBottom", 0}, {"WahTop", 127},
    {"VolLevel", 127}, {"VolMin", 0},    {"VolPosition", 1},
};

constexpr Field kCompressor[] = {
    {175, "CRatio", Value::RatioNumber},
};

constexpr Field kDelay[] = {
    {203, "Delay",         Value::Bit0},
    {204, "DelayTime",     Value::Times31200},
    {208, "DelayFeedback", Value::Times63},
    {212, "DelayLevel",    Value::Times63},
};

// Modulation parameters, offsets from kModulationOffset.
constexpr Field kChorusFields[] = {
    { 0, "ChSpeed",    Value::Period, 200, 8191},
    { 4, "ChDepth",    Value::Times312},
    { 8, "ChFeedback", Value::Feedback},
    {16, "ChPreDelay", Value::Times31200},
};
constexpr Field kFlangerFields[] = {
    { 0, "ChSpeed",    Value::Period, 200, 8191},
    { 4, "ChDepth",    Value::Times312},
    { 8, "ChFeedback", Value::Feedback},
    {12, "ChPreDelay", Value::Times31200},
};
constexpr Field kRotaryFields[] = {
    { 0, "RotaryMin",   Value::Period, 100, 4095},
    { 4, "RotaryMax",   Value::Period, 100, 4095},
    { 8, "RotaryDepth", Value::Times63},
    {15, "RotarySpeed", Value::Bit0},
};
constexpr Field kTremoloFields[] = {
    { 0, "TremSpeed", Value::Period, 150, 4095},
    { 4, "TremDepth", Value::Times127},
};
// clang-format on

constexpr int kNoVariant = -1;
constexpr std::uint8_t kFirstChorus = 1;

struct ModulationLayout {
    std::size_t length; // where the reverb block starts after it
    std::string_view effect;
    int variant; // offset of the byte that picks effect (1) or otherEffect
    std::string_view otherEffect;
    std::span<const Field> fields;
};

// By the modulation type byte; every type above the last is a tremolo.
constexpr ModulationLayout kModulations[] = {
    {20, "Delay/Chorus 1", 15, "Delay/Chorus 2", kChorusFields},
    {16, "Delay/Flanger 1", kNoVariant, "", kFlangerFields},
    {16, "Rotary", kNoVariant, "", kRotaryFields},
    {12, "Delay/Tremolo", kNoVariant, "", kTremoloFields},
};

// The reverb block, offsets from its first byte. Type 0 is the reverb with tone, diffusion and
// density; the other types carry only a level and get the middle of those three.
constexpr std::size_t kReverbTypeOffset = 11;
constexpr std::uint8_t kReverbWithTone = 0;
constexpr Field kReverbCommon[] = {
    {kReverbTypeOffset, "ReverbType", Value::IsZero},
    {15, "Reverb", Value::Bit0},
    {16, "ReverbDecay", Value::Times63},
};
constexpr Field kReverbToneFields[] = {
    {20, "ReverbTone", Value::Times63},
    {24, "ReverbDiffusion", Value::Times63},
    {28, "ReverbDensity", Value::Times63},
    {32, "ReverbLevel", Value::Times63},
};
constexpr Field kReverbLevelOnly[] = {
    {20, "ReverbLevel", Value::Times63},
};
constexpr FixedValue kReverbLevelOnlyFixed[] = {
    {"ReverbTone", 31}, {"ReverbDiffusion", 31}, {"ReverbDensity", 31}};

// Truncation toward zero. A float from the file can be anything: out-of-range values saturate
// instead of the undefined behaviour of the cast, and NaN counts as 0.
std::int64_t truncated(double x) {
    if (std::isnan(x))
        return 0;
    constexpr double kLimit = double(std::numeric_limits<std::int32_t>::max());
    return std::int64_t(std::clamp(x, -kLimit, kLimit));
}

// Rounding as the conversion has always done it: a fraction of exactly 0.5 is not rounded up.
std::int64_t rounded(double x) {
    std::int64_t t = truncated(x);
    if (x - double(t) > 0.5)
        ++t;
    return t;
}

// 1000 / v within limits. A speed of 0 is the slowest possible, the upper limit.
std::int64_t period(double v, int low, int high) {
    const std::int64_t p = v == 0.0 ? high : truncated(1000.0 / v);
    return std::clamp<std::int64_t>(p, low, high);
}

// A ratio byte of 15 or more would wrap the 4-bit field round to "off", loading a switched-on
// compressor switched off; it is taken as the strongest ratio the POD has instead.
constexpr std::int64_t kStrongestRatio = std::int64_t(kCompressionRatioNames.size()) - 1;
constexpr std::uint8_t kLargestRatioByte = 14;
std::int64_t ratioNumber(std::uint8_t byte) {
    return byte > kLargestRatioByte ? kStrongestRatio : byte + 1;
}

// Reads the fixed places of the file. A missing byte reads as 0 and is remembered, so the
// conversion runs straight through and is refused at the end.
class Source {
public:
    explicit Source(std::span<const std::uint8_t> file) : reader_(file) {}

    std::uint8_t byteAt(std::size_t offset) {
        std::uint8_t byte = 0;
        if (!reader_.seek(offset) || !reader_.read(byte))
            complete_ = false;
        return byte;
    }
    double floatAt(std::size_t offset) {
        std::uint32_t bits = 0;
        if (!reader_.seek(offset) || !reader_.readBig32(bits))
            complete_ = false;
        return double(bitCast<float>(bits));
    }
    bool complete() const { return complete_; }

private:
    ByteReader reader_;
    bool complete_ = true;
};

std::int64_t sourceValue(Source& in, std::size_t at, const Field& field) {
    switch (field.value) {
    case Value::Bit0:
        return in.byteAt(at) & 1;
    case Value::Byte:
        return in.byteAt(at);
    case Value::LowNibble:
        return in.byteAt(at) & 0x0F;
    case Value::IsZero:
        return in.byteAt(at) == 0 ? 1 : 0;
    case Value::RatioNumber:
        return ratioNumber(in.byteAt(at));
    case Value::Times63:
        return rounded(in.floatAt(at) * 63);
    case Value::Times127:
        return rounded(in.floatAt(at) * 127);
    case Value::Plus96:
        return truncated(in.floatAt(at) + 96);
    case Value::Feedback:
        return rounded((in.floatAt(at) + 1) * 0.5 * 127);
    case Value::Times312:
        return truncated(in.floatAt(at) * 312);
    case Value::Times31200:
        return truncated(in.floatAt(at) * 31200);
    case Value::Period:
        return period(in.floatAt(at), field.low, field.high);
    }
    return 0;
}

void convertFields(Source& in, PatchRecord& record, std::size_t base, std::span<const Field> fields) {
    for (const Field& field : fields)
        storeRecordField(field.member, sourceValue(in, base + field.source, field), record);
}

void setFixed(PatchRecord& record, std::span<const FixedValue> values) {
    for (const FixedValue& fixed : values)
        storeRecordField(fixed.member, fixed.value, record);
}

std::optional<ImportFailure> versionFailure(std::span<const std::uint8_t> file) {
    ByteReader in(file);
    std::array<std::uint8_t, kVersion99.size()> version{};
    if (!in.seek(kVersionOffset) || !in.read(version))
        return kReadError;
    if (version != kVersion99)
        return kGuitarPortUnknownVersion;
    return std::nullopt;
}

bool readTag(ByteReader& in, std::array<char, kTagSize>& tag) {
    std::array<std::uint8_t, kTagSize> bytes{};
    if (!in.read(bytes))
        return false;
    std::copy(bytes.begin(), bytes.end(), tag.begin());
    return true;
}

bool isTag(const std::array<char, kTagSize>& tag, std::string_view name) {
    return std::string_view(tag.data(), tag.size()) == name;
}

bool expectTag(ByteReader& in, std::string_view name) {
    std::array<char, kTagSize> tag{};
    return readTag(in, tag) && isTag(tag, name);
}

// Walks the information chunk after the patch data. Every pass reads at least a tag, so the
// walk ends at the end of the file whatever the sizes claim.
void readInformation(ByteReader& in, GuitarPortListing& listing) {
    std::uint32_t patchLength = 0;
    std::uint32_t size = 0;
    if (!in.seek(kPatchLengthOffset) || !in.readBig32(patchLength) ||
        std::uint64_t(kPatchDataOffset) + patchLength > in.size() ||
        !in.seek(kPatchDataOffset + std::size_t(patchLength)))
        return;
    if (!expectTag(in, kListTag) || !in.readBig32(size) || !expectTag(in, kInfoTag) ||
        size < kSmallestInfoSize)
        return;
    std::int64_t remaining = std::int64_t(size) - std::int64_t(kTagSize);
    while (remaining > 0) {
        std::array<char, kTagSize> tag{};
        if (!readTag(in, tag))
            return;
        remaining -= kTagSize;
        const auto text = std::find_if(kGuitarPortInfoTags.begin(), kGuitarPortInfoTags.end(),
                                       [&](std::string_view name) { return isTag(tag, name); });
        const bool isText = text != kGuitarPortInfoTags.end();
        if (!isText && !isTag(tag, kDateTag))
            continue; // an unknown tag: nothing more is read for it
        std::uint32_t length = 0;
        if (!in.readBig32(length))
            return;
        if (isText && length <= kLongestShownText) {
            std::string shown(length, '\0');
            if (!in.read(std::span(reinterpret_cast<std::uint8_t*>(shown.data()), shown.size())))
                return;
            listing.information[std::size_t(text - kGuitarPortInfoTags.begin())] = std::move(shown);
        } else if (!in.skip(length)) {
            return;
        }
        // The pad byte after an odd length is not counted in what remains, as files have
        // always been read.
        if (length % 2 != 0 && !in.skip(1))
            return;
        remaining -= std::int64_t(kTagSize) + std::int64_t(length);
    }
}

} // namespace

std::string guitarPortPatchName(std::string_view path) {
    constexpr std::size_t kExtensionLength = 4; // ".GPT"
    const std::size_t slash = path.find_last_of("/\\");
    std::string_view base = slash == std::string_view::npos ? path : path.substr(slash + 1);
    if (base.size() >= kExtensionLength)
        base.remove_suffix(kExtensionLength);
    return std::string(base.substr(0, kNameLength));
}

std::optional<ImportFailure> checkGuitarPort(std::span<const std::uint8_t> file) {
    ImportResult result = convertGuitarPort(file, {}, kNoEffectChoice);
    if (result.ok())
        return std::nullopt;
    return result.failure;
}

GuitarPortListing listGuitarPort(std::span<const std::uint8_t> file) {
    GuitarPortListing listing;
    ByteReader in(file);
    std::uint8_t compressor = 0;
    std::uint8_t modulation = 0;
    listing.offerEffectChoice = in.seek(kCompressorOnOffset) && in.read(compressor) &&
                                compressor == kSwitchedOn && in.seek(kModulationOnOffset) &&
                                in.read(modulation) && modulation == kSwitchedOn;
    readInformation(in, listing);
    return listing;
}

ImportResult convertGuitarPort(std::span<const std::uint8_t> file, std::string_view path, int modOrComp) {
    if (auto failure = versionFailure(file))
        return ImportResult{std::nullopt, *failure};

    Source in(file);
    PatchRecord record{}; // every byte nothing below writes is 0
    fillPatchName(record, guitarPortPatchName(path));
    convertFields(in, record, 0, kAmpAndTone);
    setFixed(record, kFixed);

    // A compressor that is switched off never wins, whatever was chosen.
    const bool loadModulation = modOrComp == kLoadModulation || in.byteAt(kCompressorOnOffset) == 0;
    if (!loadModulation) {
        storeRecordField("EffectSel", effectCodeNamed("Delay/Compressor"), record);
        convertFields(in, record, 0, kCompressor);
        storeRecordField("TremChor", 0, record);
    }

    convertFields(in, record, 0, kDelay);

    const std::uint8_t type = in.byteAt(kModulationTypeOffset);
    const std::uint8_t on = in.byteAt(kModulationOnOffset);
    const ModulationLayout& modulation =
        kModulations[std::min<std::size_t>(type, std::size(kModulations) - 1)];
    if (loadModulation) {
        storeRecordField("TremChor", on & 1, record);
        std::string_view effect = modulation.effect;
        if (modulation.variant != kNoVariant &&
            in.byteAt(kModulationOffset + std::size_t(modulation.variant)) != kFirstChorus)
            effect = modulation.otherEffect;
        storeRecordField("EffectSel", effectCodeNamed(effect), record);
        convertFields(in, record, kModulationOffset, modulation.fields);
    }

    const std::size_t reverb = kModulationOffset + modulation.length;
    convertFields(in, record, reverb, kReverbCommon);
    if (in.byteAt(reverb + kReverbTypeOffset) == kReverbWithTone) {
        convertFields(in, record, reverb, kReverbToneFields);
    } else {
        convertFields(in, record, reverb, kReverbLevelOnly);
        setFixed(record, kReverbLevelOnlyFixed);
    }

    if (!in.complete())
        return ImportResult{std::nullopt, kReadError};
    return ImportResult{buildSingleDump(record, 0), {}};
}

} // namespace amplix
