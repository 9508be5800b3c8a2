// The frame's MIDI ports: opening and closing them, short messages and SysEx sends.
#include "app/DFrame.h"

#include "app/BusyWait.h"
#include "app/DStatusLine.h"
#include "app/MessageBox.h"
#include "app/UiTextsQt.h"
#include "midi/DeviceNames.h"
#include "midi/DeviceWatch.h"
#include "midi/MidiTrace.h"

#include <vector>

using namespace amplix;

namespace {

enum class AfterOpen { Go, ChooseAgain, Quit };

// What the user is told when a port does not open, and what happens then. Every result is named,
// so a new one cannot slip through unseen; those an open never gives go on as before.
AfterOpen tellOpenResult(QWidget* frame, MidiResult result, const QString& which) {
    switch (result) {
    case MidiResult::Ok:
    case MidiResult::Error:
    case MidiResult::InvalidHandle:
        return AfterOpen::Go;
    case MidiResult::BadDeviceId:
        ShowMessage(frame, qtText(text::kMidiInvalidPort).arg(which), qtText(text::kMidiErrorCaption));
        return AfterOpen::ChooseAgain;
    case MidiResult::Allocated:
        ShowMessage(frame, qtText(text::kMidiPortInUse).arg(which));
        return AfterOpen::ChooseAgain;
    case MidiResult::NoMemory:
        ShowMessage(frame, qtText(text::kMidiNoMemory).arg(which), qtText(text::kMidiErrorCaption));
        return AfterOpen::Quit;
    }
    return AfterOpen::Go;
}

} // namespace

void DFrame::OpenPodMidiPorts() {
    ClosePodMidiPorts();

    const auto opened = [this](MidiResult result, const QString& which) {
        switch (tellOpenResult(this, result, which)) {
        case AfterOpen::Go:
            return true;
        case AfterOpen::ChooseAgain:
            CmSetupMidi();
            return false;
        case AfterOpen::Quit:
            closeMainWindow();
            return false;
        }
        return false;
    };
    if (!opened(midi_.openOutput(PODMidiOutPort, HPODMidiOut), qtText(text::kMidiPortOut)) ||
        !opened(midi_.openInput(PODMidiInPort, *inputSink_, HPODMidiIn), qtText(text::kMidiPortIn)))
        return;
    midi_.startInput(HPODMidiIn);
    PODMidiSet = 1;
    if (!deviceWatch_)
        deviceWatch_ = new DeviceWatch(midi_, this, [this] { showConnection(); });
    deviceWatch_->start(HPODMidiIn, HPODMidiOut);
    channelAsked_ = false;
    showConnection();
    learnSimulatorPatches();
    midiTrace("ports open: in \"" + midi_.inputName(PODMidiInPort) + "\", out \"" +
              midi_.outputName(PODMidiOutPort) + "\", channel " + std::to_string(PODMidiChannel + 1));
}

void DFrame::ClosePodMidiPorts() {
    if (HPODMidiOut != kNoHandle) {
        midi_.resetOutput(HPODMidiOut);
        midi_.closeOutput(HPODMidiOut);
    }
    HPODMidiOut = kNoHandle;
    // The reset hands the armed buffer back as a posted event carrying the old handle; by the
    // time it is handled the handle no longer matches and it is ignored.
    if (HPODMidiIn != kNoHandle)
        midi_.resetInput(HPODMidiIn);
    if (Waiting_for_sysex)
        endRequest(RequestEnd::All);
    if (inquiring_) { // what it found so far is of ports no longer open
        inquiring_ = false;
        midiHdr.reset();
    }
    if (HPODMidiIn != kNoHandle)
        midi_.closeInput(HPODMidiIn);
    HPODMidiIn = kNoHandle;
    PODMidiSet = 0;
    if (deviceWatch_)
        deviceWatch_->stop();
    showConnection();
}

void DFrame::showConnection() {
    if (!PODMidiSet) {
        StatusLine->showConnection(qtText(text::kStatusNotConnected));
        return;
    }
    if (const QString notice = deviceWatch_ ? deviceWatch_->notice(PODMidiChannel) : QString();
        !notice.isEmpty()) {
        StatusLine->showConnection(notice);
        midiTrace(notice.toStdString());
        return;
    }
    StatusLine->showConnection(QString::fromStdString(
        connectionSummary(midi_.inputName(PODMidiInPort), midi_.outputName(PODMidiOutPort), PODMidiChannel)));
}

void DFrame::showOutcome(const QString& text) {
    lastOutcome_ = text;
    StatusLine->showOutcome(text);
}

// Live sends are fire-and-forget: with the output closed they simply go nowhere.
void DFrame::SendShortMessage(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) {
    const std::uint8_t bytes[3] = {status, data1, data2};
    midiTrace("send", bytes, shortMessageLength(status));
    monitorLog_.note(MidiDirection::Out, bytes, shortMessageLength(status));
    midi_.sendShort(HPODMidiOut, packShortMessage(status, data1, data2));
}

void DFrame::SendControlChange(std::uint8_t controller, std::uint8_t value) {
    // Every controller the editor sends is a user's change or the undo of one; the step is
    // noted once the message is out, so the device hears it no later than before.
    const std::optional<PatchRecord> before = shadow_;
    SendShortMessage(std::uint8_t(kControlChange | PODMidiChannel), controller, value);
    if (shadow_)
        applyController(*shadow_, controller, value);
    noteUserController(controller, before);
    showEditedMark();
}

void DFrame::shadowSentSysex(std::span<const std::uint8_t> message) {
    if (message.size() == kSingleDumpSize && classifyDump(message) == DumpKind::SinglePatch)
        shadow_ = readRecord(message, kDumpDataOffset);
    else if (message.size() == kStoreMessageSize &&
             std::equal(kStoreHeader.begin(), kStoreHeader.end(), message.begin()))
        shadow_ = stored_ = readRecord(message, kStoreDataOffset); // storing selects the location
    else if (message.size() == kBankDumpSize && classifyDump(message) == DumpKind::Bank)
        shadow_ = stored_ = readRecord(message, bankPatchOffset(0)); // a new bank starts at 1A
    showEditedMark();
}

bool DFrame::SendSysexMessage(int sysexMsgSize) {
    err = MidiResult::Ok;
    if (sysexMsgSize <= 0 || std::size_t(sysexMsgSize) > sysEx.size())
        err = MidiResult::Error;
    else {
        midiTrace("send", sysEx.data(), std::size_t(sysexMsgSize));
        monitorLog_.note(MidiDirection::Out, sysEx.data(), std::size_t(sysexMsgSize));
        // The send returns when the message is on the cable, 1.6 s for a bank: it runs on a
        // thread of its own while the window repaints and nothing else happens.
        const std::vector<std::uint8_t> message(sysEx.begin(), sysEx.begin() + sysexMsgSize);
        const MidiHandle output = HPODMidiOut;
        ++sending_;
        // Only a bank takes long enough to show its progress.
        const bool bank = std::size_t(sysexMsgSize) == kBankDumpSize;
        if (bank)
            StatusLine->beginTransfer(qtText(text::kStatusSendingBank), sysexMsgSize);
        runWhileRepainting([&] { err = midi_.sendSysex(output, message.data(), message.size()); });
        if (err == MidiResult::Ok)
            shadowSentSysex(message);
        if (bank)
            StatusLine->endTransfer();
        --sending_;
        if (sending_ == 0)
            releaseDeferred();
    }
    if (err != MidiResult::Ok) {
        showOutcome(qtText(text::kStatusSendFailed));
        ShowMessage(this, qtText(text::kSysexSendFailed), qtText(text::kMidiErrorCaption));
        return false;
    }
    return true;
}
