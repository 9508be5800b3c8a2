// What every importer shares: format recognition, a bounds-checked reader, the name-fill rule.
#pragma once

#include "patch/SysexFormat.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace amplix {

inline constexpr std::size_t kImportHeaderSize = 20; // read before the format is decided
inline constexpr std::size_t kMaxImportEntries = 1000;

enum class ImportFormat {
    SoundDiverReversed, // "MROF" .. "BLSS" "RDHL"
    SoundDiver,         // "FORM" .. "SSLB" "LHDR"
    Line6EditPatch,     // "FORM" .. "L6PA"
    Line6EditBundle,    // "FORM" .. "L6BA" or "L6CO"
    GuitarPort,         // "FORM" .. "L6GP"
    Invalid,
};

// Decided by the first 16 bytes only, never by the file's name.
ImportFormat recognizeImport(std::span<const std::uint8_t> header);

// A message for the user: the text and the caption of its box (empty: the default "Error").
struct ImportFailure {
    std::string text;
    std::string caption;
};

inline const ImportFailure kCouldNotOpen{"Error: Couldn't open file.", "Error!!"};
inline const ImportFailure kReadError{"Error reading from file!", "Error!!"};
inline const ImportFailure kNotAPatchFile{"Not a valid patch file.", "Error!"};

// One patch a file offers: its name as listed, where it starts, and what a chooser shows of it.
struct ImportEntry {
    std::string name;                     // as the chooser lists it (8-bit characters)
    std::size_t position = 0;             // where its data starts in the file
    int deviceCode = 0;                   // Line 6 Edit: the device the patch was made for
    std::vector<std::string> information; // texts a chooser shows for the selected entry
};

// The result of converting one entry: a complete 151-byte single-patch dump, or why not.
struct ImportResult {
    std::optional<std::array<std::uint8_t, kSingleDumpSize>> dump;
    ImportFailure failure;
    bool ok() const { return dump.has_value(); }
};

// The name-fill rule: characters up to the first NUL or the 16th, spaces after them.
void fillPatchName(PatchRecord& record, std::string_view name);

// Reads a file held in memory: every read past the end fails and is seen, nothing moves
// outside the bytes.
class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::size_t size() const { return bytes_.size(); }
    std::size_t position() const { return position_; }
    std::size_t remaining() const { return bytes_.size() - position_; }
    bool atEnd() const { return position_ >= bytes_.size(); }

    bool seek(std::size_t position);
    bool skip(std::size_t count);
    bool read(std::uint8_t& byte);
    bool read(std::span<std::uint8_t> out);
    // Big- and little-endian unsigned words.
    bool readBig32(std::uint32_t& value);
    bool readLittle32(std::uint32_t& value);
    bool readBig16(std::uint16_t& value);
    // The next occurrence of tag at or after the position; the position is then just past it.
    bool find(std::string_view tag);
    std::span<const std::uint8_t> bytes() const { return bytes_; }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t position_ = 0;
};

} // namespace amplix
