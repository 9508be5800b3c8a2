// Device names: the sequencer address at their end, and the search by name.
#include "midi/DeviceNames.h"

#include "midi/MidiService.h"
#include "midi/SimulatorMidiService.h"

#include <algorithm>
#include <charconv>

namespace amplix {
namespace {

constexpr int kLargestClient = 255;
constexpr int kLargestPort = 255;

// A number of one to three digits, nothing else.
std::optional<int> smallNumber(std::string_view digits, int largest) {
    int value = 0;
    if (digits.empty() || digits.size() > 3)
        return std::nullopt;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size() || value > largest)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<SequencerAddress> sequencerAddress(std::string_view name) {
    const auto space = name.rfind(' ');
    if (space == std::string_view::npos || space == 0)
        return std::nullopt;
    const std::string_view address = name.substr(space + 1);
    const auto colon = address.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    const auto client = smallNumber(address.substr(0, colon), kLargestClient);
    const auto port = smallNumber(address.substr(colon + 1), kLargestPort);
    if (!client || !port)
        return std::nullopt;
    return SequencerAddress{*client, *port};
}

std::string_view withoutSequencerAddress(std::string_view name) {
    return sequencerAddress(name) ? name.substr(0, name.rfind(' ')) : name;
}

std::optional<std::size_t> findDevice(std::string_view name, const std::vector<std::string>& names) {
    if (name.empty())
        return std::nullopt;
    auto found = std::find(names.begin(), names.end(), name);
    if (found == names.end()) {
        const std::string_view base = withoutSequencerAddress(name);
        found = std::find_if(names.begin(), names.end(), [&](const std::string& listed) {
            return withoutSequencerAddress(listed) == base;
        });
    }
    if (found == names.end())
        return std::nullopt;
    return std::size_t(found - names.begin());
}

std::vector<std::string> inputNames(MidiService& midi) {
    std::vector<std::string> names;
    for (unsigned i = 0, n = midi.inputCount(); i < n; ++i)
        names.push_back(midi.inputName(i));
    return names;
}

std::vector<std::string> outputNames(MidiService& midi) {
    std::vector<std::string> names;
    for (unsigned i = 0, n = midi.outputCount(); i < n; ++i)
        names.push_back(midi.outputName(i));
    return names;
}

std::string_view deviceOfPort(std::string_view portName) {
    const std::string_view name = withoutSequencerAddress(portName);
    const auto colon = name.find(':');
    return colon == std::string_view::npos || colon == 0 ? name : name.substr(0, colon);
}

std::string portLabel(std::string_view portName) {
    const std::string_view bare = withoutSequencerAddress(portName);
    const std::string_view device = deviceOfPort(bare);
    if (device.size() < bare.size()) {
        const std::string_view port = bare.substr(device.size() + 1);
        if (port.substr(0, device.size()) == device)
            return std::string(port);
    }
    return std::string(bare);
}

std::string connectionSummary(std::string_view inputPort, std::string_view outputPort, int channel) {
    const std::string_view simulator = SimulatorMidiService::kDeviceName;
    if (inputPort == simulator && outputPort == simulator)
        return "Simulator";
    const std::string_view in = deviceOfPort(inputPort), out = deviceOfPort(outputPort);
    std::string text = "POD on ";
    if (in == out)
        text += in;
    else
        text.append(in).append(" (in) and ").append(out).append(" (out)");
    return text + ", channel " + std::to_string(channel + 1);
}

} // namespace amplix
