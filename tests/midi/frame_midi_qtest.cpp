// The frame's MIDI link: opening ports, requests, time-outs and what arrives, with its messages.
#include "app/DFrame.h"
#include "midi/MidiServiceFactory.h"
#include "support/FrameHarness.h"

#include <QDialog>
#include <QTest>

using namespace amplix;
using testsupport::DialogWatcher;
using testsupport::FrameHarness;
using testsupport::MessageBoxWatcher;
using Bytes = std::vector<std::uint8_t>;
using Posted = QList<QPair<int, qint64>>;

namespace {

const Bytes kEditRequest(kEditBufferRequest.begin(), kEditBufferRequest.end());

// Records the messages the frame posts to itself for others; time-outs are its own business.
class PostedMessages : public QObject {
public:
    explicit PostedMessages(QObject* frame) { frame->installEventFilter(this); }
    Posted seen;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() < WM_GETTAPTEMPO || event->type() > WM_CHKTREMCHOR ||
            event->type() == WM_CHKRECSYSEX)
            return false;
        seen.append({int(event->type()), static_cast<FrameMessage*>(event)->lParam});
        return true; // recorded, not acted on: no file dialog opens in the middle of a test
    }
};

Bytes singleDump() {
    PatchRecord record{};
    for (std::size_t k = 0; k < kRecordSize; ++k)
        record[k] = std::uint8_t(k * 3);
    const auto dump = buildSingleDump(record);
    return {dump.begin(), dump.end()};
}

Bytes bankDump() {
    const auto dump = buildBankDump({});
    return {dump.begin(), dump.end()};
}

} // namespace

Q_DECLARE_METATYPE(Bytes)

class FrameMidiTest : public QObject {
    Q_OBJECT

private slots:
    void openFailuresShowTheirMessagesThenTheSetupDialog_data() {
        QTest::addColumn<bool>("output");
        QTest::addColumn<MidiResult>("result");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("caption");
        const QString busy = QStringLiteral("MIDI %1 port is already in use - Select another or close the "
                                            "application using the MIDI %1 port");
        for (bool output : {true, false}) {
            const QString port = output ? QStringLiteral("out") : QStringLiteral("in");
            QTest::addRow("%s invalid", qPrintable(port))
                << output << MidiResult::BadDeviceId
                << QStringLiteral("Invalid MIDI %1 port selected - Select another").arg(port) << "Error!";
            QTest::addRow("%s busy", qPrintable(port))
                << output << MidiResult::Allocated << busy.arg(port) << "Error";
            QTest::addRow("%s memory", qPrintable(port))
                << output << MidiResult::NoMemory
                << QStringLiteral("Can't open MIDI %1 port - insufficient memory").arg(port) << "Error!";
        }
    }
    void openFailuresShowTheirMessagesThenTheSetupDialog() {
        QFETCH(bool, output);
        QFETCH(MidiResult, result);
        QFETCH(QString, text);
        QFETCH(QString, caption);
        const bool ends = result == MidiResult::NoMemory;
        FrameHarness h;
        (output ? h.midi.outputOpenResult : h.midi.inputOpenResult)[0] = result;
        MessageBoxWatcher boxes;
        DialogWatcher dialogs([](QWidget* d) { static_cast<QDialog*>(d)->reject(); });
        DFrame& f = h.startConnected();
        QVERIFY(!boxes.seen().isEmpty());
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

    // An unanswered request times out after a second, and the part of a dump that came is not
    // taken for one. A request answered in time leaves its timer running: when it fires it must
    // not reset the request made after it.
    void requestsTimeOutEachOnItsOwn() {
        FrameHarness h;
        DFrame& f = h.startConnected();
        PostedMessages posted(&f);
        f.Save_flag = 1;
        Bytes part = singleDump();
        part.resize(100);
        h.midi.deliver(part);
        QTest::qWait(600);
        QCOMPARE(f.Waiting_for_sysex, 1);
        QTRY_COMPARE_WITH_TIMEOUT(f.Waiting_for_sysex, 0, 1500);
        QCOMPARE(f.Save_flag, 0);
        QCOMPARE(f.midiHdr, nullptr);
        QVERIFY(posted.seen.isEmpty());

        h.midi.clearLog();
        f.CmFileRead();
        QCOMPARE(h.midi.sentSysex(), std::vector<Bytes>{kEditRequest});
        QTest::qWait(700);
        h.midi.deliver(singleDump());
        FrameHarness::settle();
        QCOMPARE(f.Waiting_for_sysex, 0);
        f.CmFileRead();
        h.midi.clearLog();
        QTest::qWait(500); // the answered request's time-out fires now
        QCOMPARE(f.Waiting_for_sysex, 1);
        QVERIFY(std::find(h.midi.calls.begin(), h.midi.calls.end(), "resetInput") == h.midi.calls.end());
        QTRY_COMPARE_WITH_TIMEOUT(f.Waiting_for_sysex, 0, 1500);
    }

    // Anything but a single-patch dump releases a waiting edit-buffer request and drops every
    // flag (a bank dump would serve Save All); a SysEx broken off asks again.
    void whatArrivesInsteadOfTheDump_data() {
        QTest::addColumn<Bytes>("bytes");
        QTest::addColumn<bool>("asksAgain");
        QTest::newRow("another SysEx") << Bytes{0xF0, 0x43, 0x10, 0x01, 0xF7} << false;
        QTest::newRow("a bank dump") << bankDump() << false;
        QTest::newRow("SysEx broken off by a controller")
            << Bytes{0xF0, 0x00, 0x01, 0xB0, 0x01, 0x02} << true;
    }
    void whatArrivesInsteadOfTheDump() {
        QFETCH(Bytes, bytes);
        QFETCH(bool, asksAgain);
        FrameHarness h;
        DFrame& f = h.startConnected();
        PostedMessages posted(&f);
        f.Save_flag = f.Name_flag = f.SaveToPod_flag = 1;
        f.Save_All_flag = bytes.size() != kBankDumpSize;
        f.AmpModel_flag = 4;
        h.midi.clearLog();
        h.midi.deliver(bytes);
        FrameHarness::settle();
        QCOMPARE(f.Save_flag + f.Name_flag + f.SaveToPod_flag + f.Save_All_flag, 0);
        QCOMPARE(f.AmpModel_flag, -1);
        QVERIFY(posted.seen.isEmpty());
        QCOMPARE(f.Waiting_for_sysex, int(asksAgain));
        QCOMPARE(h.midi.sentSysex(), asksAgain ? std::vector<Bytes>{kEditRequest} : std::vector<Bytes>{});
    }

    void aBankDumpServesSaveAll() {
        FrameHarness h;
        DFrame& f = h.startConnected();
        h.answerWithSingleDump();
        PostedMessages posted(&f);
        f.Save_All_flag = 1;
        f.ReadPODAll();
        QCOMPARE(h.midi.sentSysex().back(), Bytes(kBankRequest.begin(), kBankRequest.end()));
        h.midi.deliver(bankDump());
        FrameHarness::settle();
        QCOMPARE(posted.seen, (Posted{{WM_PODSAVE_ALL, 5121}}));
        QCOMPARE(f.Save_All_flag + f.Waiting_for_sysex, 0);
    }

    void aBufferOfAClosedInputIsIgnored() {
        FrameHarness h;
        DFrame& f = h.startConnected();
        const MidiHandle old = f.HPODMidiIn;
        f.OpenPodMidiPorts(); // closes (the reset posts the old buffer back) and reopens
        QVERIFY(f.HPODMidiIn != old);
        QCOMPARE(f.Waiting_for_sysex, 0);
        f.CmFileRead();
        const auto armed = f.midiHdr;
        FrameHarness::settle(); // the stale buffer from the old handle arrives now
        QCOMPARE(f.Waiting_for_sysex, 1);
        QCOMPARE(f.midiHdr, armed);
        f.ProcessSysexMessage(old, armed); // even the current buffer, when it comes with another handle
        QCOMPARE(f.Waiting_for_sysex, 1);
    }

    void requestAndSendFailuresAreReported() {
        FrameHarness h;
        MessageBoxWatcher boxes;
        DFrame& f = h.startConnected();
        h.answerWithSingleDump();
        h.midi.sysexSendResult = MidiResult::Error;
        f.Save_flag = 1;
        f.CmFileRead();
        QTRY_COMPARE(boxes.seen().size(), 1);
        QCOMPARE(f.Waiting_for_sysex + f.Save_flag, 0);
        QCOMPARE(f.midiHdr, nullptr);
        QVERIFY(!f.SendSysexMessage(151));
        h.midi.sysexSendResult = MidiResult::Ok;
        h.midi.addBufferResult = MidiResult::Error;
        f.CmFileRead();
        QCOMPARE(f.Waiting_for_sysex, 0);
        QStringList seen;
        for (const auto& box : boxes.seen())
            seen << box.caption + ": " + box.text;
        QCOMPARE(seen,
                 (QStringList{"Error: Failed to send sysex message!", "Error!: Failed to send sysex message!",
                              "Error: Failed to prepare midi input buffer"}));
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
        QCOMPARE(h.midi.sentShort(),
                 (std::vector<std::uint32_t>{packShortMessage(0xC5, 0), packShortMessage(0xC5, 1),
                                             packShortMessage(0xC5, 36)}));
    }

    // With no MIDI system at all the editor still starts, lists the simulator last and works
    // with it: at wire speed the 151-byte answer takes about 48 ms and the bank 1.64 s, both
    // well inside their time-outs.
    void withoutAnyMidiSystemTheSimulatorAnswersAtWireSpeed() {
        qputenv("JACK_DEFAULT_SERVER",
                "amplix-nobody-" + QByteArray::number(QCoreApplication::applicationPid()));
        qputenv("JACK_NO_START_SERVER", "1");
        qunsetenv("AMPLIX_MIDI_API"); // and no ALSA sequencer on these machines
        const auto midi = createSystemMidiService();
        QVERIFY(midi->inputCount() >= 1 && midi->outputCount() >= 1);
        const unsigned in = midi->inputCount() - 1, out = midi->outputCount() - 1;
        QCOMPARE(midi->inputName(in), std::string("Amplix POD Simulator"));
        QCOMPARE(midi->outputName(out), std::string("Amplix POD Simulator"));
        FrameHarness h; // its folder and settings; the frame runs on the system's service
        h.writeConfig({0, std::uint8_t(in), std::uint8_t(out), 0});
        DFrame f(*midi);
        f.SetupWindow();
        QCOMPARE(f.Waiting_for_sysex, 1);
        QTRY_COMPARE_WITH_TIMEOUT(f.Waiting_for_sysex, 0, 900);
        QCOMPARE(classifyDump(f.sysEx), DumpKind::SinglePatch);
        QCOMPARE(f.sysEx[kSingleDumpSize - 1], kSysexEnd);
        f.ReadPODAll();
        QTRY_COMPARE_WITH_TIMEOUT(f.Waiting_for_sysex, 0, 5000);
        QCOMPARE(classifyDump(f.sysEx), DumpKind::Bank);
        QCOMPARE(f.sysEx[kBankDumpSize - 1], kSysexEnd);
    }
};

QTEST_MAIN(FrameMidiTest)
#include "frame_midi_qtest.moc"
