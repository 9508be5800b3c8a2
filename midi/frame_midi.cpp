// The frame's MIDI ports: opening and closing them, short messages and SysEx sends.
#include "app/DFrame.h"

#include "app/BusyWait.h"
#include "app/MessageBox.h"
#include "midi/MidiTrace.h"

#include <vector>

using namespace amplix;

void DFrame::OpenPodMidiPorts() {
    ClosePodMidiPorts();

    int result = midi_.openOutput(PODMidiOutPort, HPODMidiOut);
    if (result == kMidiBadDeviceId) {
        ShowMessage(this, QStringLiteral("Invalid MIDI out port selected - Select another"), QStringLiteral("Error!"));
        CmSetupMidi();
        return;
    }
    if (result == kMidiAllocated) {
        ShowMessage(this, QStringLiteral("MIDI out port is already in use - Select another or close the application "
                                         "using the MIDI out port"));
        CmSetupMidi();
        return;
    }
    if (result == kMidiNoMemory) {
        ShowMessage(this, QStringLiteral("Can't open MIDI out port - insufficient memory"), QStringLiteral("Error!"));
        closeMainWindow();
        return;
    }

    result = midi_.openInput(PODMidiInPort, *inputSink_, HPODMidiIn);
    if (result == kMidiBadDeviceId) {
        ShowMessage(this, QStringLiteral("Invalid MIDI in port selected - Select another"), QStringLiteral("Error!"));
        CmSetupMidi();
        return;
    }
    if (result == kMidiAllocated) {
        ShowMessage(this, QStringLiteral("MIDI in port is already in use - Select another or close the application "
                                         "using the MIDI in port"));
        CmSetupMidi();
        return;
    }
    if (result == kMidiNoMemory) {
        ShowMessage(this, QStringLiteral("Can't open MIDI in port - insufficient memory"), QStringLiteral("Error!"));
        closeMainWindow();
        return;
    }
    midi_.startInput(HPODMidiIn);
    PODMidiSet = 1;
    midiTrace("ports open: in \"" + midi_.inputName(PODMidiInPort) + "\", out \"" + midi_.outputName(PODMidiOutPort) +
              "\", channel " + std::to_string(PODMidiChannel + 1));
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
    if (Waiting_for_sysex) {
        midiHdr.reset();
        Waiting_for_sysex = Save_flag = Name_flag = SaveToPod_flag = Save_All_flag = 0;
        AmpModel_flag = -1;
    }
    if (HPODMidiIn != kNoHandle)
        midi_.closeInput(HPODMidiIn);
    HPODMidiIn = kNoHandle;
    PODMidiSet = 0;
}

// Live sends are fire-and-forget: with the output closed they simply go nowhere.
void DFrame::SendShortMessage(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) {
    const std::uint8_t bytes[3] = {status, data1, data2};
    midiTrace("send", bytes, shortMessageLength(status));
    midi_.sendShort(HPODMidiOut, packShortMessage(status, data1, data2));
}

void DFrame::SendControlChange(std::uint8_t controller, std::uint8_t value) {
    SendShortMessage(std::uint8_t(kControlChange | PODMidiChannel), controller, value);
}

bool DFrame::SendSysexMessage(int sysexMsgSize) {
    err = 0;
    if (sysexMsgSize <= 0 || std::size_t(sysexMsgSize) > sysEx.size())
        err = kMidiError;
    else {
        midiTrace("send", sysEx.data(), std::size_t(sysexMsgSize));
        // The send returns when the message is on the cable, 1.6 s for a bank: it runs on a
        // thread of its own while the window repaints and nothing else happens.
        const std::vector<std::uint8_t> message(sysEx.begin(), sysEx.begin() + sysexMsgSize);
        const MidiHandle output = HPODMidiOut;
        ++sending_;
        err = unsigned(
            runWhileRepainting([&] { return midi_.sendSysex(output, message.data(), message.size()); }));
        --sending_;
        if (sending_ == 0)
            releaseDeferred();
    }
    if (err != 0) {
        ShowMessage(this, QStringLiteral("Failed to send sysex message!"), QStringLiteral("Error!"));
        return false;
    }
    return true;
}
