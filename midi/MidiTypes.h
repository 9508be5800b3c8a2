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
enum class MidiResult : int {
    Ok = 0,
    Error = 1,
    BadDeviceId = 2,   // no such device
    Allocated = 4,     // device busy or refused
    InvalidHandle = 5, // not an open port
    NoMemory = 7,
};

// The one receive buffer: large enough for the 5121-byte bank dump in one piece.
inline constexpr std::size_t kSysexBufferSize = 5200;

struct SysexBuffer {
    std::array<std::uint8_t, kSysexBufferSize> data{};
    std::size_t bytesRecorded = 0;
};

} // namespace amplix
