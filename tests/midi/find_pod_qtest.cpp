// Finding the POD from MIDI Setup as a user does: the button, its progress and its Stop, the
// pair and channel selected and saved; a search the built-in simulator does not answer, which
// leaves the user's choice; devices that come and go while the dialog is open; the line that
// names devices missing at start-up.
#include "app/DFrame.h"
#include "midi/CombinedMidiService.h"
#include "midi/DMidiSetupDialog.h"
#include "midi/DeviceInquiry.h"
#include "midi/MidiConfig.h"
#include "midi/SimulatorMidiService.h"
#include "patch/SysexFormat.h"
#include "support/FrameHarness.h"
#include "support/QtTestSupport.h"

#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace amplix;
using testsupport::DialogWatcher;
using testsupport::FrameHarness;
using Bytes = std::vector<std::uint8_t>;

namespace {

const std::string kThrough = "Midi Through:Midi Through Port-0 14:0";
const std::string kInterface = "USB MIDI Interface:USB MIDI Interface MIDI 1 20:0";

QString current(QWidget* dialog, const char* list) {
    return dialog->findChild<QComboBox*>(QString::fromLatin1(list))->currentText();
}

QString line(QWidget* dialog) {
    return dialog->findChild<QLabel*>(QStringLiteral("StaticFindResult"))->text();
}

// The interface's device on output and input 1, channel 3, answering as the device does.
void plugInThePod(FrameHarness& h) {
    h.midi.inputs = h.midi.outputs = {kThrough, kInterface};
    h.midi.onSysexSentTo = [&h](unsigned output, const Bytes& bytes) {
        if (output != 1)
            return;
        if (bytes == Bytes(kEditBufferRequest.begin(), kEditBufferRequest.end())) {
            const auto dump = buildSingleDump(PatchRecord{});
            h.midi.deliverTo(1, Bytes(dump.begin(), dump.end()));
        } else if (const auto channel = inquiryChannel(bytes); channel == 2) {
            const auto reply = inquiryReply({2, kPodMember, {'0', '1', '0', '0'}});
            h.midi.deliverTo(1, Bytes(reply.begin(), reply.end()));
        }
    };
}

// Empty when the whole line is drawn inside the dialog; otherwise what is cut off.
QString lineClipped(QWidget* dialog) {
    auto* label = dialog->findChild<QLabel*>(QStringLiteral("StaticFindResult"));
    const int needs = label->heightForWidth(label->width());
    if (needs <= label->height() && dialog->rect().contains(label->geometry()))
        return {};
    return QStringLiteral("needs %1 pixels, has %2 in %3x%4 at %5")
        .arg(needs)
        .arg(label->height())
        .arg(dialog->width())
        .arg(dialog->height())
        .arg(label->y());
}

// The editor as it runs: the system's ports (here the test double, which never answers) with the
// built-in simulator after them, started in a folder of its own on input and output 0.
struct EditorWithSimulator {
    QTemporaryDir dir;
    QString previousDir = QDir::currentPath();
    TestMidiService* ports = nullptr;
    SimulatorMidiService* simulator = nullptr;
    std::unique_ptr<CombinedMidiService> midi;
    std::unique_ptr<DFrame> frame;

    explicit EditorWithSimulator(std::vector<std::string> names) {
        auto system = std::make_unique<TestMidiService>();
        auto builtIn = std::make_unique<SimulatorMidiService>(SimulatorMidiService::Pacing::Immediate);
        ports = system.get();
        simulator = builtIn.get();
        ports->inputs = ports->outputs = std::move(names);
        midi = std::make_unique<CombinedMidiService>(std::move(system), std::move(builtIn));
        QDir::setCurrent(dir.path());
        testsupport::writeFileBytes(dir.filePath(QStringLiteral("AMPLIX.CNF")), {0, 0, 0, 0});
        frame = std::make_unique<DFrame>(*midi);
        frame->SetupWindow();
    }
    ~EditorWithSimulator() {
        frame.reset();
        QDir::setCurrent(previousDir);
    }
    std::optional<MidiConfig> saved() const {
        const auto bytes = testsupport::readFileBytes(dir.filePath(QStringLiteral("AMPLIX.CNF")));
        return decodeMidiConfig(bytes);
    }
};

const QString kCables =
    QStringLiteral(" Check that both MIDI cables are connected and the POD is switched on.");
const QString kFallBack =
    QStringLiteral(" The built-in Amplix POD Simulator is there to work without a device.");

struct NoAnswerCase {
    const char* name;
    std::vector<std::string> ports; // the system's, the simulator after them
    std::vector<unsigned> busy;
    int in, out, channel; // chosen by the user before the search; -1: nothing chosen
    QString said;
};
const NoAnswerCase kNoAnswer[] = {
    // docs/screenshots/midi-setup-no-answer.png: the ports the editor was on, one output busy. It is
    // made by running this row under xvfb-run with QT_QPA_PLATFORM=xcb and AMPLIX_SCREENSHOT_DIR.
    {"two silent ports, one busy",
     {kThrough, kInterface, "Busy:Busy MIDI 1 28:0"},
     {2},
     0,
     0,
     0,
     "No POD answered on the 2 outputs asked." + kCables +
         " In use by another program, not asked: Busy MIDI 1." + kFallBack},
    {"one silent port, the simulator chosen as output",
     {kThrough},
     {},
     0,
     1,
     6,
     "No POD answered on the one output asked." + kCables + kFallBack},
    {"the simulator alone", {}, {}, 0, 0, 15, "No MIDI output to ask for the POD." + kFallBack},
    {"no output chosen",
     {kThrough, kInterface},
     {},
     1,
     -1,
     2,
     "No POD answered on the 2 outputs asked." + kCables + kFallBack},
    {"many busy ports with long names",
     {"Busy:Busy MIDI 1 28:0",
      "Second Interface With A Long Name:Second Interface With A Long Name MIDI 1 32:0",
      "Third Interface With A Long Name:Third Interface With A Long Name MIDI 1 36:0", kThrough},
     {0, 1, 2},
     3,
     3,
     0,
     "No POD answered on the one output asked." + kCables +
         " In use by another program, not asked: Busy MIDI 1, Second Interface With A Long Name MIDI 1, "
         "Third Interface With A Long Name MIDI 1." +
         kFallBack},
};

} // namespace

class FindPodTest : public QObject {
    Q_OBJECT

private slots:
    // The button under Cancel finds the pair and the channel; OK saves them and the editor
    // connects there.
    void findPodSelectsWhatAnsweredAndOkSavesIt() {
        FrameHarness h;
        plugInThePod(h);
        h.writeConfig({0, 0, 0, 0}); // the wrong ports: Midi Through
        DFrame& f = h.start();
        QString found;
        QStringList chosen;
        DialogWatcher dialogs([&](QWidget* d) {
            auto* button = d->findChild<QPushButton*>(QStringLiteral("ButtonFindPod"));
            QCOMPARE(button->text(), QStringLiteral("Find POD"));
            const QRect cancel = d->findChild<QPushButton*>(QStringLiteral("Cancel"))->geometry();
            QVERIFY(button->geometry().top() > cancel.bottom() && button->geometry().left() == cancel.left());
            QVERIFY(testsupport::textClipping(button, button->text()).isEmpty());
            QTest::mouseClick(button, Qt::LeftButton);
            found = line(d);
            chosen = {current(d, "MidiInPort"), current(d, "MidiOutPort"), current(d, "MidiChannel")};
            testsupport::pressButton(d, "OK");
        });
        f.CmSetupMidi();
        QCOMPARE(dialogs.count(), 1);
        QCOMPARE(found,
                 QStringLiteral("Found a POD (software 1.00) on channel 3: in USB MIDI Interface MIDI 1, "
                                "out USB MIDI Interface MIDI 1"));
        QCOMPARE(chosen, (QStringList{QString::fromStdString(kInterface), QString::fromStdString(kInterface),
                                      QStringLiteral("3")}));
        const QByteArray saved = h.readConfig();
        const auto config = decodeMidiConfig(
            std::span(reinterpret_cast<const std::uint8_t*>(saved.constData()), std::size_t(saved.size())));
        QVERIFY(config);
        QCOMPARE(config->channel, 2);
        QCOMPARE(config->inputName, kInterface);
        QCOMPARE(config->outputName, kInterface);
        QCOMPARE(f.PODMidiSet, 1);
        QCOMPARE(f.PODMidiOutPort, 1u);
    }

    void noAnswerKeepsTheChoiceAndSaysSo_data() {
        testsupport::addRows(kNoAnswer, [](const NoAnswerCase& c) { return QString::fromLatin1(c.name); });
    }
    // Nothing answers (the simulator is never asked): the line says how many outputs were asked
    // and points to the simulator, all of it readable; the lists and the channel keep what the
    // user chose, and OK saves that.
    void noAnswerKeepsTheChoiceAndSaysSo() {
        QFETCH(int, row);
        const NoAnswerCase& c = kNoAnswer[row];
        EditorWithSimulator editor(c.ports);
        for (unsigned busy : c.busy)
            editor.ports->outputOpenResult[busy] = MidiResult::Allocated;
        const std::size_t answeredBefore = editor.simulator->bytesDelivered();
        QStringList chosen, after;
        QString said, clipped, buttonAfter;
        std::size_t answeredAfter = 0;
        DialogWatcher dialogs([&](QWidget* d) {
            const auto choose = [d](const char* list, int index) {
                auto* box = d->findChild<QComboBox*>(QString::fromLatin1(list));
                if (index >= 0)
                    testsupport::chooseInPopup(box, index);
                else
                    box->setCurrentIndex(-1); // as a device that went leaves it
            };
            choose("MidiInPort", c.in);
            choose("MidiOutPort", c.out);
            choose("MidiChannel", c.channel);
            chosen = {current(d, "MidiInPort"), current(d, "MidiOutPort"), current(d, "MidiChannel")};
            auto* button = d->findChild<QPushButton*>(QStringLiteral("ButtonFindPod"));
            QTest::mouseClick(button, Qt::LeftButton);
            buttonAfter = button->text(); // the click returns once the search has ended
            said = line(d);
            clipped = lineClipped(d);
            after = {current(d, "MidiInPort"), current(d, "MidiOutPort"), current(d, "MidiChannel")};
            if (const QByteArray folder = qgetenv("AMPLIX_SCREENSHOT_DIR"); !folder.isEmpty() && row == 0)
                d->grab().save(QDir(QString::fromLocal8Bit(folder))
                                   .filePath(QStringLiteral("midi-setup-no-answer.png")));
            answeredAfter = editor.simulator->bytesDelivered();
            testsupport::pressButton(d, "OK");
        });
        editor.frame->CmSetupMidi();
        QCOMPARE(dialogs.count(), 1);
        QCOMPARE(buttonAfter, QStringLiteral("Find POD"));
        QCOMPARE(answeredAfter, answeredBefore); // nothing reached the simulator
        QCOMPARE(said, c.said);
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped));
        QCOMPARE(after, chosen);
        const auto config = editor.saved();
        QVERIFY(config);
        QCOMPARE(config->channel, c.channel);
        if (c.in >= 0)
            QCOMPARE(config->inputPort, unsigned(c.in));
        if (c.out >= 0)
            QCOMPARE(config->outputPort, unsigned(c.out));
        else
            QCOMPARE(config->outputPort, 0u); // the editor's own, kept
    }

    // No answer, with a busy output named; Stop ends a search early; Cancel afterwards leaves
    // the editor on its old ports, open again.
    void noAnswerAndStopAreSaidAndCancelKeepsTheOldPorts() {
        FrameHarness h;
        h.midi.inputs = h.midi.outputs = {kThrough, kInterface, "Busy:Busy MIDI 1 28:0"};
        h.midi.outputOpenResult[2] = MidiResult::Allocated;
        DFrame& f = h.startConnected();
        QStringList said;
        bool progressShown = false;
        DialogWatcher dialogs([&](QWidget* d) {
            auto* button = d->findChild<QPushButton*>(QStringLiteral("ButtonFindPod"));
            QTest::mouseClick(button, Qt::LeftButton);
            said << line(d);
            QTimer::singleShot(150, d, [&, d, button] {
                progressShown = d->findChild<QProgressBar*>(QStringLiteral("FindProgress"))->isVisible() &&
                                button->text() == QStringLiteral("Stop");
                QTest::mouseClick(button, Qt::LeftButton);
            });
            QTest::mouseClick(button, Qt::LeftButton);
            said << line(d);
            static_cast<QDialog*>(d)->reject();
        });
        f.CmSetupMidi();
        QCOMPARE(said,
                 (QStringList{"No POD answered on the 2 outputs asked. Check that both MIDI cables are "
                              "connected and the POD is switched on. In use by another program, not asked: "
                              "Busy MIDI 1.",
                              "Search cancelled."})); // before the busy output came up
        QVERIFY(progressShown);
        QCOMPARE(f.PODMidiSet, 1);
        QCOMPARE(f.PODMidiOutPort, 0u);
        // Nothing but the two requests went to any port.
        for (const auto& sent : h.midi.sent)
            QVERIFY(!sent.sysex ||
                    sent.bytes == Bytes(kEditBufferRequest.begin(), kEditBufferRequest.end()) ||
                    inquiryChannel(sent.bytes));
    }

    // A device plugged in while the dialog is open appears within a second; the choice stays
    // with its device though its place in the list moved.
    void devicesPluggedInLaterAppearAndChoicesStay() {
        FrameHarness h;
        h.midi.inputs = h.midi.outputs = {kThrough};
        DFrame& f = h.startConnected();
        QStringList before, after;
        DialogWatcher dialogs([&](QWidget* d) {
            auto* in = d->findChild<QComboBox*>(QStringLiteral("MidiInPort"));
            before << QString::number(in->count()) << in->currentText();
            h.midi.inputs = h.midi.outputs = {kInterface, kThrough};
            QTRY_COMPARE_WITH_TIMEOUT(in->count(), 2, 3000);
            after << in->itemText(0) << in->currentText() << current(d, "MidiOutPort");
            static_cast<QDialog*>(d)->reject();
        });
        f.CmSetupMidi();
        QCOMPARE(before, (QStringList{"1", QString::fromStdString(kThrough)}));
        QCOMPARE(after, (QStringList{QString::fromStdString(kInterface), QString::fromStdString(kThrough),
                                     QString::fromStdString(kThrough)}));
    }

    // At start-up the settings name a device that is not there: the dialog says which.
    void missingDevicesAreNamedWhenTheDialogOpensByItself() {
        FrameHarness h;
        h.midi.inputs = h.midi.outputs = {kThrough};
        h.writeConfig(encodeMidiConfig({0, 3, 3, kInterface, kInterface}));
        testsupport::MessageBoxWatcher boxes; // cancelled: no ports to read from
        QString said;
        DialogWatcher dialogs([&](QWidget* d) {
            said = line(d);
            static_cast<QDialog*>(d)->reject();
        });
        h.start();
        QCOMPARE(dialogs.count(), 1);
        QCOMPARE(said, QStringLiteral("USB MIDI Interface MIDI 1 is not connected."));
    }
};

QTEST_MAIN(FindPodTest)
#include "find_pod_qtest.moc"
