// What a library row shows of a record, and how its messages list locations: the texts both
// the desktop's Library and the page's show.
#include "patch/LibraryRow.h"

#include "tone/ToneLists.h"
#include "tone/ToneMap.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace amplix;

namespace {

PatchRecord withName(std::string_view name) {
    PatchRecord record{};
    for (std::size_t i = 0; i < kNameLength; ++i)
        record[kNameOffset + i] = i < name.size() ? std::uint8_t(name[i]) : std::uint8_t(' ');
    return record;
}

} // namespace

TEST(LibraryRow, TheAmpModelColumnNamesEveryModelAndNothingPastTheList) {
    PatchRecord record{};
    for (std::size_t model = 0; model < kAmpModelNames.size(); ++model) {
        storeRecordField("AmpModel", std::int64_t(model), record);
        EXPECT_EQ(ampModelText(record), kAmpModelNames[model]) << model;
    }
    for (const int past : {32, 33, 127, 255}) {
        storeRecordField("AmpModel", past, record);
        EXPECT_EQ(ampModelText(record), "") << past;
    }
}

TEST(LibraryRow, TheEffectColumnNamesTheEffectByItsCodeNotByItsPlaceInTheList) {
    PatchRecord record{};
    for (std::size_t index = 0; index < kEffectNames.size(); ++index) {
        const int code = effectCodeNamed(kEffectNames[index]);
        storeRecordField("EffectSel", code, record);
        EXPECT_EQ(effectText(record), kEffectNames[index]) << code;
    }
    // The list's order is not the codes' order: "Chorus 2" is neither index nor code of the other.
    storeRecordField("EffectSel", effectCodeNamed("Chorus 2"), record);
    EXPECT_NE(effectCodeNamed("Chorus 2"), 4);
    EXPECT_EQ(effectText(record), "Chorus 2");
}

TEST(LibraryRow, LocationListsAreLabelsJoinedByCommas) {
    const std::vector<std::size_t> none, one = {0}, three = {0, 9, 35};
    EXPECT_EQ(locationList(none), "");
    EXPECT_EQ(locationList(one), "1A");
    EXPECT_EQ(locationList(three), "1A, 3B, 9D");
}

TEST(LibraryRow, ARowsTitleIsItsLabelAndItsNameWithoutBlanksAround) {
    struct Case {
        std::size_t location;
        std::string name, title;
    };
    const std::vector<Case> cases = {
        {0, "Clean Sparkle", "1A Clean Sparkle"},
        {35, "  Lead  Tone  ", "9D Lead  Tone"},
        {5, "\xA0\tJazz\x85\r", "2B Jazz"}, // the Latin-1 blanks Qt's trimmed() takes too
        {1, "Caf\xE9", "1B Caf\xE9"},
        {2, "", "1C "},
        {3, std::string("Hi\0There", 8), "1D Hi"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(rowTitle(c.location, withName(c.name)), c.title) << c.name;
}

TEST(LibraryRow, ARowHoldsWhatEachColumnShows) {
    PatchRecord record = withName("Brit Crunch");
    storeRecordField("AmpModel", 6, record);
    storeRecordField("EffectSel", effectCodeNamed("Delay/Flanger 1"), record);
    const LibraryRow row = libraryRow(10, record);
    EXPECT_EQ(row.location, "3C");
    EXPECT_EQ(row.name, "Brit Crunch     ");
    EXPECT_EQ(row.ampModel, kAmpModelNames[6]);
    EXPECT_EQ(row.effect, "Delay/Flanger 1");
    EXPECT_EQ(row.title, "3C Brit Crunch");
}
