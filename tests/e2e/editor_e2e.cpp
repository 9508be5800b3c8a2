// The editor and its MIDI service on private JACK servers: bytes on the wire checked by the
// Python POD peer, the editor against amplix-podsim, and transport faults.
#include "E2eHarness.h"

#include "app/CommandIds.h"
#include "app/DStatusLine.h"
#include "device/FactoryPatches.h"
#include "midi/RtMidiService.h"
#include "patch/SysexFormat.h"
#include "support/QtTestSupport.h"
#include "tone/ToneControls.h"

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include <mutex>

using namespace amplix;
using e2e::Bytes;
using e2e::hex;
using Lines = std::vector<std::string>;
using std::chrono::milliseconds;

namespace {

constexpr milliseconds kBankTimeoutLimit{12000}; // the bank request's own 8000 ms, and slack
constexpr milliseconds kEditTimeoutLimit{4000};  // the edit-buffer request's own 1000 ms, and slack
constexpr std::size_t kJackLargestSysex = 16379;
const std::string kEditRequest = "f000010c010001f7";
const QString kPeerPatchName = QStringLiteral("Peer Edit Buffer");

Bytes bytes(const std::string& hex) {
    const QByteArray b = QByteArray::fromHex(QByteArray::fromStdString(hex));
    return {b.begin(), b.end()};
}

Bytes dumpLike(std::size_t size, std::uint8_t kind) {
    Bytes dump(size);
    for (std::size_t i = 0; i + 1 < size; ++i)
        dump[i] = i < kHeaderSize ? sysExHeader[i] : std::uint8_t((i * 7) & 0x0F);
    dump[6] = kind;
    dump.back() = kSysexEnd;
    return dump;
}

// RtMidiService alone, as its own sink: it counts the calls and keeps the buffers that come
// back, from the JACK thread.
struct Service : MidiInputSink {
    void midiData(MidiHandle, std::uint32_t) override { note(nullptr, false); }
    void midiLongData(MidiHandle, std::shared_ptr<SysexBuffer> b) override { note(std::move(b), false); }
    void midiError(MidiHandle, std::uint32_t) override { note(nullptr, true); }
    void midiLongError(MidiHandle, std::shared_ptr<SysexBuffer>) override { note(nullptr, true); }
    void note(std::shared_ptr<SysexBuffer> buffer, bool error) {
        std::lock_guard lock(mutex);
        ++calls;
        errors += error;
        if (buffer)
            buffers.push_back(std::move(buffer));
    }
    std::shared_ptr<SysexBuffer> first(bool clear = false) {
        std::lock_guard lock(mutex);
        if (clear)
            buffers.clear();
        return buffers.empty() ? nullptr : buffers.front();
    }
    Lines names(bool inputs) {
        Lines out;
        for (unsigned i = 0; i < (inputs ? rt.inputCount() : rt.outputCount()); ++i)
            out.push_back(inputs ? rt.inputName(i) : rt.outputName(i));
        return out;
    }
    unsigned indexOf(bool inputs, const std::string& name) {
        const auto list = names(inputs);
        return unsigned(std::find(list.begin(), list.end(), name) - list.begin());
    }
    // Opens the input from the peer, started, and the output to it.
    bool connect(const e2e::PodPeer& peer) {
        return rt.openOutput(indexOf(false, peer.inputPort()), out) == MidiResult::Ok &&
               rt.openInput(indexOf(true, peer.outputPort()), *this, in) == MidiResult::Ok &&
               rt.startInput(in) == MidiResult::Ok;
    }
    // Sends a request with a fresh buffer armed until the buffer comes back; after a dropped
    // period the input is reset, as the editor's time-out does, and asked again.
    std::shared_ptr<SysexBuffer> request(const e2e::JackServer& jack, const Bytes& message) {
        const auto ask = [&] {
            rt.resetInput(in);
            rt.startInput(in);
            first(true);
            rt.addBuffer(in, std::make_shared<SysexBuffer>());
            rt.sendSysex(out, message.data(), message.size());
        };
        e2e::attempt(jack, ask, [&] { return first() != nullptr; });
        return first();
    }

    std::mutex mutex;
    std::vector<std::shared_ptr<SysexBuffer>> buffers;
    int calls = 0, errors = 0;
    RtMidiService rt; // goes before what its calls use
    MidiHandle in = kNoHandle, out = kNoHandle;
};

QString shownName(const PatchRecord& record) {
    return QString::fromLatin1(dumpName(buildSingleDump(record)).c_str());
}

// "&Midi Setup", answered OK with the device chosen by its names.
void setUpMidiByName(DFrame& f, const e2e::PodPeer& device) {
    testsupport::whenModalOpens([&](QWidget* dialog) {
        auto* in = dialog->findChild<QComboBox*>(QStringLiteral("MidiInPort"));
        auto* out = dialog->findChild<QComboBox*>(QStringLiteral("MidiOutPort"));
        in->setCurrentIndex(in->findText(QString::fromStdString(device.outputPort())));
        out->setCurrentIndex(out->findText(QString::fromStdString(device.inputPort())));
        dialog->findChild<QPushButton*>(QStringLiteral("OK"))->click();
    });
    f.CmSetupMidi();
}

// File > Read; true when the peer's dump reached the panel.
bool readWorks(DFrame& f) {
    f.PatchWindow->StaticPatchNameData->clear();
    f.CmFileRead();
    return f.Waiting_for_sysex == 1 &&
           e2e::waitUntil([&] { return f.Waiting_for_sysex == 0; }, kEditTimeoutLimit) &&
           f.PatchWindow->StaticPatchNameData->text() == kPeerPatchName;
}

// No request waits, no flag is left set.
bool atRest(const DFrame& f) {
    return !f.Waiting_for_sysex && !f.midiHdr && !f.Save_All_flag && !f.Save_flag && !f.Name_flag &&
           !f.SaveToPod_flag && f.AmpModel_flag == -1;
}

} // namespace

namespace QTest {
template <> char* toString(const Lines& lines) {
    QStringList list;
    for (const auto& line : lines)
        list << QString::fromStdString(line);
    return qstrdup(qPrintable(list.join(QLatin1Char('\n'))));
}
} // namespace QTest

class EditorOnJackTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        std::string whyNot;
        if (!jack_.start(whyNot))
            QSKIP(qPrintable(QString::fromStdString("JACK cannot start here: " + whyNot)));
        qputenv("AMPLIX_MIDI_API", "jack");
        QVERIFY2(peer_.start(whyNot), whyNot.c_str());
        QVERIFY2(podsim_.start(whyNot), whyNot.c_str());
        device_ = std::make_unique<e2e::EditorOnMidi>(podsim_.outputPort(), podsim_.inputPort());
        QVERIFY2(device_->started(), context());
    }
    void cleanupTestCase() { device_.reset(); }
    void init() { boxes_.clear(); }
    void cleanup() { QVERIFY2(boxes_.seen().isEmpty(), qPrintable(boxes_.seen().value(0).text)); }

    // Our open ports would otherwise appear in the other list and shift the numbers. What cannot
    // go is refused with an error, and nothing of it reaches the peer.
    void serviceListsThePeerButNeverItsOwnPortsAndRefusesWhatCannotGo() {
        Service s;
        QCOMPARE(s.rt.apiName(), std::string("jack"));
        const Lines inputs = s.names(true), outputs = s.names(false);
        QVERIFY(s.connect(peer_));
        QCOMPARE(s.names(true), inputs);
        QCOMPARE(s.names(false), outputs);
        for (unsigned past : {0u, 999u}) {
            MidiHandle in = 12345, out = 12345;
            QCOMPARE(s.rt.openInput(unsigned(inputs.size()) + past, s, in), MidiResult::BadDeviceId);
            QCOMPARE(s.rt.openOutput(unsigned(outputs.size()) + past, out), MidiResult::BadDeviceId);
            QCOMPARE(std::make_pair(in, out), std::make_pair(kNoHandle, kNoHandle));
        }
        MidiHandle closed = kNoHandle;
        QCOMPARE(s.rt.openOutput(s.indexOf(false, peer_.inputPort()), closed), MidiResult::Ok);
        QCOMPARE(s.rt.closeOutput(closed), MidiResult::Ok);
        const Bytes request = bytes(kEditRequest), longest = dumpLike(kJackLargestSysex, 1);
        const Bytes tooLong = dumpLike(kJackLargestSysex + 1, 1);
        QCOMPARE(s.rt.sendSysex(s.out, request.data(), 0), MidiResult::Error);
        QCOMPARE(s.rt.sendSysex(s.out, nullptr, 8), MidiResult::Error);
        // Past RtMidi's JACK queue: refused, not cut or dropped on the way.
        QCOMPARE(s.rt.sendSysex(s.out, tooLong.data(), tooLong.size()), MidiResult::Error);
        QCOMPARE(s.rt.sendSysex(closed, request.data(), request.size()), MidiResult::InvalidHandle);
        QCOMPARE(s.rt.sendShort(s.out, 0x0D), MidiResult::Error);        // a data byte as status
        QCOMPARE(s.rt.sendShort(s.out, kSysexStart), MidiResult::Error); // SysEx start as a short message
        // The longest message that fits still goes; it is the only thing the peer sees.
        const std::size_t before = peer_.messages().size();
        QCOMPARE(s.rt.sendSysex(s.out, longest.data(), longest.size()), MidiResult::Ok);
        QCOMPARE(since(before, 1), Lines{hex(longest)});
    }

    // What is sent arrives byte for byte and in order, three banks straight after each other too:
    // the send waits for room instead of dropping one. The 5121-byte bank comes back in one
    // buffer. After closeInput the sink hears nothing, though the peer answers; reopened, it does.
    void whatIsSentArrivesByteForByteAndWhatComesBackWhole() {
        Service s;
        QVERIFY(s.connect(peer_));
        const Bytes single = dumpLike(kSingleDumpSize, 1), bank = dumpLike(kBankDumpSize, 2);
        const Lines sent{"b20d64", "c205", hex(single), hex(bank), hex(bank), hex(bank)};
        std::size_t before = 0;
        Lines arrived;
        // A period jackd dropped loses or repeats what was in it; such a try is made again.
        for (int attempt = 0; attempt < 3 && arrived != sent; ++attempt) {
            const int xruns = jack_.xruns();
            before = peer_.messages().size();
            QCOMPARE(s.rt.sendShort(s.out, packShortMessage(kControlChange | 2, 13, 100)), MidiResult::Ok);
            QCOMPARE(s.rt.sendShort(s.out, packShortMessage(kProgramChange | 2, 5)), MidiResult::Ok);
            for (const Bytes* sysex : {&single, &bank, &bank, &bank})
                QCOMPARE(s.rt.sendSysex(s.out, sysex->data(), sysex->size()), MidiResult::Ok);
            arrived = since(before, sent.size());
            if (jack_.xruns() == xruns)
                break;
        }
        if (arrived != sent)
            qWarning("%s", context());
        QCOMPARE(arrived, sent);

        const auto dump = s.request(jack_, bytes("f000010c010002f7"));
        QVERIFY2(dump, context());
        QCOMPARE(dump->bytesRecorded, kBankDumpSize);
        QCOMPARE(hex(Bytes(dump->data.begin(), dump->data.begin() + kHeaderSize)),
                 std::string("f000010c010102"));
        QCOMPARE(dump->data[kBankDumpSize - 1], kSysexEnd);
        QVERIFY(std::all_of(dump->data.begin() + kDumpDataOffset, dump->data.begin() + (kBankDumpSize - 1),
                            [](std::uint8_t b) { return b <= 0x0F; }));
        for (std::size_t patch : {0, 35}) {
            std::string name;
            for (std::size_t k = 0; k < kNameLength; ++k)
                name += char(readRecordByte(dump->data, bankPatchOffset(patch), kNameOffset + k));
            QCOMPARE(name, std::string(patch ? "Peer Bank 36    " : "Peer Bank 01    "));
        }
        QCOMPARE(s.errors, 0);

        QCOMPARE(s.rt.addBuffer(s.in, std::make_shared<SysexBuffer>()), MidiResult::Ok);
        QCOMPARE(s.rt.closeInput(s.in), MidiResult::Ok);
        QCOMPARE(s.rt.closeInput(s.in), MidiResult::InvalidHandle);
        QCOMPARE(s.rt.addBuffer(s.in, std::make_shared<SysexBuffer>()), MidiResult::InvalidHandle);
        const int calls = s.calls;
        const Bytes request = bytes(kEditRequest);
        before = peer_.messages().size();
        QCOMPARE(s.rt.sendSysex(s.out, request.data(), request.size()), MidiResult::Ok);
        QCOMPARE(since(before, 1), Lines{kEditRequest});
        QCOMPARE(s.calls, calls);
        const MidiHandle old = s.in;
        QCOMPARE(s.rt.openInput(s.indexOf(true, peer_.outputPort()), s, s.in), MidiResult::Ok);
        QVERIFY(s.in != old);
        QVERIFY2(s.request(jack_, request), context());
        QCOMPARE(s.first()->bytesRecorded, kSingleDumpSize);
    }

    // The user steps Drive down by one with the keyboard: exactly one control change reaches the
    // peer. The peer turns Bass: the slider follows and nothing goes back.
    void panelAndPeerFollowEachOther_data() {
        QTest::addColumn<int>("channel");
        QTest::addColumn<QString>("driveSent");
        QTest::addColumn<QString>("bassFromDevice");
        QTest::newRow("channel 1") << 0 << "b00d3f"
                                   << "b00e64";
        QTest::newRow("channel 10") << 9 << "b90d3f"
                                    << "b90e64";
    }
    void panelAndPeerFollowEachOther() {
        QFETCH(int, channel);
        QFETCH(QString, driveSent);
        QFETCH(QString, bassFromDevice);
        e2e::EditorOnMidi editor(peer_.outputPort(), peer_.inputPort(), channel);
        DFrame& f = *editor.frame;
        QCOMPARE(f.PODMidiInName, QString::fromStdString(peer_.outputPort()));
        QVERIFY2(editor.started(), context());
        e2e::letTimePass(e2e::kQuietTime);

        std::size_t before = peer_.messages().size();
        const auto pressDown = [&] {
            setControlState(f.Drive, 63); // one step down reaches 64, which sends 63
            f.Drive->setFocus();
            QTest::keyClick(f.Drive, Qt::Key_Down);
        };
        QVERIFY2(e2e::attempt(jack_, pressDown, [&] { return peer_.messages().size() > before; }), context());
        QCOMPARE(f.Drive->value(), 64);
        QCOMPARE(since(before), Lines{driveSent.toStdString()});

        setControlState(f.Bass, 64);
        before = peer_.messages().size();
        QVERIFY2(e2e::attempt(
                     jack_, [&] { peer_.command(bassFromDevice.toStdString()); },
                     [&] { return f.Bass->value() == 27; }), // controller value 100
                 context());
        QCOMPARE(since(before), Lines{});
        QCOMPARE(f.Drive->value(), 64); // the controller moved Bass only
    }

    // The program itself, started as a user starts it: it finds the device's ports by their
    // names, asks for the edit buffer and recognises the dump that comes back.
    void theProgramReadsTheDeviceAtStartUp() {
        e2e::Scratch folder;
        e2e::writeConfig(folder.path().toStdString(), {0, 0, 0, peer_.outputPort(), peer_.inputPort()});
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("AMPLIX_MIDI_API"), QStringLiteral("jack"));
        environment.insert(QStringLiteral("AMPLIX_MIDI_TRACE"), QStringLiteral("1"));
        // The simulator keeps its patches in the user's data folder: this run keeps them here.
        environment.insert(QStringLiteral("XDG_DATA_HOME"), folder.path());
        const auto log = [&] { return e2e::readFile(folder / "log"); };
        const auto logged = [&](const std::string& text) { return log().find(text) != std::string::npos; };

        // A start whose request or answer fell into a period jackd dropped is made again.
        std::unique_ptr<e2e::ChildProcess> editor;
        std::size_t before = 0;
        bool read = false;
        for (int n = 0; n < 3 && !read; ++n) {
            const int xruns = jack_.xruns();
            editor = std::make_unique<e2e::ChildProcess>(); // the one before stops here
            editor->setWorkingDirectory(folder.path());
            editor->setProcessEnvironment(environment);
            before = peer_.messages().size();
            std::string whyNot;
            QVERIFY2(editor->start({AMPLIX_E2E_EDITOR}, folder / "log", whyNot), whyNot.c_str());
            read = e2e::waitUntil([&] { return logged("received single-patch dump (151 bytes)"); },
                                  e2e::kStartUpReadLimit);
            if (!read && jack_.xruns() == xruns)
                break;
        }
        QVERIFY2(read, (log() + context()).c_str());
        QVERIFY(logged("ports open: in \"" + peer_.outputPort() + "\""));
        QCOMPARE(since(before), Lines{kEditRequest});
        QVERIFY(editor->running());
    }

    // At podsim's start its edit buffer is patch 1A. Stored, the edit buffer the device sends
    // goes back whole as a store message to location 5, "2B".
    void storeGoesToTheChosenLocation() {
        DFrame& f = *device_->frame;
        QCOMPARE(podsim_.messages("recv"), Lines{kEditRequest});
        QCOMPARE(f.PatchWindow->StaticPatchNameData->text(), shownName(factoryPatches()[0]));
        testsupport::DialogWatcher dialogs([](QWidget* d) {
            d->findChild<QComboBox*>(QStringLiteral("PatchLocationName"))->setCurrentIndex(5);
            d->findChild<QPushButton*>(QStringLiteral("OK"))->click();
        });
        f.setWindowTitle(QStringLiteral("Amplix 32"));
        const auto stored = [&] {
            const auto recv = podsim_.messages("recv", from_);
            return !recv.empty() && recv.back().size() == 2 * kStoreMessageSize;
        };
        QVERIFY2(onDevice([&] { f.PatchWindow->ButtonSaveToPOD->click(); }, stored), context());
        const auto sent = podsim_.messages("send", from_);
        QCOMPARE(sent.size(), std::size_t(1));
        QCOMPARE(sent[0].substr(0, 14), std::string("f000010c010101"));
        QCOMPARE(podsim_.messages("recv", from_),
                 (Lines{kEditRequest, "f000010c01010005" + sent[0].substr(14)}));
        QCOMPARE(f.windowTitle(), QStringLiteral("Amplix 32 - Patch 2B"));
    }

    // Programs chosen on the device: 3 is factory patch 1C, 6 is 1A as just stored at 2B.
    void programChangeFromTheDevice_data() {
        QTest::addColumn<int>("program");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("name");
        QTest::newRow("pc 3") << 3 << "Amplix 32 - Patch 1C" << shownName(factoryPatches()[2]);
        QTest::newRow("pc 6, the stored patch")
            << 6 << "Amplix 32 - Patch 2B" << shownName(factoryPatches()[0]);
    }
    void programChangeFromTheDevice() {
        QFETCH(int, program);
        QFETCH(QString, title);
        QFETCH(QString, name);
        DFrame& f = *device_->frame;
        f.setWindowTitle(QStringLiteral("Amplix 32"));
        f.PatchWindow->StaticPatchNameData->clear();
        QVERIFY2(onDevice([&] { podsim_.command("pc " + std::to_string(program)); },
                          [&] { return !f.PatchWindow->StaticPatchNameData->text().isEmpty(); }),
                 context());
        QCOMPARE(f.windowTitle(), title);
        QCOMPARE(f.PatchWindow->StaticPatchNameData->text(), name);
        QCOMPARE(podsim_.messages("recv", from_), Lines{kEditRequest}); // no program change back
    }

    // The transport faults, each on a server of its own; this process talks to one server at a
    // time. First the server goes away while the device is part-way through the bank dump.
    void serverStopsInTheMiddleOfABankDump() {
        device_.reset();
        std::string whyNot;
        auto jack = std::make_unique<e2e::JackServer>();
        QVERIFY2(jack->start(whyNot), whyNot.c_str());
        auto device = std::make_unique<e2e::PodPeer>("POD Peer", Lines{"--bank-bytes", "2000"});
        QVERIFY2(device->start(whyNot), whyNot.c_str());
        auto fileDialogs = std::make_unique<testsupport::DialogWatcher>(
            [](QWidget* d) { static_cast<QDialog*>(d)->reject(); });
        e2e::EditorOnMidi editor(device->outputPort(), device->inputPort());
        DFrame& f = *editor.frame;
        QVERIFY(editor.started());
        QCOMPARE(f.PatchWindow->StaticPatchNameData->text(), kPeerPatchName);

        // Save All: the device sends the start of the bank, then the server stops.
        f.CmFileSave_All();
        QCOMPARE(f.Save_All_flag, 1);
        QVERIFY(e2e::waitUntil([&] {
            return device->messages() == Lines{kEditRequest, "f000010c010002f7"};
        }));
        e2e::letTimePass(milliseconds(20));
        jack->stop();
        int ticks = 0; // the user interface keeps running meanwhile
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
        timer.start(50);
        QVERIFY2(e2e::waitUntil([&] { return f.Waiting_for_sysex == 0; }, kBankTimeoutLimit),
                 "the bank request never ended");
        QVERIFY(ticks > 0);
        QVERIFY(atRest(f));
        QCOMPARE(fileDialogs->count(), 0); // part of a bank is never offered for saving
        fileDialogs.reset();

        // With no server, a knob's edit goes nowhere without a word; a read cannot be sent and
        // says so.
        QVERIFY(boxes_.seen().isEmpty());
        f.SendControlChange(13, 40);
        QVERIFY(!readWorks(f));
        QVERIFY(atRest(f));
        QCOMPARE(boxes_.seen().size(), 1);
        QCOMPARE(boxes_.seen().first().text, QStringLiteral("Failed to send sysex message!"));
        QCOMPARE(boxes_.seen().first().caption, QStringLiteral("Error"));
        boxes_.clear();

        // The server and the device come back under the same names: the next read reconnects
        // by itself, without Midi Setup.
        device.reset();
        const std::string serverName = jack->name();
        jack = std::make_unique<e2e::JackServer>();
        QVERIFY2(jack->start(whyNot, serverName), whyNot.c_str());
        e2e::PodPeer peer;
        QVERIFY2(peer.start(whyNot), whyNot.c_str());
        QVERIFY2(readWorks(f), peer.log().c_str());
        QCOMPARE(f.PODMidiSet, 1);
        // Midi Setup on the same devices still works as before.
        setUpMidiByName(f, peer);
        QVERIFY2(readWorks(f), peer.log().c_str());
    }

    // The device's ports vanish while the editor has them open, and come back.
    void devicePortsVanishWhileOpen() {
        std::string whyNot;
        e2e::JackServer jack;
        QVERIFY2(jack.start(whyNot), whyNot.c_str());
        auto peer = std::make_unique<e2e::PodPeer>();
        QVERIFY2(peer->start(whyNot), whyNot.c_str());
        e2e::EditorOnMidi editor(peer->outputPort(), peer->inputPort());
        DFrame& f = *editor.frame;
        QVERIFY(editor.started());
        QVERIFY(readWorks(f));

        // Gone: a knob's edit goes nowhere without a word; a read fails at once and says so,
        // instead of waiting for its time-out.
        peer->stop();
        e2e::letTimePass(e2e::kQuietTime);
        f.SendControlChange(13, 40);
        const auto asked = e2e::Clock::now();
        QVERIFY(!readWorks(f));
        QVERIFY(e2e::Clock::now() - asked < milliseconds(1000));
        QVERIFY(atRest(f));
        QCOMPARE(f.PODMidiSet, 1);
        QCOMPARE(boxes_.seen().size(), 1);
        QCOMPARE(boxes_.seen().first().text, QStringLiteral("Failed to send sysex message!"));
        boxes_.clear();

        // Back under the same names: the next read connects again by itself.
        peer = std::make_unique<e2e::PodPeer>();
        QVERIFY2(peer->start(whyNot), whyNot.c_str());
        QVERIFY2(readWorks(f), peer->log().c_str());
        QVERIFY(boxes_.seen().isEmpty());
    }

    // A second copy of the editor holds the device's ports: on JACK a port takes any number of
    // connections, so both work, no busy message appears and neither takes the other's answer.
    void anotherProgramOnTheSamePorts() {
        std::string whyNot;
        e2e::JackServer jack;
        QVERIFY2(jack.start(whyNot), whyNot.c_str());
        e2e::PodPeer peer;
        QVERIFY2(peer.start(whyNot), whyNot.c_str());
        e2e::EditorOnMidi other(peer.outputPort(), peer.inputPort());
        e2e::EditorOnMidi editor(peer.outputPort(), peer.inputPort());
        DFrame& f = *editor.frame;
        QVERIFY(other.started() && editor.started());
        QCOMPARE(f.PODMidiSet, 1);
        QVERIFY(readWorks(f));
        QVERIFY(atRest(*other.frame));
        QVERIFY(readWorks(*other.frame));
        e2e::letTimePass(e2e::kQuietTime);
        QVERIFY(atRest(f));
        QVERIFY(readWorks(f));
    }

    // A server started after the editor is found once a second has passed since the look that
    // found none: a look taken at once, and the look started with the service but only taken now.
    void aServerStartedLaterIsFound() {
        device_.reset(); // this process talks to one server at a time
        const std::string name = "amplix-e2e-late-" + std::to_string(getpid());
        setenv("JACK_DEFAULT_SERVER", name.c_str(), 1);
        setenv("JACK_NO_START_SERVER", "1", 1);
        e2e::JackServer jack; // declared first, so it stops after the services have closed
        e2e::PodPeer peer;
        RtMidiService unasked, asked;
        QCOMPARE(asked.inputCount(), 0u);
        e2e::letTimePass(std::chrono::milliseconds(1100));

        std::string whyNot;
        QVERIFY2(jack.start(whyNot, name), whyNot.c_str());
        QVERIFY2(peer.start(whyNot), whyNot.c_str());
        for (RtMidiService* service : {&unasked, &asked}) {
            std::vector<std::string> names;
            for (unsigned i = 0, n = service->inputCount(); i < n; ++i)
                names.push_back(service->inputName(i));
            QVERIFY(std::find(names.begin(), names.end(), peer.outputPort()) != names.end());
        }
    }

private:
    // What the peer received after its first from messages, once count more are in and a quiet
    // time has passed in which a stray one would show.
    Lines since(std::size_t from, std::size_t count = 0) const {
        e2e::waitUntil([&] { return peer_.messages().size() >= from + count; });
        e2e::letTimePass(e2e::kQuietTime);
        const auto record = peer_.messages();
        return Lines(record.begin() + long(std::min(from, record.size())), record.end());
    }
    // Does action on the editor of podsim once it waits for nothing, until done holds and the
    // editor is idle again; after a dropped JACK period, again. from_ marks podsim's log then.
    template <typename Action, typename Done> bool onDevice(Action action, Done done) {
        const auto idle = [&] { return device_->frame->Waiting_for_sysex == 0; };
        const auto act = [&] {
            e2e::waitUntil(idle);
            from_ = podsim_.mark();
            action();
        };
        return e2e::attempt(jack_, act, [&] { return idle() && done(); });
    }
    const char* context() {
        context_ = "jackd xruns: " + std::to_string(jack_.xruns()) + "\npeer's log:\n" + peer_.log() +
                   "\npodsim's log:\n" + podsim_.log();
        return context_.c_str();
    }

    e2e::JackServer jack_;
    e2e::PodPeer peer_;
    e2e::PodPeer podsim_{"podsim-e2e-" + std::to_string(getpid()), {}, true};
    std::unique_ptr<e2e::EditorOnMidi> device_; // the editor on podsim, kept through the cases
    std::size_t from_ = 0;
    testsupport::MessageBoxWatcher boxes_;
    std::string context_;
};

QTEST_MAIN(EditorOnJackTest)
#include "editor_e2e.moc"
