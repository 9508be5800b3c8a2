// AMPLIX.CNF: the four bytes as they always were, the device names after them.
#include "midi/MidiConfig.h"

#include <gtest/gtest.h>

using namespace amplix;

namespace {
std::optional<MidiConfig> decode(const std::vector<std::uint8_t>& bytes) { return decodeMidiConfig(bytes); }
} // namespace

TEST(MidiConfig, FirstFourBytesAreChannelInputOutputZero) {
    auto bytes = encodeMidiConfig({3, 1, 2, "POD In", "POD Out"});
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 4), (std::vector<std::uint8_t>{3, 1, 2, 0}));
    auto back = decode(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->channel, 3);
    EXPECT_EQ(back->inputPort, 1u);
    EXPECT_EQ(back->outputPort, 2u);
    EXPECT_EQ(back->inputName, "POD In");
    EXPECT_EQ(back->outputName, "POD Out");
}

TEST(MidiConfig, PlainAndOddFilesReadByTheirFirstFourBytes) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        bool valid;
        int channel;
        unsigned in, out;
    } cases[] = {
        {"empty", {}, false, 0, 0, 0},
        {"three bytes", {1, 2, 3}, false, 0, 0, 0},
        {"plain four bytes", {3, 1, 2, 0}, true, 3, 1, 2},
        {"only the low 4 bits of the channel", {0x13, 0, 0, 0x55}, true, 3, 0, 0},
        {"fifth byte ignored", {5, 6, 7, 0, 9}, true, 5, 6, 7},
        {"tag with a name running past the end", {0, 1, 1, 0, 'A', 'X', 'N', 1, 200, 'x'}, true, 0, 1, 1},
    };
    for (const auto& c : cases) {
        auto config = decode(c.bytes);
        ASSERT_EQ(config.has_value(), c.valid) << c.what;
        if (!config)
            continue;
        EXPECT_EQ(config->channel, c.channel) << c.what;
        EXPECT_EQ(config->inputPort, c.in) << c.what;
        EXPECT_EQ(config->outputPort, c.out) << c.what;
        EXPECT_TRUE(config->inputName.empty() && config->outputName.empty()) << c.what;
    }
}

TEST(MidiConfig, LongNamesAreCutAtACharacterBoundary) {
    std::string name(254, 'a');
    name += "\xC3\xA9\xC3\xA9"; // two two-byte characters straddling the 255-byte limit
    auto back = decode(encodeMidiConfig({0, 0, 0, name, ""}));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->inputName, std::string(254, 'a'));
}

TEST(MidiConfig, DevicesAreFoundAgainByName) {
    const std::vector<std::string> names = {"USB MIDI 2", "USB MIDI 1", "Amplix POD Simulator", "USB MIDI 1"};
    struct Case {
        unsigned stored;
        std::string name;
        unsigned expected;
    } cases[] = {
        {1, "", 1},                          // a plain file keeps its index
        {1, "USB MIDI 1", 1},                // still in its place
        {0, "USB MIDI 1", 1},                // moved: the first device of that name
        {3, "USB MIDI 1", 3},                // a second device of the same name keeps its place
        {0, "Gone", 0},                      // no such device any more: the index as stored
        {9, "Amplix POD Simulator", 2},      // stored index past the list
    };
    for (const auto& c : cases)
        EXPECT_EQ(resolveDevice(c.stored, c.name, names), c.expected) << c.stored << " " << c.name;
}
