// Turns a decoded patch into the panel's values and writes them as text or JSON.
#include "patch/PatchText.h"

#include "app/UiTexts.h"
#include "patch/PatchDecode.h"
#include "tone/PanelLayout.h"
#include "tone/ToneLists.h"
#include "tone/ToneMap.h"

#include <algorithm>
#include <cstdio>

namespace amplix {

namespace {

constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kDelete = 0x7F;
constexpr unsigned char kFirstNonControl = 0xA0; // 0x80 .. 0x9F are control characters too
constexpr unsigned char kAsciiEnd = 0x80;
constexpr unsigned char kTwoByteLead = 0xC0;      // UTF-8: 110xxxxx
constexpr unsigned char kContinuation = 0x80;     // UTF-8: 10xxxxxx
constexpr unsigned char kContinuationMask = 0xC0; // the two bits that say so
constexpr unsigned char kContinuationBits = 0x3F; // the six it carries
constexpr int kSwitchOnFrom = 64;                 // a box is checked from this controller value on
constexpr char kUnknown = '?';
constexpr const char* kNotUsed = "(not used)";
constexpr const char* kNoSelection = "(none)";
constexpr const char* kNameMember = "name";
constexpr const char* kAmpModelMember = "AmpModel";
constexpr const char* kDrive2Member = "Drive2"; // only the POD Layer model has a second drive

bool isControl(unsigned char c) {
    return c < kFirstPrintable || (c >= kDelete && c < kFirstNonControl);
}

void appendUtf8(std::string& out, unsigned char c) {
    if (c < kAsciiEnd) {
        out += char(c);
        return;
    }
    out += char(kTwoByteLead | (c >> 6));
    out += char(kContinuation | (c & kContinuationBits));
}

std::string hexEscape(const char* format, unsigned char c) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, format, unsigned(c));
    return buffer;
}

// The value a slider stands for once it shows value: its position clamps to the slider's range.
int sliderValue(const ToneParameter& p, int value) {
    const int position = positionForValue(p, value);
    return p.kind == ControlKind::ReversedSlider ? kSliderMax - position : position;
}

ShownValue shownControl(const ToneParameter& p, int value) {
    ShownValue shown;
    shown.member = std::string(p.member);
    switch (p.kind) {
    case ControlKind::ReversedSlider:
    case ControlKind::DirectSlider:
    case ControlKind::DelayTime:
        shown.type = ShownType::Slider;
        shown.number = sliderValue(p, value);
        break;
    case ControlKind::Switch:
        shown.type = ShownType::Box;
        shown.number = value >= kSwitchOnFrom ? 1 : 0;
        break;
    case ControlKind::None: // received only: no control shows it
        break;
    case ControlKind::IndexedList:
    case ControlKind::MappedList:
        shown.type = ShownType::List;
        shown.entries = listEntries(p.member);
        // An index past the list's end leaves it with nothing selected.
        shown.number = value >= 0 && std::size_t(value) < shown.entries.size() ? value : kNothingSelected;
        break;
    }
    return shown;
}

const ShownValue* findMember(const std::vector<ShownValue>& values, const std::string& member) {
    const auto found =
        std::find_if(values.begin(), values.end(), [&](const ShownValue& v) { return v.member == member; });
    return found == values.end() ? nullptr : &*found;
}

bool playsPodLayer(const std::vector<ShownValue>& values) {
    const ShownValue* amp = findMember(values, kAmpModelMember);
    return amp && amp->number == kPodLayerAmpModel;
}

// A value as the lists name it: the patch name by the strip's label, a control as its panel does.
std::string listedName(const std::string& member) {
    return member == kNameMember ? std::string(labelName(text::kPatchNameLabel)) : controlName(member);
}

// Each setting that differs, in a's order and then b's own, with both values as text. The second
// drive counts only where one of the two plays the amp model that has it.
std::vector<PatchDifference> differingSettings(const std::vector<ShownValue>& a,
                                               const std::vector<ShownValue>& b) {
    const auto text = [](const ShownValue* v) { return v ? shownText(*v) : std::string(kNotUsed); };
    const bool drive2 = playsPodLayer(a) || playsPodLayer(b);
    const auto listed = [drive2](const ShownValue& v) { return drive2 || v.member != kDrive2Member; };
    std::vector<PatchDifference> out;
    for (const ShownValue& value : a) {
        const ShownValue* other = findMember(b, value.member);
        if (listed(value) && (!other || !value.sameValue(*other)))
            out.push_back({listedName(value.member), text(&value), text(other)});
    }
    for (const ShownValue& value : b)
        if (listed(value) && !findMember(a, value.member))
            out.push_back({listedName(value.member), text(nullptr), text(&value)});
    return out;
}

std::vector<ShownValue> shownRecord(const PatchRecord& record) {
    const auto dump = buildSingleDump(record);
    return shownPatch(dump);
}

} // namespace

std::vector<ShownValue> shownPatch(std::span<const std::uint8_t> dump) {
    const DecodedPatch patch = decodeSingleDump(dump);
    std::vector<ShownValue> values;
    ShownValue name;
    name.member = kNameMember;
    name.name = patch.name;
    values.push_back(name);

    ShownValue effect;
    effect.member = "EffectSel";
    effect.type = ShownType::List;
    effect.entries = kEffectNames;
    const EffectRow* row = effectForCode(patch.effectCode);
    effect.number = row ? row->index : kNothingSelected;
    values.push_back(effect);

    for (const DecodedControl& control : patch.controls)
        if (control.parameter->kind != ControlKind::None)
            values.push_back(shownControl(*control.parameter, control.value));
    return values;
}

std::string shownText(const ShownValue& value) {
    switch (value.type) {
    case ShownType::Name:
        return textFromLatin1(value.name);
    case ShownType::Slider:
        return value.member == "DelayTime" ? std::to_string(value.number) + " ms"
                                           : std::to_string(value.number);
    case ShownType::Box:
        return value.number ? "on" : "off";
    case ShownType::List:
        if (value.number == kNothingSelected)
            return kNoSelection;
        return std::string(value.entries[std::size_t(value.number)]);
    }
    return {};
}

std::string shownJson(const std::vector<ShownValue>& values) {
    std::string out = "{";
    const char* separator = "\n  ";
    for (const ShownValue& value : values) {
        out += separator;
        separator = ",\n  ";
        out += jsonString(value.member) + ": ";
        switch (value.type) {
        case ShownType::Name:
            out += jsonString(value.name);
            break;
        case ShownType::Slider:
            out += std::to_string(value.number);
            break;
        case ShownType::Box:
            out += value.number ? "true" : "false";
            break;
        case ShownType::List:
            out += value.number == kNothingSelected ? "null" : std::to_string(value.number);
            break;
        }
    }
    return out + "\n}\n";
}

std::vector<std::string> differences(const std::vector<ShownValue>& a, const std::vector<ShownValue>& b) {
    std::vector<std::string> lines;
    for (const PatchDifference& d : differingSettings(a, b))
        lines.push_back(d.control + '\t' + d.a + '\t' + d.b);
    return lines;
}

std::vector<PatchDifference> comparePatches(const PatchRecord& a, const PatchRecord& b) {
    return differingSettings(shownRecord(a), shownRecord(b));
}

std::string textFromLatin1(std::string_view latin1) {
    std::string out;
    for (char ch : latin1) {
        const auto c = static_cast<unsigned char>(ch);
        if (isControl(c))
            out += hexEscape("\\x%02X", c);
        else
            appendUtf8(out, c);
    }
    return out;
}

std::string jsonString(std::string_view latin1) {
    std::string out = "\"";
    for (char ch : latin1) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (isControl(c))
                out += hexEscape("\\u%04X", c);
            else
                appendUtf8(out, c);
        }
    }
    return out + '"';
}

std::string latin1FromUtf8(std::string_view utf8) {
    constexpr char32_t kLatin1End = 0x100;
    constexpr char32_t kBmpEnd = 0x10000;
    std::string out;
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < kAsciiEnd) {
            out += char(lead);
            ++i;
            continue;
        }
        // The sequence length and the range its second byte must fall in: no overlong forms,
        // no surrogates, nothing past U+10FFFF (the table of RFC 3629).
        std::size_t length = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : low;
            high = lead == 0xED ? 0x9F : high;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : low;
            high = lead == 0xF4 ? 0x8F : high;
        }
        bool valid = length > 0 && i + length <= utf8.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto c = static_cast<unsigned char>(utf8[i + k]);
            valid = (c & kContinuationMask) == kContinuation && (k > 1 || (c >= low && c <= high));
        }
        if (!valid) {
            out += kUnknown;
            ++i;
            continue;
        }
        char32_t code = lead & (0xFF >> (length + 1));
        for (std::size_t k = 1; k < length; ++k)
            code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & kContinuationBits);
        if (code < kLatin1End)
            out += char(code);
        else
            out.append(code < kBmpEnd ? 1 : 2, kUnknown); // a surrogate pair is two units
        i += length;
    }
    return out;
}

} // namespace amplix
