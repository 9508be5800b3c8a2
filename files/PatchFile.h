// The editor's own patch files: a single-patch dump (151 bytes) or a bank dump (5121 bytes).
#pragma once

#include "patch/SysexFormat.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace amplix {

enum class PatchFileStatus {
    SinglePatch, // the first 151 bytes are in the buffer
    Bank,        // the first 5121 bytes are in the buffer
    TooShort,    // fewer bytes than the dump its header announces ("Error reading from file!")
    BadFormat,   // neither dump header, or a byte no device sends ("Error!  Invalid File format.")
};

struct PatchFileRead {
    PatchFileStatus status;
    std::optional<InvalidDumpByte> invalidByte; // why a dump with a good header is BadFormat
};

// Reads a file's bytes into the patch buffer as the editor always has: by the first seven
// bytes, never by the extension; whatever follows the dump is ignored. A dump holding a byte
// the device could not have sent is refused: sent on, it would break off at a status byte and
// the rest would reach the device as other messages. A file too short for a single patch, or
// refused as a single patch, leaves what it has of 151 bytes in the buffer; a bank file too
// short or refused leaves the buffer as it was after the first 151 bytes.
PatchFileRead readPatchFile(std::span<const std::uint8_t> file, std::span<std::uint8_t> buffer);

// The file name a save proposes for a patch of that (Latin-1) name, without its extension:
// the name without its padding, each character no file system takes (/ \ : * ? " < > |, control
// characters) as '_', and no leading dot that would hide the file. Empty when nothing is left.
std::string fileNameForPatch(std::string_view latin1Name);

// The chooser's lines of a bank dump: location label, two blanks, the name up to its first 00.
std::vector<std::string> bankListing(std::span<const std::uint8_t> bank);

// Turns patch n (0 to 35) of the bank dump in buffer into a single-patch dump in place; byte 7
// stays as the bank had it. False for any other n.
bool bankEntryToSingleDump(std::span<std::uint8_t> buffer, int n);

} // namespace amplix
