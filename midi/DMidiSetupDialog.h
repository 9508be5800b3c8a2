// The MIDI setup dialog: input device, output device and channel.
#pragma once

#include <QDialog>

class QComboBox;
namespace amplix {
class MidiService;
}

// Writes the user's choices through the pointers at once; the caller passes temporaries and
// keeps them only when the dialog ends with OK.
class DMidiSetupDialog : public QDialog {
public:
    DMidiSetupDialog(QWidget* parent, amplix::MidiService& midi, unsigned* PODMidiInPort,
                     unsigned* PODMidiOutPort, int* PODMidiCh);

    // Runs the dialog modally: 1 for "OK", 2 for "Cancel" or any other way of closing it.
    int Execute();

    QComboBox* MidiChannel = nullptr;
    QComboBox* MidiInPort = nullptr;
    QComboBox* MidiOutPort = nullptr;
    int* p_PODMidiCh;
    unsigned* p_PODMidiInPort;
    unsigned* p_PODMidiOutPort;

private:
    void SetupWindow();
    void UpdatePODMCh();
    void UpdatePODMIn();
    void UpdatePODMOut();

    amplix::MidiService& midi_;
};
