// Patch files end to end with the simulator: saved, opened back, a bank entry or the whole bank
// loaded; a failed save. (Files refused, by content: import_equivalence_qtest.)
#include "app/CommandIds.h"
#include "app/DFrame.h"
#include "app/DStatusLine.h"
#include "files/SafeSave.h"
#include "midi/SimulatorMidiService.h"
#include "support/FrameHarness.h"
#include "tests/support/TestPatchFiles.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include <csignal>
#include <optional>
#include <sys/resource.h>

using namespace amplix;
using namespace patchfiles;
using testsupport::DialogWatcher;
using testsupport::FrameHarness;
using testsupport::MessageBoxWatcher;
using testsupport::pressButton;
using testsupport::readFileBytes;
using testsupport::wholeOutcome;
using testsupport::writeFileBytes;

namespace {

using Answers = testsupport::FileDialogAnswers;

} // namespace

class FilesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        qputenv("AMPLIX_MIDI_TRACE", "1"); // before the first line of the trace
    }

    // Saved: exactly what the device sent. Opened: a bank lists the device's names, OK leaves
    // "1A" in the edit buffer, "Load ALL" asks first and then sends the whole bank; a single
    // patch goes out exactly as saved and is read back.
    void savedFilesAreWhatTheDeviceSentAndOpenBackExactly() {
        FrameHarness scratch; // a start-up folder of its own, left again at the end
        scratch.writeConfig({0, 0, 0, 0});
        SimulatorMidiService midi(SimulatorMidiService::Pacing::Immediate);
        DFrame f(midi);
        f.SetupWindow();
        FrameHarness::settle();
        const QString single = scratch.dir.filePath("mine.syx"); // a single patch under a bank's extension
        const QString bank = scratch.dir.filePath("all");
        Answers answers;
        answers.paths = {single, bank};
        f.menuAction(CM_FILESAVE)->trigger();
        QTRY_VERIFY(QFile::exists(single));
        f.menuAction(CM_FILESAVEALL)->trigger();
        QTRY_VERIFY(QFile::exists(bank + ".syx"));
        Bytes editBuffer, device;
        std::array<PatchRecord, kPatchLocations> stored;
        midi.withDevice([&](PodDevice& pod) {
            editBuffer = pod.editBufferDump();
            device = pod.bankDump();
            for (std::size_t n = 0; n < kPatchLocations; ++n)
                stored[n] = pod.patch(n);
            pod.setPatch(5, PatchRecord{}); // changed since the files were saved
            pod.setEditBuffer(PatchRecord{});
        });
        const Bytes saved = readFileBytes(single);
        QCOMPARE(saved, editBuffer);
        QCOMPARE(readFileBytes(bank + ".syx"), device);

        QStringList listed;
        answers.paths = {bank + ".syx"};
        answers.other = [&listed](QWidget* d) {
            auto* list = d->findChild<QListWidget*>(QStringLiteral("PatchSelect"));
            for (int row = 0; row < list->count(); ++row)
                listed << list->item(row)->text();
            pressButton(d, "OK");
        };
        f.menuAction(CM_FILEOPEN)->trigger();
        FrameHarness::settle();
        QCOMPARE(listed.size(), 36);
        for (std::size_t n = 0; n < kPatchLocations; ++n)
            QCOMPARE(listed[int(n)],
                     QString::fromLatin1((locationLabel(n) + "  ").c_str()) +
                         QString::fromLatin1(reinterpret_cast<const char*>(&stored[n][kNameOffset]), 16));
        midi.withDevice([&](PodDevice& pod) { QCOMPARE(pod.editBuffer(), stored[0]); });

        for (const char* answer : {"Cancel", "OK"}) {
            answers.paths = {bank + ".syx"};
            int step = 0;
            answers.other = [&](QWidget* d) { pressButton(d, step++ == 0 ? "ButtonLoadAll" : answer); };
            f.menuAction(CM_FILEOPEN)->trigger();
            FrameHarness::settle();
            QCOMPARE(step, 2); // the chooser, then the warning
            midi.withDevice([&](PodDevice& pod) { QCOMPARE(pod.patch(5) == stored[5], answer[0] == 'O'); });
        }
        QCOMPARE(f.windowTitle(), QStringLiteral("Amplix 32 - Patch 1A"));

        answers.paths = {single};
        f.menuAction(CM_FILEOPEN)->trigger();
        FrameHarness::settle();
        QCOMPARE(f.Waiting_for_sysex, 0);
        QVERIFY(std::equal(saved.begin(), saved.end(), f.sysEx.begin()));
        midi.withDevice([&](PodDevice& pod) { QCOMPARE(pod.editBufferDump(), saved); });
    }

    // A bank or patch holding a byte no device sends is refused as File > Open refuses any
    // malformed file: the chooser never opens, so "Load ALL" cannot send it, and nothing goes to
    // the device. The same bank intact opens.
    void aFileWithAByteNoDeviceSendsIsRefusedAndNothingIsSent() {
        FrameHarness h;
        DFrame& f = h.startConnected();
        h.answerWithSingleDump();
        FrameHarness::settle();
        h.midi.clearLog();
        const QString outcome = f.StatusLine->StaticOutcome->text();
        Bytes corruptBank = bank(0x7F), corruptSingle = singlePatch(record("Lead", 3), 0x7F);
        corruptBank[301] = 0x55;
        corruptBank[302] = 0x99; // would end the dump and start a Note On
        corruptSingle[77] = 0x10;
        const QString bankPath = writeFileBytes(h.dir.filePath("corrupt.syx"), corruptBank);
        const QString singlePath = writeFileBytes(h.dir.filePath("corrupt.pod"), corruptSingle);
        const QString intactPath = writeFileBytes(h.dir.filePath("intact.syx"), bank(0x7F));

        MessageBoxWatcher boxes;
        QStringList choosers;
        Answers answers;
        answers.paths = {bankPath, singlePath, intactPath};
        answers.other = [&](QWidget* d) {
            choosers << d->objectName();
            // "Load ALL" in the chooser; Cancel in the warning that then asks before sending.
            pressButton(d, choosers.size() == 1 ? "ButtonLoadAll" : "Cancel");
        };
        for (int i = 0; i < 3; ++i) {
            f.menuAction(CM_FILEOPEN)->trigger();
            FrameHarness::settle();
        }
        QCOMPARE(boxes.seen().size(), 2);
        for (const auto& box : boxes.seen()) {
            QCOMPARE(box.text, QStringLiteral("Error!  Invalid File format."));
            QCOMPARE(box.caption, QStringLiteral("Error!!"));
        }
        QCOMPARE(choosers, (QStringList{"DOpenAllDialog", "DOWWarningDialog"}));
        QVERIFY(h.midi.sent.empty());
        QVERIFY(f.StatusLine->StaticOutcome->text() != outcome);
        QCOMPARE(
            wholeOutcome(f),
            QStringLiteral("corrupt.pod: the byte at offset 77 is 0x10, more than a nibble (0x0F) holds"));
    }

    // Every refused file keeps its message box as it was; the status line names the file and
    // says why, and nothing goes to the device.
    void aRefusedFileIsNamedWithItsReason() {
        FrameHarness h;
        DFrame& f = h.startConnected();
        h.answerWithSingleDump();
        FrameHarness::settle();
        h.midi.clearLog();
        Bytes shortBank = bank(0x7F), shortPatch = singlePatch(record("Lead", 3), 0);
        shortBank.resize(100);
        shortPatch.resize(150);
        const std::string words = "Amp: Brit Hi Gain, Drive 7, then the delay a bit longer for the solo";
        const Bytes notes(words.begin(), words.end());
        QDir(h.dir.path()).mkdir(QStringLiteral("folder.pod"));
        const struct {
            int command;
            const char* file;
            std::optional<Bytes> bytes; // none: the file is not there
            const char* box;
            const char* caption;
            const char* status;
        } cases[] = {
            {CM_FILEOPEN, "bank1.syx", shortBank, "Error reading from file!", "Error!!",
             "bank1.syx: 100 bytes; a bank has 5121"},
            {CM_FILEOPEN, "cut.pod", shortPatch, "Error reading from file!", "Error!!",
             "cut.pod: 150 bytes; a patch has 151"},
            {CM_FILEOPEN, "notes.txt", notes, "Error reading from file!", "Error!!",
             "notes.txt: not a patch or bank file"},
            {CM_FILEOPEN, "empty.pod", Bytes{}, "Error reading from file!", "Error!!",
             "empty.pod: the file is empty"},
            {CM_FILEIMPORT, "empty.lib", Bytes{}, "Error reading from file!", "Error!!",
             "empty.lib: the file is empty"},
            {CM_FILEIMPORT, "notes.txt", notes, "Not a valid patch file.", "Error!",
             "notes.txt: not a SoundDiver, Line 6 Edit or GuitarPort file"},
            // The file dialog itself refuses a file that is not there: handed on without it.
            {0, "gone.l6t", std::nullopt, "Error: Couldn't open file.", "Error!!",
             "gone.l6t: cannot be read: No such file or directory"},
        };
        for (const auto& c : cases) {
            const QString path = h.dir.filePath(QString::fromLatin1(c.file));
            if (c.bytes)
                writeFileBytes(path, *c.bytes);
            MessageBoxWatcher boxes;
            Answers answers;
            answers.paths = {path};
            testsupport::StderrCapture trace;
            if (c.command)
                f.menuAction(c.command)->trigger();
            else
                f.importFile(path);
            FrameHarness::settle();
            QCOMPARE(boxes.seen().size(), 1);
            QCOMPARE(boxes.seen()[0].text, QString::fromLatin1(c.box));
            QCOMPARE(boxes.seen()[0].caption, QString::fromLatin1(c.caption));
            QCOMPARE(wholeOutcome(f), QString::fromLatin1(c.status));
            QVERIFY2(trace.has(std::string("amplix32: ") + c.status + "\n"), trace.text().c_str());
        }
        QVERIFY(h.midi.sent.empty());

        // An entry chosen that its importer cannot convert: the importer's message after the name.
        const QString library =
            writeFileBytes(h.dir.filePath("c.lib"),
                           soundDiver({{"Clean", soundDiverTail(1)}, {"Bad", soundDiverTail(4, 0x38)}}));
        MessageBoxWatcher boxes;
        DialogWatcher chooser([](QWidget* d) {
            d->findChild<QListWidget*>(QStringLiteral("PatchSelect"))->setCurrentRow(1);
            pressButton(d, "OK");
        });
        f.importFile(library);
        FrameHarness::settle();
        QCOMPARE(chooser.count(), 1);
        QCOMPARE(boxes.seen().size(), 1);
        QCOMPARE(boxes.seen()[0].text, QStringLiteral("Error, invalid patch data."));
        QCOMPARE(wholeOutcome(f), QStringLiteral("c.lib: Error, invalid patch data."));
        QVERIFY(h.midi.sent.empty());
    }

    void aFailedSaveLeavesTheOldFileAsItWas() {
        FrameHarness h;
        DFrame& f = h.startConnected();
        h.answerWithSingleDump();
        const QString path = h.dir.filePath("keep.pod");
        const Bytes old(151, 0x33);
        writeFileBytes(path, old);

        // A disk that fills up: no file may grow past 64 bytes.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit before{};
        getrlimit(RLIMIT_FSIZE, &before);
        rlimit tight = before;
        tight.rlim_cur = 64;
        setrlimit(RLIMIT_FSIZE, &tight);
        MessageBoxWatcher boxes;
        Answers answers;
        answers.paths = {path};
        f.CmFileSave_();
        h.midi.deliver(singlePatch(PatchRecord{}, 0));
        // The dialog first asks whether to replace the file; the watcher says yes.
        QTRY_COMPARE_WITH_TIMEOUT(boxes.seen().size(), 2, 3000);
        setrlimit(RLIMIT_FSIZE, &before);
        QCOMPARE(boxes.seen()[1].text, QStringLiteral("Error writing to file!"));
        QCOMPARE(boxes.seen()[1].caption, QStringLiteral("Error!!"));
        QCOMPARE(readFileBytes(path), old);
        QCOMPARE(wholeOutcome(f), QStringLiteral("keep.pod: cannot be written: File too large"));

        // A file that cannot be created at all fails the same way, and nothing is written.
        const QString nowhere = h.dir.filePath("no such folder/x.pod");
        QVERIFY(!saveWholeFile(nowhere, old.data(), qint64(old.size())));
        QVERIFY(!QFile::exists(nowhere));
    }
};

QTEST_MAIN(FilesTest)
#include "files_qtest.moc"
