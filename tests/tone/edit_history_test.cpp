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

TEST(EditHistory, StepsMergeOnlyWhileOneActionOrOneControlWithinTheWindow) {
    const EditHistory::Clock::time_point t0{};
    struct Change {
        const char* member;
        std::chrono::milliseconds at;
        bool open;
    };
    struct Case {
        std::vector<Change> changes;
        std::size_t steps;
    } cases[] = {
        {{{"Bass", 0ms, false}, {"Bass", 499ms, false}}, 1}, // key presses close together
        {{{"Bass", 0ms, false}, {"Bass", 500ms, false}}, 2}, // a pause
        {{{"Bass", 0ms, false}, {"Mid", 10ms, false}}, 2},   // another control
        {{{"Drive", 0ms, false}, {"Drive2", 0ms, true}}, 1}, // one action moving two
        {{{"Bass", 0ms, false}, {"Bass", 900ms, true}, {"Bass", 1800ms, true}}, 1}, // a slow drag
    };
    for (const Case& c : cases) {
        EditHistory history;
        int state = 0;
        for (const Change& change : c.changes) {
            history.recordController(change.member, state, change.member, recordOf(std::uint8_t(state)),
                                     t0 + change.at, change.open);
            ++state;
        }
        std::size_t steps = 0;
        while (history.undo(recordOf(0)))
            ++steps;
        EXPECT_EQ(steps, c.steps) << c.changes.front().member << " " << c.changes.size();
    }
}

TEST(EditHistory, UndoHandsBackTheFirstStatesAndRedoWhatWasThere) {
    EditHistory history;
    const EditHistory::Clock::time_point t0{};
    history.recordController("Drive", 10, "Drive", recordOf(1), t0, false);
    history.recordController("Drive2", 20, "Drive2", recordOf(2), t0, true);
    history.recordController("Drive", 11, "Drive", recordOf(3), t0 + 100ms, false); // joins, keeps 10
    history.recordReload("Effect: Delay", recordOf(4), t0 + 2s);
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
    history.recordController("Bass", 5, "Bass", recordOf(7), t0 + 5s, false);
    EXPECT_FALSE(history.canRedo());
    history.undo(recordOf(0));
    EXPECT_TRUE(history.canRedo());
    history.deviceChanged();
    EXPECT_FALSE(history.canRedo());
    EXPECT_EQ(history.undoText(), "Undo Drive");
    // After an undo, a change never joins the step that was undone.
    history.undo(recordOf(0));
    history.recordController("Drive", 12, "Drive", recordOf(0), t0 + 5s, true);
    EXPECT_EQ(history.undo(recordOf(0))->beforeStates, std::vector<int>{12});
}
