// The editor on RtMidi's ALSA backend, through the sequencer model: a USB MIDI interface whose
// kernel bridge drops an event that does not fit its 4096-byte buffer, a 31250-baud cable and
// the device model behind it. The editor runs in this process; the program itself is started
// with the model preloaded.
#include "E2eHarness.h"
#include "midi/RtMidiService.h"

#include "AlsaSeqModel.h"
#include "device/PodDevice.h"
#include "midi/CablePacing.h"
#include "patch/SysexFormat.h"
#include "support/QtTestSupport.h"
#include "tone/ToneControls.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include <RtMidi.h>

#include <cstdio>

using namespace amplix;
using e2e::Bytes;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

namespace {

const std::string kInterface = "USB MIDI Interface:USB MIDI Interface MIDI 1 20:0";
const Bytes kEditRequestBytes(kEditBufferRequest.begin(), kEditBufferRequest.end());
const Bytes kBankRequestBytes(kBankRequest.begin(), kBankRequest.end());
constexpr milliseconds kBankTimeoutLimit{12000}; // the bank request's own 8000 ms, and slack
constexpr milliseconds kReadLimit{4000};         // the edit-buffer request's own 1000 ms, and slack

QString deviceEditBufferName() {
    QString name;
    alsaseq::withDevice(
        [&](PodDevice& pod) { name = QString::fromLatin1(dumpName(pod.editBufferDump()).c_str()); });
    return name;
}

std::array<PatchRecord, kPatchLocations> deviceMemory() {
    std::array<PatchRecord, kPatchLocations> memory;
    alsaseq::withDevice([&](PodDevice& pod) {
        for (std::size_t n = 0; n < kPatchLocations; ++n)
            memory[n] = pod.patch(n);
    });
    return memory;
}

// The device's own patches in reverse order, each renamed, so every location changes.
std::array<PatchRecord, kPatchLocations> newBank() {
    auto bank = deviceMemory();
    std::reverse(bank.begin(), bank.end());
    for (std::size_t n = 0; n < kPatchLocations; ++n) {
        const std::string name = "Piece by piece " + std::to_string(n);
        std::fill(bank[n].begin() + kNameOffset, bank[n].end(), ' ');
        std::copy_n(name.begin(), std::min(name.size(), kNameLength), bank[n].begin() + kNameOffset);
    }
    return bank;
}

// File > Read; true when the device's edit buffer reached the panel.
bool readWorks(DFrame& f) {
    f.PatchWindow->StaticPatchNameData->clear();
    f.CmFileRead();
    return f.Waiting_for_sysex == 1 && e2e::waitUntil([&] { return f.Waiting_for_sysex == 0; }, kReadLimit) &&
           f.PatchWindow->StaticPatchNameData->text() == deviceEditBufferName();
}

bool atRest(const DFrame& f) {
    return !f.Waiting_for_sysex && !f.midiHdr && !f.Save_All_flag && !f.Save_flag && !f.Name_flag &&
           !f.SaveToPod_flag && f.AmpModel_flag == -1 && !f.sendingSysex();
}

// The bank in the frame's buffer goes out as "Load ALL" sends it, the warning answered OK.
bool loadAll(DFrame& f, const std::array<PatchRecord, kPatchLocations>& bank) {
    const auto dump = buildBankDump(bank);
    std::copy(dump.begin(), dump.end(), f.sysEx.begin());
    testsupport::DialogWatcher warning(
        [](QWidget* d) { d->findChild<QPushButton*>(QStringLiteral("OK"))->click(); });
    return f.SendBankToPod();
}

// Answers the next save dialog with path.
struct SaveAs {
    explicit SaveAs(const QString& path)
        : watcher([path, this](QWidget* d) {
              auto* files = qobject_cast<QFileDialog*>(d);
              if (!files)
                  return static_cast<QDialog*>(d)->reject();
              ++shown;
              const QFileInfo chosen(path);
              files->setDirectory(chosen.absolutePath());
              files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(chosen.fileName());
              static_cast<QDialog*>(files)->accept();
          }) {}
    int shown = 0;
    testsupport::DialogWatcher watcher;
};

} // namespace

class EditorOnAlsaTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        qputenv("AMPLIX_MIDI_TRACE", "1"); // before the first line of the trace
        alsaseq::reset();
        editor_ = std::make_unique<e2e::EditorOnMidi>(kInterface, kInterface, 0, "alsa");
        QVERIFY(editor_->started());
    }
    void cleanupTestCase() { editor_.reset(); }
    void init() {
        boxes_.clear();
        QVERIFY(alsaseq::waitIdle());
        alsaseq::clearLog();
        before_ = alsaseq::stats();
    }
    void cleanup() {
        QVERIFY2(boxes_.seen().isEmpty(), qPrintable(boxes_.seen().value(0).text));
        if (!alsaseq::pluggedIn())
            alsaseq::plugIn();
    }

    // The editor found the interface by its ALSA name and read the device's edit buffer.
    void theEditorStartsOnTheInterface() {
        DFrame& f = *editor_->frame;
        QCOMPARE(f.PODMidiInName, QString::fromStdString(kInterface));
        QCOMPARE(f.PODMidiSet, 1);
        QCOMPARE(f.PatchWindow->StaticPatchNameData->text(), deviceEditBufferName());
        QVERIFY(atRest(f));
    }

    // AMPLIX_MIDI_API picks among the systems RtMidi was built with, in any case; Windows MM is
    // not among them here, so asked for it the service has none and lists nothing.
    void theMidiSystemIsTheOneAskedForWhenItWasBuilt() {
        const QByteArray asked = qgetenv("AMPLIX_MIDI_API");
        for (const auto& [name, chosen] : {std::pair{"ALSA", "alsa"}, {"alsa", "alsa"}, {"winmm", "none"}}) {
            qputenv("AMPLIX_MIDI_API", name);
            RtMidiService service;
            QCOMPARE(service.apiName(), std::string(chosen));
            QCOMPARE(service.outputCount() > 0, std::string(chosen) != "none");
        }
        qputenv("AMPLIX_MIDI_API", asked);
    }

    // Find POD through the sequencer to the device behind the interface, which listens on
    // channel 7; Cancel leaves the editor on its ports, open again.
    void findPodReachesTheDeviceBehindTheInterface() {
        DFrame& f = *editor_->frame;
        alsaseq::withDevice([](PodDevice& device) { device.setChannel(6); });
        QString said;
        testsupport::DialogWatcher dialogs([&](QWidget* d) {
            QTest::mouseClick(d->findChild<QPushButton*>(QStringLiteral("ButtonFindPod")), Qt::LeftButton);
            said = d->findChild<QLabel*>(QStringLiteral("StaticFindResult"))->text();
            static_cast<QDialog*>(d)->reject();
        });
        f.CmSetupMidi();
        alsaseq::withDevice([](PodDevice& device) { device.setChannel(0); });
        QCOMPARE(said,
                 QStringLiteral("Found a POD (software 1.00) on channel 7: in USB MIDI Interface MIDI 1, out "
                                "USB MIDI Interface MIDI 1"));
        QCOMPARE(f.PODMidiSet, 1);
        QCOMPARE(f.PODMidiInName, QString::fromStdString(kInterface));
        QVERIFY(readWorks(f));
    }

    // The program itself, started as a user starts it, with the model preloaded in its place.
    void theProgramReadsTheDeviceAtStartUp() {
        e2e::Scratch folder;
        e2e::writeConfig(folder.path().toStdString(), {0, 0, 0, kInterface, kInterface});
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(AMPLIX_E2E_ALSASEQ_MODEL));
        environment.insert(QStringLiteral("AMPLIX_MIDI_API"), QStringLiteral("alsa"));
        environment.insert(QStringLiteral("AMPLIX_MIDI_TRACE"), QStringLiteral("1"));
        // The simulator keeps its patches in the user's data folder: this run keeps them here.
        environment.insert(QStringLiteral("XDG_DATA_HOME"), folder.path());
        environment.insert(QStringLiteral("AMPLIX_ALSASEQ_LOG"),
                           QString::fromStdString(folder / "device.log"));
        // Under AddressSanitizer its runtime would otherwise insist on coming first.
        const QString asan = environment.value(QStringLiteral("ASAN_OPTIONS"));
        environment.insert(QStringLiteral("ASAN_OPTIONS"),
                           asan + (asan.isEmpty() ? "" : ":") + "verify_asan_link_order=0");
        e2e::ChildProcess editor;
        editor.setWorkingDirectory(folder.path());
        editor.setProcessEnvironment(environment);
        std::string whyNot;
        QVERIFY2(editor.start({AMPLIX_E2E_EDITOR}, folder / "log", whyNot), whyNot.c_str());
        const auto log = [&] { return e2e::readFile(folder / "log"); };
        QVERIFY2(
            e2e::waitUntil(
                [&] { return log().find("received single-patch dump (151 bytes)") != std::string::npos; },
                e2e::kStartUpReadLimit),
            log().c_str());
        QVERIFY(log().find("ports open: in \"" + kInterface + "\", out \"" + kInterface + "\"") !=
                std::string::npos);
        QCOMPARE(e2e::completeLines(folder / "device.log"),
                 std::vector<std::string>{"device recv F0 00 01 0C 01 00 01 F7"});
        QVERIFY(editor.running());
    }

    // One step of Drive by the keyboard: one control change, which the device applies.
    void aControllerReachesTheDevice() {
        DFrame& f = *editor_->frame;
        PodDevice expected;
        alsaseq::withDevice([&](PodDevice& pod) { expected.setEditBuffer(pod.editBuffer()); });
        setControlState(f.Drive, 63);
        f.Drive->setFocus();
        QTest::keyClick(f.Drive, Qt::Key_Down);
        QVERIFY(alsaseq::waitIdle());
        QCOMPARE(alsaseq::deviceMessages(), std::vector<Bytes>{Bytes({0xB0, 13, 63})});
        expected.applyController(13, 63);
        alsaseq::withDevice([&](PodDevice& pod) { QCOMPARE(pod.editBuffer(), expected.editBuffer()); });
    }

    // Save Patch To POD: the edit buffer is read, then stored at "2B" in one 152-byte message.
    void storeGoesToTheChosenLocation() {
        DFrame& f = *editor_->frame;
        f.setWindowTitle(QStringLiteral("Amplix 32"));
        testsupport::DialogWatcher dialogs([](QWidget* d) {
            d->findChild<QComboBox*>(QStringLiteral("PatchLocationName"))->setCurrentIndex(5);
            d->findChild<QPushButton*>(QStringLiteral("OK"))->click();
        });
        f.PatchWindow->ButtonSaveToPOD->click();
        QVERIFY(e2e::waitUntil([&] { return alsaseq::deviceMessages().size() == 2 && atRest(f); }));
        QVERIFY(alsaseq::waitIdle());
        const auto received = alsaseq::deviceMessages();
        QCOMPARE(received.front(), kEditRequestBytes);
        QCOMPARE(received.back().size(), kStoreMessageSize);
        alsaseq::withDevice([&](PodDevice& pod) { QCOMPARE(pod.patch(5), pod.editBuffer()); });
        QCOMPARE(alsaseq::stats().overruns, before_.overruns);
        QCOMPARE(f.windowTitle(), QStringLiteral("Amplix 32 - Patch 2B"));
    }

    // Load ALL: 5121 bytes in pieces of at most 256, never more than two in the interface's
    // buffer, none dropped; the send returns when the bank is on the cable, and the read-back
    // request after it is answered.
    void aWholeBankArrivesIntact() {
        DFrame& f = *editor_->frame;
        const auto bank = newBank();
        const auto start = Clock::now();
        QVERIFY(loadAll(f, bank));
        QVERIFY(Clock::now() - start >= cableTime(kBankDumpSize));
        QCOMPARE(deviceMemory(), bank);
        const auto stats = alsaseq::stats();
        QCOMPARE(stats.overruns, before_.overruns);
        QCOMPARE(stats.largestEventToPort, kSysexPieceSize);
        QVERIFY(stats.largestBufferFill <= 2 * kSysexPieceSize);

        QCOMPARE(f.Waiting_for_sysex, 1); // the read-back
        QVERIFY(e2e::waitUntil([&] { return f.Waiting_for_sysex == 0; }, kReadLimit));
        QCOMPARE(f.PatchWindow->StaticPatchNameData->text(), deviceEditBufferName());
        const auto received = alsaseq::deviceMessages();
        QCOMPARE(received.size(), std::size_t(2));
        const auto sent = buildBankDump(bank);
        QCOMPARE(received[0], Bytes(sent.begin(), sent.end()));
        QCOMPARE(received[1], kEditRequestBytes);
    }

    // Save All: the bank dump arrives as SysEx events of at most 256 bytes over 1.6 s and is
    // joined into one; the file holds exactly the device's memory.
    void saveAllWritesTheDevicesMemory() {
        DFrame& f = *editor_->frame;
        e2e::Scratch folder;
        const QString path = QString::fromStdString(folder / "device.syx");
        SaveAs answer(path);
        f.CmFileSave_All();
        QVERIFY(e2e::waitUntil([&] { return answer.shown == 1 && QFile::exists(path); }, kBankTimeoutLimit));
        Bytes device;
        alsaseq::withDevice([&](PodDevice& pod) { device = pod.bankDump(); });
        QCOMPARE(testsupport::readFileBytes(path), device);
        const auto stats = alsaseq::stats();
        QCOMPARE(stats.eventsFromPort - before_.eventsFromPort, std::size_t(21));
        QCOMPARE(stats.largestEventFromPort, kSysexPieceSize);
        QVERIFY(atRest(f));
    }

    // The interface is unplugged while a bank is on its way: the send stops with an error and
    // no hang; reads fail at once while it is gone; plugged in again, the next read connects.
    void unplugDuringABankSend() {
        DFrame& f = *editor_->frame;
        testsupport::StderrCapture trace;
        const auto memory = deviceMemory();
        QTimer::singleShot(500, [] { alsaseq::unplug(); });
        const auto start = Clock::now();
        QVERIFY(!loadAll(f, newBank()));
        QVERIFY(Clock::now() - start < cableTime(kBankDumpSize));
        QCOMPARE(boxes_.seen().size(), 1);
        QCOMPARE(boxes_.seen().first().text, QStringLiteral("Failed to send sysex message!"));
        QCOMPARE(boxes_.seen().first().caption, QStringLiteral("Error!"));
        QCOMPARE(deviceMemory(), memory); // a broken-off bank changes nothing
        QVERIFY(atRest(f));
        boxes_.clear();

        const auto asked = Clock::now();
        QVERIFY(!readWorks(f));
        QVERIFY(Clock::now() - asked < milliseconds(500));
        QCOMPARE(boxes_.seen().size(), 1);
        QCOMPARE(boxes_.seen().first().text, QStringLiteral("Failed to send sysex message!"));
        boxes_.clear();

        alsaseq::plugIn();
        QVERIFY(readWorks(f));
        QCOMPARE(f.PODMidiSet, 1);
        // The trace tells what happened.
        const std::string device = "amplix32: \"" + kInterface + "\"";
        QVERIFY2(trace.has("amplix32: the device went away in the middle of a message\n"),
                 trace.text().c_str());
        QVERIFY(trace.has(device + " is gone; sending to it fails until it is back\n"));
        QVERIFY(trace.has(device + " is back; MIDI Out connected to it again\n"));
        QVERIFY(trace.has(device + " is back; MIDI In connected to it again\n"));
    }

    // The interface is unplugged while the device sends its bank: the request ends in its
    // time-out, nothing is offered for saving; plugged in again, the next read connects.
    void unplugDuringTheDevicesBankDump() {
        DFrame& f = *editor_->frame;
        SaveAs answer(QStringLiteral("/nonexistent/never.syx"));
        f.CmFileSave_All();
        QVERIFY(e2e::waitUntil([] { return alsaseq::stats().bytesFromDevice > 2000; }));
        alsaseq::unplug();
        QVERIFY(e2e::waitUntil([&] { return f.Waiting_for_sysex == 0; }, kBankTimeoutLimit));
        QVERIFY(atRest(f));
        QCOMPARE(answer.shown, 0);
        alsaseq::plugIn();
        QVERIFY(readWorks(f));
    }

    // The rule the model enforces, shown with RtMidi alone: the bank handed over as one message
    // is one sequencer event, larger than the interface's buffer, and is dropped whole.
    void theBankAsOneEventIsDroppedWhole() {
        const auto memory = deviceMemory();
        RtMidiOut out(RtMidi::LINUX_ALSA, "Whole Bank");
        unsigned port = out.getPortCount();
        for (unsigned n = 0; n < out.getPortCount(); ++n)
            if (out.getPortName(n) == kInterface)
                port = n;
        QVERIFY(port < out.getPortCount());
        out.openPort(port);
        const auto bank = buildBankDump(newBank());
        out.sendMessage(bank.data(), bank.size());
        QVERIFY(alsaseq::waitIdle());
        QCOMPARE(alsaseq::stats().overruns - before_.overruns, std::size_t(1));
        QCOMPARE(alsaseq::deviceMessages(), std::vector<Bytes>{});
        QCOMPARE(deviceMemory(), memory);
    }

private:
    std::unique_ptr<e2e::EditorOnMidi> editor_;
    alsaseq::Stats before_;
    testsupport::MessageBoxWatcher boxes_;
};

QTEST_MAIN(EditorOnAlsaTest)
#include "editor_alsa_e2e.moc"
