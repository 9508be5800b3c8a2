// A patch's values as the panel shows them, as text and as JSON (amplix-patch prints them), and
// the differences of two patches.
#pragma once

#include "patch/SysexFormat.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace amplix {

enum class ShownType { Name, Slider, Box, List };

// One control of the panel after a dump is loaded.
struct ShownValue {
    std::string member; // the control's member name; "name" for the patch name
    ShownType type = ShownType::Name;
    int number = 0;   // slider: the controller value it stands for (the delay time: ms); box: 0 or 1;
                      // list: the selected index, kNothingSelected for none
    std::string name; // the patch name, 8-bit (Latin-1) characters
    std::span<const std::string_view> entries; // a list's entries

    bool sameValue(const ShownValue& other) const {
        return type == other.type && number == other.number && name == other.name;
    }
};

inline constexpr int kNothingSelected = -1;

// The name, the effect and then every control the dump sets, in the order the panel sets them.
std::vector<ShownValue> shownPatch(std::span<const std::uint8_t> dump);

// "on" / "off", a list's entry or "(none)", "350 ms", a number, or the name as text.
std::string shownText(const ShownValue& value);

// One JSON object: the member names as keys, sliders as integers, boxes as true or false,
// lists as their index or null.
std::string shownJson(const std::vector<ShownValue>& values);

// The lines "NAME<TAB>A<TAB>B" for every setting that differs, as comparePatches gives them.
std::vector<std::string> differences(const std::vector<ShownValue>& a, const std::vector<ShownValue>& b);

// One setting in which two patches differ: the control's name as the panel labels it, in an
// effect window after the window's name ("Bass", "Effects", "Chorus > Depth", "Patch Name"; see
// controlName), and both values as the panel shows them, "(not used)" where a patch has no such
// control. The second drive is listed only where one of the two plays "POD Layer".
struct PatchDifference {
    std::string control;
    std::string a, b;
    bool operator==(const PatchDifference&) const = default;
};
std::vector<PatchDifference> comparePatches(const PatchRecord& a, const PatchRecord& b);

// Latin-1 text as UTF-8 for a line of output: control characters become \xNN so that a name
// never breaks its line.
std::string textFromLatin1(std::string_view latin1);

// Latin-1 text as a JSON string literal, quotes included.
std::string jsonString(std::string_view latin1);

// A UTF-8 path as the editor hands it to an importer: 8-bit characters, '?' for every
// UTF-16 unit beyond Latin-1 and for every byte that is not UTF-8.
std::string latin1FromUtf8(std::string_view utf8);

} // namespace amplix
