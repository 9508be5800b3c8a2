// The built-in simulator's patches and edit buffer kept between runs, the files it keeps them in,
// and Options > Reset Simulator.
#include "app/CommandIds.h"
#include "app/DFrame.h"
#include "app/DStatusLine.h"
#include "device/FactoryPatches.h"
#include "import/PatchSource.h"
#include "midi/SimulatorMidiService.h"
#include "midi/SimulatorStore.h"
#include "patch/DPatchName.h"
#include "support/FrameHarness.h"
#include "tone/ToneMap.h"

#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstring>
#include <memory>

using namespace amplix;
using testsupport::FrameHarness;
using testsupport::MessageBoxWatcher;
using testsupport::readFileBytes;
using testsupport::writeFileBytes;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr int kShortCoalesceMs = 100;
const QString kResetQuestion = QStringLiteral(
    "Reset the simulator to its factory patches? Its 36 patches and its edit buffer are replaced.");

PatchRecord namedRecord(const char* name, std::uint8_t drive) {
    PatchRecord record = factoryPatches()[3];
    std::fill_n(record.begin() + kNameOffset, kNameLength, std::uint8_t(' '));
    std::copy(name, name + std::strlen(name), record.begin() + kNameOffset);
    record[0] = drive;
    return record;
}

// One run of the editor on the simulator, as the application makes it: the store first, then the
// frame, connected to the simulator, its start-up read answered.
struct Run {
    explicit Run(const QString& folder, int coalesceMs = kShortCoalesceMs)
        : store(std::make_unique<SimulatorStore>(midi, folder, coalesceMs)) {
        scratch.writeConfig({0, 0, 0, 0});
        frame = std::make_unique<DFrame>(midi);
        frame->setSimulatorStore(store.get());
        frame->SetupWindow();
        QTRY_COMPARE(frame->Waiting_for_sysex, 0);
    }
    ~Run() {
        frame.reset();
        store.reset();
    }
    QString outcome() const {
        const QLabel* label = frame->StatusLine->StaticOutcome;
        return label->toolTip().isEmpty() ? label->text() : label->toolTip();
    }
    // The device as it is now: its bank dump and its edit buffer.
    std::pair<Bytes, PatchRecord> device() {
        std::pair<Bytes, PatchRecord> now;
        midi.withDevice([&](PodDevice& pod) { now = {pod.bankDump(), pod.editBuffer()}; });
        return now;
    }
    // Stores a record into location as the Library does, through the frame's buffer.
    void storeInto(const PatchRecord& record, int location) {
        const auto dump = buildSingleDump(record, 0x01);
        std::copy(dump.begin(), dump.end(), frame->sysEx.begin());
        makeStoreMessage(frame->sysEx, location);
        QVERIFY(frame->SendSysexMessage(int(kStoreMessageSize)));
    }

    FrameHarness scratch; // the start-up folder
    SimulatorMidiService midi{SimulatorMidiService::Pacing::Immediate};
    std::unique_ptr<SimulatorStore> store;
    std::unique_ptr<DFrame> frame;
};

Bytes factoryBank() {
    return PodDevice().bankDump();
}

const std::uint8_t kDrive = findParameter("Drive")->controller;

} // namespace

class SimulatorStoreTest : public QObject {
    Q_OBJECT

private slots:
    // What one run stored and edited, the next run has: the bank file and the edit buffer's file
    // are ordinary patch files that File > Open and the Library take.
    void aSecondRunHasWhatTheFirstLeft() {
        QTemporaryDir folder;
        std::pair<Bytes, PatchRecord> left;
        const PatchRecord mine = namedRecord("Offline Lead", 90);
        {
            Run first(folder.path());
            QCOMPARE(first.outcome(),
                     QStringLiteral(
                         "simulator-bank.syx: not found; the simulator starts with its factory patches"));
            first.storeInto(mine, 14); // 4C
            FrameHarness::settle();
            first.frame->SendControlChange(kDrive, 33); // an edit of 4C, not stored
            left = first.device();
            QCOMPARE(left.first == factoryBank(), false);
            QCOMPARE(left.second == mine, false);
        }
        const Bytes bankFile = readFileBytes(folder.filePath("simulator-bank.syx"));
        const Bytes editFile = readFileBytes(folder.filePath("simulator-edit-buffer.pod"));
        QCOMPARE(bankFile, left.first);
        QCOMPARE(openPatchFile(bankFile).kind, SourceKind::Bank);
        QCOMPARE(openPatchFile(bankFile).entries.at(14).name.substr(0, 12), std::string("Offline Lead"));
        QVERIFY(openPatchFile(editFile).ok());
        QCOMPARE(openPatchFile(editFile).kind, SourceKind::SinglePatch);

        Run second(folder.path());
        QCOMPARE(second.store->notice(), QString());
        QCOMPARE(second.outcome(), QStringLiteral("Patch read")); // the start-up read of the kept edit buffer
        QCOMPARE(second.device(), left);
        QCOMPARE(second.frame->deviceShadow().value(), left.second);
        QCOMPARE(second.store->writes(), 0); // nothing changed, nothing written
    }

    // A slider dragged sends a controller for every step: the burst is written once, and what
    // came last is written when the store ends, however soon after.
    void aBurstIsWrittenOnceAndTheLastChangeIsNotLostAtQuit() {
        QTemporaryDir folder;
        const QString editPath = folder.filePath("simulator-edit-buffer.pod");
        {
            Run run(folder.path(), 300);
            const int before = run.store->writes();
            for (int value = 0; value < 100; ++value)
                run.frame->SendControlChange(kDrive, std::uint8_t(value));
            FrameHarness::settle();
            QCOMPARE(run.store->writes(), before);         // not yet
            QTRY_COMPARE(run.store->writes(), before + 2); // the bank the first time, the edit buffer
            QTest::qWait(400);
            QCOMPARE(run.store->writes(), before + 2);
            Bytes dump;
            run.midi.withDevice([&](PodDevice& pod) { dump = pod.editBufferDump(); });
            QCOMPARE(readFileBytes(editPath), dump);

            for (int value = 0; value < 100; ++value)
                run.frame->SendControlChange(kDrive, std::uint8_t(127 - value));
            QTRY_COMPARE(run.store->writes(), before + 3); // the bank did not change
            run.frame->SendControlChange(kDrive, 5);       // and the editor ends at once
        }
        PatchRecord expected = factoryPatches()[0];
        applyController(expected, kDrive, 5);
        SimulatorMidiService again(SimulatorMidiService::Pacing::Immediate);
        SimulatorStore store(again, folder.path());
        again.withDevice([&](PodDevice& pod) { QCOMPARE(pod.editBuffer(), expected); });
    }

    // A file the editor's readers refuse is no reason not to start: the factory patches, a line in
    // the status line, and the refused file kept aside before a change replaces it.
    void aDamagedBankFallsBackToTheFactoryPatches_data() {
        QTest::addColumn<Bytes>("file");
        QTest::addColumn<QString>("reason");
        Bytes good = PodDevice().bankDump();
        good[500] = 0x03; // a bank of its own, not the factory's
        Bytes truncated(good.begin(), good.begin() + 4000), badNibble = good;
        badNibble[777] = 0x2A;
        QTest::newRow("truncated") << truncated
                                   << QStringLiteral("simulator-bank.syx: 4000 bytes; a bank has 5121");
        QTest::newRow("bad nibble") << badNibble
                                    << QStringLiteral(
                                           "simulator-bank.syx: the byte at offset 777 is 0x2A, more "
                                           "than a nibble (0x0F) holds");
        QTest::newRow("empty") << Bytes{} << QStringLiteral("simulator-bank.syx: the file is empty");
        QTest::newRow("foreign") << Bytes(300, 'A')
                                 << QStringLiteral("simulator-bank.syx: not a patch or bank file");
    }
    void aDamagedBankFallsBackToTheFactoryPatches() {
        QFETCH(Bytes, file);
        QFETCH(QString, reason);
        QTemporaryDir folder;
        writeFileBytes(folder.filePath("simulator-bank.syx"), file);
        Run run(folder.path());
        QCOMPARE(run.outcome(), reason + QStringLiteral("; the simulator starts with its factory patches"));
        QCOMPARE(run.device().first, factoryBank());
        QCOMPARE(readFileBytes(folder.filePath("simulator-bank.syx.refused")), file);
        QVERIFY(!QFile::exists(folder.filePath("simulator-bank.syx")));
        run.storeInto(namedRecord("After", 1), 0);
        QVERIFY(run.store->flush());
        QCOMPARE(readFileBytes(folder.filePath("simulator-bank.syx")), run.device().first);
        QCOMPARE(readFileBytes(folder.filePath("simulator-bank.syx.refused")), file);
    }

    // No, and nothing changes; Yes, and the factory patches are back at once, on disk too, and the
    // editor follows the simulator to 1A.
    void resetSimulatorAsksThenBringsBackTheFactoryPatches() {
        QTemporaryDir folder;
        Run run(folder.path(), 60 * 1000);
        run.storeInto(namedRecord("Gone Soon", 77), 0);
        QTRY_COMPARE(run.frame->Waiting_for_sysex, 0);
        QVERIFY(run.store->flush());
        const auto changed = run.device();
        QAction* reset = run.frame->menuAction(CM_RESETSIMULATOR);
        QVERIFY(reset->isEnabled());

        MessageBoxWatcher boxes;
        boxes.answerWith(QStringLiteral("&No"));
        reset->trigger();
        QCOMPARE(boxes.seen().size(), 1);
        QCOMPARE(boxes.seen()[0].caption, QStringLiteral("Amplix 32"));
        QCOMPARE(boxes.seen()[0].text, kResetQuestion);
        QCOMPARE(run.device(), changed);

        boxes.answerWith(QStringLiteral("&Yes"));
        reset->trigger();
        QCOMPARE(boxes.seen().size(), 2);
        QCOMPARE(run.device().first, factoryBank());
        QCOMPARE(run.device().second, factoryPatches()[0]);
        // Written at once, not when the (long) burst time is over.
        QCOMPARE(readFileBytes(run.store->bankPath()), factoryBank());
        const auto dump = buildSingleDump(factoryPatches()[0], PodDevice::kDefaultByte7);
        QCOMPARE(readFileBytes(run.store->editBufferPath()), Bytes(dump.begin(), dump.end()));
        QTRY_COMPARE(run.frame->windowTitle(), QStringLiteral("Amplix 32 - Patch 1A"));
        QTRY_COMPARE(run.frame->deviceShadow().value(), factoryPatches()[0]);
        QCOMPARE(run.outcome(), QStringLiteral("Simulator reset to its factory patches"));
    }

    // A folder that cannot be written loses no work silently: the status line says so.
    void aFolderThatCannotBeWrittenIsToldInTheStatusLine() {
        QTemporaryDir parent;
        const QString notAFolder = writeFileBytes(parent.filePath("file"), {1});
        Run run(notAFolder + "/amplix");
        run.frame->SendControlChange(kDrive, 10);
        QTRY_VERIFY2(run.outcome().startsWith(QStringLiteral("simulator-bank.syx: cannot be written: ")),
                     qPrintable(run.outcome()));
        QVERIFY2(run.outcome().endsWith(QStringLiteral("; the simulator's latest changes are not kept")),
                 qPrintable(run.outcome()));
        QVERIFY(!run.store->flush());
    }

    // Without a simulator (another MIDI service) there is nothing to reset.
    void withoutTheSimulatorTheResetIsDisabled() {
        FrameHarness h;
        DFrame& f = h.startConnected();
        QVERIFY(!f.menuAction(CM_RESETSIMULATOR)->isEnabled());
    }
};

QTEST_MAIN(SimulatorStoreTest)
#include "simulator_store_qtest.moc"
