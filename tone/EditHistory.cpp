// The undo history of the user's changes to the sound.
#include "tone/EditHistory.h"

#include <algorithm>

namespace amplix {

void EditHistory::recordController(const std::string& member, int beforeState, const std::string& text,
                                   const PatchRecord& before, Clock::time_point at, bool open) {
    if (done_ > 0 && done_ == steps_.size()) {
        Step& last = steps_.back();
        const bool sameControl = !last.reload && !last.members.empty() && last.members.front() == member;
        if (open || (sameControl && at - last.at < kMergeWindow)) {
            if (std::find(last.members.begin(), last.members.end(), member) == last.members.end()) {
                last.members.push_back(member);
                last.beforeStates.push_back(beforeState);
            }
            last.at = at;
            return;
        }
    }
    steps_.resize(done_);
    steps_.push_back(Step{text, {member}, {beforeState}, {}, false, before, {}, at});
    done_ = steps_.size();
}

void EditHistory::recordReload(const std::string& text, const PatchRecord& before, Clock::time_point at) {
    steps_.resize(done_);
    steps_.push_back(Step{text, {}, {}, {}, true, before, {}, at});
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
