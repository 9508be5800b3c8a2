// Transport faults on real JACK: the server stopping mid-dump, the device vanishing, a second program.
#include "JackFixture.h"

#include "app/DFrame.h"
#include "midi/MidiConfig.h"
#include "midi/MidiServiceFactory.h"
#include "patch/DPatchName.h"
#include "patch/SysexFormat.h"
#include "support/QtTestSupport.h"

#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <RtMidi.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <mutex>

using namespace amplix;
using std::chrono::milliseconds;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr milliseconds kStartUpReadLimit{8000};
constexpr milliseconds kArrivalLimit{3000};
constexpr milliseconds kBankTimeoutLimit{12000}; // the bank request's own 8000 ms, and slack
constexpr milliseconds kEditTimeoutLimit{4000};  // the edit-buffer request's own 1000 ms, and slack
constexpr milliseconds kQuietTime{300};
constexpr int kTickMs = 50;
constexpr std::size_t kBankPartSent = 2000; // what the slow device manages before the server stops
constexpr const char* kPeerName = "POD Peer";
const QString kPeerPatchName = QStringLiteral("Peer Edit Buffer");
const Bytes kEditRequest(kEditBufferRequest.begin(), kEditBufferRequest.end());
const Bytes kBankReq(kBankRequest.begin(), kBankRequest.end());

template <typename Done> bool waitUntil(Done done, milliseconds limit) {
    const auto end = e2e::Clock::now() + limit;
    while (true) {
        QCoreApplication::processEvents();
        if (done())
            return true;
        if (e2e::Clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void letTimePass(milliseconds time) {
    waitUntil([] { return false; }, time);
}

double msSince(e2e::Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(e2e::Clock::now() - start).count();
}

// A JACK client in this process with a MIDI input and output of its own: the slow device of
// the first case, and the other program of the third. RtMidi calls back on the JACK thread.
class InProcessClient {
public:
    // virtualPorts: offer "<name> In:in" and "<name> Out:out" as a device does; otherwise
    // connect to the given device ports as a program does.
    InProcessClient(const std::string& name, bool virtualPorts, const std::string& deviceIn = {},
                    const std::string& deviceOut = {}) {
        in_ = std::make_unique<RtMidiIn>(RtMidi::UNIX_JACK, name + " In");
        out_ = std::make_unique<RtMidiOut>(RtMidi::UNIX_JACK, name + " Out");
        in_->ignoreTypes(false, true, true);
        in_->setCallback(&InProcessClient::received, this);
        if (virtualPorts) {
            in_->openVirtualPort("in");
            out_->openVirtualPort("out");
        } else {
            in_->openPort(portNumber(*in_, deviceOut), "in");
            out_->openPort(portNumber(*out_, deviceIn), "out");
        }
    }
    ~InProcessClient() {
        in_.reset();
        out_.reset();
    }

    void send(const Bytes& bytes) { out_->sendMessage(bytes.data(), bytes.size()); }
    std::vector<Bytes> messages() {
        std::lock_guard lock(mutex_);
        return messages_;
    }
    bool heard(const Bytes& message) {
        const auto all = messages();
        return std::find(all.begin(), all.end(), message) != all.end();
    }
    // Answers the edit-buffer request with this at once, from the JACK thread.
    void answerEditBufferWith(Bytes dump) {
        std::lock_guard lock(mutex_);
        answer_ = std::move(dump);
    }

private:
    static unsigned portNumber(RtMidi& midi, const std::string& name) {
        for (unsigned i = 0; i < midi.getPortCount(); ++i)
            if (midi.getPortName(i) == name)
                return i;
        return midi.getPortCount();
    }
    static void received(double, std::vector<unsigned char>* message, void* user) {
        auto* self = static_cast<InProcessClient*>(user);
        Bytes answer;
        {
            std::lock_guard lock(self->mutex_);
            self->messages_.emplace_back(message->begin(), message->end());
            if (*message == kEditRequest)
                answer = self->answer_;
        }
        if (!answer.empty())
            self->send(answer);
    }

    std::mutex mutex_;
    std::vector<Bytes> messages_;
    Bytes answer_;
    std::unique_ptr<RtMidiIn> in_;
    std::unique_ptr<RtMidiOut> out_;
};

Bytes peerLikeSingleDump() {
    PatchRecord record{};
    record[8] = 4;
    const char name[] = "Peer Edit Buffer";
    for (std::size_t k = 0; k < kNameLength; ++k)
        record[kNameOffset + k] = std::uint8_t(name[k]);
    const auto dump = buildSingleDump(record);
    return {dump.begin(), dump.end()};
}

Bytes bankDump() {
    const auto dump = buildBankDump({});
    return {dump.begin(), dump.end()};
}

// The editor as the user starts it, with settings naming the device's ports.
class EditorOnJack {
public:
    EditorOnJack(const std::string& deviceOut, const std::string& deviceIn)
        : previousDir_(QDir::currentPath()) {
        QDir::setCurrent(dir_.path());
        const auto config = encodeMidiConfig({0, 0, 0, deviceOut, deviceIn});
        std::ofstream(QDir(dir_.path()).filePath(kConfigFileName).toStdString(), std::ios::binary)
            .write(reinterpret_cast<const char*>(config.data()), std::streamsize(config.size()));
        midi_ = createSystemMidiService();
        frame = std::make_unique<DFrame>(*midi_);
        frame->SetupWindow();
        frame->show();
    }
    ~EditorOnJack() {
        frame.reset();
        midi_.reset();
        QDir::setCurrent(previousDir_);
    }

    std::unique_ptr<DFrame> frame;

private:
    QTemporaryDir dir_;
    QString previousDir_;
    std::unique_ptr<MidiService> midi_;
};

// Counts timer ticks and paints of the frame while it lives: the proof that the user interface
// kept running.
class Liveliness : public QObject {
public:
    explicit Liveliness(QWidget* window) : window_(window) {
        window->installEventFilter(this);
        connect(&timer_, &QTimer::timeout, this, [this] {
            ++ticks;
            window_->update();
        });
        timer_.start(kTickMs);
    }
    int ticks = 0;
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }

private:
    QWidget* window_;
    QTimer timer_;
};

// "&Midi Setup", answered OK with the device chosen by its names.
void setUpMidiByName(DFrame& f, const std::string& deviceOut, const std::string& deviceIn, QString& seenIn,
                     QString& seenOut) {
    testsupport::whenModalOpens([&](QWidget* dialog) {
        auto* in = dialog->findChild<QComboBox*>(QStringLiteral("MidiInPort"));
        auto* out = dialog->findChild<QComboBox*>(QStringLiteral("MidiOutPort"));
        in->setCurrentIndex(in->findText(QString::fromStdString(deviceOut)));
        out->setCurrentIndex(out->findText(QString::fromStdString(deviceIn)));
        seenIn = in->currentText();
        seenOut = out->currentText();
        dialog->findChild<QPushButton*>(QStringLiteral("OK"))->click();
    });
    f.CmSetupMidi();
}

// Reads the edit buffer; true when the device's dump reached the panel.
bool readWorks(DFrame& f) {
    f.PatchWindow->StaticPatchNameData->clear();
    f.CmFileRead();
    return f.Waiting_for_sysex == 1 &&
           waitUntil([&] { return f.Waiting_for_sysex == 0; }, kEditTimeoutLimit) &&
           f.PatchWindow->StaticPatchNameData->text() == kPeerPatchName;
}

QString idleLeftovers(const DFrame& f) {
    QStringList set;
    if (f.Waiting_for_sysex)
        set << QStringLiteral("Waiting_for_sysex");
    if (f.Save_All_flag)
        set << QStringLiteral("Save_All_flag");
    if (f.Save_flag || f.Name_flag || f.SaveToPod_flag || f.AmpModel_flag != -1)
        set << QStringLiteral("an edit-buffer flag");
    if (f.midiHdr)
        set << QStringLiteral("midiHdr");
    return set.join(QStringLiteral(", "));
}

} // namespace

class TransportFaultsOnJack : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        e2e::JackServer probe;
        std::string whyNot;
        if (!probe.start(whyNot))
            QSKIP(qPrintable(QString::fromStdString("JACK cannot start here: " + whyNot)));
        qputenv("AMPLIX_MIDI_API", "jack");
    }

    // The server goes away while the device is half-way through the bank dump.
    void serverStopsInTheMiddleOfABankDump() {
        std::string whyNot;
        auto jack = std::make_unique<e2e::JackServer>();
        QVERIFY2(jack->start(whyNot), whyNot.c_str());
        const std::string serverName = jack->name();
        auto device = std::make_unique<InProcessClient>(kPeerName, true);
        device->answerEditBufferWith(peerLikeSingleDump());
        const std::string deviceIn = std::string(kPeerName) + " In:in";
        const std::string deviceOut = std::string(kPeerName) + " Out:out";

        testsupport::MessageBoxWatcher boxes;
        int dialogs = 0;
        auto fileDialogs = std::make_unique<testsupport::DialogWatcher>([&](QWidget* dialog) {
            ++dialogs;
            static_cast<QDialog*>(dialog)->reject();
        });
        EditorOnJack editor(deviceOut, deviceIn);
        DFrame& f = *editor.frame;
        QVERIFY(waitUntil([&] { return f.Waiting_for_sysex == 0; }, kStartUpReadLimit));
        QCOMPARE(f.PatchWindow->StaticPatchNameData->text(), kPeerPatchName);

        // Save All: the device starts the bank, then the server stops.
        f.CmFileSave_All();
        QCOMPARE(f.Save_All_flag, 1);
        QVERIFY(waitUntil([&] { return device->heard(kBankReq); }, kArrivalLimit));
        const Bytes bank = bankDump();
        device->send(Bytes(bank.begin(), bank.begin() + kBankPartSent));
        letTimePass(milliseconds(20));
        const auto stopping = e2e::Clock::now();
        jack->stop();
        std::printf("jackd took %.0f ms to stop\n", msSince(stopping));
        const auto stopped = e2e::Clock::now();

        Liveliness live(&f);
        QVERIFY2(waitUntil([&] { return f.Waiting_for_sysex == 0; }, kBankTimeoutLimit),
                 "the bank request never ended");
        std::printf("bank request abandoned %.0f ms after the server stopped; %d timer ticks, %d paints "
                    "meanwhile\n",
                    msSince(stopped), live.ticks, live.paints);
        QVERIFY(live.ticks > 0);
        QVERIFY(live.paints > 0);
        QVERIFY2(idleLeftovers(f).isEmpty(), qPrintable(idleLeftovers(f)));
        QCOMPARE(dialogs, 0); // half a bank is never offered for saving
        fileDialogs.reset();

        // With no server, a knob's edit goes nowhere without a word; a read cannot be sent and
        // says so.
        QVERIFY2(boxes.seen().isEmpty(), qPrintable(boxes.seen().value(0).text));
        f.SendControlChange(13, 40);
        QVERIFY(!readWorks(f));
        QVERIFY2(idleLeftovers(f).isEmpty(), qPrintable(idleLeftovers(f)));
        QCOMPARE(boxes.seen().size(), 1);
        QCOMPARE(boxes.seen().first().text, QStringLiteral("Failed to send sysex message!"));
        QCOMPARE(boxes.seen().first().caption, QStringLiteral("Error"));
        boxes.clear();

        // The server and the device come back under the same names; Midi Setup reconnects.
        device.reset();
        jack = std::make_unique<e2e::JackServer>();
        QVERIFY2(jack->start(whyNot, serverName), whyNot.c_str());
        e2e::PodPeer peer(kPeerName);
        QVERIFY2(peer.start(whyNot), whyNot.c_str());
        QString seenIn, seenOut;
        const auto setup = e2e::Clock::now();
        setUpMidiByName(f, deviceOut, deviceIn, seenIn, seenOut);
        std::printf("Midi Setup with the server back: %.0f ms\n", msSince(setup));
        QCOMPARE(seenIn, QString::fromStdString(deviceOut));
        QCOMPARE(seenOut, QString::fromStdString(deviceIn));
        QCOMPARE(f.PODMidiSet, 1);
        QVERIFY2(readWorks(f), ("peer log:\n" + peer.log()).c_str());
        QVERIFY2(boxes.seen().isEmpty(), qPrintable(boxes.seen().value(0).text));
    }

    // The device's ports vanish while the editor has them open, and come back.
    void devicePortsVanishWhileOpen() {
        std::string whyNot;
        e2e::JackServer jack;
        QVERIFY2(jack.start(whyNot), whyNot.c_str());
        auto peer = std::make_unique<e2e::PodPeer>(kPeerName);
        QVERIFY2(peer->start(whyNot), whyNot.c_str());
        testsupport::MessageBoxWatcher boxes;
        EditorOnJack editor(peer->outputPort(), peer->inputPort());
        DFrame& f = *editor.frame;
        QVERIFY(waitUntil([&] { return f.Waiting_for_sysex == 0; }, kStartUpReadLimit));
        QVERIFY(readWorks(f));

        peer->stop();
        letTimePass(kQuietTime);
        f.SendControlChange(13, 40);
        f.sysEx.fill(0);
        QVERIFY(!readWorks(f));
        QVERIFY2(idleLeftovers(f).isEmpty(), qPrintable(idleLeftovers(f)));
        QCOMPARE(f.PODMidiSet, 1);
        QVERIFY2(boxes.seen().isEmpty(), qPrintable(boxes.seen().value(0).text));

        // Back under the same names: Midi Setup with the same devices reconnects.
        peer = std::make_unique<e2e::PodPeer>(kPeerName);
        QVERIFY2(peer->start(whyNot), whyNot.c_str());
        QString seenIn, seenOut;
        setUpMidiByName(f, peer->outputPort(), peer->inputPort(), seenIn, seenOut);
        QCOMPARE(seenIn, QString::fromStdString(peer->outputPort()));
        QVERIFY2(readWorks(f), ("peer log:\n" + peer->log()).c_str());
        QVERIFY2(boxes.seen().isEmpty(), qPrintable(boxes.seen().value(0).text));
    }

    // Another program holds the device's ports when the editor opens them: on JACK a port
    // takes any number of connections, so both work and no busy message appears.
    void anotherProgramOnTheSamePorts() {
        std::string whyNot;
        e2e::JackServer jack;
        QVERIFY2(jack.start(whyNot), whyNot.c_str());
        e2e::PodPeer peer(kPeerName);
        QVERIFY2(peer.start(whyNot), whyNot.c_str());
        InProcessClient other("Other Program", false, peer.inputPort(), peer.outputPort());
        testsupport::MessageBoxWatcher boxes;
        EditorOnJack editor(peer.outputPort(), peer.inputPort());
        DFrame& f = *editor.frame;
        QVERIFY(waitUntil([&] { return f.Waiting_for_sysex == 0; }, kStartUpReadLimit));
        QVERIFY2(boxes.seen().isEmpty(), qPrintable(boxes.seen().value(0).text));
        QCOMPARE(f.PODMidiSet, 1);
        QVERIFY(readWorks(f));

        // The other program asks too and gets its answer; the editor, not waiting, lets it go.
        const std::size_t before = other.messages().size();
        other.send(kEditRequest);
        QVERIFY(waitUntil([&] { return other.messages().size() > before; }, kArrivalLimit));
        QCOMPARE(classifyDump(other.messages().back()), DumpKind::SinglePatch);
        letTimePass(kQuietTime);
        QVERIFY2(idleLeftovers(f).isEmpty(), qPrintable(idleLeftovers(f)));
        QVERIFY(readWorks(f));
        QVERIFY2(boxes.seen().isEmpty(), qPrintable(boxes.seen().value(0).text));
    }
};

QTEST_MAIN(TransportFaultsOnJack)
#include "transport_faults_e2e.moc"
