// Edit > Undo and Redo: the user's changes to the sound as steps, taken back by sending exactly
// what the user's own change back would send, or the patch the device played before.
#include "app/DFrame.h"

#include "app/CommandIds.h"
#include "tone/PanelLayout.h"
#include "tone/ToneControls.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAction>
#include <QComboBox>
#include <QMouseEvent>
#include <QTimer>

using namespace amplix;

namespace {

// A list's step is named by the choice made ("Effects: Delay"); any other by its control.
bool namedByChoice(const ToneParameter& p) {
    return p.kind == ControlKind::IndexedList || p.kind == ControlKind::MappedList;
}

// The device loads new settings after these: undoing them sends the whole patch back.
bool reloads(const ToneParameter& p) {
    return p.member == "AmpModel" || p.member == "EffectSel";
}

// The user's change to state, as the user makes it: a slider moves there (its handler sees the
// new position while the value is still the old one, as during a drag), a box is set and
// clicked, a list entry chosen.
void replayUserChange(QWidget* control, int state) {
    if (auto* slider = qobject_cast<QAbstractSlider*>(control)) {
        const bool tracking = slider->hasTracking();
        slider->setTracking(true);
        slider->setSliderPosition(state); // triggers the move when the position changes
        slider->setTracking(tracking);
    } else if (auto* box = qobject_cast<QAbstractButton*>(control)) {
        setControlState(box, state);
        emit box->clicked(box->isChecked());
    } else if (auto* list = qobject_cast<QComboBox*>(control)) {
        setControlState(list, state);
        emit list->activated(list->currentIndex());
    }
}

} // namespace

EditHistory::Action DFrame::currentAction() {
    // A patch on its way takes in what the user does until it is here: the panel shows it then.
    if (patchAction_)
        return {patchAction_, false};
    if (gestureAction_)
        return {gestureAction_, true};
    if (!turnAction_) {
        turnAction_ = ++lastAction_;
        QTimer::singleShot(0, this, [this, action = turnAction_] {
            if (turnAction_ == action)
                turnAction_ = 0;
        });
    }
    return {turnAction_, false};
}

bool DFrame::eventFilter(QObject* watched, QEvent* event) {
    // From the press to the release a slider's changes are one gesture, however it moves
    // meanwhile: paging while held on the groove, a drag of the thumb, both. A slider hidden
    // while held (its effect window closed by the device) ends it too.
    if (qobject_cast<QAbstractSlider*>(watched)) {
        const QEvent::Type type = event->type();
        const bool left = (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease) &&
                          static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
        if (left && type == QEvent::MouseButtonPress) {
            gestureAction_ = ++lastAction_;
            gestureSlider_ = watched;
        } else if (watched == gestureSlider_ && (left || type == QEvent::Hide)) {
            gestureAction_ = 0;
            gestureSlider_ = nullptr;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void DFrame::noteUserController(std::uint8_t controller, const std::optional<PatchRecord>& before) {
    const ToneParameter* p = findController(controller);
    if (replaying_ || !before || !p)
        return;
    const QString key = QString::fromLatin1(p->member.data(), qsizetype(p->member.size()));
    QWidget* control = toneControl(p->member);
    // A send that changes nothing on screen (a drag let go where it last moved to, the second
    // drive following the first) is no step of its own.
    if (!reloads(*p) && control && shownStates_.contains(key) &&
        controlState(control) == shownStates_.value(key))
        return;
    // An edit made while the stored patch plays is an edit of it: there is no other sound to
    // return to any more.
    endCompare();
    const std::string member(p->member);
    const std::string text =
        namedByChoice(*p) ? namedValueText(*p, controlState(control)) : controlName(p->member);
    const auto now = EditHistory::Clock::now();
    if (reloads(*p))
        history_.recordReload(text, *before, now, currentAction());
    else
        history_.recordController(member, shownStates_.value(key), text, *before, now, currentAction());
    if (control)
        shownStates_.insert(key, controlState(control));
    updateEditMenu();
}

void DFrame::noteUserReload(const std::string& text) {
    if (replaying_ || !shadow_)
        return;
    endCompare();
    history_.recordReload(text, *shadow_, EditHistory::Clock::now(), currentAction());
    updateEditMenu();
}

void DFrame::notePatchChange(const std::string& text) {
    // Each patch chosen is a step of its own, even while the one before is still on its way.
    endPatchStep();
    if (replaying_ || !shadow_)
        return;
    patchAction_ = ++lastAction_;
    noteUserReload(text);
    // Open until the device's program change comes back and its patch is read; a device that
    // never answers ends the step when its answer could no longer come.
    QTimer::singleShot(kEditBufferTimeoutMs, this, [this, action = patchAction_] {
        if (patchAction_ == action && !patchAwaitsReadBack_)
            endPatchStep();
    });
}

void DFrame::endPatchStep() {
    patchAction_ = 0;
    patchAwaitsReadBack_ = false;
}

void DFrame::rememberShownStates() {
    for (auto it = toneControls_.cbegin(); it != toneControls_.cend(); ++it)
        shownStates_.insert(it.key(), controlState(it.value()));
}

void DFrame::CmEditUndo() {
    if (!shadow_)
        return;
    endPatchStep(); // what follows an undo is never part of the step undone
    if (EditHistory::Step* step = history_.undo(*shadow_)) {
        step->afterStates.clear();
        for (const std::string& member : step->members)
            step->afterStates.push_back(controlState(toneControl(member)));
        applyStep(*step, false);
    }
    updateEditMenu();
}

void DFrame::CmEditRedo() {
    endPatchStep();
    if (const EditHistory::Step* step = history_.redo())
        applyStep(*step, true);
    updateEditMenu();
}

void DFrame::applyStep(const EditHistory::Step& step, bool forward) {
    replaying_ = true;
    const PatchRecord& record = forward ? step.after : step.before;
    if (step.reload) {
        // The patch that played then plays again, wherever the device is now.
        history_.setPlayingPatch(forward ? step.afterPatch : step.beforePatch);
        playRecord(record); // the device's whole patch as it was
        replaying_ = true;
    } else {
        // The controls it moved along with the one the user touched first, then that one.
        const std::vector<int>& states = forward ? step.afterStates : step.beforeStates;
        for (std::size_t n = 1; n < step.members.size() && n < states.size(); ++n)
            setControlState(toneControl(step.members[n]), states[n]);
        if (!states.empty())
            replayUserChange(toneControl(step.members.front()), states.front());
    }
    replaying_ = false;
    rememberShownStates();
}

void DFrame::updateEditMenu() {
    QAction* undo = menuAction(CM_EDITUNDO);
    QAction* redo = menuAction(CM_EDITREDO);
    if (!undo || !redo)
        return;
    const auto text = [](const std::string& step, const char* none) {
        // "&Undo Drive": the menu's letter stays on the verb.
        return step.empty() ? QString::fromLatin1(none)
                            : QLatin1Char('&') + QString::fromLatin1(step.c_str());
    };
    undo->setText(text(history_.undoText(), "&Undo"));
    redo->setText(text(history_.redoText(), "&Redo"));
    undo->setEnabled(history_.canUndo());
    redo->setEnabled(history_.canRedo());
    if (QAction* compare = menuAction(CM_EDITCOMPARE)) {
        compare->setChecked(comparing());
        compare->setEnabled(comparing() || (stored_ && shadow_ && *stored_ != *shadow_));
    }
}

void DFrame::playRecord(const PatchRecord& record) {
    // Sent as File > Open sends a patch, shown as the dump it is; no step of its own.
    replaying_ = true;
    const auto dump = buildSingleDump(record, shadowByte7_);
    std::copy(dump.begin(), dump.end(), sysEx.begin());
    UpdateAmplixFromSysex();
    repaint();
    SendSysexMessage(int(kSingleDumpSize));
    replaying_ = false;
}

void DFrame::endCompare() {
    if (!edited_)
        return;
    // The stored patch plays: what comes next starts from it.
    edited_.reset();
    history_.setPlayingPatch(program_);
    showEditedMark();
}

void DFrame::CmEditCompare() {
    if (edited_) {
        const PatchRecord edited = *edited_;
        edited_.reset();
        playRecord(edited);
    } else if (stored_ && shadow_ && *stored_ != *shadow_) {
        edited_ = shadow_;
        playRecord(*stored_);
    }
    showEditedMark();
}
