// The Library window as a user drives it, against the simulator (and the test double where the
// device must misbehave): opening, reading, drags, F2, undo, listening, comparing, sending with
// its read-back, files, and the question on closing.
#include "app/CommandIds.h"
#include "app/DFrame.h"
#include "import/GuitarPort.h"
#include "import/PatchSource.h"
#include "midi/SimulatorMidiService.h"
#include "patch/DLibraryWindow.h"
#include "patch/FilePatchModel.h"
#include "patch/LibraryRig.h"
#include "patch/LibraryTableModel.h"
#include "patch/PatchText.h"
#include "support/FrameHarness.h"
#include "tests/support/TestPatchFiles.h"
#include "tone/ToneMap.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTableView>
#include <QTreeWidget>
#include <functional>

using namespace amplix;
using testsupport::DialogWatcher;
using testsupport::FileDialogAnswers;
using testsupport::FrameHarness;
using testsupport::MessageBoxWatcher;
using testsupport::pressButton;
using testsupport::writeFileBytes;

using namespace librarytest;

namespace {

QStringList headers(QTreeWidget* list) {
    QStringList out;
    for (int column = 0; column < list->columnCount(); ++column)
        out << list->headerItem()->text(column);
    return out;
}

// The whole window, its frame included, lies in the screen's free area.
bool insideScreen(QWidget* window) {
    const QRect area = window->screen()->availableGeometry();
    if (area.contains(window->frameGeometry()))
        return true;
    qWarning() << "frame" << window->frameGeometry() << "outside" << area;
    return false;
}

} // namespace

class LibraryWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        // The window's size and columns go to the user's settings; the tests keep theirs apart.
        qputenv("XDG_CONFIG_HOME", config_.path().toLocal8Bit());
        QSettings().clear();
    }

    void patchMenuOpensOneNonModalWindowThatRemembersItsSize() {
        {
            Rig rig;
            // Its place in the Patch menu is the menu test's; here its key opens it.
            QCOMPARE(rig.frame->menuAction(CM_LIBRARY)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_L));

            rig.w->close();
            QVERIFY(!rig.w->isVisible());
            rig.frame->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(rig.frame.get()));
            QTest::keySequence(rig.frame.get(), QKeySequence(Qt::CTRL | Qt::Key_L));
            QVERIFY(rig.w->isVisible());
            QCOMPARE(rig.w, rig.frame->LibraryWindow); // the same window again
            QCOMPARE(rig.w->windowTitle(), QStringLiteral("Amplix 32 Library"));
            QVERIFY(rig.w->isWindow());
            QVERIFY(!rig.w->isModal());
            QCOMPARE(rig.cell(0, LibraryTableModel::LocationColumn), QStringLiteral("1A"));
            QCOMPARE(rig.cell(35, LibraryTableModel::LocationColumn), QStringLiteral("9D"));
            QCOMPARE(rig.w->StaticOrigin->text(),
                     QStringLiteral("Nothing read yet: Read from POD, or open a bank file"));
            // Before a read nothing but the locations is known, and nothing is compared.
            for (const int row : {0, 17, 35})
                for (const int column : {LibraryTableModel::NameColumn, LibraryTableModel::AmpModelColumn,
                                         LibraryTableModel::EffectColumn, LibraryTableModel::ChangedColumn})
                    QCOMPARE(rig.cell(row, column), QString());
            QCOMPARE(headers(rig.w->CompareList), (QStringList{"Setting", "", ""}));
            QCOMPARE(rig.w->CompareList->topLevelItemCount(), 0);
            QVERIFY(insideScreen(rig.w));

            rig.w->resize(1010, 640);
            rig.w->DeviceTable->setColumnWidth(LibraryTableModel::NameColumn, 222);
            rig.w->FileTable->setColumnWidth(FilePatchModel::NameColumn, 77);
            rig.w->close();
        }
        {
            // Wider than the screen (the offscreen one is 800 wide): as wide as it, frame included.
            Rig again;
            QVERIFY(QTest::qWaitForWindowExposed(again.w));
            const QRect area = again.w->screen()->availableGeometry();
            QVERIFY2(area.width() < 1010 && area.height() > 700, "the test's screen is not what it was");
            QCOMPARE(again.w->frameGeometry().width(), area.width());
            QCOMPARE(again.w->height(), 640);
            QVERIFY(insideScreen(again.w));
            QCOMPARE(again.w->DeviceTable->columnWidth(LibraryTableModel::NameColumn), 222);
            QCOMPARE(again.w->FileTable->columnWidth(FilePatchModel::NameColumn), 77);
            again.w->resize(720, 500);
            again.w->move(area.right() - 300, area.top() + 50); // the user drags it half off
            again.w->close();
            // Shown again: the size fits, so it stays; the frame comes back onto the screen.
            again.frame->CmLibrary();
            QCOMPARE(again.w->size(), QSize(720, 500));
            QVERIFY(insideScreen(again.w));
            again.w->close();
        }
        Rig third;
        QCOMPARE(third.w->size(), QSize(720, 500));
        QVERIFY(insideScreen(third.w));
    }

    // At the cable's speed the bank takes 1.6 s: the bar counts it, the panes wait meanwhile.
    void aReadAtCableSpeedShowsItsProgress() {
        Rig rig(SimulatorMidiService::Pacing::WireSpeed);
        rig.w->ButtonReadFromPod->click();
        QVERIFY(rig.w->busy());
        QCOMPARE(rig.w->StaticMessage->text(), QStringLiteral("Reading the bank from the POD"));
        QVERIFY(!rig.w->ButtonReadFromPod->isEnabled());
        QVERIFY(!rig.w->DeviceTable->isEnabled());
        QTRY_VERIFY(rig.w->Progress->isVisible() && rig.w->Progress->value() > 0);
        QCOMPARE(rig.w->Progress->maximum(), int(kBankDumpSize));
        // The bar holds its longest text whole, with room to spare on both sides.
        QVERIFY(rig.w->Progress->text().endsWith(QStringLiteral(" of 5121 bytes")));
        const QFontMetrics metrics = rig.w->Progress->fontMetrics();
        QVERIFY(rig.w->Progress->width() >= metrics.horizontalAdvance(QStringLiteral("5121 of 5121 bytes")) +
                                                2 * metrics.averageCharWidth());
        QTRY_VERIFY_WITH_TIMEOUT(!rig.w->busy(), 10000);
        QVERIFY(!rig.w->Progress->isVisible());
        QCOMPARE(rig.w->StaticMessage->text(), QStringLiteral("Bank read"));
        QVERIFY(rig.w->DeviceTable->isEnabled());
        QCOMPARE(rig.w->library().record(35), rig.device(35));
    }

    // Read, swap by a drag, copy by a Ctrl+drag, rename with F2, a patch from a file dropped in,
    // undo and redo by their keys; then only what changed is stored and confirmed.
    void arrangedPatchesAreSentAndConfirmed() {
        Rig rig;
        rig.read();
        for (std::size_t n = 0; n < kPatchLocations; ++n)
            QCOMPARE(rig.w->library().record(n), rig.device(n));
        QVERIFY(rig.w->StaticOrigin->text().startsWith(QStringLiteral("Read from the POD at ")));
        QVERIFY(rig.changedRows().isEmpty());
        QVERIFY(!rig.w->ButtonSendChanges->isEnabled());
        std::array<PatchRecord, kPatchLocations> before{};
        for (std::size_t n = 0; n < kPatchLocations; ++n)
            before[n] = rig.device(n);

        dropOnRow(rig.w->DeviceTable, 5, dragRow(rig.w->DeviceTable, 0));                       // 1A onto 2B
        dropOnRow(rig.w->DeviceTable, 12, dragRow(rig.w->DeviceTable, 8), Qt::ControlModifier); // 3A onto 4A
        QCOMPARE(rig.w->library().record(0), before[5]);
        QCOMPARE(rig.w->library().record(5), before[0]);
        QCOMPARE(rig.w->library().record(12), before[8]);
        QCOMPARE(rig.w->library().record(8), before[8]);

        rig.w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(rig.w));
        rig.select({1});
        QTest::keySequence(rig.w, QKeySequence(Qt::Key_F2));
        auto* editor = rig.w->DeviceTable->findChild<QLineEdit*>();
        QVERIFY(editor);
        QCOMPARE(editor->maxLength(), 16);
        editor->selectAll();
        QTest::keyClicks(editor, QStringLiteral("Crunch for the chorus")); // cut at 16
        QTest::keyClick(editor, Qt::Key_Return);
        FrameHarness::settle(); // the view takes the name once the key has been handled
        QCOMPARE(rig.cell(1, LibraryTableModel::NameColumn), QStringLiteral("Crunch for the c"));

        const PatchRecord fromFile = patchfiles::record("From a file", 31);
        rig.w->openPatchFile(
            writeFileBytes(rig.scratch.dir.filePath("one.pod"), patchfiles::singlePatch(fromFile, 1)));
        QCOMPARE(rig.w->StaticFile->text(), QStringLiteral("one.pod: 1 patch"));
        QCOMPARE(rig.w->FileTable->model()->index(0, 0).data().toString(), QStringLiteral("From a file"));
        dropOnRow(rig.w->DeviceTable, 35, dragRow(rig.w->FileTable, 0));
        QCOMPARE(rig.w->library().record(35), fromFile);
        QCOMPARE(rig.changedRows(), (QStringList{"1A", "1B", "2B", "4A", "9D"}));
        QCOMPARE(rig.w->ButtonUndo->toolTip(), QStringLiteral("Undo Put a patch into 9D"));

        QTest::keySequence(rig.w, QKeySequence(Qt::CTRL | Qt::Key_Z));
        QCOMPARE(rig.w->library().record(35), before[35]);
        QCOMPARE(rig.w->ButtonRedo->toolTip(), QStringLiteral("Redo Put a patch into 9D"));
        QTest::keySequence(rig.w, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
        QCOMPARE(rig.w->library().record(35), fromFile);

        rig.w->ButtonSendChanges->click();
        QTRY_VERIFY(!rig.w->busy());
        QCOMPARE(rig.w->StaticMessage->text(), QStringLiteral("Sent and confirmed: 1A, 1B, 2B, 4A, 9D"));
        QVERIFY(rig.changedRows().isEmpty());
        for (std::size_t n = 0; n < kPatchLocations; ++n)
            QCOMPARE(rig.device(n), rig.w->library().record(n));
        for (const std::size_t n : {2, 3, 4, 6, 8, 34})
            QCOMPARE(rig.device(n), before[n]);
        QVERIFY(rig.w->StaticOrigin->text().contains(QStringLiteral(", sent at ")));
    }

    // Enter on a row as read: the program change; on a changed row or one from a file: the patch as
    // the edit buffer. The panel shows what is heard either way.
    void enterPlaysTheRowAndThePanelFollows() {
        Rig rig;
        rig.read();
        const auto panelAmp = [&rig] { return rig.frame->AmpModel->currentIndex(); };
        rig.w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(rig.w));

        rig.select({4}); // 2A
        rig.w->DeviceTable->setFocus();
        QTest::keyClick(rig.w->DeviceTable, Qt::Key_Return);
        FrameHarness::settle(50);
        rig.midi.withDevice([&](PodDevice& pod) { QCOMPARE(pod.currentProgram(), 5); });
        QTRY_COMPARE(rig.frame->windowTitle(), QString::fromStdString(programTitle(5)));
        QTRY_COMPARE(panelAmp(), recordField("AmpModel", rig.device(4)));

        // Changed: 2A now holds 9D's sound, and it is heard as it stands here.
        dropOnRow(rig.w->DeviceTable, 4, dragRow(rig.w->DeviceTable, 35), Qt::ControlModifier);
        rig.select({4});
        QTest::keyClick(rig.w->DeviceTable, Qt::Key_Return);
        FrameHarness::settle(50);
        rig.midi.withDevice([&](PodDevice& pod) {
            QCOMPARE(pod.currentProgram(), 5); // no patch change
            QCOMPARE(pod.editBuffer(), rig.w->library().record(4));
        });
        QTRY_COMPARE(panelAmp(), recordField("AmpModel", rig.device(35)));

        PatchRecord other = patchfiles::record("Heard from file", 57);
        other[8] = 3; // an amp model of its own
        rig.w->openPatchFile(
            writeFileBytes(rig.scratch.dir.filePath("heard.pod"), patchfiles::singlePatch(other, 1)));
        rig.w->FileTable->setCurrentIndex(rig.w->FileTable->model()->index(0, 0));
        rig.w->FileTable->setFocus();
        QTest::keyClick(rig.w->FileTable, Qt::Key_Return);
        FrameHarness::settle(50);
        rig.midi.withDevice([&](PodDevice& pod) { QCOMPARE(pod.editBuffer(), other); });
        QTRY_COMPARE(panelAmp(), recordField("AmpModel", other));
    }

    void twoRowsOrOneRowAndTheCurrentSoundAreCompared() {
        Rig rig;
        rig.read();
        rig.select({0, 6});
        const PatchRecord a = rig.device(0), b = rig.device(6);
        const QStringList expected = expectedRows(a, b);
        QVERIFY(!expected.isEmpty());
        QCOMPARE(compareRows(rig.w->CompareList), expected);
        const QString aTitle =
            QStringLiteral("1A ") + QString::fromLatin1(dumpName(buildSingleDump(a)).c_str()).trimmed();
        QCOMPARE(rig.w->CompareList->headerItem()->text(1), aTitle);
        QCOMPARE(rig.w->StaticCompare->text(), QStringLiteral("%1 and %2 differ in %3 settings")
                                                   .arg(aTitle, rig.w->CompareList->headerItem()->text(2))
                                                   .arg(expected.size()));

        PatchRecord sound = a;
        sound[8] = std::uint8_t((sound[8] + 1) % 16); // another amp model
        rig.midi.withDevice([&](PodDevice& pod) { pod.setEditBuffer(sound); });
        rig.select({0});
        rig.w->ButtonCompareCurrent->click();
        QTRY_VERIFY(!rig.w->busy());
        QCOMPARE(rig.w->CompareList->headerItem()->text(2), QStringLiteral("Current sound"));
        QCOMPARE(compareRows(rig.w->CompareList), expectedRows(a, sound));

        // Copy current sound here: the device's own edit buffer goes into the selected row.
        rig.select({7});
        rig.w->ButtonCopyCurrent->click();
        QTRY_VERIFY(!rig.w->busy());
        QCOMPARE(rig.w->library().record(7), sound);
        QCOMPARE(rig.changedRows(), QStringList{"2D"});
        QCOMPARE(rig.w->ButtonUndo->toolTip(), QStringLiteral("Undo Put a patch into 2D"));
    }

    // A name is any 8-bit text, "%1" too: the count still lands where the line has it.
    void aNameWithAPlaceholderInItIsComparedAsWritten() {
        Rig rig;
        rig.read();
        QAbstractItemModel* model = rig.w->DeviceTable->model();
        QVERIFY(model->setData(model->index(0, LibraryTableModel::NameColumn), QStringLiteral("Gain%1"),
                               Qt::EditRole));
        rig.select({0, 6});
        const QStringList expected = expectedRows(rig.w->library().record(0), rig.device(6));
        QCOMPARE(rig.w->CompareList->headerItem()->text(1), QStringLiteral("1A Gain%1"));
        QCOMPARE(rig.w->StaticCompare->text(),
                 QStringLiteral("1A Gain%1 and ") + rig.w->CompareList->headerItem()->text(2) +
                     QStringLiteral(" differ in ") + QString::number(expected.size()) +
                     QStringLiteral(" settings"));
    }

    void closingWithUnsentChangesAsksToSendDiscardOrCancel() {
        Rig rig;
        rig.read();
        const PatchRecord first = rig.device(0), second = rig.device(1);
        const auto swapFirstTwo = [&] { dropOnRow(rig.w->DeviceTable, 1, dragRow(rig.w->DeviceTable, 0)); };
        swapFirstTwo();
        MessageBoxWatcher boxes;
        boxes.answerWith(QStringLiteral("Cancel"));
        QVERIFY(!rig.w->close());
        QCOMPARE(boxes.seen().size(), 1);
        QCOMPARE(boxes.seen()[0].caption, QStringLiteral("Amplix 32 Library"));
        QCOMPARE(boxes.seen()[0].text,
                 QStringLiteral("2 changed patches are not on the POD yet. Send the changes "
                                "before closing?"));
        QVERIFY(rig.w->isVisible());
        QCOMPARE(rig.changedRows(), (QStringList{"1A", "1B"}));

        // The editor's own close asks the same and stays open on Cancel.
        QVERIFY(!rig.frame->close());
        QVERIFY(rig.frame->isVisible());
        QCOMPARE(boxes.seen().size(), 2);

        boxes.answerWith(QStringLiteral("Discard"));
        QVERIFY(rig.w->close());
        QVERIFY(rig.changedRows().isEmpty());
        QCOMPARE(rig.w->library().record(0), first);
        QCOMPARE(rig.device(0), first);

        rig.frame->CmLibrary();
        swapFirstTwo();
        boxes.answerWith(QStringLiteral("Send"));
        rig.w->close();
        QTRY_VERIFY(!rig.w->isVisible()); // once the device confirmed
        QCOMPARE(rig.device(0), second);
        QCOMPARE(rig.device(1), first);
    }

    // The exact store messages, then the read-back: a location the device did not take keeps its
    // mark and is named; the one it took loses its mark.
    void aLocationTheDeviceDidNotTakeIsReportedAndStaysMarked() {
        FrameHarness h;
        DFrame& f = h.startPanel(0);
        f.menuAction(CM_LIBRARY)->trigger();
        DLibraryWindow* w = f.LibraryWindow;
        w->ButtonReadFromPod->click();
        const auto device = patchfiles::bankRecords();
        constexpr std::uint8_t byte7 = 0x05;
        h.midi.deliver(patchfiles::bank(byte7, device));
        FrameHarness::settle();
        QVERIFY(!w->busy());
        h.midi.clearLog();

        dropOnRow(w->DeviceTable, 5, dragRow(w->DeviceTable, 0));
        w->ButtonSendChanges->click();
        FrameHarness::settle();
        std::vector<Bytes> expected;
        for (const std::size_t location : {0, 5}) {
            Bytes store(kStoreMessageSize);
            const auto dump = buildSingleDump(w->library().record(location), byte7);
            std::copy(dump.begin(), dump.end(), store.begin());
            makeStoreMessage(store, int(location));
            expected.push_back(store);
        }
        // Storing selects the location on the device: the panel reads it, then the bank is read back.
        expected.push_back(Bytes(kEditBufferRequest.begin(), kEditBufferRequest.end()));
        QCOMPARE(h.midi.sentSysex(), expected);
        QVERIFY(w->busy());
        const auto selected = buildSingleDump(w->library().record(5), byte7); // 2B, as stored
        h.midi.deliver(Bytes(selected.begin(), selected.end()));
        FrameHarness::settle();
        QCOMPARE(f.windowTitle(), QStringLiteral("Amplix 32 - Patch 2B"));
        expected.push_back(Bytes(kBankRequest.begin(), kBankRequest.end()));
        QCOMPARE(h.midi.sentSysex(), expected);

        auto readBack = device;
        readBack[0] = device[5]; // 1A was taken, 2B was not
        MessageBoxWatcher boxes;
        h.midi.deliver(patchfiles::bank(byte7, readBack));
        FrameHarness::settle();
        QTRY_COMPARE(boxes.seen().size(), 1);
        QCOMPARE(boxes.seen()[0].caption, QStringLiteral("Library"));
        QCOMPARE(
            boxes.seen()[0].text,
            QStringLiteral("The POD does not hold what was sent to 2B. These stay marked; send them again."));
        QCOMPARE(w->StaticMessage->text(), QStringLiteral("Not confirmed: 2B"));
        QVERIFY(!w->library().changed(0));
        QVERIFY(w->library().changed(5));
        w->hide();
    }

    // Send all asks first and is confirmed by its read-back; the files written are the editor's
    // own; a patch stored from the main window is known to be on the device.
    void sendAllSaveExportAndTheMainWindowsStore() {
        Rig rig;
        const PatchRecord mine = patchfiles::record("Mine", 77);
        auto records = patchfiles::bankRecords();
        records[3] = mine;
        QVERIFY(rig.w->openBankFile(
            writeFileBytes(rig.scratch.dir.filePath("set.syx"), patchfiles::bank(0x01, records))));
        {
            int warnings = 0;
            QString answer = QStringLiteral("Cancel");
            DialogWatcher dialogs([&](QWidget* d) {
                if (d->windowTitle() != QStringLiteral("Overwrite POD patches!"))
                    return static_cast<QDialog*>(d)->reject();
                ++warnings;
                pressButton(d, answer.toLatin1().constData());
            });
            rig.w->ButtonSendAll->click();
            QCOMPARE(warnings, 1);
            QVERIFY(!rig.w->busy());
            QVERIFY(rig.device(3) != mine);
            answer = QStringLiteral("OK");
            rig.w->ButtonSendAll->click();
            QTRY_VERIFY(!rig.w->busy());
            QCOMPARE(warnings, 2);
            QCOMPARE(rig.w->StaticMessage->text(), QStringLiteral("Sent and confirmed: the whole bank"));
            for (std::size_t n = 0; n < kPatchLocations; ++n)
                QCOMPARE(rig.device(n), records[n]);
        }

        // Written as Save All and Save write them, with the bank's byte 7.
        rig.select({3});
        FileDialogAnswers answers;
        answers.paths = {rig.scratch.dir.filePath("out"), rig.scratch.dir.filePath("mine")};
        rig.w->ButtonSaveBank->click();
        rig.w->ButtonExportPatch->click();
        QCOMPARE(testsupport::readFileBytes(rig.scratch.dir.filePath("out.syx")),
                 patchfiles::bank(0x01, records));
        QCOMPARE(testsupport::readFileBytes(rig.scratch.dir.filePath("mine.pod")),
                 patchfiles::singlePatch(mine, 1));

        // Stored from the main window: the device holds the panel's sound in 1D now, and the
        // library, which had not changed 1D since it was sent, shows it.
        PatchRecord panel = patchfiles::record("Panel", 12);
        rig.midi.withDevice([&](PodDevice& pod) { pod.setEditBuffer(panel); });
        answers.other = [](QWidget* d) {
            auto* location = d->findChild<QComboBox*>(QStringLiteral("PatchLocationName"));
            location->setCurrentIndex(3);
            pressButton(d, "OK");
        };
        rig.frame->WmSaveToPod();
        QTRY_VERIFY(rig.device(3) == panel);
        QVERIFY(rig.changedRows().isEmpty());
        QCOMPARE(rig.w->library().record(3), panel);
    }

    // A bank file fills the device pane without a device; its rows are heard as the edit buffer.
    // A single patch is no bank. A GuitarPort patch asks its question once for the file.
    void filesFillBothPanes() {
        Rig rig;
        auto records = patchfiles::bankRecords();
        const QString bankPath =
            writeFileBytes(rig.scratch.dir.filePath("Live set.syx"), patchfiles::bank(0x01, records));
        {
            FileDialogAnswers answers;
            answers.paths = {bankPath};
            rig.w->ButtonOpenBank->click();
        }
        QVERIFY(rig.w->StaticOrigin->text().startsWith(QStringLiteral("From Live set.syx, opened at ")));
        for (std::size_t n = 0; n < kPatchLocations; ++n)
            QCOMPARE(rig.w->library().record(n), records[n]);
        const int programBefore = [&] {
            int p = 0;
            rig.midi.withDevice([&](PodDevice& pod) { p = pod.currentProgram(); });
            return p;
        }();
        rig.select({2});
        rig.w->ButtonListen->click();
        FrameHarness::settle(50);
        rig.midi.withDevice([&](PodDevice& pod) {
            QCOMPARE(pod.editBuffer(), records[2]); // not the device's own 1C
            QCOMPARE(pod.currentProgram(), programBefore);
        });

        // A single patch through Open bank... goes to the file pane; the device pane, with a
        // change not on the device, is left as it is and nothing asks to give the change up.
        MessageBoxWatcher boxes;
        dropOnRow(rig.w->DeviceTable, 1, dragRow(rig.w->DeviceTable, 0), Qt::ControlModifier);
        const QString origin = rig.w->StaticOrigin->text();
        const PatchRecord single = patchfiles::record("Only One", 44);
        {
            FileDialogAnswers answers;
            answers.paths = {
                writeFileBytes(rig.scratch.dir.filePath("one.pod"), patchfiles::singlePatch(single, 1))};
            rig.w->ButtonOpenBank->click();
        }
        QCOMPARE(boxes.seen().size(), 0);
        QCOMPARE(rig.w->StaticMessage->text(),
                 QStringLiteral("one.pod holds a single patch, not a bank: it is in the file pane, to drag "
                                "onto a location"));
        QCOMPARE(rig.w->StaticFile->text(), QStringLiteral("one.pod: 1 patch"));
        auto* filePane = static_cast<FilePatchModel*>(rig.w->FileTable->model());
        QCOMPARE(*filePane->record(0), single);
        QCOMPARE(rig.w->StaticOrigin->text(), origin);
        QCOMPARE(rig.w->library().record(1), records[0]);
        QCOMPARE(rig.changedRows(), QStringList{"1B"});
        rig.w->ButtonUndo->click();
        QVERIFY(!rig.w->openPatchFile(writeFileBytes(rig.scratch.dir.filePath("junk.lib"), Bytes(40, 0x11))));
        QCOMPARE(boxes.seen().size(), 1);
        QCOMPARE(boxes.seen()[0].text, QStringLiteral("Not a valid patch file."));
        QCOMPARE(*filePane->record(0), single); // the pane keeps what it held

        // A bank with a status byte inside is no bank for either pane; the panes keep what they held.
        Bytes corrupt = patchfiles::bank(0x01);
        corrupt[301] = 0x55;
        corrupt[302] = 0x99;
        const QString corruptPath = writeFileBytes(rig.scratch.dir.filePath("corrupt.syx"), corrupt);
        const QString fileShown = rig.w->StaticFile->text();
        {
            FileDialogAnswers answers;
            answers.paths = {corruptPath, corruptPath};
            rig.w->ButtonOpenBank->click();
            rig.w->ButtonOpenFile->click();
        }
        QCOMPARE(boxes.seen().size(), 3);
        for (int i : {1, 2}) {
            QCOMPARE(boxes.seen()[i].text, QStringLiteral("Error!  Invalid File format."));
            QCOMPARE(boxes.seen()[i].caption, QStringLiteral("Error!!"));
        }
        QVERIFY(rig.w->StaticOrigin->text().startsWith(QStringLiteral("From Live set.syx, opened at ")));
        for (std::size_t n = 0; n < kPatchLocations; ++n)
            QCOMPARE(rig.w->library().record(n), records[n]);
        QCOMPARE(rig.w->StaticFile->text(), fileShown);

        const QString gpt =
            writeFileBytes(rig.scratch.dir.filePath("Blues.gpt"), patchfiles::guitarPort(true, true));
        DialogWatcher questions([](QWidget* d) {
            pressButton(d, "SelectComp");
            pressButton(d, "OK");
        });
        QVERIFY(rig.w->openPatchFile(gpt));
        QCOMPARE(questions.count(), 1);
        const Bytes bytes = testsupport::readFileBytes(gpt);
        const PatchSource source = openAnyPatchFile(bytes, gpt.toLatin1().toStdString());
        const ImportResult converted = sourceDump(source, 0, kLoadCompressor);
        QVERIFY(converted.ok());
        auto* files = static_cast<FilePatchModel*>(rig.w->FileTable->model());
        QCOMPARE(files->patches().size(), std::size_t(1));
        QCOMPARE(*files->record(0), readRecord(*converted.dump, kDumpDataOffset));
        QCOMPARE(questions.count(), 1); // listing asked nothing more
    }

private:
    QTemporaryDir config_;
};

QTEST_MAIN(LibraryWindowTest)
#include "library_window_qtest.moc"
