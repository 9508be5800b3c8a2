// Line 6 Edit patch, bundle and collection files: the device check, the listing and the information texts.
#pragma once

#include "import/ImportCommon.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace amplix {

// What the dispatcher found in bytes 8 to 11.
inline constexpr int kLine6EditPatchType = 3;  // a single patch, "L6PA"
inline constexpr int kLine6EditBundleType = 4; // a bundle "L6BA" or a collection "L6CO"

// The two generations of Line 6 Edit: the newer one numbers and scales some effect
// parameters differently. A patch's information block tells them apart.
inline constexpr int kLine6EditOlder = 0;
inline constexpr int kLine6EditNewer = 3;

inline const ImportFailure kIncompatiblePatch{
    "AMLPIX 32 can only open patches created for POD 2, Flextone II, or the original POD Pro. "
    "Line 6 Edit patches created for Vetta II, Flextone III, HD 147, or the POD XT series "
    "are not compatible with AMPLIX 32.",
    "Incompatible Patch File"};

// The chooser's information texts, in this order.
enum class Line6EditText : std::size_t { Amp, Pickup, Style, Band, Song, Guitarist, Author, Comment };
inline constexpr std::size_t kLine6EditTextCount = 8;

struct Line6EditInformation {
    // Empty when the block is too short to hold anything: the chooser then keeps what it showed.
    std::vector<std::string> texts;
    int generation = kLine6EditOlder;
};

// The information block that belongs to the patch whose "PATC" lies at patchPosition.
Line6EditInformation readLine6EditInformation(std::span<const std::uint8_t> file, std::size_t patchPosition);

struct Line6EditListing {
    std::vector<ImportEntry> entries; // position: the "PATC" of each patch; information as above
    std::optional<ImportFailure> failure;
};

// Lists the patches of a whole file: one for a single patch (after its device check), every
// patch made for an accepted device for a bundle or collection, at most kMaxImportEntries.
Line6EditListing listLine6EditFile(std::span<const std::uint8_t> file, int patchType);

} // namespace amplix
