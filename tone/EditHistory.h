// The user's changes to the sound, step by step, for undo and redo: what the device played before
// each step, and whether undoing it sends controllers back or a whole patch.
#pragma once

#include "patch/SysexFormat.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace amplix {

class EditHistory {
public:
    using Clock = std::chrono::steady_clock;
    // No stored patch is named: the device's location is not known.
    static constexpr int kNoPatch = -1;
    // Key presses on one control closer together than this are one step.
    static constexpr std::chrono::milliseconds kMergeWindow{500};

    // The user action a change belongs to: every change of one action is one step. A gesture (a
    // control held from the press to the release) merges with nothing else; other actions merge
    // with the step before when they change the same control within kMergeWindow (key presses).
    struct Action {
        std::uint64_t id = 0;
        bool gesture = false;
    };

    struct Step {
        std::string text;                 // "Drive", "Effect: Delay", "Patch 3B"
        std::vector<std::string> members; // the controls it changed, the one the user touched first
        // Their states as the panel showed them before and after the step (after: taken when the
        // step is undone). A record cannot give them back: it keeps some values coarser.
        std::vector<int> beforeStates, afterStates;
        // The device loaded new settings after it (an amp model or effect chosen, a patch
        // changed or sent): undo sends `before` whole instead of controllers.
        bool reload = false;
        PatchRecord before{};
        PatchRecord after{}; // what redo restores; taken when the step is undone
        Clock::time_point at{};
        Action action{};
        // The patch whose sound played before and after it, as the title names it (a program):
        // undoing a patch chosen plays that patch's sound again. After: taken when undone.
        int beforePatch = kNoPatch;
        int afterPatch = kNoPatch;
    };

    // A user's controller change of member, the device playing `before` until then. It joins the
    // last step when that belongs to the same action, or when neither is a gesture and the last
    // changed the same control less than kMergeWindow ago; otherwise it is a new step, and
    // nothing is left to redo.
    void recordController(const std::string& member, int beforeState, const std::string& text,
                          const PatchRecord& before, Clock::time_point at, Action action);
    // A change after which the device loads new settings: a new step, or the last one when it
    // belongs to the same action, which is then undone by the whole patch too.
    void recordReload(const std::string& text, const PatchRecord& before, Clock::time_point at,
                      Action action);
    // The last step takes this text (a list's choice is named once it is known).
    void renameLast(const std::string& text);

    bool canUndo() const { return done_ > 0; }
    bool canRedo() const { return done_ < steps_.size(); }
    std::string undoText() const; // "Undo Drive"; empty when there is nothing
    std::string redoText() const;
    // The step to undo, with `after` set to what the device plays now (the caller adds the
    // controls' states); moves back one step.
    Step* undo(const PatchRecord& now);
    const Step* redo();

    // The program whose sound the device plays, as the title names it: a new step returns to it
    // when undone, an undone step comes back to it when redone.
    void setPlayingPatch(int program) { playingPatch_ = program; }
    int playingPatch() const { return playingPatch_; }

    // The device changed by itself (a knob, a patch chosen on it): what could be redone is gone.
    void deviceChanged() { steps_.resize(done_); }
    void clear();

private:
    // The last step when it is still the newest and belongs to action.
    Step* openStep(Action action);

    std::vector<Step> steps_;
    std::size_t done_ = 0;
    int playingPatch_ = kNoPatch;
};

} // namespace amplix
