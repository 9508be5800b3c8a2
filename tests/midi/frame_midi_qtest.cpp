// The frame's MIDI link: opening ports, requests, time-outs and what arrives, with its messages.
#include "app/DFrame.h"
#include "midi/PostToParentWindow.h"
#include "support/FrameHarness.h"

#include <QAbstractButton>
#include <QDialog>
#include <QTest>

using namespace amplix;
using testsupport::DialogWatcher;
using testsupport::FrameHarness;
using testsupport::MessageBoxWatcher;

namespace {

const std::vector<std::uint8_t> kEditRequest(kEditBufferRequest.begin(), kEditBufferRequest.end());
const std::vector<std::uint8_t> kBankReq(kBankRequest.begin(), kBankRequest.end());

void cancel(QWidget* dialog) { static_cast<QDialog*>(dialog)->reject(); }

// Records the internal messages the frame posts to itself.
class PostedMessages : public QObject {
public:
    explicit PostedMessages(QObject* frame) { frame->installEventFilter(this); }
    QList<QPair<int, qint64>> seen;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        // Time-outs are the frame's own business; record what it asks of others.
        if (event->type() >= WM_GETTAPTEMPO && event->type() <= WM_CHKTREMCHOR && event->type() != WM_CHKRECSYSEX) {
            seen.append({int(event->type()), static_cast<FrameMessage*>(event)->lParam});
            return true; // recorded, not acted on: no file dialog opens in the middle of a test
        }
        return false;
    }
};

std::vector<std::uint8_t> singleDump(std::uint8_t byte7 = 0) {
    PatchRecord record{};
    for (std::size_t k = 0; k < kRecordSize; ++k)
        record[k] = std::uint8_t(k * 3);
    auto dump = buildSingleDump(record, byte7);
    return {dump.begin(), dump.end()};
}

std::vector<std::uint8_t> bankDump() {
    std::array<PatchRecord, kPatchLocations> patches{};
    auto dump = buildBankDump(patches);
    return {dump.begin(), dump.end()};
}

} // namespace

class FrameMidiTest : public QObject {
    Q_OBJECT

private slots:
    void startUpOpensPortsAndRequestsTheEditBuffer() {
        FrameHarness h;
        h.writeConfig({2, 0, 0, 0});
        DFrame& f = h.start();
        QCOMPARE(f.PODMidiSet, 1);
        QCOMPARE(f.PODMidiChannel, 2);
        QCOMPARE(f.Waiting_for_sysex, 1);
        QCOMPARE(h.midi.sentSysex(), std::vector<std::vector<std::uint8_t>>{kEditRequest});
        QVERIFY(f.HPODMidiIn != kNoHandle && f.HPODMidiOut != kNoHandle);
    }

    void openFailuresShowTheirMessagesThenTheSetupDialog_data() {
        QTest::addColumn<bool>("output");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("ends");
        QTest::newRow("out invalid") << true << kMidiBadDeviceId << "Invalid MIDI out port selected - Select another"
                                     << "Error!" << false;
        QTest::newRow("out busy") << true << kMidiAllocated
                                  << "MIDI out port is already in use - Select another or close the application "
                                     "using the MIDI out port"
                                  << "Error" << false;
        QTest::newRow("out memory") << true << kMidiNoMemory << "Can't open MIDI out port - insufficient memory"
                                    << "Error!" << true;
        QTest::newRow("in invalid") << false << kMidiBadDeviceId << "Invalid MIDI in port selected - Select another"
                                    << "Error!" << false;
        QTest::newRow("in busy") << false << kMidiAllocated
                                 << "MIDI in port is already in use - Select another or close the application "
                                    "using the MIDI in port"
                                 << "Error" << false;
        QTest::newRow("in memory") << false << kMidiNoMemory << "Can't open MIDI in port - insufficient memory"
                                   << "Error!" << true;
    }
    void openFailuresShowTheirMessagesThenTheSetupDialog() {
        QFETCH(bool, output);
        QFETCH(int, result);
        QFETCH(QString, text);
        QFETCH(QString, caption);
        QFETCH(bool, ends);
        FrameHarness h;
        (output ? h.midi.outputOpenResult : h.midi.inputOpenResult)[0] = result;
        MessageBoxWatcher boxes;
        DialogWatcher dialogs(cancel);
        h.writeConfig({0, 0, 0, 0});
        DFrame& f = h.start();

        QVERIFY(boxes.seen().size() >= 1);
        QCOMPARE(boxes.seen().first().text, text);
        QCOMPARE(boxes.seen().first().caption, caption);
        QCOMPARE(dialogs.count(), ends ? 0 : 1);
        QCOMPARE(f.closeRequested(), ends);
        QCOMPARE(f.PODMidiSet, 0);
        // After an output failure the input stays closed; after an input failure the output stays open.
        QCOMPARE(f.HPODMidiIn, kNoHandle);
        QCOMPARE(f.HPODMidiOut != kNoHandle, !output);
        if (!ends) // the start-up request then finds no input to arm
            QCOMPARE(boxes.seen().last().text, QStringLiteral("Failed to prepare midi input buffer"));
    }

    void aSecondRequestWhileWaitingSendsNothingAndItsFlagRidesAlong() {
        FrameHarness h;
        DFrame& f = h.startConnected();
        PostedMessages posted(&f);
        f.Save_flag = 1;
        f.CmFileRead();
        f.ReadPODAll();
        QCOMPARE(h.midi.sentSysex().size(), std::size_t(1));
        QCOMPARE(h.midi.calls.end() - std::find(h.midi.calls.begin(), h.midi.calls.end(), "addBuffer"), 2);

        auto dump = singleDump();
        h.midi.deliver(dump);
        FrameHarness::settle();
        QCOMPARE(f.Waiting_for_sysex, 0);
        QCOMPARE(f.Save_flag, 0);
        QCOMPARE(posted.seen, (QList<QPair<int, qint64>>{{WM_PODSAVE, 151}}));
        QVERIFY(std::equal(dump.begin(), dump.end(), f.sysEx.begin()));
        QCOMPARE(f.midiHdr, nullptr);
    }

    void anUnansweredRequestTimesOutAndTheNextOneWorks() {
        FrameHarness h;
        DFrame& f = h.startConnected();
        f.Save_flag = 1;
        QTest::qWait(600);
        QCOMPARE(f.Waiting_for_sysex, 1);
        QTRY_COMPARE_WITH_TIMEOUT(f.Waiting_for_sysex, 0, 1500);
        QCOMPARE(f.Save_flag, 0);
        QCOMPARE(f.midiHdr, nullptr);

        h.midi.clearLog();
        f.CmFileRead();
        QCOMPARE(h.midi.sentSysex(), std::vector<std::vector<std::uint8_t>>{kEditRequest});
        h.midi.deliver(singleDump());
        FrameHarness::settle();
        QCOMPARE(f.Waiting_for_sysex, 0);
    }

    void aLateTimeOutNeverResetsALaterRequest() {
        FrameHarness h;
        DFrame& f = h.startConnected();
        QTest::qWait(700);
        h.midi.deliver(singleDump()); // the start-up request answered; its timer still runs
        FrameHarness::settle();
        f.CmFileRead();
        h.midi.clearLog();
        QTest::qWait(500); // the first request's time-out fires now
        QCOMPARE(f.Waiting_for_sysex, 1);
        QVERIFY(std::find(h.midi.calls.begin(), h.midi.calls.end(), "resetInput") == h.midi.calls.end());
        QTRY_COMPARE_WITH_TIMEOUT(f.Waiting_for_sysex, 0, 1500);
    }

    void thePartialDumpOfATimeOutIsNotTakenForADump() {
        FrameHarness h;
        DFrame& f = h.startConnected();
        PostedMessages posted(&f);
        f.Save_flag = 1;
        auto dump = singleDump();
        dump.resize(100);
        h.midi.deliver(dump);
        QTRY_COMPARE_WITH_TIMEOUT(f.Waiting_for_sysex, 0, 1500);
        QVERIFY(posted.seen.isEmpty());
    }

    void aBankDumpServesOnlySaveAll() {
        FrameHarness h;
        DFrame& f = h.startConnected();
        PostedMessages posted(&f);
        f.AmpModel_flag = 3;
        h.midi.deliver(bankDump()); // answers the edit-buffer request: recognised, only released
        FrameHarness::settle();
        QCOMPARE(f.Waiting_for_sysex, 0);
        QCOMPARE(f.AmpModel_flag, -1);
        QVERIFY(posted.seen.isEmpty());

        f.Save_All_flag = 1;
        f.ReadPODAll();
        QCOMPARE(h.midi.sentSysex().back(), kBankReq);
        h.midi.deliver(bankDump());
        FrameHarness::settle();
        QCOMPARE(posted.seen, (QList<QPair<int, qint64>>{{WM_PODSAVE_ALL, 5121}}));
        QCOMPARE(f.Save_All_flag, 0);
        QCOMPARE(f.sysEx[5120], std::uint8_t(0xF7));
    }

    void theUnlinkedAmpModelIsWrittenIntoTheDumpAndSentBack() {
        FrameHarness h;
        DFrame& f = h.startConnected();
        f.AmpModel_flag = 27;
        auto dump = singleDump(0x33);
        h.midi.deliver(dump);
        FrameHarness::settle();
        auto sent = h.midi.sentSysex();
        QCOMPARE(sent.size(), std::size_t(2));
        auto expected = dump;
        expected[24] = 0x01;
        expected[25] = 0x0B;
        QCOMPARE(sent.back(), expected);
        QCOMPARE(f.sysEx[24], std::uint8_t(0x01));
        QCOMPARE(f.sysEx[25], std::uint8_t(0x0B));
        QCOMPARE(f.AmpModel_flag, -1);
    }

    void anythingElseReleasesAndDropsEveryFlag() {
        FrameHarness h;
        DFrame& f = h.startConnected();
        f.Save_flag = f.Name_flag = f.SaveToPod_flag = f.Save_All_flag = 1;
        f.AmpModel_flag = 4;
        h.midi.deliver({0xF0, 0x43, 0x10, 0x01, 0xF7});
        FrameHarness::settle();
        QCOMPARE(f.Waiting_for_sysex + f.Save_flag + f.Name_flag + f.SaveToPod_flag + f.Save_All_flag, 0);
        QCOMPARE(f.AmpModel_flag, -1);
        QCOMPARE(h.midi.sentSysex().size(), std::size_t(1));
    }

    void aSysexErrorReleasesAndRequestsAgain() {
        FrameHarness h;
        DFrame& f = h.startConnected();
        f.Save_flag = 1;
        h.midi.clearLog();
        h.midi.deliver({0xF0, 0x00, 0x01, 0xB0, 0x01, 0x02}); // broken off by a controller
        FrameHarness::settle();
        QCOMPARE(f.Save_flag, 0);
        QCOMPARE(f.Waiting_for_sysex, 1);
        QCOMPARE(h.midi.sentSysex(), std::vector<std::vector<std::uint8_t>>{kEditRequest});
    }

    void aBufferOfAClosedInputIsIgnored() {
        FrameHarness h;
        DFrame& f = h.startConnected();
        MidiHandle old = f.HPODMidiIn;
        f.OpenPodMidiPorts(); // closes (the reset posts the old buffer back) and reopens
        QVERIFY(f.HPODMidiIn != old);
        QCOMPARE(f.Waiting_for_sysex, 0);
        f.CmFileRead();
        auto armed = f.midiHdr;
        FrameHarness::settle(); // the stale buffer from the old handle arrives now
        QCOMPARE(f.Waiting_for_sysex, 1);
        QCOMPARE(f.midiHdr, armed);
        // Even the current buffer is ignored when it comes with another handle.
        f.ProcessSysexMessage(old, armed);
        QCOMPARE(f.Waiting_for_sysex, 1);
    }

    void anOversizedSysexIsCutAtTheBuffer() {
        FrameHarness h;
        DFrame& f = h.startConnected();
        auto huge = singleDump();
        huge.pop_back();
        huge.resize(9000, 0x05);
        huge.push_back(0xF7);
        h.midi.deliver(huge);
        FrameHarness::settle();
        QCOMPARE(f.Waiting_for_sysex, 0);
        QCOMPARE(f.sysEx[kSysexBufferSize - 1], std::uint8_t(0x05));
    }

    void requestAndSendFailuresAreReported() {
        FrameHarness h;
        MessageBoxWatcher boxes;
        DFrame& f = h.startConnected();
        h.midi.deliver(singleDump());
        FrameHarness::settle();

        h.midi.sysexSendResult = kMidiError;
        f.Save_flag = 1;
        f.CmFileRead();
        QTRY_COMPARE(boxes.seen().size(), 1);
        QCOMPARE(boxes.seen().last().text, QStringLiteral("Failed to send sysex message!"));
        QCOMPARE(boxes.seen().last().caption, QStringLiteral("Error"));
        QCOMPARE(f.Waiting_for_sysex, 0);
        QCOMPARE(f.Save_flag, 0);
        QCOMPARE(f.midiHdr, nullptr);

        QVERIFY(!f.SendSysexMessage(151));
        QCOMPARE(boxes.seen().last().caption, QStringLiteral("Error!"));
        QCOMPARE(boxes.seen().last().text, QStringLiteral("Failed to send sysex message!"));

        h.midi.sysexSendResult = kMidiOk;
        h.midi.addBufferResult = kMidiError;
        f.CmFileRead();
        QCOMPARE(boxes.seen().last().text, QStringLiteral("Failed to prepare midi input buffer"));
        QCOMPARE(boxes.seen().last().caption, QStringLiteral("Error"));
        QCOMPARE(f.Waiting_for_sysex, 0);
        QCOMPARE(boxes.seen().size(), 3);
    }

    void closingAbandonsTheRequest() {
        FrameHarness h;
        DFrame& f = h.startConnected();
        f.Save_All_flag = 1;
        f.ClosePodMidiPorts();
        QCOMPARE(f.Waiting_for_sysex + f.Save_All_flag + f.PODMidiSet, 0);
        QCOMPARE(f.HPODMidiIn, kNoHandle);
        QCOMPARE(f.HPODMidiOut, kNoHandle);
        h.midi.clearLog();
        f.CmPatchChange(109); // the output is closed: dropped without a message
        QVERIFY(h.midi.sent.empty());
    }

    void patchMenuSendsProgramChangesOnTheChannel() {
        FrameHarness h;
        DFrame& f = h.startConnected(5);
        h.midi.clearLog();
        for (int id : {108, 109, 144})
            f.menuAction(id)->trigger();
        QCOMPARE(h.midi.sentShort(), (std::vector<std::uint32_t>{packShortMessage(0xC5, 0), packShortMessage(0xC5, 1),
                                                                 packShortMessage(0xC5, 36)}));
    }

    void postToParentWindowPostsOnlyItsThreeMessages() {
        QObject target;
        PostedMessages posted(&target);
        for (int code : {1, 2, 3, 4, 0})
            PostToParentWindow(&target, code);
        QCoreApplication::processEvents();
        QCOMPARE(posted.seen, (QList<QPair<int, qint64>>{{WM_CHANGEPNAME, 0}, {WM_SAVETOPOD, 0}, {WM_CHKTREMCHOR, 0}}));
    }
};

QTEST_MAIN(FrameMidiTest)
#include "frame_midi_qtest.moc"
