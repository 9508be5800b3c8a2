// GuitarPort version 1 patches (".GPT"): version check, information texts and conversion.
#pragma once

#include "import/ImportCommon.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace amplix {

inline const ImportFailure kGuitarPortUnknownVersion{"AMPLIX 32 doesn't recognize this patch file.",
                                                     "Not a recognized Patch File"};

// The POD holds either the compressor or a modulation effect; this says which one to load.
// The values are the ones the chooser has always written through its pointer.
inline constexpr int kLoadCompressor = 0;
inline constexpr int kLoadModulation = 1;
inline constexpr int kNoEffectChoice = 3; // not offered: the file's own switches decide

// The information texts, in the order GuitarPortListing::information holds them.
enum class GuitarPortInfo {
    Amp,
    Pickup,
    PickupPosition,
    Style,
    SubStyle,
    Song,
    Guitarist,
    Band,
    Comment,
    Count
};
inline constexpr std::array<std::string_view, std::size_t(GuitarPortInfo::Count)> kGuitarPortInfoTags = {
    "IAMP", "IPUS", "IPUP", "ISTL", "ISST", "ISNG", "IGTR", "IBND", "ICMT"};

// What the chooser shows before the conversion.
struct GuitarPortListing {
    // True when the patch has both the compressor and the modulation switched on.
    bool offerEffectChoice = false;
    // 8-bit texts as stored; empty when the file has none, or one of 1000 bytes or more.
    std::array<std::string, std::size_t(GuitarPortInfo::Count)> information;
};

// The POD name for a file path: the base name without its last four characters (the
// extension), at most 16 characters. A base name shorter than four characters is kept whole.
std::string guitarPortPatchName(std::string_view path);

// Why the file cannot be imported (a version it does not know, or bytes the conversion needs
// missing), or nothing when it can. Run before the chooser so the user is never asked about a
// file that will then be refused.
std::optional<ImportFailure> checkGuitarPort(std::span<const std::uint8_t> file);

// The choice to offer and the texts of the information chunk. A missing or damaged chunk only
// leaves texts empty.
GuitarPortListing listGuitarPort(std::span<const std::uint8_t> file);

// The single-patch dump for the file, named after path. modOrComp is kNoEffectChoice, or the
// user's kLoadCompressor or kLoadModulation.
ImportResult convertGuitarPort(std::span<const std::uint8_t> file, std::string_view path, int modOrComp);

} // namespace amplix
