// What a library row shows of a patch, and the lists of locations its messages name: the
// same words for the desktop's Library and the page's.
#pragma once

#include "patch/SysexFormat.h"

#include <cstddef>
#include <span>
#include <string>

namespace amplix {

// The amp model column: "Brit Hi Gain"; empty for a value past the list.
std::string ampModelText(const PatchRecord& record);
// The effect column: "Chorus 2"; empty for a code the effect list does not have.
std::string effectText(const PatchRecord& record);

// Locations as the messages list them: "1A, 2C, 9D".
std::string locationList(std::span<const std::size_t> locations);

// A row's title, as the compare pane heads its columns: "1A Clean Sparkle", the name without the
// blanks around it (spaces, 8-bit non-breaking spaces, control blanks).
std::string rowTitle(std::size_t location, const PatchRecord& record);

struct LibraryRow {
    std::string location; // "1A"
    std::string name;     // up to its first 00, 8-bit characters, padding kept
    std::string ampModel, effect;
    std::string title;
};
LibraryRow libraryRow(std::size_t location, const PatchRecord& record);

} // namespace amplix
