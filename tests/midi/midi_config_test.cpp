// AMPLIX.CNF: the four bytes as they always were, the device names after them.
#include "midi/DeviceNames.h"
#include "midi/MidiConfig.h"

#include <gtest/gtest.h>

using namespace amplix;
using Bytes = std::vector<std::uint8_t>;

TEST(MidiConfig, FourBytesThenNamesAndOddFilesReadByTheirFirstFourBytes) {
    const Bytes bytes = encodeMidiConfig({3, 1, 2, "POD In", "POD Out"});
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 4), (Bytes{3, 1, 2, 0}));
    const auto back = decodeMidiConfig(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(std::tie(back->channel, back->inputPort, back->outputPort, back->inputName, back->outputName),
              std::make_tuple(3, 1u, 2u, std::string("POD In"), std::string("POD Out")));
    // Cut at 255 bytes, never inside a character.
    const auto cut =
        decodeMidiConfig(encodeMidiConfig({0, 0, 0, std::string(254, 'a') + "\xC3\xA9\xC3\xA9", ""}));
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->inputName, std::string(254, 'a'));

    EXPECT_FALSE(decodeMidiConfig(Bytes{}));
    EXPECT_FALSE(decodeMidiConfig(Bytes{1, 2, 3}));
    // The channel's low 4 bits only; a tag whose name runs past the end is ignored.
    for (const Bytes& odd : {Bytes{0x13, 1, 2, 0x55}, Bytes{0x03, 1, 2, 0, 'A', 'X', 'N', 1, 200, 'x'}}) {
        const auto config = decodeMidiConfig(odd);
        ASSERT_TRUE(config);
        EXPECT_EQ(std::tie(config->channel, config->inputPort, config->outputPort, config->inputName,
                           config->outputName),
                  std::make_tuple(3, 1u, 2u, std::string(), std::string()));
    }
}

TEST(MidiConfig, DevicesAreFoundAgainByName) {
    const std::vector<std::string> names = {"USB MIDI 2", "USB MIDI 1", "Amplix POD Simulator", "USB MIDI 1"};
    EXPECT_EQ(resolveDevice(1, "", names), 1u);           // a plain file keeps its index
    EXPECT_EQ(resolveDevice(1, "USB MIDI 1", names), 1u); // still in its place
    EXPECT_EQ(resolveDevice(0, "USB MIDI 1", names), 1u); // moved: the first device of that name
    EXPECT_EQ(resolveDevice(3, "USB MIDI 1", names), 3u); // a second one of that name keeps its place
    EXPECT_EQ(resolveDevice(0, "Gone", names), 0u);       // gone: the index as stored
    EXPECT_EQ(resolveDevice(9, "Amplix POD Simulator", names), 2u); // stored index past the list
}

// ALSA puts the sequencer address at the end of a name, and it may change when the interface is
// plugged in again: the device is still found, the exact name preferred.
TEST(MidiConfig, AlsaDevicesAreFoundWhenTheirAddressChanged) {
    const std::string stored = "USB MIDI Interface:USB MIDI Interface MIDI 1 20:0";
    const std::vector<std::string> moved = {"Midi Through:Midi Through Port-0 14:0",
                                            "USB MIDI Interface:USB MIDI Interface MIDI 1 24:0",
                                            "Amplix POD Simulator"};
    EXPECT_EQ(resolveDevice(0, stored, moved), 1u);
    EXPECT_EQ(resolveDevice(1, stored, moved), 1u);
    const std::vector<std::string> two = {"USB MIDI Interface:USB MIDI Interface MIDI 1 24:0",
                                          "USB MIDI Interface:USB MIDI Interface MIDI 1 20:0",
                                          "USB MIDI Interface:USB MIDI Interface MIDI 1 28:0"};
    EXPECT_EQ(resolveDevice(2, stored, two), 1u); // the exact name wins
    EXPECT_EQ(resolveDevice(2, "USB MIDI Interface:USB MIDI Interface MIDI 1 32:0", two), 2u);
    EXPECT_EQ(resolveDevice(0, "USB MIDI Interface:USB MIDI Interface MIDI 2 20:0", two), 0u); // another port

    struct Case {
        const char* name;
        std::optional<SequencerAddress> address;
        const char* rest;
    };
    for (const Case& c :
         {Case{"Midi Through:Midi Through Port-0 14:0", SequencerAddress{14, 0},
               "Midi Through:Midi Through Port-0"},
          Case{"A:B 128:12", SequencerAddress{128, 12}, "A:B"},
          Case{"Amplix POD Simulator", std::nullopt, "Amplix POD Simulator"},
          Case{"POD out:out", std::nullopt, "POD out:out"}, Case{"A:B 1280:0", std::nullopt, "A:B 1280:0"},
          Case{"A:B 20:", std::nullopt, "A:B 20:"}, Case{"A:B 2x:0", std::nullopt, "A:B 2x:0"},
          Case{" 20:0", std::nullopt, " 20:0"}}) {
        EXPECT_EQ(sequencerAddress(c.name), c.address) << c.name;
        EXPECT_EQ(withoutSequencerAddress(c.name), c.rest) << c.name;
    }
}

// The status line names the device, not the port: ALSA's and JACK's client, the whole name
// otherwise; both devices when they differ; the built-in one by a word.
TEST(DeviceNames, TheConnectionIsSaidByDeviceAndChannel) {
    const std::string usb = "USB MIDI Interface:USB MIDI Interface MIDI 1 20:0";
    const std::string sim = "Amplix POD Simulator";
    struct Case {
        std::string in, out;
        int channel;
        const char* said;
    };
    for (const Case& c :
         {Case{usb, usb, 0, "POD on USB MIDI Interface, channel 1"},
          Case{usb, "USB MIDI Interface:USB MIDI Interface MIDI 1 24:0", 15,
               "POD on USB MIDI Interface, channel 16"},
          Case{"system:midi_capture_1", "system:midi_playback_1", 2, "POD on system, channel 3"},
          Case{"Midi Through:Midi Through Port-0 14:0", usb, 0,
               "POD on Midi Through (in) and USB MIDI Interface (out), channel 1"},
          Case{sim, sim, 4, "Simulator"},
          Case{sim, usb, 0, "POD on Amplix POD Simulator (in) and USB MIDI Interface (out), channel 1"},
          Case{":odd", "plain", 0, "POD on :odd (in) and plain (out), channel 1"}})
        EXPECT_EQ(connectionSummary(c.in, c.out, c.channel), c.said) << c.in << " / " << c.out;
}
