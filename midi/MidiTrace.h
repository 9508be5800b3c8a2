// An optional trace of the MIDI traffic on standard error, for finding out why a device is silent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace amplix {

// On when the environment variable AMPLIX_MIDI_TRACE is set to anything but "0" or empty.
bool midiTraceEnabled();

// "F0 00 01 0C 01 00 01 F7"; messages longer than maxBytes end in " ... (151 bytes)".
std::string hexBytes(const std::uint8_t* data, std::size_t size, std::size_t maxBytes = 16);

// Writes "amplix32: <what>" and, when given, the bytes, as one line.
void midiTrace(std::string_view what, const std::uint8_t* data = nullptr, std::size_t size = 0);

} // namespace amplix
