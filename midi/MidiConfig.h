// AMPLIX.CNF: the MIDI channel and the input and output devices, kept between runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace amplix {

inline constexpr const char* kConfigFileName = "AMPLIX.CNF";
// The first four bytes: channel (low 4 bits), input index, output index, 0.
inline constexpr std::size_t kConfigSize = 4;
// After them, device names, so a device is found again when the system numbers its devices
// differently: the tag, then a length byte and the input name, a length byte and the output
// name (UTF-8, at most 255 bytes each).
inline constexpr std::uint8_t kConfigNamesTag[4] = {'A', 'X', 'N', 1};
inline constexpr std::size_t kConfigMaxName = 255;

struct MidiConfig {
    int channel = 0;
    unsigned inputPort = 0;
    unsigned outputPort = 0;
    std::string inputName;
    std::string outputName;
};

std::vector<std::uint8_t> encodeMidiConfig(const MidiConfig& config);
// Fewer than four bytes: no configuration. Names that are missing or malformed read as empty.
std::optional<MidiConfig> decodeMidiConfig(std::span<const std::uint8_t> bytes);

// The index to open: the stored one, unless it no longer names the stored device and another
// device of that name exists (the first one).
unsigned resolveDevice(unsigned storedIndex, const std::string& storedName,
                       const std::vector<std::string>& names);

} // namespace amplix
