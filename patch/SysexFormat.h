// The device's SysEx messages: requests, dumps, the store message and the nibble-pair record.
#pragma once

#include "midi/MidiTypes.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace amplix {

inline constexpr std::size_t kRequestSize = 8;
inline constexpr std::size_t kHeaderSize = 7;
inline constexpr std::size_t kRecordSize = 71; // 55 parameter bytes and a 16-character name
inline constexpr std::size_t kRecordParameterBytes = 55;
inline constexpr std::size_t kNameOffset = 55;
inline constexpr std::size_t kNameLength = 16;
inline constexpr std::size_t kRecordNibbles = 2 * kRecordSize; // 142
inline constexpr std::size_t kPatchLocations = 36;
inline constexpr std::size_t kSingleDumpSize = 151;
inline constexpr std::size_t kBankDumpSize = 5121;
inline constexpr std::size_t kStoreMessageSize = 152;
inline constexpr std::size_t kDumpByte7 = 7;      // carried, never interpreted
inline constexpr std::size_t kDumpDataOffset = 8; // record byte k at 8 + 2k and 9 + 2k
inline constexpr std::size_t kStoreLocationOffset = 7;
inline constexpr std::size_t kStoreDataOffset = 9;
inline constexpr std::uint8_t kNibbleMax = 0x0F;

// How long the device may take to answer a request, counted from when the cable has carried it:
// the edit buffer (151 bytes, about 50 ms on the cable) and the bank (5121 bytes, about 1.6 s).
inline constexpr int kEditBufferTimeoutMs = 1000;
inline constexpr int kBankTimeoutMs = 8000;

using Request = std::array<std::uint8_t, kRequestSize>;
using Header = std::array<std::uint8_t, kHeaderSize>;

inline constexpr Request kEditBufferRequest = {0xF0, 0x00, 0x01, 0x0C, 0x01, 0x00, 0x01, 0xF7};
inline constexpr Request kBankRequest = {0xF0, 0x00, 0x01, 0x0C, 0x01, 0x00, 0x02, 0xF7};
inline constexpr Header sysExHeader = {0xF0, 0x00, 0x01, 0x0C, 0x01, 0x01, 0x01};
inline constexpr Header sysExHeaderAll = {0xF0, 0x00, 0x01, 0x0C, 0x01, 0x01, 0x02};
inline constexpr Header kStoreHeader = {0xF0, 0x00, 0x01, 0x0C, 0x01, 0x01, 0x00};

using PatchRecord = std::array<std::uint8_t, kRecordSize>;

enum class DumpKind { SinglePatch, Bank, Other };

// A dump is told by its first seven bytes only.
DumpKind classifyDump(std::span<const std::uint8_t> message);

// Why a byte of a message could not have come from the device.
enum class DumpByteFault {
    StatusByte, // 80 or more before the end: the device breaks its SysEx off at such a byte
    BigNibble,  // above 0F where a record nibble stands
    NoEnd,      // the last byte is not the closing F7
};
struct InvalidDumpByte {
    std::size_t offset;
    DumpByteFault fault;
    bool operator==(const InvalidDumpByte&) const = default;
};

// The first byte of a whole dump or store message (from its F0 to its F7) that the device
// could not have sent: every byte after the F0 a data byte, each from dataOffset to the one
// before the last a nibble, F7 last. Nothing when there is none. The file readers and the
// device model ask this before they take a byte of a dump.
std::optional<InvalidDumpByte> firstInvalidDumpByte(std::span<const std::uint8_t> message,
                                                    std::size_t dataOffset = kDumpDataOffset);

// Record byte k of a dump whose nibble data starts at dataOffset.
std::uint8_t readRecordByte(std::span<const std::uint8_t> message, std::size_t dataOffset, std::size_t k);
void writeRecordByte(std::span<std::uint8_t> message, std::size_t dataOffset, std::size_t k,
                     std::uint8_t value);

PatchRecord readRecord(std::span<const std::uint8_t> message, std::size_t dataOffset);
void writeRecord(std::span<std::uint8_t> message, std::size_t dataOffset, const PatchRecord& record);

// Offset of patch n's nibble data in a bank dump.
constexpr std::size_t bankPatchOffset(std::size_t n) {
    return kDumpDataOffset + kRecordNibbles * n;
}

std::array<std::uint8_t, kSingleDumpSize> buildSingleDump(const PatchRecord& record, std::uint8_t byte7 = 0);
std::array<std::uint8_t, kBankDumpSize> buildBankDump(const std::array<PatchRecord, kPatchLocations>& patches,
                                                      std::uint8_t byte7 = 0);

// The name of a single-patch dump as shown: record bytes 55 to 70 up to the first 00, as
// 8-bit (Latin-1) characters.
std::string dumpName(std::span<const std::uint8_t> dump);
// Writes a name into a single-patch dump: its characters up to the first 00 or the 16th, then
// spaces. Every other byte of the dump is left as it was.
void writeDumpName(std::span<std::uint8_t> dump, std::string_view latin1Name);

// Turns the single-patch dump at the start of message into the store message for a location,
// in place: bytes 7 to 150 move up by one, byte 6 becomes 00 and byte 7 the location.
// message must hold at least 152 bytes.
void makeStoreMessage(std::span<std::uint8_t> message, int location);

// A bank dump as the 36 store messages that put its patches into the device, location n from the
// bank's patch n, each with the bank's byte 7; empty for anything but a whole bank dump. An output
// that cannot pace one long SysEx (a browser's) sends a bank so: each message alone fits any
// interface's buffer.
std::vector<std::array<std::uint8_t, kStoreMessageSize>>
bankStoreMessages(std::span<const std::uint8_t> bank);

// "1A" .. "9D" for locations 0 .. 35.
std::string locationLabel(std::size_t location);
// The location a label names, "1A" to "9D" (the letter in either case); nothing for others.
std::optional<std::size_t> locationOfLabel(std::string_view label);

// The window title for a program: 0 is Manual Mode, 1 .. 36 the patches "1A" .. "9D".
inline constexpr int kLastProgram = 36;
std::string programTitle(int program);

} // namespace amplix
