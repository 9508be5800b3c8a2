// Any patch file as the editor takes it: what its chooser lists, and the dump each choice sends.
#pragma once

#include "import/GuitarPort.h"
#include "import/ImportCommon.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace amplix {

// File > Import reads a file whole: far beyond any patch library, small enough to hold in
// memory without thought. File > Open never reads more than a bank.
inline constexpr std::size_t kMaxImportFileSize = 64 * 1024 * 1024;
inline constexpr std::size_t kPatchFileReadLimit = kBankDumpSize;

// File > Open's messages: a file too short for the dump its header announces, and a file with
// neither dump header or with a byte in its dump that no device sends.
inline const ImportFailure kPatchFileReadError{"Error reading from file!", "Error!!"};
inline const ImportFailure kInvalidFileFormat{"Error!  Invalid File format.", "Error!!"};

enum class SourceKind { SinglePatch, Bank, SoundDiver, Line6Edit, GuitarPort };

// An opened file: either why nothing can be taken from it, or its entries in the order the
// editor's chooser lists them.
struct PatchSource {
    SourceKind kind = SourceKind::SinglePatch;
    std::optional<ImportFailure> failure;
    std::vector<std::uint8_t> bytes;  // as read; the editor's own files: the dump only
    std::string latin1Path;           // a GuitarPort patch is named after its file
    std::vector<ImportEntry> entries; // names as the chooser shows them (8-bit characters)
    GuitarPortListing guitarPort;     // the GuitarPort dialog's texts and whether it asks COMP or MOD
    // The editor's own file refused for a byte no device sends: which byte, for amplix-patch.
    std::optional<InvalidDumpByte> invalidByte;

    bool ok() const { return !failure.has_value(); }
    // The location label ("1A" .. "9D") of a bank entry; empty for every other kind.
    std::string label(std::size_t n) const;
};

// File > Open: a single-patch or bank file, told by its first seven bytes.
PatchSource openPatchFile(std::span<const std::uint8_t> bytes);

// File > Import: a SoundDiver library, a Line 6 Edit file or a GuitarPort patch, told by its
// first bytes; latin1Path is the file's path as 8-bit characters.
PatchSource openImportFile(std::span<const std::uint8_t> bytes, std::string_view latin1Path);

// The single formats, as File > Import hands the file on once it knows the format.
PatchSource openSoundDiver(std::span<const std::uint8_t> bytes, bool reversed);
PatchSource openLine6Edit(std::span<const std::uint8_t> bytes, int patchType);
PatchSource openGuitarPort(std::span<const std::uint8_t> bytes, std::string_view latin1Path);

// Either command, for a caller without menus: the file goes the way its content says. A file
// neither reads fails as File > Import would fail it when its extension is one that command's
// file dialog offers (.LIB .L6T .L6B .L6C .GPT), else as File > Open would.
PatchSource openAnyPatchFile(std::span<const std::uint8_t> bytes, std::string_view latin1Path);
// Which of the two openAnyPatchFile hands the file to, for a caller that runs the command
// itself (a file dropped, a recent file): the first kImportHeaderSize bytes are enough.
bool takenByImport(std::span<const std::uint8_t> head, std::string_view latin1Path);

// The GuitarPort dialog's outcome: kNoEffectChoice when it asks nothing, else the answer given,
// and MOD, the selection it opens with, when none is given.
int guitarPortChoice(const PatchSource& source, std::optional<int> answer);

// The 151-byte dump entry n sends (modOrComp: the GuitarPort choice), or the message the
// editor shows instead. An n outside the entries gives a failure with an empty text: the
// editor then shows and sends nothing.
ImportResult sourceDump(const PatchSource& source, std::size_t n, int modOrComp = kNoEffectChoice);

// One entry of a file as the library lists it: the chooser's name and the record the importer
// converts it to, or the message the importer would show instead.
struct ListedPatch {
    std::string name;
    std::optional<PatchRecord> record;
    ImportFailure failure;
};
// Every entry of an opened file, in the chooser's order, each converted as its importer
// converts it (modOrComp: the GuitarPort choice). A source that failed lists nothing.
std::vector<ListedPatch> listPatches(const PatchSource& source, int modOrComp = kNoEffectChoice);

} // namespace amplix
