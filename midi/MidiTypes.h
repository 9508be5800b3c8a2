// MIDI handles, open results and the SysEx receive buffer.
#pragma once

#include "midi/MidiBytes.h"

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

// The one receive buffer: large enough for the 5121-byte bank dump in one piece.
inline constexpr std::size_t kSysexBufferSize = 5200;

struct SysexBuffer {
    std::array<std::uint8_t, kSysexBufferSize> data{};
    std::size_t bytesRecorded = 0;
};

} // namespace amplix
