// Dialog 304, "MIDI Setup", built in code at its template geometry.
#include "midi/DMidiSetupDialog.h"

#include "app/DialogTemplate.h"
#include "app/DialogUnits.h"
#include "app/PanelControls.h"
#include "app/SystemColours.h"
#include "midi/MidiService.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace {
constexpr int ID_MIDIOUTPORT = 297;
constexpr int ID_MIDIINPORT = 298;
constexpr int ID_MIDICHANNEL = 299;
constexpr DialogText kTexts[] = {
    {14, 12, 153, 8, "Select the MIDI input, output and channel"},
    {14, 23, 152, 8, "settings used to connect to your POD. Then"},
    {14, 34, 153, 8, "click the OK button to save the new settings."},
    {16, 65, 29, 8, "MIDI in:"},
    {12, 93, 33, 8, "MIDI out:"},
    {36, 121, 47, 8, "MIDI channel:"},
};
} // namespace

DMidiSetupDialog::DMidiSetupDialog(QWidget* parent, amplix::MidiService& midi, unsigned* PODMidiInPort,
                                   unsigned* PODMidiOutPort, int* PODMidiCh)
    : QDialog(parent), p_PODMidiCh(PODMidiCh), p_PODMidiInPort(PODMidiInPort),
      p_PODMidiOutPort(PODMidiOutPort), midi_(midi) {
    setObjectName(QStringLiteral("DMidiSetupDialog"));
    setWindowTitle(QStringLiteral("MIDI Setup"));
    setModal(true);
    const DialogUnits du(this);

    auto dropDown = [&](const char* member, int id, int x, int y, int w, int h) {
        QRect place = du.rect(x, y, w, h);
        return makeDropDown(this, member, id, place);
    };
    MidiInPort = dropDown("MidiInPort", ID_MIDIINPORT, 47, 63, 120, 75);
    MidiOutPort = dropDown("MidiOutPort", ID_MIDIOUTPORT, 47, 91, 120, 75);
    MidiChannel = dropDown("MidiChannel", ID_MIDICHANNEL, 86, 119, 35, 75);

    addOkCancel(this, du, 180, 6, 180, 24);
    addStaticTexts(this, du, kTexts);
    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("IntroFrame"));
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    frame->setGeometry(du.rect(7, 7, 166, 43));
    frame->lower();

    setFixedSize(du.x(234), du.y(144));
    SetupWindow();
    followSystemColours(this);
}

void DMidiSetupDialog::SetupWindow() {
    QStringList inputs, outputs, channels;
    for (unsigned i = 0, n = midi_.inputCount(); i < n; ++i)
        inputs << QString::fromStdString(midi_.inputName(i));
    for (unsigned i = 0, n = midi_.outputCount(); i < n; ++i)
        outputs << QString::fromStdString(midi_.outputName(i));
    for (int channel = 1; channel <= amplix::kMidiChannels; ++channel)
        channels << QString::number(channel);
    fillDropDown(MidiInPort, inputs);
    fillDropDown(MidiOutPort, outputs);
    fillDropDown(MidiChannel, channels);

    // An index that is not in its list leaves that list without a selection.
    auto select = [](QComboBox* list, long long index) {
        const QSignalBlocker quiet(list);
        list->setCurrentIndex(index >= 0 && index < list->count() ? int(index) : -1);
    };
    select(MidiChannel, *p_PODMidiCh);
    select(MidiInPort, *p_PODMidiInPort);
    select(MidiOutPort, *p_PODMidiOutPort);

    connect(MidiChannel, &QComboBox::currentIndexChanged, this, &DMidiSetupDialog::UpdatePODMCh);
    connect(MidiInPort, &QComboBox::currentIndexChanged, this, &DMidiSetupDialog::UpdatePODMIn);
    connect(MidiOutPort, &QComboBox::currentIndexChanged, this, &DMidiSetupDialog::UpdatePODMOut);
}

void DMidiSetupDialog::UpdatePODMCh() {
    if (MidiChannel->currentIndex() >= 0)
        *p_PODMidiCh = MidiChannel->currentIndex();
}

void DMidiSetupDialog::UpdatePODMIn() {
    if (MidiInPort->currentIndex() >= 0)
        *p_PODMidiInPort = unsigned(MidiInPort->currentIndex());
}

void DMidiSetupDialog::UpdatePODMOut() {
    if (MidiOutPort->currentIndex() >= 0)
        *p_PODMidiOutPort = unsigned(MidiOutPort->currentIndex());
}

int DMidiSetupDialog::Execute() {
    return runDialog(*this);
}
