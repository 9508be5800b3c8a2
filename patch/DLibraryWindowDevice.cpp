// The Library window's conversations with the device: reading the bank or the current sound,
// sending changes or the whole bank, the read-back that confirms what was sent, listening, and
// the question before unsent changes go.
#include "patch/DLibraryWindow.h"

#include "app/MessageBox.h"
#include "app/UiTextsQt.h"
#include "patch/FilePatchModel.h"
#include "patch/LibraryTableModel.h"

#include <QCloseEvent>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTime>

#include <algorithm>
#include <utility>

using namespace amplix;

void DLibraryWindow::readFromPod() {
    if (busy() || !mayReplaceChanges())
        return;
    beginWait(State::Reading, qtText(text::kStatusReadingBank), int(kBankDumpSize));
    link_.readBank();
}

void DLibraryWindow::bankArrived(const PatchLibrary::Records& records, std::uint8_t byte7) {
    const State state = state_;
    endWait();
    if (state == State::Verifying) {
        afterVerify(records);
        return;
    }
    if (state != State::Reading)
        return;
    library_.load(records, true);
    byte7_ = byte7;
    loaded_ = true;
    origin_ = qtText(text::kLibraryReadAt).arg(QTime::currentTime().toString(QStringLiteral("HH:mm")));
    lastSent_.clear();
    showMessage(qtText(text::kStatusBankRead));
    deviceModel_->refresh();
}

void DLibraryWindow::currentSoundArrived(const PatchRecord& record) {
    const State state = state_;
    endWait();
    if (state == State::FetchingToCopy) {
        if (library_.put(copyTarget_, record))
            deviceModel_->refresh();
        showMessage(qtText(text::kLibraryCurrentCopied).arg(labelOf(copyTarget_)));
    } else if (state == State::FetchingToCompare) {
        showMessage(QString()); // the read is done; the comparison says the rest
        if (const auto row = selectedRow()) {
            showComparison(rowTitle(std::size_t(*row)), library_.record(std::size_t(*row)),
                           qtText(text::kLibraryCurrentSound), record);
            comparedCurrent_ = true;
        }
    }
}

void DLibraryWindow::requestFailed(const QString& why) {
    const State state = state_;
    endWait();
    if (state == State::Verifying) {
        showMessage(qtText(text::kLibrarySentUnconfirmed).arg(why));
        ShowMessage(this, qtText(text::kLibrarySentUnconfirmedBox), qtText(text::kLibraryBoxCaption));
        endCloseAfterSend(false);
        return;
    }
    if (state != State::Idle)
        showMessage(why);
}

void DLibraryWindow::deviceStored(std::size_t location, const PatchRecord& record,
                                  PatchLibrary::DeviceChange how) {
    if (!loaded_ || location >= kPatchLocations)
        return;
    library_.deviceHolds(location, record, how);
    deviceModel_->refresh();
}

void DLibraryWindow::deviceRead(const PatchLibrary::Records& records) {
    if (!loaded_ || busy())
        return;
    for (std::size_t n = 0; n < kPatchLocations; ++n)
        library_.deviceHolds(n, records[n], PatchLibrary::DeviceChange::Read);
    deviceModel_->refresh();
}

void DLibraryWindow::devicePlays(int program) {
    deviceModel_->setPlaying(program >= 1 && program <= int(kPatchLocations)
                                 ? std::optional<std::size_t>(std::size_t(program - 1))
                                 : std::nullopt);
    if (comparedCurrent_)
        clearComparison(); // the current sound is another one now
}

void DLibraryWindow::copyCurrentSound() {
    const auto row = selectedRow();
    if (busy() || !loaded_ || !row)
        return;
    copyTarget_ = std::size_t(*row);
    beginWait(State::FetchingToCopy, qtText(text::kLibraryReadingCurrent), 0);
    link_.readCurrentSound();
}

void DLibraryWindow::compareWithCurrentSound() {
    if (busy() || !loaded_ || !selectedRow())
        return;
    beginWait(State::FetchingToCompare, qtText(text::kLibraryReadingCurrent), 0);
    link_.readCurrentSound();
}

// ---- Sending ----

void DLibraryWindow::sendChanges() {
    if (busy() || !loaded_)
        return;
    if (library_.changedLocations().empty()) {
        showMessage(qtText(text::kLibraryNothingToSend));
        return;
    }
    skipped_ = askAboutConflicts();
    std::vector<std::size_t> changed;
    for (const std::size_t location : library_.changedLocations())
        if (std::find(skipped_.begin(), skipped_.end(), location) == skipped_.end())
            changed.push_back(location);
    if (changed.empty()) {
        showMessage(qtText(text::kLibraryNothingSent).arg(labelsOf(skipped_)));
        if (closeAfterSend_) {
            // Closing, the user chose the device's patches over every one left: the close goes on.
            closeAfterSend_ = false;
            library_.discardChanges();
            deviceModel_->refresh();
        }
        return;
    }
    std::vector<std::pair<std::size_t, PatchRecord>> stores;
    for (const std::size_t location : changed)
        stores.emplace_back(location, library_.record(location));
    Progress->setRange(0, int(stores.size()));
    Progress->setValue(0);
    Progress->setFormat(QStringLiteral("%v of %m"));
    Progress->show();
    std::size_t stored = 0;
    const bool ok = link_.storePatches(
        stores, byte7_,
        [this, &stores](std::size_t n) {
            Progress->setValue(int(n));
            showMessage(
                qtText(text::kLibraryStoring).arg(labelOf(stores[n].first)).arg(n + 1).arg(stores.size()));
        },
        stored);
    Progress->hide();
    if (!ok) {
        showMessage(qtText(text::kLibrarySendingStopped)
                        .arg(labelOf(stores[std::min(stored, stores.size() - 1)].first)));
        endCloseAfterSend(false);
        return;
    }
    sent_ = changed;
    beginWait(State::Verifying, qtText(text::kLibraryReadingBack), int(kBankDumpSize));
    link_.readBank();
}

void DLibraryWindow::sendAll() {
    if (busy() || !loaded_)
        return;
    // A location skipped goes in the bank as the device holds it, so it stays as it is there.
    skipped_ = askAboutConflicts();
    PatchLibrary::Records bank = library_.records();
    for (const std::size_t location : skipped_)
        bank[location] = library_.deviceRecord(location);
    if (!link_.sendBank(bank, byte7_)) {
        closeAfterSend_ = false;
        return;
    }
    sent_.clear();
    for (std::size_t n = 0; n < kPatchLocations; ++n)
        if (std::find(skipped_.begin(), skipped_.end(), n) == skipped_.end())
            sent_.push_back(n);
    beginWait(State::Verifying, qtText(text::kLibraryReadingBack), int(kBankDumpSize));
    link_.readBank();
}

std::vector<std::size_t> DLibraryWindow::askAboutConflicts() {
    std::vector<std::size_t> skipped;
    for (const std::size_t location : library_.conflicts()) {
        QMessageBox box(QMessageBox::Question, qtText(text::kLibraryTitle),
                        latin1(PatchLibrary::conflictQuestion(location, *library_.conflict(location))),
                        QMessageBox::NoButton, this);
        QPushButton* send = box.addButton(qtText(text::kLibrarySend), QMessageBox::AcceptRole);
        QPushButton* skip = box.addButton(qtText(text::kLibrarySkip), QMessageBox::RejectRole);
        box.setDefaultButton(skip); // the device's patch is kept unless the user says otherwise
        box.setEscapeButton(skip);
        box.exec();
        if (box.clickedButton() != send)
            skipped.push_back(location);
    }
    return skipped;
}

void DLibraryWindow::afterVerify(const PatchLibrary::Records& readBack) {
    const std::vector<std::size_t> mismatches = library_.confirmSent(sent_, readBack);
    // The rest of the read-back is a bank read like any other.
    for (std::size_t n = 0; n < kPatchLocations; ++n)
        if (std::find(sent_.begin(), sent_.end(), n) == sent_.end())
            library_.deviceHolds(n, readBack[n], PatchLibrary::DeviceChange::Read);
    deviceModel_->refresh();
    lastSent_ = QTime::currentTime().toString(QStringLiteral("HH:mm"));
    showLibrary();
    if (mismatches.empty()) {
        showMessage(
            qtText(text::kLibraryConfirmed)
                .arg(sent_.size() == kPatchLocations ? qtText(text::kLibraryWholeBank) : labelsOf(sent_)));
        if (closeAfterSend_) {
            // Closing, a location skipped keeps what the device holds: the user chose it.
            if (!skipped_.empty()) {
                library_.discardChanges();
                deviceModel_->refresh();
            }
            endCloseAfterSend(close());
        }
        return;
    }
    showMessage(qtText(text::kLibraryNotConfirmed).arg(labelsOf(mismatches)));
    ShowMessage(this, qtText(text::kLibraryNotConfirmedBox).arg(labelsOf(mismatches)),
                qtText(text::kLibraryBoxCaption));
    endCloseAfterSend(false);
}

void DLibraryWindow::endCloseAfterSend(bool closed) {
    if (!std::exchange(closeAfterSend_, false))
        return;
    emit closeAfterSendEnded(closed);
}

// ---- Listening ----

void DLibraryWindow::listenToDevice(int row) {
    if (busy() || !loaded_ || row < 0 || std::size_t(row) >= kPatchLocations)
        return;
    const auto location = std::size_t(row);
    if (comparedCurrent_)
        clearComparison(); // what is heard is the current sound from now on
    if (library_.onDevice(location)) {
        link_.selectLocation(location);
        showMessage(qtText(text::kLibraryChosen).arg(labelOf(location)));
    } else {
        link_.sendSound(library_.record(location), byte7_);
        showMessage(qtText(text::kLibrarySentToHear).arg(labelOf(location)));
    }
}

void DLibraryWindow::listenToFile(int row) {
    const PatchRecord* record = fileModel_->record(row);
    if (busy() || !record)
        return;
    if (comparedCurrent_)
        clearComparison();
    link_.sendSound(*record, byte7_);
    showMessage(
        qtText(text::kLibrarySentToHear).arg(latin1(fileModel_->patches()[std::size_t(row)].name).trimmed()));
}

// ---- Closing ----

bool DLibraryWindow::mayClose() {
    if (busy())
        return false;
    const std::vector<std::size_t> changed = library_.changedLocations();
    if (changed.empty())
        return true;
    QMessageBox box(QMessageBox::Question, qtText(text::kLibraryTitle),
                    qtText(text::kLibraryCloseQuestion)
                        .arg(changed.size() == 1 ? qtText(text::kLibraryOneChanged)
                                                 : qtText(text::kLibraryManyChanged).arg(changed.size())),
                    QMessageBox::NoButton, this);
    QPushButton* send = box.addButton(qtText(text::kLibrarySend), QMessageBox::AcceptRole);
    QPushButton* discard = box.addButton(qtText(text::kLibraryDiscard), QMessageBox::DestructiveRole);
    box.addButton(qtText(text::kButtonCancel), QMessageBox::RejectRole);
    box.setDefaultButton(send);
    box.exec();
    if (box.clickedButton() == discard) {
        library_.discardChanges();
        deviceModel_->refresh();
        return true;
    }
    if (box.clickedButton() == send) {
        // The window closes once the device has confirmed every patch, or at once when nothing
        // was left to send.
        closeAfterSend_ = true;
        sendChanges();
        return !busy() && library_.changedLocations().empty();
    }
    return false;
}

void DLibraryWindow::closeEvent(QCloseEvent* event) {
    if (!mayClose()) {
        event->ignore();
        return;
    }
    saveSettings();
    event->accept();
}

bool DLibraryWindow::mayReplaceChanges() {
    const std::vector<std::size_t> changed = library_.changedLocations();
    if (changed.empty())
        return true;
    QMessageBox box(QMessageBox::Question, qtText(text::kLibraryTitle),
                    qtText(text::kLibraryReplaceQuestion).arg(labelsOf(changed)), QMessageBox::NoButton,
                    this);
    QPushButton* discard = box.addButton(qtText(text::kLibraryDiscard), QMessageBox::DestructiveRole);
    box.addButton(qtText(text::kButtonCancel), QMessageBox::RejectRole);
    box.exec();
    return box.clickedButton() == discard;
}
