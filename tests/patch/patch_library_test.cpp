// The library's steps: each changes what it names and nothing else, undo and redo retrace them
// exactly, and the changed marks follow what the device holds.
#include "patch/PatchLibrary.h"
#include "patch/PatchText.h"
#include "tests/support/TestPatchFiles.h"
#include "tone/ToneMap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
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
                                        {"Patch Name", "", "Lead            "},
                                        {"Amp Model", "Brit Hi Gain", "Rectified"},
                                        {"Bass", "0", "80"},
                                    }));

    // Another effect: the chorus's own controls are not used by the rotary.
    PatchRecord rotary = a;
    storeRecordField("EffectSel", kRotaryEffectCode, rotary);
    const auto differences = comparePatches(a, rotary);
    ASSERT_FALSE(differences.empty());
    EXPECT_EQ(differences[0], (PatchDifference{"Effects", "Chorus 1", "Rotary"}));
    EXPECT_TRUE(std::any_of(differences.begin(), differences.end(), [](const PatchDifference& d) {
        return d.control == "Chorus > Speed" && d.b == "(not used)";
    }));
}

namespace {

std::vector<std::size_t> onDeviceLocations(const PatchLibrary& library) {
    std::vector<std::size_t> out;
    for (std::size_t n = 0; n < kPatchLocations; ++n)
        if (library.onDevice(n))
            out.push_back(n);
    return out;
}

std::vector<std::size_t> allBut(std::initializer_list<std::size_t> missing) {
    std::vector<std::size_t> out;
    for (std::size_t n = 0; n < kPatchLocations; ++n)
        if (std::find(missing.begin(), missing.end(), n) == missing.end())
            out.push_back(n);
    return out;
}

} // namespace

// Only a location read from the device, or sent and confirmed, and unchanged since, can be chosen
// on the device instead of being sent to be heard.
TEST(PatchLibrary, OnDeviceOnlyWhatWasReadOrSentAndIsUnchanged) {
    const PatchRecord panel = patchfiles::record("Panel", 99);
    const std::tuple<const char*, bool, std::function<void(PatchLibrary&)>, std::vector<std::size_t>>
        cases[] = {
            {"read from the device", true, [](PatchLibrary&) {}, allBut({})},
            {"a bank file", false, [](PatchLibrary&) {}, {}},
            {"swapped", true, [](PatchLibrary& l) { l.swap(0, 1); }, allBut({0, 1})},
            {"renamed and undone", true, [](PatchLibrary& l) { l.rename(2, "X"), l.undo(); }, allBut({})},
            {"swapped, one sent", true, [](PatchLibrary& l) { l.swap(0, 1), l.markSent(0); }, allBut({1})},
            {"a file's patch sent", false, [&](PatchLibrary& l) { l.put(4, panel), l.markSent(4); }, {4}},
            // The device holds the sent patch, the library the file's again.
            {"sent, then undone",
             false,
             [&](PatchLibrary& l) { l.put(4, panel), l.markSent(4), l.undo(); },
             {}},
            {"a file's unchanged patch sent", false, [](PatchLibrary& l) { l.markSent(35); }, {35}},
        };
    for (const auto& [what, read, steps, expected] : cases) {
        PatchLibrary library;
        library.load(patchfiles::bankRecords(), read);
        steps(library);
        EXPECT_EQ(onDeviceLocations(library), expected) << what;
    }
}

// The bank read back after a send: a sent location the device holds as the library has it is
// confirmed; one it holds otherwise is reported and marked, even if the library had not changed
// it (Send All sends the whole bank); locations not sent are not judged by the read-back.
TEST(PatchLibrary, ConfirmSentMarksExactlyWhatTheDeviceDoesNotHold) {
    for (const bool read : {true, false}) {
        PatchLibrary library;
        library.load(patchfiles::bankRecords(), read);
        const PatchRecord a = patchfiles::record("Sent A", 50), b = patchfiles::record("Sent B", 60);
        library.put(0, a);
        library.put(1, b);
        library.rename(2, "Renamed");
        library.swap(3, 4);
        library.put(7, a); // changed, not sent
        const PatchLibrary::Records shown = library.records();

        PatchLibrary::Records readBack = patchfiles::bankRecords();
        readBack[0] = a;                                   // taken
        readBack[1] = patchfiles::record("Garbled", 1);    // garbled
        readBack[2] = shown[2];                            // taken
        readBack[4] = shown[4];                            // taken; 3 was not
        readBack[7] = a;                                   // not sent: not confirmed by chance
        readBack[9] = patchfiles::record("Other", 2);      // sent unchanged, garbled
        readBack[20] = patchfiles::record("Elsewhere", 3); // not sent: not judged

        const std::vector<std::size_t> sent = {4, 9, 1, 36, 0, 3, 2, 99, 10};
        EXPECT_EQ(library.confirmSent(sent, readBack), (std::vector<std::size_t>{9, 1, 3})) << read;
        EXPECT_EQ(library.records(), shown) << read; // the library's patches stay as they are
        EXPECT_EQ(library.changedLocations(), (std::vector<std::size_t>{1, 3, 7, 9})) << read;
        const std::vector<std::size_t> confirmed =
            read ? allBut({1, 3, 7, 9}) : std::vector<std::size_t>{0, 2, 4, 10};
        EXPECT_EQ(onDeviceLocations(library), confirmed) << read;
        EXPECT_EQ(library.undoText(), "Undo Put a patch into 2D") << read; // no step

        // Sent again and taken this time.
        EXPECT_TRUE(library.confirmSent({1, 3, 9}, shown).empty()) << read;
        EXPECT_EQ(library.changedLocations(), std::vector<std::size_t>{7}) << read;
    }
}

// Closing without sending: every location as the device was last known to hold it, including
// what was sent meanwhile; nothing is left to undo or redo.
TEST(PatchLibrary, DiscardChangesGoesBackToTheDevice) {
    for (const bool read : {true, false}) {
        PatchLibrary library;
        library.load(patchfiles::bankRecords(), read);
        const PatchRecord panel = patchfiles::record("Panel", 99);
        library.put(5, panel);
        library.markSent(5);
        library.swap(0, 1);
        library.rename(8, "Gone");
        library.copy(8, 9);
        library.undo(); // something to redo

        library.discardChanges();
        PatchLibrary::Records expected = patchfiles::bankRecords();
        expected[5] = panel;
        EXPECT_EQ(library.records(), expected) << read;
        EXPECT_TRUE(library.changedLocations().empty()) << read;
        EXPECT_EQ(std::tuple(library.canUndo(), library.canRedo(), library.undoText(), library.redoText()),
                  std::tuple(false, false, "", ""))
            << read;
        EXPECT_FALSE(library.undo());
        EXPECT_FALSE(library.redo());
        const std::vector<std::size_t> known = read ? allBut({}) : std::vector<std::size_t>{5};
        EXPECT_EQ(onDeviceLocations(library), known) << read;
    }
}

// A library taken back from an earlier session shows its arrangement marked against what the
// device last held, sends those changes, and claims nothing is on the device; unloading forgets.
TEST(PatchLibrary, RestoredArrangementIsMarkedAndNothingIsKnownOnTheDevice) {
    PatchLibrary earlier = readFromDevice();
    earlier.swap(0, 5);
    earlier.rename(8, "Kept");
    earlier.markSent(8); // the rename reached the device: its device record follows
    earlier.copy(35, 1);

    PatchLibrary library;
    PatchLibrary::Records device{};
    for (std::size_t n = 0; n < kPatchLocations; ++n)
        device[n] = earlier.deviceRecord(n);
    library.restore(device, earlier.records());
    EXPECT_TRUE(library.loaded());
    EXPECT_EQ(library.records(), earlier.records());
    EXPECT_EQ(library.changedLocations(), (std::vector<std::size_t>{0, 1, 5}));
    EXPECT_EQ(library.deviceRecord(8), earlier.record(8));
    EXPECT_EQ(onDeviceLocations(library), std::vector<std::size_t>{});
    EXPECT_FALSE(library.canUndo());
    EXPECT_FALSE(library.canRedo());

    library.discardChanges(); // the device's side was restored too
    EXPECT_EQ(library.record(0), patchfiles::bankRecords()[0]);
    EXPECT_TRUE(library.changedLocations().empty());

    library.unload();
    EXPECT_FALSE(library.loaded());
    EXPECT_EQ(library.record(0), PatchRecord{});
    EXPECT_FALSE(library.swap(0, 1));
}

// The device changed by another way (a store or a bank from the main window, a bank read): a
// location the user left alone follows it unmarked; one the user changed, or a file's patch,
// keeps the user's and is a conflict until sent, given up or changed back.
TEST(PatchLibrary, TheDeviceChangedElsewhereIsShownUnlessTheUserChangedTheLocation) {
    using How = PatchLibrary::DeviceChange;
    const auto device = patchfiles::bankRecords();
    const PatchRecord stored = patchfiles::record("MY NEW SOUND", 42);
    struct Case {
        const char* what;
        bool read;
        std::function<void(PatchLibrary&)> before;
        std::size_t at;
        PatchRecord shown;
        bool changed;
        std::optional<How> conflict;
    };
    const Case cases[] = {
        {"untouched", true, [](PatchLibrary&) {}, 8, stored, false, {}},
        {"another location swapped", true, [](PatchLibrary& l) { l.swap(0, 1); }, 8, stored, false, {}},
        {"swapped here", true, [](PatchLibrary& l) { l.swap(8, 1); }, 8, device[1], true, How::Stored},
        {"renamed here, then undone",
         true,
         [](PatchLibrary& l) { l.rename(8, "X"), l.undo(); },
         8,
         stored,
         false,
         {}},
        {"changed here to what the device now holds",
         true,
         [&](PatchLibrary& l) { l.put(8, stored); },
         8,
         stored,
         false,
         {}},
        {"changed here and sent",
         true,
         [](PatchLibrary& l) { l.rename(8, "X"), l.markSent(8); },
         8,
         stored,
         false,
         {}},
        {"a file's patch", false, [](PatchLibrary&) {}, 8, device[8], true, How::Stored},
        {"a file's patch the same as stored",
         false,
         [&](PatchLibrary& l) { l.put(8, stored); },
         8,
         stored,
         false,
         {}},
    };
    for (const Case& c : cases) {
        PatchLibrary library;
        library.load(device, c.read);
        c.before(library);
        const std::string undo = library.undoText();
        library.deviceHolds(c.at, stored, How::Stored);
        EXPECT_EQ(library.record(c.at), c.shown) << c.what;
        EXPECT_EQ(library.changed(c.at), c.changed) << c.what;
        EXPECT_EQ(library.conflict(c.at), c.conflict) << c.what;
        EXPECT_EQ(library.conflicts().size(), c.conflict ? 1u : 0u) << c.what;
        EXPECT_EQ(library.onDevice(c.at), !c.changed) << c.what;
        EXPECT_EQ(library.undoText(), undo) << c.what; // no step
    }
}

TEST(PatchLibrary, AConflictLastsWhileTheUsersPatchDiffersFromTheDevicesAndHistoryFollowsTheDevice) {
    using How = PatchLibrary::DeviceChange;
    const auto device = patchfiles::bankRecords();
    const PatchRecord stored = patchfiles::record("Stored", 42), other = patchfiles::record("Other", 43);
    PatchLibrary library;
    library.load(device);
    library.swap(0, 5);
    library.deviceHolds(0, stored, How::BankSent);
    library.deviceHolds(0, other, How::Read); // the latest way is the one named
    EXPECT_EQ(library.conflicts(), std::vector<std::size_t>{0});
    EXPECT_EQ(library.conflict(0), How::Read);
    // The same patch again changes nothing.
    library.deviceHolds(0, other, How::Stored);
    EXPECT_EQ(library.conflict(0), How::Read);

    // Undone: 1A shows what the device holds now, not the patch it lost; 2B its own again.
    library.undo();
    EXPECT_EQ(library.record(0), other);
    EXPECT_EQ(library.record(5), device[5]);
    EXPECT_TRUE(library.changedLocations().empty());
    EXPECT_TRUE(library.conflicts().empty());
    // Redone after being seen: the user's arrangement again, no longer a conflict.
    library.redo();
    EXPECT_EQ(library.record(0), device[5]);
    EXPECT_EQ(library.changedLocations(), (std::vector<std::size_t>{0, 5}));
    EXPECT_TRUE(library.conflicts().empty());

    // Given up, and sent: no conflict stands.
    library.deviceHolds(5, stored, How::Stored);
    EXPECT_EQ(library.conflicts(), std::vector<std::size_t>{5});
    library.markSent(5);
    EXPECT_TRUE(library.conflicts().empty());
    library.deviceHolds(0, stored, How::Stored);
    library.discardChanges();
    EXPECT_TRUE(library.conflicts().empty());
    EXPECT_EQ(library.record(0), stored);

    // A step undone before the device changed the location: undoing after redoing it gives the
    // device's new patch back.
    library.load(device);
    library.copy(0, 10);
    library.undo();
    library.deviceHolds(10, stored, How::Stored);
    EXPECT_EQ(library.record(10), stored);
    library.redo();
    EXPECT_EQ(library.record(10), device[0]);
    library.undo();
    EXPECT_EQ(library.record(10), stored);
    EXPECT_FALSE(library.changed(10));

    // Past 9D nothing happens.
    library.deviceHolds(36, stored, How::Stored);
    EXPECT_FALSE(library.conflict(36));
}

TEST(PatchLibrary, TheConflictQuestionNamesTheLocationAndHowTheDeviceChanged) {
    using How = PatchLibrary::DeviceChange;
    EXPECT_EQ(PatchLibrary::conflictQuestion(8, How::Stored),
              "3A was stored from the main window after you changed it here. Send yours over it?");
    EXPECT_EQ(PatchLibrary::conflictQuestion(5, How::BankSent),
              "2B was sent to the POD in a bank from the main window after you changed it here. Send "
              "yours over it?");
    EXPECT_EQ(PatchLibrary::conflictQuestion(35, How::Read),
              "9D was changed on the POD after you changed it here. Send yours over it?");
}
