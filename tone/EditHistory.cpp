// The undo history of the user's changes to the sound.
#include "tone/EditHistory.h"

#include <algorithm>

namespace amplix {

EditHistory::Step* EditHistory::openStep(Action action) {
    if (done_ == 0 || done_ != steps_.size() || action.id == 0)
        return nullptr;
    Step& last = steps_.back();
    return last.action.id == action.id ? &last : nullptr;
}

void EditHistory::recordController(const std::string& member, int beforeState, const std::string& text,
                                   const PatchRecord& before, Clock::time_point at, Action action) {
    Step* join = openStep(action);
    if (!join && done_ > 0 && done_ == steps_.size()) {
        Step& last = steps_.back();
        const bool sameControl = !last.reload && !last.members.empty() && last.members.front() == member;
        if (sameControl && !action.gesture && !last.action.gesture && at - last.at < kMergeWindow)
            join = &last;
    }
    if (join) {
        // A patch the device reloads is given back whole; its controls need no states.
        if (!join->reload &&
            std::find(join->members.begin(), join->members.end(), member) == join->members.end()) {
            join->members.push_back(member);
            join->beforeStates.push_back(beforeState);
        }
        join->at = at;
        join->action = action;
        return;
    }
    steps_.resize(done_);
    steps_.push_back(Step{text, {member}, {beforeState}, {}, false, before, {}, at, action, playingPatch_});
    done_ = steps_.size();
}

void EditHistory::recordReload(const std::string& text, const PatchRecord& before, Clock::time_point at,
                               Action action) {
    if (Step* join = openStep(action)) {
        join->reload = true;
        join->at = at;
        return;
    }
    steps_.resize(done_);
    steps_.push_back(Step{text, {}, {}, {}, true, before, {}, at, action, playingPatch_});
    done_ = steps_.size();
}

void EditHistory::renameLast(const std::string& text) {
    if (done_ > 0 && done_ == steps_.size())
        steps_.back().text = text;
}

std::string EditHistory::undoText() const {
    return canUndo() ? "Undo " + steps_[done_ - 1].text : std::string();
}

std::string EditHistory::redoText() const {
    return canRedo() ? "Redo " + steps_[done_].text : std::string();
}

EditHistory::Step* EditHistory::undo(const PatchRecord& now) {
    if (!canUndo())
        return nullptr;
    Step& step = steps_[--done_];
    step.after = now;
    step.afterPatch = playingPatch_;
    return &step;
}

const EditHistory::Step* EditHistory::redo() {
    return canRedo() ? &steps_[done_++] : nullptr;
}

void EditHistory::clear() {
    steps_.clear();
    done_ = 0;
}

} // namespace amplix
