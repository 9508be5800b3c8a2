// The status line as a user meets it: the ports in use, and what came of each request, silent
// time-outs and silent no-ops included; the MIDI trace that goes with it.
#include "app/CommandIds.h"
#include "app/DFrame.h"
#include "app/DStatusLine.h"
#include "midi/DeviceInquiry.h"
#include "midi/DeviceWatch.h"
#include "patch/DPatchName.h"
#include "support/FrameHarness.h"
#include "support/QtTestSupport.h"
#include "support/TestPatchFiles.h"

#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>

using namespace amplix;
using patchfiles::Bytes;
using testsupport::DialogWatcher;
using testsupport::FrameHarness;

namespace {

const std::string kInterface = "USB MIDI Interface:USB MIDI Interface MIDI 1 20:0";
const QString kNoAnswer = QStringLiteral("No answer from the POD: check both MIDI cables");

Bytes dumpNamed(const std::string& name) {
    return patchfiles::singlePatch(patchfiles::record(name, 3), 0x11);
}

QString outcome(const DFrame& f) {
    return f.StatusLine->StaticOutcome->text();
}

} // namespace

class StatusLineTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        qputenv("AMPLIX_MIDI_TRACE", "1"); // before the first line of the trace
    }

    // Below everything the panel had, which stays where it was; the window grows by its height.
    void theLineNamesThePortsBelowThePatchStrip() {
        FrameHarness h;
        h.midi.inputs = h.midi.outputs = {"Midi Through:Midi Through Port-0 14:0", kInterface};
        h.writeConfig({2, 1, 1, 0});
        DFrame& f = h.start();
        f.show();
        QCOMPARE(f.StatusLine->geometry(), QRect(0, 515, 700, DStatusLine::kHeight));
        QCOMPARE(f.PatchWindow->geometry(), QRect(0, 465, 700, 50));
        QCOMPARE(f.centralWidget()->size(), QSize(700, 515 + DStatusLine::kHeight));
        QCOMPARE(f.StatusLine->StaticConnection->text(),
                 QStringLiteral("POD on USB MIDI Interface, channel 3"));
        for (QLabel* label : {f.StatusLine->StaticConnection, f.StatusLine->StaticOutcome}) {
            QCOMPARE(label->textFormat(), Qt::PlainText);
            QVERIFY2(testsupport::textClipping(label, label->text()).isEmpty(), qPrintable(label->text()));
        }

        f.ClosePodMidiPorts();
        QCOMPARE(f.StatusLine->StaticConnection->text(),
                 QStringLiteral("Not connected (Options, Midi Setup)"));
    }

    // Each request says how it ended; what used to pass in silence says why.
    void eachRequestSaysHowItEnded() {
        FrameHarness h;
        DFrame& f = h.startConnected();
        f.show();
        h.midi.deliver(dumpNamed("Start"));
        FrameHarness::settle();
        QCOMPARE(outcome(f), QStringLiteral("Patch read"));

        testsupport::StderrCapture trace;
        f.CmFileRead();
        QTRY_COMPARE_WITH_TIMEOUT(outcome(f), kNoAnswer, 3000);
        FrameHarness::settle();
        QCOMPARE(f.Waiting_for_sysex, 0);
        // One line for the time-out, and nothing about the empty buffer it hands back.
        QVERIFY(trace.has("amplix32: no answer in time\n"));
        QVERIFY(!trace.has("0 bytes"));

        // The device's knobs show in the trace as they arrive.
        h.midi.deliver({0xB0, 13, 100});
        FrameHarness::settle();
        QVERIFY(trace.has("amplix32: received: B0 0D 64\n"));

        // A store: the location chosen, or none.
        for (const auto& [location, said] : {std::pair{5, QStringLiteral("Stored to 2B")},
                                             {-1, QStringLiteral("Not stored: no location was chosen")}}) {
            DialogWatcher dialogs([location = location](QWidget* d) {
                if (location >= 0)
                    d->findChild<QComboBox*>(QStringLiteral("PatchLocationName"))->setCurrentIndex(location);
                testsupport::pressButton(d, "OK");
            });
            f.WmSaveToPod();
            h.midi.deliver(dumpNamed("Keeper"));
            FrameHarness::settle();
            QCOMPARE(dialogs.count(), 1);
            QCOMPARE(outcome(f), said);
        }

        DialogWatcher rename([](QWidget* d) {
            d->findChild<QLineEdit*>(QStringLiteral("EditNewPatchName"))->setText(QStringLiteral("Lead"));
            testsupport::pressButton(d, "OK");
        });
        f.PatchWindow->ButtonPatchName->click();
        FrameHarness::settle(); // the request goes out
        h.midi.deliver(dumpNamed("Keeper"));
        FrameHarness::settle();
        QCOMPARE(outcome(f), QStringLiteral("Patch renamed"));

        // Something that is no dump at all.
        f.CmFileRead();
        h.releaseRequest();
        QCOMPARE(outcome(f), QStringLiteral("Unrecognised answer on the MIDI input"));
    }

    // The answer is here while the store dialog is open longer than the time-out: that is no
    // time-out, and the store goes out once.
    void anAnswerWaitingOnADialogIsNoTimeOut() {
        FrameHarness h;
        DFrame& f = h.startConnected();
        h.answerWithSingleDump();
        h.midi.clearLog();
        testsupport::StderrCapture trace;
        DialogWatcher dialogs([](QWidget* d) {
            QTest::qWait(1300); // past the edit-buffer request's 1000 ms
            d->findChild<QComboBox*>(QStringLiteral("PatchLocationName"))->setCurrentIndex(0);
            testsupport::pressButton(d, "OK");
        });
        f.WmSaveToPod();
        h.midi.deliver(dumpNamed("Slow Hand"));
        FrameHarness::settle(200);
        QCOMPARE(dialogs.count(), 1);
        QCOMPARE(outcome(f), QStringLiteral("Stored to 1A"));
        QVERIFY(!trace.has("no answer in time"));
        QCOMPARE(h.midi.sentSysex().size(), 2u); // the request and one store
        QCOMPARE(h.midi.sentSysex()[1][6], 0x00);
        QVERIFY(std::count(h.midi.calls.begin(), h.midi.calls.end(), "resetInput") == 0);
    }

    // Saving proposes the patch's name and says where it went.
    // Nobody touches anything: the periodic look finds the interface gone and back again; the
    // ports are named again a moment after. A port closed meanwhile is not reported.
    void theLineSaysWhenTheDeviceGoesAndComesBack() {
        FrameHarness h;
        const std::string through = "Midi Through:Midi Through Port-0 14:0";
        h.midi.inputs = h.midi.outputs = {through, kInterface};
        h.writeConfig({0, 1, 1, 0});
        DFrame& f = h.start();
        h.releaseRequest();
        const auto connection = [&] { return f.StatusLine->StaticConnection->text(); };
        const QString ports = QStringLiteral("POD on USB MIDI Interface, channel 1");
        const QString gone = QStringLiteral("USB MIDI Interface MIDI 1 is not connected.");
        QCOMPARE(connection(), ports);
        h.midi.clearLog();
        const int looks = h.midi.looks;
        // What was heard of the device's channel goes with it: it may come back set otherwise.
        h.midi.deliver({0xB4, 13, 100});
        FrameHarness::settle();
        QVERIFY(connection().startsWith(QStringLiteral("The POD answers on channel 5")));

        h.midi.inputs = h.midi.outputs = {through};
        QTRY_COMPARE_WITH_TIMEOUT(connection(), gone, 3 * DeviceWatch::kLookIntervalMs);
        QVERIFY(h.midi.looks > looks);
        h.midi.inputs = h.midi.outputs = {through, kInterface};
        QTRY_COMPARE_WITH_TIMEOUT(connection(), QStringLiteral("USB MIDI Interface MIDI 1 is back."),
                                  3 * DeviceWatch::kLookIntervalMs);
        QTRY_COMPARE_WITH_TIMEOUT(connection(), ports,
                                  DeviceWatch::kBackShownMs + 2 * DeviceWatch::kLookIntervalMs);
        QVERIFY(h.midi.sent.empty()); // looking sends nothing

        // Only the output gone is said once; it stays said while the input is back.
        h.midi.outputs = {through};
        QTRY_COMPARE_WITH_TIMEOUT(connection(), gone, 3 * DeviceWatch::kLookIntervalMs);
        h.midi.inputs = {through};
        h.midi.lookAtDevices();
        FrameHarness::settle();
        QCOMPARE(connection(), gone);

        f.ClosePodMidiPorts();
        h.midi.lookAtDevices();
        FrameHarness::settle();
        QCOMPARE(connection(), QStringLiteral("Not connected (Options, Midi Setup)"));
    }

    // The device's own controllers and program changes on another channel change nothing on the
    // panel, but the line says where the device is; heard on the editor's channel, it names the
    // ports again. Messages the device does not send say nothing.
    void aDeviceOnAnotherChannelIsSaid() {
        FrameHarness h;
        DFrame& f = h.startPanel(0);
        const auto connection = [&] { return f.StatusLine->StaticConnection->text(); };
        const int drive = f.Drive->value();
        for (const Bytes& notTheDevice : {Bytes{0x94, 60, 100}, Bytes{0xB4, 127, 1}, Bytes{0xC4, 37}}) {
            h.midi.deliver(notTheDevice);
            FrameHarness::settle();
        }
        const QString before = connection();
        QVERIFY(!before.contains(QStringLiteral("answers")));
        const struct {
            Bytes message;
            const char* said; // empty: the ports
        } cases[] = {
            {{0xB4, 13, 100}, "The POD answers on channel 5; the editor uses channel 1: Options, Midi Setup"},
            {{0xCF, 3}, "The POD answers on channel 16; the editor uses channel 1: Options, Midi Setup"},
            {{0xB0, 13, 90}, ""},
            {{0xC1, 0}, "The POD answers on channel 2; the editor uses channel 1: Options, Midi Setup"},
        };
        for (const auto& c : cases) {
            h.midi.deliver(c.message);
            FrameHarness::settle();
            QCOMPARE(connection(), *c.said ? QString::fromLatin1(c.said) : before);
        }
        QCOMPARE(f.Drive->value(), 127 - 90); // from channel 1 alone
        QVERIFY(f.Drive->value() != drive);
    }

    // A patch chosen that the device does not follow, or a request it does not answer: the
    // device inquiry goes out once on every channel, the editor's first, and the line says
    // where the device answered. A device that follows adds nothing to the wire.
    void aDeviceThatDoesNotFollowIsAskedForItsChannelOnce() {
        FrameHarness h;
        DFrame& f = h.startPanel(0);
        const auto connection = [&] { return f.StatusLine->StaticConnection->text(); };
        const QString ports = connection();
        int deviceChannel = 4;
        h.midi.onSysexSent = [&](const std::vector<std::uint8_t>& sent) {
            if (inquiryChannel(sent) == deviceChannel)
                h.midi.deliver(patchfiles::cat({Bytes{0xF0, 0x7E, std::uint8_t(deviceChannel), 0x06, 0x02,
                                                      0x00, 0x01, 0x0C, 0x00, 0x00, 0x00, 0x01},
                                                "0100", Bytes{0xF7}}));
        };

        // Followed: the program change comes back and the patch is read; no inquiry.
        h.midi.onSysexSent = [&, answer = h.midi.onSysexSent](const std::vector<std::uint8_t>& sent) {
            if (sent == Bytes(kEditBufferRequest.begin(), kEditBufferRequest.end()))
                h.midi.deliver(dumpNamed("Echoed"));
            answer(sent);
        };
        f.dispatchCommand(CM_PATCHMANUAL + 3);
        h.midi.deliver({0xC0, 3});
        QTest::qWait(DFrame::kEditBufferTimeoutMs + 400);
        QCOMPARE(h.sentHex(), (QStringList{"C0 03 00", "F0 00 01 0C 01 00 01 F7"}));
        QCOMPARE(connection(), ports);

        // Not followed: after the time a program change takes, the sixteen inquiries.
        h.midi.clearLog();
        f.dispatchCommand(CM_PATCHMANUAL + 5);
        QTRY_COMPARE_WITH_TIMEOUT(connection(),
                                  QStringLiteral("The POD answers on channel 5; the editor uses channel 1: "
                                                 "Options, Midi Setup"),
                                  DFrame::kEditBufferTimeoutMs + 1000);
        QStringList expected = {"C0 05 00"};
        for (int channel : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15})
            expected << QStringLiteral("F0 7E %1 06 01 F7").arg(channel, 2, 16, QLatin1Char('0')).toUpper();
        QCOMPARE(h.sentHex(), expected);

        // Once: another patch not followed asks nothing more.
        h.midi.clearLog();
        f.dispatchCommand(CM_PATCHMANUAL + 6);
        QTest::qWait(DFrame::kEditBufferTimeoutMs + DFrame::kInquiryWaitMs + 200);
        QCOMPARE(h.sentHex(), QStringList{"C0 06 00"});
    }

    // After a request without an answer the inquiry finds the device on the editor's channel:
    // nothing to say. A request made while the inquiry waits goes out and is answered at once.
    void anUnansweredRequestAsksTheChannelAndARequestEndsTheSearch() {
        FrameHarness h;
        DFrame& f = h.startPanel(2);
        const auto connection = [&] { return f.StatusLine->StaticConnection->text(); };
        const QString ports = connection();
        bool deviceAnswersDumps = false;
        h.midi.onSysexSent = [&](const std::vector<std::uint8_t>& sent) {
            if (inquiryChannel(sent) == 2)
                h.midi.deliver(patchfiles::cat(
                    {Bytes{0xF0, 0x7E, 0x02, 0x06, 0x02, 0x00, 0x01, 0x0C, 0x00, 0x00, 0x00, 0x01}, "0100",
                     Bytes{0xF7}}));
            if (deviceAnswersDumps && sent == Bytes(kEditBufferRequest.begin(), kEditBufferRequest.end()))
                h.midi.deliver(dumpNamed("Answer"));
        };
        f.CmFileRead();
        QTRY_COMPARE_WITH_TIMEOUT(outcome(f), kNoAnswer, DFrame::kEditBufferTimeoutMs + 1000);
        QTRY_COMPARE_WITH_TIMEOUT(h.midi.sentSysex().size(), std::size_t(17), 1000);
        QCOMPARE(h.midi.sentSysex()[1], (Bytes{0xF0, 0x7E, 0x02, 0x06, 0x01, 0xF7}));
        deviceAnswersDumps = true;
        f.CmFileRead(); // within the inquiry's wait
        FrameHarness::settle();
        QCOMPARE(outcome(f), QStringLiteral("Patch read"));
        QCOMPARE(f.Waiting_for_sysex, 0);
        FrameHarness::settle(DFrame::kInquiryWaitMs + 100);
        QCOMPARE(connection(), ports);
    }

    void aSaveProposesThePatchNameAndSaysWhereItWent() {
        FrameHarness h;
        DFrame& f = h.startConnected();
        h.answerWithSingleDump();
        QString proposed;
        DialogWatcher dialogs([&](QWidget* d) {
            auto* files = qobject_cast<QFileDialog*>(d);
            QVERIFY(files);
            proposed = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
            files->setDirectory(h.dir.path());
            static_cast<QDialog*>(files)->accept();
        });
        f.CmFileSave_();
        h.midi.deliver(dumpNamed("AC/DC Crunch    "));
        QTRY_COMPARE(dialogs.count(), 1);
        QCOMPARE(proposed, QStringLiteral("AC_DC Crunch.pod"));
        QTRY_COMPARE(outcome(f), QStringLiteral("Patch saved to AC_DC Crunch.pod"));
        QVERIFY(QFile::exists(h.dir.filePath(QStringLiteral("AC_DC Crunch.pod"))));
    }
};

QTEST_MAIN(StatusLineTest)
#include "status_line_qtest.moc"
