// The status line as a user meets it: the ports in use, and what came of each request, silent
// time-outs and silent no-ops included; the MIDI trace that goes with it.
#include "app/DFrame.h"
#include "app/DStatusLine.h"
#include "patch/DPatchName.h"
#include "support/FrameHarness.h"
#include "support/QtTestSupport.h"
#include "support/TestPatchFiles.h"

#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
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
