// AMPLIX.CNF: the four bytes as they always were, the device names after them.
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
