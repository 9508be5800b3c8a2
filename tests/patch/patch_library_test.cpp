// The library's steps: each changes what it names and nothing else, undo and redo retrace them
// exactly, and the changed marks follow what the device holds.
#include "patch/PatchLibrary.h"
#include "patch/PatchText.h"
#include "tests/support/TestPatchFiles.h"
#include "tone/ToneMap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace amplix;

namespace {

PatchLibrary readFromDevice() {
    PatchLibrary library;
    library.load(patchfiles::bankRecords());
    return library;
}

} // namespace

TEST(PatchLibrary, EachStepChangesWhatItNamesAndIsMarked) {
    PatchLibrary library = readFromDevice();
    const auto device = patchfiles::bankRecords();
    EXPECT_TRUE(library.changedLocations().empty());
    EXPECT_FALSE(library.canUndo());

    EXPECT_TRUE(library.swap(0, 5)); // 1A and 2B
    EXPECT_EQ(library.record(0), device[5]);
    EXPECT_EQ(library.record(5), device[0]);
    EXPECT_EQ(library.undoText(), "Undo Swap 1A and 2B");

    EXPECT_TRUE(library.copy(35, 1)); // 9D onto 1B
    EXPECT_EQ(library.record(1), device[35]);
    EXPECT_EQ(library.record(35), device[35]);

    EXPECT_TRUE(library.rename(2, "Lead"));
    EXPECT_EQ(library.name(2), "Lead            "); // the device's padding
    EXPECT_TRUE(std::equal(device[2].begin(), device[2].begin() + kNameOffset, library.record(2).begin()));

    const PatchRecord panel = patchfiles::record("Panel Sound", 99);
    EXPECT_TRUE(library.put(8, panel));
    EXPECT_EQ(library.record(8), panel);
    EXPECT_EQ(library.changedLocations(), (std::vector<std::size_t>{0, 1, 2, 5, 8}));

    // What would change nothing is no step; locations past 9D are refused.
    EXPECT_FALSE(library.swap(3, 3));
    EXPECT_FALSE(library.copy(1, 1));
    EXPECT_FALSE(library.rename(2, "Lead"));
    EXPECT_FALSE(library.copy(0, 36));
    EXPECT_FALSE(library.put(36, panel));
    EXPECT_EQ(library.undoText(), "Undo Put a patch into 3A");
}

TEST(PatchLibrary, UndoAndRedoRetraceEveryStep) {
    PatchLibrary library = readFromDevice();
    std::mt19937 random(7);
    std::vector<PatchLibrary::Records> seen = {library.records()};
    for (int n = 0; n < 200; ++n) {
        const std::size_t a = random() % kPatchLocations, b = random() % kPatchLocations;
        bool stepped = false;
        switch (random() % 4) {
        case 0:
            stepped = library.swap(a, b);
            break;
        case 1:
            stepped = library.copy(a, b);
            break;
        case 2:
            stepped = library.rename(a, "R" + std::to_string(n));
            break;
        default:
            stepped = library.put(a, patchfiles::record("P" + std::to_string(n), std::uint8_t(n)));
            break;
        }
        if (stepped)
            seen.push_back(library.records());
    }
    for (std::size_t n = seen.size() - 1; n-- > 0;) {
        ASSERT_TRUE(library.undo());
        ASSERT_EQ(library.records(), seen[n]) << n;
    }
    EXPECT_FALSE(library.undo());
    EXPECT_TRUE(library.changedLocations().empty());
    for (std::size_t n = 1; n < seen.size(); ++n) {
        ASSERT_TRUE(library.redo());
        ASSERT_EQ(library.records(), seen[n]) << n;
    }
    EXPECT_FALSE(library.redo());

    // A new step after an undo ends what could be redone.
    library.undo();
    EXPECT_TRUE(library.canRedo());
    library.put(0, PatchRecord{});
    EXPECT_FALSE(library.canRedo());
    EXPECT_EQ(library.redoText(), "");
}

// Sent locations lose their mark; undoing a sent step marks the location again, since the
// device then holds something else; a new load starts over.
TEST(PatchLibrary, MarksFollowWhatTheDeviceHolds) {
    PatchLibrary library = readFromDevice();
    library.swap(0, 1);
    library.rename(7, "New");
    library.markSent(0);
    library.markSent(1);
    EXPECT_EQ(library.changedLocations(), std::vector<std::size_t>{7});
    library.undo(); // the rename: 2D is as the device has it again
    EXPECT_TRUE(library.changedLocations().empty());
    library.undo(); // the swap, already sent
    EXPECT_EQ(library.changedLocations(), (std::vector<std::size_t>{0, 1}));
    library.load(library.records());
    EXPECT_TRUE(library.changedLocations().empty());
    EXPECT_FALSE(library.canUndo());
}

// Two patches compared as the library shows them: by the controls' names, with the panel's
// values; a control only one of them uses is "(not used)" in the other.
TEST(PatchCompare, DifferencesAreNamedAsTheControlsAndValuedAsThePanelShowsThem) {
    PatchRecord a{};
    storeRecordField("AmpModel", 12, a);
    storeRecordField("EffectSel", effectCodeNamed("Chorus 1"), a);
    PatchRecord b = a;
    EXPECT_TRUE(comparePatches(a, b).empty());

    storeRecordField("Bass", 40, b); // the record holds half the controller's value
    storeRecordField("AmpModel", 13, b);
    auto dump = buildSingleDump(b);
    writeDumpName(dump, "Lead");
    b = readRecord(dump, kDumpDataOffset);
    EXPECT_EQ(comparePatches(a, b), (std::vector<PatchDifference>{
                                        {"Name", "", "Lead            "},
                                        {"Amp Model", "Brit Hi Gain", "Rectified"},
                                        {"Bass", "0", "80"},
                                    }));

    // Another effect: the chorus's own controls are not used by the rotary.
    PatchRecord rotary = a;
    storeRecordField("EffectSel", kRotaryEffectCode, rotary);
    const auto differences = comparePatches(a, rotary);
    ASSERT_FALSE(differences.empty());
    EXPECT_EQ(differences[0], (PatchDifference{"Effect", "Chorus 1", "Rotary"}));
    EXPECT_TRUE(std::any_of(differences.begin(), differences.end(), [](const PatchDifference& d) {
        return d.control == "Chorus Speed" && d.b == "(not used)";
    }));
}
