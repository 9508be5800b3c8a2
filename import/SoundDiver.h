// SoundDiver libraries: listing their patch entries and converting one into a single-patch dump.
#pragma once

#include "import/ImportCommon.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace amplix {

inline const ImportFailure kSoundDiverZeroSkip{"Error reading from file", "Error"};
inline const ImportFailure kSoundDiverNoPatchData{"Couldn't find patch data", ""};
inline const ImportFailure kSoundDiverInvalidData{"Error, invalid patch data.", "Error"};

// The patch entries of a library in file order, at most kMaxImportEntries of them. reversed is
// the byte-reversed form ("MROF", "TNEL", little-endian lengths). Each entry's position is its
// first data byte, which is what convertSoundDiver takes.
std::vector<ImportEntry> listSoundDiver(std::span<const std::uint8_t> file, bool reversed);

// Converts the entry whose data starts at position. Both byte orders store the entry data
// alike, so the order does not matter here.
ImportResult convertSoundDiver(std::span<const std::uint8_t> file, std::size_t position);

} // namespace amplix
