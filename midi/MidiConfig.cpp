// Reading and writing AMPLIX.CNF.
#include "midi/MidiConfig.h"

#include "midi/DeviceNames.h"

#include <algorithm>

namespace amplix {

namespace {

// Cut a UTF-8 name at a character boundary.
std::string limitName(const std::string& name) {
    if (name.size() <= kConfigMaxName)
        return name;
    std::size_t end = kConfigMaxName;
    while (end > 0 && (std::uint8_t(name[end]) & 0xC0) == 0x80)
        --end;
    return name.substr(0, end);
}

void appendName(std::vector<std::uint8_t>& out, const std::string& name) {
    const std::string limited = limitName(name);
    out.push_back(std::uint8_t(limited.size()));
    for (char c : limited)
        out.push_back(std::uint8_t(c));
}

bool readName(std::span<const std::uint8_t> bytes, std::size_t& at, std::string& name) {
    if (at >= bytes.size())
        return false;
    std::size_t length = bytes[at++];
    if (bytes.size() - at < length)
        return false;
    name.assign(reinterpret_cast<const char*>(bytes.data() + at), length);
    at += length;
    return true;
}

} // namespace

std::vector<std::uint8_t> encodeMidiConfig(const MidiConfig& config) {
    std::vector<std::uint8_t> out = {std::uint8_t(config.channel & 0x0F),
                                     std::uint8_t(config.inputPort & 0xFF),
                                     std::uint8_t(config.outputPort & 0xFF), 0};
    for (std::uint8_t b : kConfigNamesTag)
        out.push_back(b);
    appendName(out, config.inputName);
    appendName(out, config.outputName);
    return out;
}

std::optional<MidiConfig> decodeMidiConfig(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kConfigSize)
        return std::nullopt;
    MidiConfig config;
    config.channel = bytes[0] & 0x0F;
    config.inputPort = bytes[1];
    config.outputPort = bytes[2];

    auto rest = bytes.subspan(kConfigSize);
    if (rest.size() < sizeof kConfigNamesTag ||
        !std::equal(std::begin(kConfigNamesTag), std::end(kConfigNamesTag), rest.begin()))
        return config;
    std::size_t at = sizeof kConfigNamesTag;
    std::string in, out;
    if (readName(rest, at, in) && readName(rest, at, out)) {
        config.inputName = std::move(in);
        config.outputName = std::move(out);
    }
    return config;
}

unsigned resolveDevice(unsigned storedIndex, const std::string& storedName,
                       const std::vector<std::string>& names) {
    if (storedName.empty())
        return storedIndex;
    if (storedIndex < names.size() && names[storedIndex] == storedName)
        return storedIndex;
    // On ALSA a device plugged in again may come back under another sequencer address.
    const auto found = findDevice(storedName, names);
    if (!found)
        return storedIndex;
    if (names[*found] != storedName && storedIndex < names.size() &&
        withoutSequencerAddress(names[storedIndex]) == withoutSequencerAddress(storedName))
        return storedIndex;
    return unsigned(*found);
}

} // namespace amplix
