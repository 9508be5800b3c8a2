// The Library window arranged from the keyboard, its comparison named and emptied as the rows
// change, and the editor's quit that waits for the window's changes to be confirmed.
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

} // namespace

class LibraryArrangeTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        qputenv("XDG_CONFIG_HOME", config_.path().toLocal8Bit());
        QSettings().clear();
    }

    // Ctrl+C or Ctrl+X on a row, Ctrl+V on another: the copy and the swap a drag makes, one undo
    // step each; the messages say what is held and what was done.
    void keysCopyAndSwapRowsAsDragsDo() {
        Rig rig;
        rig.read();
        std::array<PatchRecord, kPatchLocations> before{};
        for (std::size_t n = 0; n < kPatchLocations; ++n)
            before[n] = rig.device(n);
        rig.w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(rig.w));
        rig.w->DeviceTable->setFocus();
        const auto keys = [&rig](QKeyCombination k) { QTest::keySequence(rig.w, QKeySequence(k)); };
        const auto shown = [&rig] { return rig.w->StaticMessage->text(); };

        keys(Qt::CTRL | Qt::Key_V);
        QCOMPARE(shown(), QStringLiteral("Nothing to paste: Ctrl+C or Ctrl+X a row first"));
        rig.select({0});
        keys(Qt::CTRL | Qt::Key_C);
        QCOMPARE(shown(), QStringLiteral("1A copied: select another row and press Ctrl+V to copy it there"));
        keys(Qt::CTRL | Qt::Key_V); // onto itself
        QCOMPARE(shown(), QStringLiteral("Select one row to paste onto"));
        rig.select({10, 11});
        keys(Qt::CTRL | Qt::Key_V);
        QCOMPARE(shown(), QStringLiteral("Select one row to paste onto"));
        QVERIFY(rig.changedRows().isEmpty());
        rig.select({10});
        keys(Qt::CTRL | Qt::Key_V);
        QCOMPARE(shown(), QStringLiteral("Copy 1A to 3C"));
        QCOMPARE(rig.w->library().record(10), before[0]);
        QCOMPARE(rig.w->ButtonUndo->toolTip(), QStringLiteral("Undo Copy 1A to 3C"));
        rig.select({12}); // held still: a copy goes on being pasted
        keys(Qt::CTRL | Qt::Key_V);
        QCOMPARE(rig.w->library().record(12), before[0]);
        QCOMPARE(rig.changedRows(), (QStringList{"3C", "4A"}));

        rig.select({4});
        keys(Qt::CTRL | Qt::Key_X);
        QCOMPARE(shown(), QStringLiteral("2A cut: select another row and press Ctrl+V to swap the two"));
        rig.select({13});
        keys(Qt::CTRL | Qt::Key_V);
        QCOMPARE(shown(), QStringLiteral("Swap 2A and 4B"));
        QCOMPARE(rig.w->library().record(4), before[13]);
        QCOMPARE(rig.w->library().record(13), before[4]);
        rig.select({20});
        keys(Qt::CTRL | Qt::Key_V); // a cut is pasted once
        QCOMPARE(shown(), QStringLiteral("Nothing to paste: Ctrl+C or Ctrl+X a row first"));
        QCOMPARE(rig.w->library().record(20), before[20]);

        // One undo takes back the whole swap, the next the second copy; redo the same.
        keys(Qt::CTRL | Qt::Key_Z);
        QCOMPARE(rig.w->library().record(4), before[4]);
        QCOMPARE(rig.w->library().record(13), before[13]);
        QCOMPARE(rig.changedRows(), (QStringList{"3C", "4A"}));
        keys(Qt::CTRL | Qt::Key_Z);
        QCOMPARE(rig.changedRows(), QStringList{"3C"});
        keys(Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
        keys(Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
        QCOMPARE(rig.changedRows(), (QStringList{"2A", "3C", "4A", "4B"}));

        // A row held and changed before the paste is not taken for what it was.
        rig.select({35});
        keys(Qt::CTRL | Qt::Key_C);
        dropOnRow(rig.w->DeviceTable, 35, dragRow(rig.w->DeviceTable, 1), Qt::ControlModifier);
        rig.select({30});
        keys(Qt::CTRL | Qt::Key_V);
        QCOMPARE(shown(), QStringLiteral("9D changed since it was copied: copy it again"));
        QCOMPARE(rig.w->library().record(30), before[30]);

        // From the file pane a patch is copied in; it cannot be cut.
        const PatchRecord fromFile = patchfiles::record("Keyed In", 66);
        QVERIFY(rig.w->openPatchFile(
            writeFileBytes(rig.scratch.dir.filePath("keyed.pod"), patchfiles::singlePatch(fromFile, 1))));
        rig.w->FileTable->setCurrentIndex(rig.w->FileTable->model()->index(0, 0));
        rig.w->FileTable->setFocus();
        keys(Qt::CTRL | Qt::Key_X); // nothing held, nothing said
        QCOMPARE(shown(), QStringLiteral("Drag a patch from the file onto a location to copy it there"));
        keys(Qt::CTRL | Qt::Key_C);
        QCOMPARE(
            shown(),
            QStringLiteral("Keyed In copied from the file: select a row and press Ctrl+V to put it there"));
        rig.w->DeviceTable->setFocus();
        rig.select({31});
        keys(Qt::CTRL | Qt::Key_V);
        QCOMPARE(shown(), QStringLiteral("Put a patch into 8D"));
        QCOMPARE(rig.w->library().record(31), fromFile);
    }

    // The compare list names the two patches it compares, and empties when they change.
    void theComparisonNamesItsPatchesAndEmptiesWhenTheyChange() {
        Rig rig;
        rig.read();
        const auto title = [&rig](int row) {
            return rig.cell(row, LibraryTableModel::LocationColumn) + " " +
                   rig.cell(row, LibraryTableModel::NameColumn).trimmed();
        };
        const QString prompt =
            QStringLiteral("Select two patches to compare them, or one to compare with the current sound");
        const auto compared = [&rig] { return rig.w->CompareList->topLevelItemCount() > 0; };
        const auto compare = [&](int a, int b) {
            rig.select({a, b});
            QCOMPARE(headers(rig.w->CompareList), (QStringList{"Setting", title(a), title(b)}));
            QVERIFY(compared());
        };
        const auto emptied = [&] {
            return !compared() && headers(rig.w->CompareList) == QStringList{"Setting", "", ""} &&
                   rig.w->StaticCompare->text() == prompt;
        };
        compare(4, 9);
        QCOMPARE(title(4),
                 QString::fromLatin1("2A ") +
                     QString::fromLatin1(dumpName(buildSingleDump(rig.device(4))).c_str()).trimmed());

        // Moved by a drag, by keys, renamed, undone, read again, sent whole: empty each time.
        const std::vector<std::pair<const char*, std::function<void()>>> changes = {
            {"a drag", [&] { dropOnRow(rig.w->DeviceTable, 4, dragRow(rig.w->DeviceTable, 20)); }},
            {"undo", [&] { rig.w->ButtonUndo->click(); }},
            {"rename",
             [&] {
                 QVERIFY(rig.w->DeviceTable->model()->setData(
                     rig.w->DeviceTable->model()->index(9, LibraryTableModel::NameColumn),
                     QStringLiteral("Other")));
             }},
            {"a read",
             [&] {
                 MessageBoxWatcher boxes;
                 boxes.answerWith(QStringLiteral("Discard"));
                 rig.read();
             }},
            {"send all",
             [&] {
                 DialogWatcher ok([](QWidget* d) { pressButton(d, "OK"); });
                 rig.w->ButtonSendAll->click();
                 QTRY_VERIFY(!rig.w->busy());
                 QCOMPARE(rig.w->StaticMessage->text(), QStringLiteral("Sent and confirmed: the whole bank"));
             }},
        };
        for (const auto& [what, change] : changes) {
            compare(4, 9);
            change();
            QVERIFY2(emptied(), what);
        }

        // One row beside a patch of the file: headed with its name and the file's; another file
        // opened takes it away.
        const PatchRecord fromFile = patchfiles::record("Filed", 71);
        QVERIFY(rig.w->openPatchFile(
            writeFileBytes(rig.scratch.dir.filePath("filed.pod"), patchfiles::singlePatch(fromFile, 1))));
        rig.select({4});
        QVERIFY(emptied());
        rig.w->FileTable->selectRow(0);
        QCOMPARE(headers(rig.w->CompareList), (QStringList{"Setting", title(4), "Filed (filed.pod)"}));
        QCOMPARE(compareRows(rig.w->CompareList), expectedRows(rig.w->library().record(4), fromFile));
        rig.select({4, 9}); // two rows: those two
        QCOMPARE(headers(rig.w->CompareList), (QStringList{"Setting", title(4), title(9)}));
        rig.select({4});
        QCOMPARE(headers(rig.w->CompareList).last(), QStringLiteral("Filed (filed.pod)"));
        QVERIFY(rig.w->openPatchFile(
            writeFileBytes(rig.scratch.dir.filePath("other.pod"), patchfiles::singlePatch(fromFile, 1))));
        QVERIFY(emptied());

        // Compared with the current sound, it empties once another sound is heard.
        rig.select({2});
        rig.w->ButtonCompareCurrent->click();
        QCOMPARE(rig.w->StaticMessage->text(), QStringLiteral("Reading the current sound from the POD"));
        QTRY_VERIFY(!rig.w->busy());
        QCOMPARE(rig.w->StaticMessage->text(), QString());
        QCOMPARE(headers(rig.w->CompareList), (QStringList{"Setting", title(2), "Current sound"}));
        rig.w->ButtonListen->click();
        QVERIFY(emptied());
    }

    // The editor's own close, answered Send: it waits for the read-back, then closes by itself.
    void quittingAnsweredSendQuitsOnceTheDeviceConfirms() {
        Rig rig;
        rig.read();
        const PatchRecord first = rig.device(0), second = rig.device(1);
        dropOnRow(rig.w->DeviceTable, 1, dragRow(rig.w->DeviceTable, 0));
        MessageBoxWatcher boxes;
        boxes.answerWith(QStringLiteral("Send"));
        QVERIFY(!rig.frame->close()); // not yet: the device has not confirmed them
        QVERIFY(rig.frame->isVisible());
        QVERIFY(rig.w->busy());
        QTRY_VERIFY(!rig.frame->isVisible());
        QVERIFY(!rig.w->isVisible());
        QCOMPARE(boxes.seen().size(), 1);
        QCOMPARE(
            boxes.seen()[0].text,
            QStringLiteral("2 changed patches are not on the POD yet. Send the changes before closing?"));
        QCOMPARE(rig.device(0), second);
        QCOMPARE(rig.device(1), first);
    }

    // A send or a read-back that fails keeps the editor open, and a box says why; a later close
    // asks again.
    void quittingStaysOpenWhenTheSendIsNotConfirmed() {
        const auto device = patchfiles::bankRecords();
        constexpr std::uint8_t byte7 = 0x05;
        const struct {
            const char* what;
            bool sendFails;
            QString box, message;
        } cases[] = {
            {"the read-back differs", false,
             QStringLiteral(
                 "The POD does not hold what was sent to 1A, 2B. These stay marked; send them again."),
             QStringLiteral("Not confirmed: 1A, 2B")},
            {"the store is not sent", true, QStringLiteral("Failed to send sysex message!"),
             QStringLiteral("Sending stopped at 1A")},
        };
        for (const auto& c : cases) {
            FrameHarness h;
            DFrame& f = h.startPanel(0);
            f.menuAction(CM_LIBRARY)->trigger();
            DLibraryWindow* w = f.LibraryWindow;
            w->ButtonReadFromPod->click();
            h.midi.deliver(patchfiles::bank(byte7, device));
            FrameHarness::settle();
            dropOnRow(w->DeviceTable, 5, dragRow(w->DeviceTable, 0));
            h.midi.sysexSendResult = c.sendFails ? MidiResult::Error : MidiResult::Ok;
            MessageBoxWatcher boxes;
            boxes.answerInTurn({QStringLiteral("Send"), QStringLiteral("OK")});
            QVERIFY2(!f.close(), c.what);
            if (!c.sendFails) {
                const auto stored = buildSingleDump(w->library().record(5), byte7);
                h.midi.deliver(Bytes(stored.begin(), stored.end())); // the panel's read after storing
                FrameHarness::settle();
                h.midi.deliver(patchfiles::bank(byte7, device)); // nothing was taken
            }
            FrameHarness::settle(50);
            QTRY_COMPARE_WITH_TIMEOUT(boxes.seen().size(), 2, 2000);
            QCOMPARE(boxes.seen()[1].text, c.box);
            QCOMPARE(w->StaticMessage->text(), c.message);
            FrameHarness::settle(50);
            QVERIFY2(f.isVisible(), c.what);
            QVERIFY2(w->isVisible(), c.what);
            QCOMPARE(w->library().changedLocations(), (std::vector<std::size_t>{0, 5}));

            h.midi.sysexSendResult = MidiResult::Ok;
            boxes.answerWith(QStringLiteral("Discard"));
            QVERIFY2(f.close(), c.what);
            QCOMPARE(boxes.seen().size(), 3);
        }
    }

private:
    QTemporaryDir config_;
};

QTEST_MAIN(LibraryArrangeTest)
#include "library_arrange_qtest.moc"
