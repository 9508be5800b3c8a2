// Fuzz target: AMPLIX.CNF as read at start-up, written back, and its devices found again.
#include "fuzz/FuzzCheck.h"
#include "midi/MidiConfig.h"

#include <cstdint>
#include <string>
#include <vector>

using namespace amplix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::optional<MidiConfig> config = decodeMidiConfig(std::span(data, size));
    FUZZ_CHECK(config.has_value() == (size >= kConfigSize));
    if (!config)
        return 0;
    FUZZ_CHECK(config->channel >= 0 && config->channel < 16);
    FUZZ_CHECK(config->inputPort <= 0xFF && config->outputPort <= 0xFF);
    FUZZ_CHECK(config->inputName.size() <= kConfigMaxName && config->outputName.size() <= kConfigMaxName);

    // What was read is written back unchanged, so the next start finds the same devices.
    const std::vector<std::uint8_t> written = encodeMidiConfig(*config);
    const std::optional<MidiConfig> again = decodeMidiConfig(written);
    FUZZ_CHECK(again && again->channel == config->channel && again->inputPort == config->inputPort &&
               again->outputPort == config->outputPort && again->inputName == config->inputName &&
               again->outputName == config->outputName);

    // The index to open is the stored one or that of a device with the stored name.
    const std::vector<std::string> devices = {"Amplix POD Simulator", config->outputName, config->inputName,
                                              ""};
    for (const auto& [index, name] : {std::pair{config->inputPort, config->inputName},
                                      std::pair{config->outputPort, config->outputName}}) {
        const unsigned chosen = resolveDevice(index, name, devices);
        FUZZ_CHECK(chosen == index || (chosen < devices.size() && devices[chosen] == name));
    }
    return 0;
}
