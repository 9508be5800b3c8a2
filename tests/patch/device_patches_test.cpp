// The names the editor shows for the device's locations, known or not.
#include "patch/DevicePatches.h"

#include <gtest/gtest.h>

#include <string>

using namespace amplix;

namespace {

PatchRecord named(const std::string& name) {
    PatchRecord r{};
    std::string n = name;
    n.resize(kNameLength, ' ');
    std::copy(n.begin(), n.end(), r.begin() + kNameOffset);
    return r;
}

} // namespace

TEST(DevicePatches, EntriesNameTheLocationThenThePatch) {
    struct Case {
        std::size_t location;
        std::string name;
        std::string entry, menu;
    };
    PatchRecord cut = named("Ab");
    cut[kNameOffset + 2] = 0; // the name ends at a 00
    PatchRecord tab = named("a");
    tab[kNameOffset + 1] = '\t';
    tab[kNameOffset + 2] = 'b';
    const Case cases[] = {
        {10, "Brit Crunch", "3C  Brit Crunch", "3&C  Brit Crunch"},
        {0, "R&B", "1A  R&B", "1&A  R&&B"}, // a name's & stays a character
        {35, "Sixteen chars!!!", "9D  Sixteen chars!!!", "9&D  Sixteen chars!!!"},
        {4, "", "2A", "2&A"},                                // blank: the location alone
        {5, "  Lead", "2B    Lead", "2&B    Lead"},          // leading blanks are the name's own
        {6, "\xE9t\xE9", "2C  \xE9t\xE9", "2&C  \xE9t\xE9"}, // Latin-1 as it is
    };
    for (const Case& c : cases) {
        DevicePatches known;
        known.hold(c.location, named(c.name));
        EXPECT_EQ(known.entry(c.location), c.entry) << c.name;
        EXPECT_EQ(known.menuEntry(c.location), c.menu) << c.name;
    }
    DevicePatches known;
    known.hold(1, cut);
    known.hold(2, tab);
    EXPECT_EQ(known.entry(1), "1B  Ab");
    EXPECT_EQ(known.entry(2), "1C  a b"); // a tab would open the menu's shortcut column
}

TEST(DevicePatches, UnknownLocationsShowTheLabelAloneUntilHeldAndAfterForget) {
    DevicePatches known;
    EXPECT_EQ(known.entry(8), "3A");
    EXPECT_EQ(known.menuEntry(8), "3&A");
    EXPECT_EQ(known.name(8), "");
    known.hold(36, named("Past 9D")); // nowhere: nothing changes
    for (std::size_t n = 0; n < kPatchLocations; ++n)
        EXPECT_FALSE(known.known(n)) << n;

    DevicePatches::Records bank{};
    for (std::size_t n = 0; n < kPatchLocations; ++n)
        bank[n] = named("P" + std::to_string(n));
    const auto dump = buildBankDump(bank);
    known.holdAll(bankRecords(dump));
    EXPECT_EQ(known.entry(0), "1A  P0");
    EXPECT_EQ(known.entry(35), "9D  P35");
    known.hold(35, named("Stored"));
    EXPECT_EQ(known.menuEntry(35), "9&D  Stored");
    EXPECT_EQ(known.entry(34), "9C  P34");
    known.forget();
    EXPECT_EQ(known.entry(35), "9D");
    EXPECT_FALSE(known.known(0));
}
