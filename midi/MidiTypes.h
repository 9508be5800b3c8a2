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
inline constexpr std::uint8_t kControlChange = 0xB0;
inline constexpr std::uint8_t kProgramChange = 0xC0;
inline constexpr std::uint8_t kSysexStart = 0xF0;
inline constexpr std::uint8_t kSysexEnd = 0xF7;

inline constexpr int kMidiChannels = 16;

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
