// Converts a Line 6 Edit patch's modules into a POD single-patch dump.
#pragma once

#include "import/ImportCommon.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace amplix {

inline const ImportFailure kCorruptPatchFile{"Corrupt patch file!", ""};

// The patch whose "PATC" lies at position, made for deviceCode by the given generation of
// Line 6 Edit. The record starts as zeros: what no module of a damaged patch reaches stays 0.
// A patch the file cuts off before its module loop has ended (nine distinct modules, or ten
// read) is refused as corrupt, as is one without "PATC" at position.
ImportResult convertLine6EditModules(std::span<const std::uint8_t> file, std::size_t position,
                                     std::string_view name, int deviceCode, int generation);

// A listed entry, with the generation its information block gives.
ImportResult convertLine6EditPatch(std::span<const std::uint8_t> file, const ImportEntry& entry);

} // namespace amplix
