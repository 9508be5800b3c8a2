// Dialog 304, "MIDI Setup", built in code at its template geometry.
#include "midi/DMidiSetupDialog.h"

#include "app/DialogTemplate.h"
#include "app/DialogUnits.h"
#include "app/PanelControls.h"
#include "app/SystemColours.h"
#include "app/UiTextsQt.h"
#include "midi/DeviceNames.h"
#include "midi/MidiService.h"
#include "midi/PodFinder.h"

#include <QComboBox>
#include <QEventLoop>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <thread>

namespace {
constexpr int ID_MIDIOUTPORT = 297;
constexpr int ID_MIDIINPORT = 298;
constexpr int ID_MIDICHANNEL = 299;
constexpr int ID_FINDPOD = 300;
constexpr int ID_STATICFINDRESULT = 301;
// Devices plugged in or out while the dialog is open show within about a second.
constexpr int kFollowDevicesMs = 1000;
constexpr int kSearchTickMs = 50;

QStringList asList(const std::vector<std::string>& names) {
    QStringList list;
    for (const std::string& name : names)
        list << QString::fromStdString(name);
    return list;
}

// The entry of that name, else one that differs only in its sequencer address; -1 if none.
int indexOfDevice(const std::vector<std::string>& names, const QString& name) {
    const auto found = amplix::findDevice(name.toStdString(), names);
    return found ? int(*found) : -1;
}

constexpr DialogText kTexts[] = {
    {14, 12, 153, 8, amplix::text::kMidiSetupLine1}, {14, 23, 152, 8, amplix::text::kMidiSetupLine2},
    {14, 34, 153, 8, amplix::text::kMidiSetupLine3}, {16, 65, 29, 8, amplix::text::kMidiSetupInput},
    {12, 93, 33, 8, amplix::text::kMidiSetupOutput}, {36, 121, 47, 8, amplix::text::kMidiSetupChannel},
};
} // namespace

DMidiSetupDialog::DMidiSetupDialog(QWidget* parent, amplix::MidiService& midi, unsigned* PODMidiInPort,
                                   unsigned* PODMidiOutPort, int* PODMidiCh)
    : QDialog(parent), p_PODMidiCh(PODMidiCh), p_PODMidiInPort(PODMidiInPort),
      p_PODMidiOutPort(PODMidiOutPort), midi_(midi) {
    setObjectName(QStringLiteral("DMidiSetupDialog"));
    setWindowTitle(qtText(amplix::text::kMidiSetupTitle));
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
    ButtonFindPod = makeButton(this, "ButtonFindPod", ID_FINDPOD, du.rect(180, 42, 50, 14),
                               qtText(amplix::text::kMidiSetupFindPod));
    connect(ButtonFindPod, &QPushButton::clicked, this, &DMidiSetupDialog::FindPod);
    addStaticTexts(this, du, kTexts);
    // Below everything else: what a search found, or why the dialog opened.
    StaticFindResult = makeStatic(this, "StaticFindResult", ID_STATICFINDRESULT, du.rect(7, 140, 223, 31));
    StaticFindResult->setWordWrap(true);
    StaticFindResult->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    FindProgress = new QProgressBar(this);
    FindProgress->setObjectName(QStringLiteral("FindProgress"));
    FindProgress->setGeometry(du.rect(7, 142, 223, 10));
    FindProgress->hide();
    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("IntroFrame"));
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    frame->setGeometry(du.rect(7, 7, 166, 43));
    frame->lower();

    setFixedSize(du.x(234), du.y(175));
    SetupWindow();
    followSystemColours(this);

    follow_.setInterval(kFollowDevicesMs);
    connect(&follow_, &QTimer::timeout, this, &DMidiSetupDialog::followDevices);
    follow_.start();
}

void DMidiSetupDialog::setNotice(const QString& text) {
    showLine(text);
}

void DMidiSetupDialog::showLine(const QString& text) {
    StaticFindResult->setText(text);
    // A long line (many busy outputs, long device names) makes the dialog taller rather than
    // losing its end; the dialog never shrinks back, so it does not jump between searches.
    const int grow = StaticFindResult->heightForWidth(StaticFindResult->width()) - StaticFindResult->height();
    if (grow <= 0)
        return;
    StaticFindResult->resize(StaticFindResult->width(), StaticFindResult->height() + grow);
    setFixedSize(width(), height() + grow);
}

void DMidiSetupDialog::fillLists(std::vector<std::string> inputs, std::vector<std::string> outputs) {
    inputs_ = std::move(inputs);
    outputs_ = std::move(outputs);
    const QSignalBlocker quietIn(MidiInPort), quietOut(MidiOutPort);
    MidiInPort->clear();
    MidiOutPort->clear();
    fillDropDown(MidiInPort, asList(inputs_));
    fillDropDown(MidiOutPort, asList(outputs_));
}

void DMidiSetupDialog::followDevices() {
    if (searching_)
        return;
    auto inputs = amplix::inputNames(midi_);
    auto outputs = amplix::outputNames(midi_);
    if (inputs == inputs_ && outputs == outputs_)
        return;
    const QString input = MidiInPort->currentText(), output = MidiOutPort->currentText();
    fillLists(std::move(inputs), std::move(outputs));
    // The choices stay with their devices wherever these are listed now; one that went is no
    // choice any more.
    MidiInPort->setCurrentIndex(input.isEmpty() ? -1 : indexOfDevice(inputs_, input));
    MidiOutPort->setCurrentIndex(output.isEmpty() ? -1 : indexOfDevice(outputs_, output));
}

void DMidiSetupDialog::reject() {
    if (searching_) {
        cancel_ = true; // Esc or the window's close stop the search first
        return;
    }
    QDialog::reject();
}

void DMidiSetupDialog::FindPod() {
    if (searching_) {
        cancel_ = true;
        return;
    }
    if (beforeSearch_)
        beforeSearch_();
    searching_ = true;
    cancel_ = false;
    QList<QWidget*> held = {MidiInPort, MidiOutPort, MidiChannel};
    for (const char* button : {"OK", "Cancel"})
        held << findChild<QPushButton*>(QString::fromLatin1(button));
    for (QWidget* w : held)
        w->setEnabled(false);
    ButtonFindPod->setText(qtText(amplix::text::kMidiSetupStop));
    StaticFindResult->hide();
    FindProgress->setRange(0, 0);
    FindProgress->show();

    // The search waits for answers; it runs beside the dialog, which shows its progress.
    std::atomic<int> done{0}, total{0};
    std::atomic<bool> finished{false};
    amplix::PodSearch search;
    std::thread worker([&] {
        search = amplix::PodFinder(midi_).run(
            [&](int d, int t) {
                total = t;
                done = d;
            },
            cancel_);
        finished = true;
    });
    QEventLoop loop;
    QTimer tick;
    connect(&tick, &QTimer::timeout, &loop, [&] {
        if (total > 0) {
            FindProgress->setRange(0, total);
            FindProgress->setValue(done);
        }
        if (finished)
            loop.quit();
    });
    tick.start(kSearchTickMs);
    loop.exec();
    worker.join();

    for (QWidget* w : held)
        w->setEnabled(true);
    ButtonFindPod->setText(qtText(amplix::text::kMidiSetupFindPod));
    FindProgress->hide();
    if (search.outcome == amplix::PodSearch::Outcome::Found) {
        MidiInPort->setCurrentIndex(int(search.input));
        MidiOutPort->setCurrentIndex(int(search.output));
        if (search.channel)
            MidiChannel->setCurrentIndex(*search.channel);
    }
    // Without an answer the lists and the channel stay as the user left them.
    showLine(QString::fromStdString(
        amplix::describeSearch(search, midi_.inputName(search.input), midi_.outputName(search.output))));
    StaticFindResult->show();
    searching_ = false;
}

void DMidiSetupDialog::SetupWindow() {
    QStringList channels;
    for (int channel = 1; channel <= amplix::kMidiChannels; ++channel)
        channels << QString::number(channel);
    fillLists(amplix::inputNames(midi_), amplix::outputNames(midi_));
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
