// The undo history: which changes are one step, what undo and redo hand back, and what ends redo.
#include "tone/EditHistory.h"

#include <gtest/gtest.h>

using namespace amplix;
using namespace std::chrono_literals;

namespace {

PatchRecord recordOf(std::uint8_t fill) {
    PatchRecord r{};
    r.fill(fill);
    return r;
}

} // namespace

TEST(EditHistory, StepsMergeOnlyWithinOneActionOrKeyPressesOnOneControl) {
    const EditHistory::Clock::time_point t0{};
    using Action = EditHistory::Action;
    const Action turn1{1, false}, turn2{2, false}, turn3{3, false}, drag{7, true}, drag2{8, true};
    struct Change {
        const char* member;
        std::chrono::milliseconds at;
        Action action;
        bool reload = false;
    };
    struct Case {
        const char* what;
        std::vector<Change> changes;
        std::size_t steps;
    } cases[] = {
        {"key presses close together", {{"Bass", 0ms, turn1}, {"Bass", 499ms, turn2}}, 1},
        {"a pause", {{"Bass", 0ms, turn1}, {"Bass", 500ms, turn2}}, 2},
        {"another control", {{"Bass", 0ms, turn1}, {"Mid", 10ms, turn2}}, 2},
        {"one action moving two", {{"Drive", 0ms, turn1}, {"Drive2", 0ms, turn1}}, 1},
        {"a slow drag", {{"Bass", 0ms, drag}, {"Bass", 900ms, drag}, {"Bass", 1800ms, drag}}, 1},
        {"a gesture paging then moving", {{"Drive", 0ms, drag}, {"Drive", 600ms, drag}}, 1},
        {"two drags in quick succession", {{"Bass", 0ms, drag}, {"Bass", 100ms, drag2}}, 2},
        {"a key press right after a drag", {{"Bass", 0ms, drag}, {"Bass", 100ms, turn1}}, 2},
        {"a drag right after a key press", {{"Bass", 0ms, turn1}, {"Bass", 100ms, drag}}, 2},
        // A patch change open until its read-back: a change on the way joins it, one after not.
        {"a patch change and a drag after it", {{"", 0ms, turn1, true}, {"Drive", 5s, drag}}, 2},
        {"a patch change and a key on the way", {{"", 0ms, turn1, true}, {"Bass", 10ms, turn1}}, 1},
        {"a patch change and a key after it", {{"", 0ms, turn1, true}, {"Bass", 10ms, turn2}}, 2},
        {"a reload within a controller's action", {{"Drive", 0ms, turn3}, {"", 0ms, turn3, true}}, 1},
        {"a reload after a drag", {{"Drive", 0ms, drag}, {"", 5ms, turn1, true}}, 2},
    };
    for (const Case& c : cases) {
        EditHistory history;
        int state = 0;
        for (const Change& change : c.changes) {
            if (change.reload)
                history.recordReload("Patch 3A", recordOf(std::uint8_t(state)), t0 + change.at,
                                     change.action);
            else
                history.recordController(change.member, state, change.member, recordOf(std::uint8_t(state)),
                                         t0 + change.at, change.action);
            ++state;
        }
        std::size_t steps = 0;
        bool reload = false;
        while (EditHistory::Step* step = history.undo(recordOf(0))) {
            ++steps;
            reload = step->reload; // of the first step, undone last
        }
        EXPECT_EQ(steps, c.steps) << c.what;
        // A step that took in a reload is given back whole.
        EXPECT_EQ(reload, c.changes.front().reload || (steps == 1 && c.changes.back().reload)) << c.what;
    }
}

TEST(EditHistory, UndoHandsBackTheFirstStatesAndRedoWhatWasThere) {
    EditHistory history;
    const EditHistory::Clock::time_point t0{};
    history.recordController("Drive", 10, "Drive", recordOf(1), t0, {1});
    history.recordController("Drive2", 20, "Drive2", recordOf(2), t0, {1});
    history.recordController("Drive", 11, "Drive", recordOf(3), t0 + 100ms, {2}); // joins, keeps 10
    history.recordReload("Effect: Delay", recordOf(4), t0 + 2s, {3});
    EXPECT_EQ(history.undoText(), "Undo Effect: Delay");

    EditHistory::Step* reload = history.undo(recordOf(9));
    ASSERT_TRUE(reload);
    EXPECT_TRUE(reload->reload);
    EXPECT_EQ(reload->before, recordOf(4));
    EXPECT_EQ(reload->after, recordOf(9));
    EditHistory::Step* drive = history.undo(recordOf(8));
    ASSERT_TRUE(drive);
    EXPECT_EQ(drive->members, (std::vector<std::string>{"Drive", "Drive2"}));
    EXPECT_EQ(drive->beforeStates, (std::vector<int>{10, 20}));
    EXPECT_EQ(drive->before, recordOf(1));
    EXPECT_FALSE(history.canUndo());
    EXPECT_EQ(history.undoText(), "");
    EXPECT_EQ(history.redoText(), "Redo Drive");

    ASSERT_TRUE(history.redo());
    EXPECT_EQ(history.redoText(), "Redo Effect: Delay");
    // A new change ends what could be redone; so does the device changing by itself.
    history.recordController("Bass", 5, "Bass", recordOf(7), t0 + 5s, {4});
    EXPECT_FALSE(history.canRedo());
    history.undo(recordOf(0));
    EXPECT_TRUE(history.canRedo());
    history.deviceChanged();
    EXPECT_FALSE(history.canRedo());
    EXPECT_EQ(history.undoText(), "Undo Drive");
    // After an undo, a change never joins the step that was undone.
    history.undo(recordOf(0));
    history.recordController("Drive", 12, "Drive", recordOf(0), t0 + 5s, {4});
    EXPECT_EQ(history.undo(recordOf(0))->beforeStates, std::vector<int>{12});
}
