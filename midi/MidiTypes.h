// MIDI handles, open results, short-message packing and the SysEx receive buffer.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace amplix {

// An open port is named by a handle that is never reused, so a buffer or event that belongs
// to a port closed meanwhile is recognised as stale.
using MidiHandle = std::uint64_t;
inline constexpr MidiHandle kNoHandle = 0;
MidiHandle nextMidiHandle();

// Results of the MIDI service, numbered as the editor has always told them apart.
inline constexpr int kMidiOk = 0;
inline constexpr int kMidiError = 1;
inline constexpr int kMidiBadDeviceId = 2;
inline constexpr int kMidiAllocated = 4;
inline constexpr int kMidiInvalidHandle = 5;
inline constexpr int kMidiNoMemory = 7;

// Status bytes.
inline constexpr std::uint8_t kStatusBit = 0x80;
inline constexpr std::uint8_t kMessageTypeMask = 0xF0;
inline constexpr std::uint8_t kControlChange = 0xB0;
inline constexpr std::uint8_t kProgramChange = 0xC0;
inline constexpr std::uint8_t kChannelPressure = 0xD0;
inline constexpr std::uint8_t kSystemMessage = 0xF0;
inline constexpr std::uint8_t kSysexStart = 0xF0;
inline constexpr std::uint8_t kTimeCodeQuarterFrame = 0xF1;
inline constexpr std::uint8_t kSongPosition = 0xF2;
inline constexpr std::uint8_t kSongSelect = 0xF3;
inline constexpr std::uint8_t kSysexEnd = 0xF7;

inline constexpr int kMidiChannels = 16;

// How many bytes the short message that a status byte starts has on the wire; 0 for a data
// byte and for the SysEx bytes F0 and F7, which start or end no short message.
constexpr std::size_t shortMessageLength(std::uint8_t status) {
    if (status < kStatusBit || status == kSysexStart || status == kSysexEnd)
        return 0;
    switch (status & kMessageTypeMask) {
    case kProgramChange:
    case kChannelPressure:
        return 2;
    case kSystemMessage:
        if (status == kTimeCodeQuarterFrame || status == kSongSelect)
            return 2;
        return status == kSongPosition ? 3 : 1; // the others carry no data
    default:
        return 3;
    }
}

// A short message travels as one word: status + data1 * 256 + data2 * 65536.
constexpr std::uint32_t packShortMessage(std::uint8_t status, std::uint8_t data1, std::uint8_t data2 = 0) {
    return std::uint32_t(status) | (std::uint32_t(data1) << 8) | (std::uint32_t(data2) << 16);
}
constexpr std::uint8_t shortStatus(std::uint32_t message) { return std::uint8_t(message & 0xFF); }
constexpr std::uint8_t shortData1(std::uint32_t message) { return std::uint8_t((message >> 8) & 0xFF); }
constexpr std::uint8_t shortData2(std::uint32_t message) { return std::uint8_t((message >> 16) & 0xFF); }

// The one receive buffer: large enough for the 5121-byte bank dump in one piece.
inline constexpr std::size_t kSysexBufferSize = 5200;

struct SysexBuffer {
    std::array<std::uint8_t, kSysexBufferSize> data{};
    std::size_t bytesRecorded = 0;
};

} // namespace amplix
