// Device names as the MIDI systems list them, and finding a device again by its name.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace amplix {

class MidiService;

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

// The device a port belongs to: ALSA's and JACK's "client:port" names give the client, which
// for a MIDI interface is the interface; other names are the device.
std::string_view deviceOfPort(std::string_view portName);

// A port's name for people: ALSA's "client:port 20:0" as the port alone ("USB MIDI Interface
// MIDI 1") where the port names its device itself; other names whole, without an address.
std::string portLabel(std::string_view portName);

// What the status line says of the ports in use: "POD on USB MIDI Interface, channel 1", each
// device named when input and output differ, or "Simulator" for the built-in one. channel 0..15.
std::string connectionSummary(std::string_view inputPort, std::string_view outputPort, int channel);

// Every input or output device, by its name, in the service's order.
std::vector<std::string> inputNames(MidiService& midi);
std::vector<std::string> outputNames(MidiService& midi);

// The index of the device called name: the first listed under exactly that name, else the first
// whose name differs from it only in the sequencer address.
std::optional<std::size_t> findDevice(std::string_view name, const std::vector<std::string>& names);

} // namespace amplix
