// Knobs turned and patches chosen on the device: the panel follows without sending anything back.
#include "app/DFrame.h"

#include "midi/DeviceWatch.h"
#include "midi/MidiTrace.h"
#include "tone/DChorus.h"
#include "tone/ToneControls.h"

#include <QCheckBox>
#include <QComboBox>

using namespace amplix;

int DFrame::ProcessMidiMessage(MidiHandle wparam, std::uint32_t lparam) {
    if (wparam != HPODMidiIn)
        return 0;
    const int status_byte = shortStatus(lparam);
    const int data_byte1 = shortData1(lparam);
    const int data_byte2 = shortData2(lparam);
    if (midiTraceEnabled()) {
        const std::uint8_t bytes[3] = {std::uint8_t(status_byte), std::uint8_t(data_byte1),
                                       std::uint8_t(data_byte2)};
        midiTrace("received", bytes, shortMessageLength(std::uint8_t(status_byte)));
    }
    noteDeviceChannel(status_byte, data_byte1);
    if (status_byte == (kControlChange | PODMidiChannel)) {
        receiveController(data_byte1, data_byte2);
        rememberShownStates();
    } else if (status_byte == (kProgramChange | PODMidiChannel))
        receiveProgram(data_byte1);
    return 0;
}

// The device's own messages on another channel are not acted on, but the status line says where
// the device is heard: controllers of the tone map and programs the device has.
void DFrame::noteDeviceChannel(int status, int data1) {
    const int type = status & kMessageTypeMask;
    const bool devices = (type == kControlChange && findController(std::uint8_t(data1))) ||
                         (type == kProgramChange && data1 <= kLastProgram);
    if (devices && deviceWatch_)
        deviceWatch_->heardOnChannel(status - type);
}

void DFrame::receiveController(int controller, int v) {
    // The device changed what it plays, whether or not the panel shows this controller; what
    // could be redone no longer follows from it.
    if (shadow_)
        applyController(*shadow_, std::uint8_t(controller), std::uint8_t(v));
    history_.deviceChanged();
    updateEditMenu();
    showEditedMark();
    const ToneParameter* p = findController(std::uint8_t(controller));
    if (!p || p->receive == ReceiveRule::Ignored)
        return;
    QWidget* control = toneControl(p->member);
    if (p->focusOnReceive && control)
        control->setFocus(Qt::OtherFocusReason);
    const int r = 127 - v;

    if (const std::optional<int> state = receivedControlState(*p, v)) {
        setControlState(control, *state);
    } else {
        switch (p->receive) {
        case ReceiveRule::AmpModel:
            PodChangedAmp(v);
            break;
        case ReceiveRule::EffectType:
            // The effect list and windows change when the patch dump arrives.
            CmFileRead();
            break;
        case ReceiveRule::RotaryDepth: {
            // The device sends controller 1 for the rotary depth and for other things; outside
            // the rotary effect the editor reads the patch back a little later instead.
            const EffectRow* rotary = effectForCode(kRotaryEffectCode);
            if (rotary && EffectSel->currentIndex() == rotary->index) {
                setControlState(control, r);
                setControlState(TremChor, 1);
            } else {
                startReadTimer(kRotaryDepthReadDelayMs);
            }
            return;
        }
        case ReceiveRule::TapTempo:
            startReadTimer(kTapTempoDelayMs);
            return;
        default:
            return;
        }
    }

    switch (p->extra) {
    case ToneExtra::PairedDrive2:
        setControlState(Drive2, r);
        break;
    case ToneExtra::ChecksReverb:
        setControlState(toneControl("Reverb"), 1);
        break;
    case ToneExtra::ChecksWah:
        setControlState(toneControl("Wah"), 1);
        break;
    case ToneExtra::FeedbackLabel:
        ChorusWindow->showFeedback(r);
        break;
    default:
        break;
    }
}

void DFrame::receiveProgram(int program) {
    if (program > kLastProgram)
        return;
    ++programsHeard_;
    // The patch read next is the one stored there; a comparison ends with the patch.
    stored_.reset();
    storedFollows_ = true;
    edited_.reset();
    history_.deviceChanged();
    atLocation(program);
    // A patch the user chose stays one step until this read has ended, however it ends.
    patchAwaitsReadBack_ = patchAction_ != 0;
    CmFileRead();
}
