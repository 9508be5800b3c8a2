// Device names as the MIDI systems list them, and finding a device again by its name.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace amplix {

// ALSA names a port "client:port 20:0", with the sequencer address at the end. The address may
// change when a device is plugged in again or a program restarts; the rest stays.
struct SequencerAddress {
    int client = 0;
    int port = 0;
    bool operator==(const SequencerAddress&) const = default;
};
std::optional<SequencerAddress> sequencerAddress(std::string_view name);
// The name without a trailing sequencer address; other names unchanged.
std::string_view withoutSequencerAddress(std::string_view name);

// The index of the device called name: the first listed under exactly that name, else the first
// whose name differs from it only in the sequencer address.
std::optional<std::size_t> findDevice(std::string_view name, const std::vector<std::string>& names);

} // namespace amplix
