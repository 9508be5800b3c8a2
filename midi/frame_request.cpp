// Dump requests, their time-out, and what the frame does with a SysEx buffer that comes back.
#include "app/DFrame.h"

#include "app/BusyCursor.h"
#include "app/DStatusLine.h"
#include "app/MessageBox.h"
#include "app/UiTextsQt.h"
#include "midi/MidiTrace.h"

#include <QCoreApplication>
#include <QTimer>

#include <new>

using namespace amplix;

void DFrame::CmFileRead() {
    requestDump(kEditBufferRequest, kEditBufferTimeoutMs, false);
}

void DFrame::readBackAfter(const QString& outcome) {
    showOutcome(outcome);
    readOutcome_ = outcome;
    CmFileRead();
}

void DFrame::ReadPODAll() {
    requestDump(kBankRequest, kBankTimeoutMs, true);
}

void DFrame::endRequest(RequestEnd which) {
    requestAnswered();
    inquiring_ = false;
    if (patchAwaitsReadBack_)
        endPatchStep();
    readOutcome_.clear();
    midiHdr.reset();
    Waiting_for_sysex = 0;
    if (which != RequestEnd::SinglePatch)
        Save_All_flag = 0;
    if (which != RequestEnd::Bank) {
        Save_flag = Name_flag = SaveToPod_flag = 0;
        AmpModel_flag = -1;
    }
    answerLibrary(DumpKind::Other);
}

void DFrame::requestDump(const Request& request, int timeoutMs, bool bank) {
    if (inquiring_)
        endInquiry();
    // One request at a time: a later caller's flags ride on the dump already awaited.
    if (Waiting_for_sysex)
        return;
    Waiting_for_sysex = 1;
    timedOut_ = false;
    const RequestEnd failed = bank ? RequestEnd::Bank : RequestEnd::SinglePatch;

    try {
        midiHdr = std::make_shared<SysexBuffer>();
    } catch (const std::bad_alloc&) {
        endRequest(failed);
        return;
    }

    err = midi_.addBuffer(HPODMidiIn, midiHdr);
    if (err != MidiResult::Ok) {
        endRequest(failed);
        ShowMessage(this, qtText(text::kInputBufferFailed));
        return;
    }

    midiTrace("request", request.data(), request.size());
    err = midi_.sendSysex(HPODMidiOut, request.data(), request.size());
    if (err != MidiResult::Ok) {
        // Take the armed buffer back; it returns as a stale buffer and is ignored.
        endRequest(failed);
        midi_.resetInput(HPODMidiIn);
        midi_.startInput(HPODMidiIn);
        showOutcome(qtText(text::kStatusSendFailed));
        ShowMessage(this, qtText(text::kSysexSendFailed));
        return;
    }

    waitCursor_->begin();
    if (bank)
        StatusLine->beginTransfer(qtText(text::kStatusReadingBank), int(kBankDumpSize));
    // The time-out carries its request's number, so a late one never acts on a later request.
    const std::uint64_t number = ++requestNumber_;
    QTimer::singleShot(timeoutMs, this, [this, number] {
        QCoreApplication::postEvent(this, new FrameMessage(WM_CHKRECSYSEX, number));
    });
}

int DFrame::WmChkRecSysex(std::uint64_t requestNumber) {
    if (inquiring_ && requestNumber == requestNumber_) {
        endInquiry();
        return 0;
    }
    if (Waiting_for_sysex && requestNumber == requestNumber_) {
        // The reset hands back what has arrived so far; it then goes the usual way.
        midiTrace("no answer in time");
        timedOut_ = true;
        showOutcome(qtText(text::kStatusNoAnswer));
        midi_.resetInput(HPODMidiIn);
        midi_.startInput(HPODMidiIn);
    }
    return 0;
}

int DFrame::WmGetTapTempo() {
    CmFileRead();
    return 0;
}

void DFrame::requestAnswered() {
    // A new number voids the pending time-out: a dialog that opens for the answer may stay
    // open longer than the time-out, and the answer is here all the same.
    ++requestNumber_;
    waitCursor_->end();
    StatusLine->endTransfer();
}

int DFrame::ProcessSysexMessage(MidiHandle wparam, const std::shared_ptr<SysexBuffer>& lparam) {
    if (!lparam || wparam != HPODMidiIn || lparam != midiHdr)
        return 0; // a buffer of a port closed meanwhile
    if (inquiring_) {
        takeInquiryReply(*lparam);
        return 0;
    }
    requestAnswered();
    std::copy(lparam->data.begin(), lparam->data.end(), sysEx.begin());
    const std::size_t recorded = lparam->bytesRecorded;

    // A dump cut short by the time-out is not a dump: saving or decoding its zeros would
    // corrupt a file or the panel.
    DumpKind kind = classifyDump(sysEx);
    if ((kind == DumpKind::SinglePatch && recorded < kSingleDumpSize) ||
        (kind == DumpKind::Bank && recorded < kBankDumpSize))
        kind = DumpKind::Other;
    const char* what = kind == DumpKind::SinglePatch ? "single-patch dump"
                       : kind == DumpKind::Bank      ? "bank dump"
                                                     : "unrecognised SysEx";
    // A buffer handed back empty after a time-out received nothing; the time-out said so.
    if (recorded > 0)
        midiTrace(std::string("received ") + what + " (" + std::to_string(recorded) + " bytes)", sysEx.data(),
                  recorded);

    if (kind == DumpKind::SinglePatch) {
        shadow_ = readRecord(sysEx, kDumpDataOffset);
        shadowByte7_ = sysEx[kDumpByte7];
        if (storedFollows_)
            stored_ = shadow_;
        storedFollows_ = false;
        showEditedMark();
        showOutcome(readOutcome_.isEmpty() ? qtText(text::kStatusPatchRead) : readOutcome_);
        if (Save_flag)
            QCoreApplication::postEvent(this, new FrameMessage(WM_PODSAVE, 0, std::int64_t(recorded)));
        if (Name_flag) {
            AddPatchName();
            Name_flag = 0;
        }
        if (AmpModel_flag >= 0) {
            storeDumpField(*findParameter("AmpModel"), AmpModel_flag, sysEx, kDumpDataOffset);
            SendSysexMessage(int(kSingleDumpSize)); // the end of the amp model's step, not one of its own
        }
        UpdateAmplixFromSysex();
        repaint();
        answerLibrary(kind);
        if (SaveToPod_flag) {
            SaveToPod_flag = 0;
            WriteToPOD();
        }
        endRequest(RequestEnd::SinglePatch);
        return 0;
    }
    if (kind == DumpKind::Bank)
        showOutcome(qtText(text::kStatusBankRead));
    else if (timedOut_ && recorded > 0)
        showOutcome(qtText(text::kStatusIncomplete));
    else if (!timedOut_)
        showOutcome(qtText(text::kStatusUnrecognised));
    if (kind == DumpKind::Bank && Save_All_flag)
        QCoreApplication::postEvent(this, new FrameMessage(WM_PODSAVE_ALL, 0, std::int64_t(recorded)));
    if (kind == DumpKind::Bank)
        answerLibrary(kind);
    const bool saveUnanswered = Save_flag && timedOut_ && kind != DumpKind::Bank;
    endRequest(RequestEnd::All);
    if (saveUnanswered)
        offerLastKnownSave();
    if (timedOut_ && recorded == 0)
        askWhichChannel();
    return 0;
}

int DFrame::ProcessSysexError(MidiHandle wparam, const std::shared_ptr<SysexBuffer>& lparam) {
    if (!lparam || wparam != HPODMidiIn || lparam != midiHdr)
        return 0;
    if (inquiring_) {
        takeInquiryReply(*lparam);
        return 0;
    }
    endRequest(RequestEnd::All);
    CmFileRead();
    return 0;
}

int DFrame::ProcessMidiError(MidiHandle, std::uint32_t) {
    return 0;
}
