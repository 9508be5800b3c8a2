// Finding the POD from MIDI Setup as a user does: the button, its progress and its Stop, the
// pair and channel selected and saved; devices that come and go while the dialog is open; the
// line that names devices missing at start-up.
#include "app/DFrame.h"
#include "midi/DMidiSetupDialog.h"
#include "midi/DeviceInquiry.h"
#include "midi/MidiConfig.h"
#include "patch/SysexFormat.h"
#include "support/FrameHarness.h"
#include "support/QtTestSupport.h"

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

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
