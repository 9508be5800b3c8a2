// Why a patch file was not taken, in one line that names the file: for the status line, the
// trace and amplix-patch, beside the message box whose text stays as it always was.
#pragma once

#include "import/PatchSource.h"

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

namespace amplix {

// A text of the core table with %1, %2, ... replaced by the values in that order.
std::string fillText(std::string_view text, std::initializer_list<std::string_view> values);

// "bank1.syx: 100 bytes; a bank has 5121", "notes.txt: not a patch or bank file": name is the
// file's name as shown, bytes what was read of it, source what was opened from them. Empty for
// a source that opened.
std::string fileFailureReason(std::string_view name, std::span<const std::uint8_t> bytes,
                              const PatchSource& source);

// "bank.syx: the byte at offset 301 is 0x55, more than a nibble (0x0F) holds"; value is the byte.
std::string invalidByteReason(std::string_view name, const InvalidDumpByte& invalid, std::uint8_t value);

// An entry that could not be converted: the importer's own message after the name.
std::string importerReason(std::string_view name, const ImportFailure& failure);

// The system's words (an errno text, Qt's errorString) for a file not opened or not written.
std::string unreadableReason(std::string_view name, std::string_view why);
std::string unwritableReason(std::string_view name, std::string_view why);

} // namespace amplix
