// The Library window beside the main window as a user drives both: a patch stored, a bank sent
// or read from the main window shows in the rows the user left alone, and a row the user changed
// is asked about before it goes over the device's.
#include "app/DStatusLine.h"
#include "patch/DPatchName.h"
#include "patch/LibraryRig.h"
#include "tests/support/TestPatchFiles.h"

#include <QComboBox>
#include <QFile>
#include <QFont>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>

#include <functional>
#include <tuple>

using namespace librarytest;
using testsupport::DialogWatcher;
using testsupport::FileDialogAnswers;
using testsupport::MessageBoxWatcher;
using testsupport::pressButton;
using testsupport::writeFileBytes;

class LibraryConflictTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        // The window's size and columns go to the user's settings; the tests keep theirs apart.
        qputenv("XDG_CONFIG_HOME", config_.path().toLocal8Bit());
        QSettings().clear();
    }

    // The user's own steps: the sound renamed and stored to 3A from the main window shows in the
    // library unmarked, and nothing is sent back over it. A row the user had changed here keeps
    // the user's patch, and sending it over the device's asks first.
    void aPatchStoredFromTheMainWindowIsNeverOverwritten() {
        Rig rig;
        rig.read();
        const auto nameThenStore = [&](const QString& name, int location) {
            DialogWatcher dialogs([&](QWidget* d) {
                if (auto* edit = d->findChild<QLineEdit*>(QStringLiteral("EditNewPatchName"))) {
                    edit->selectAll();
                    QTest::keyClicks(edit, name);
                    pressButton(d, "OK");
                } else if (auto* where = d->findChild<QComboBox*>(QStringLiteral("PatchLocationName"))) {
                    where->setCurrentIndex(location);
                    pressButton(d, "OK");
                }
            });
            rig.frame->PatchWindow->ButtonPatchName->click();
            FrameHarness::settle(20);
            rig.frame->PatchWindow->ButtonSaveToPOD->click();
            QTRY_COMPARE(rig.frame->StatusLine->StaticOutcome->text().left(9), QStringLiteral("Stored to"));
            FrameHarness::settle(20);
        };
        nameThenStore(QStringLiteral("MY NEW SOUND"), 8);
        QCOMPARE(rig.w->library().name(8), std::string("MY NEW SOUND    "));
        QCOMPARE(rig.cell(8, LibraryTableModel::NameColumn).trimmed(), QStringLiteral("MY NEW SOUND"));
        QVERIFY(rig.changedRows().isEmpty());
        QVERIFY(rig.w->mayClose()); // nothing to ask
        QCOMPARE(rig.w->library().record(8), rig.device(8));

        // 2A and 3A swapped here, then 3A stored from the main window: a conflict.
        const PatchRecord brit = rig.device(4), mine = rig.device(8);
        rig.select({4});
        dropOnRow(rig.w->DeviceTable, 8, dragRow(rig.w->DeviceTable, 4));
        QCOMPARE(rig.changedRows(), (QStringList{"2A", "3A"}));
        nameThenStore(QStringLiteral("SECOND"), 8);
        const PatchRecord second = rig.device(8);
        QVERIFY(second != mine);
        QCOMPARE(rig.w->library().record(8), brit); // the user's arrangement stays
        QCOMPARE(rig.changedRows(), (QStringList{"2A", "3A"}));

        // Send changes names it first; Skip keeps the device's 3A and sends 2A alone.
        MessageBoxWatcher boxes;
        boxes.answerWith(QStringLiteral("Skip"));
        rig.w->ButtonSendChanges->click();
        QTRY_VERIFY(!rig.w->busy());
        const QString question = QStringLiteral(
            "3A was stored from the main window after you changed it here. Send yours over it?");
        QCOMPARE(boxes.seen().size(), 1);
        QCOMPARE(boxes.seen()[0].caption, QStringLiteral("Amplix 32 Library"));
        QCOMPARE(boxes.seen()[0].text, question);
        QCOMPARE(rig.device(8), second);
        QCOMPARE(rig.device(4), mine);
        QCOMPARE(rig.changedRows(), QStringList{"3A"});
        QCOMPARE(rig.w->StaticMessage->text(), QStringLiteral("Sent and confirmed: 2A"));

        // Asked again while it stands; Send puts the user's over it.
        boxes.answerWith(QStringLiteral("Send"));
        rig.w->ButtonSendChanges->click();
        QTRY_VERIFY(!rig.w->busy());
        QCOMPARE(boxes.seen().size(), 2);
        QCOMPARE(boxes.seen()[1].text, question);
        QCOMPARE(rig.device(8), brit);
        QVERIFY(rig.changedRows().isEmpty());
    }

    // Send all and the close question name a conflict too; a bank read by the main window's
    // Save All updates the rows the user left alone.
    void sendAllAndClosingAskAboutAConflict() {
        Rig rig;
        rig.read();
        const PatchRecord theirs = patchfiles::record("Theirs", 21), other = patchfiles::record("Other", 22);
        rig.select({0});
        dropOnRow(rig.w->DeviceTable, 1, dragRow(rig.w->DeviceTable, 0), Qt::ControlModifier); // 1A onto 1B
        const PatchRecord mine = rig.w->library().record(1);
        rig.midi.withDevice([&](PodDevice& pod) {
            pod.setPatch(1, theirs); // changed on the device itself
            pod.setPatch(2, other);
        });
        {
            FileDialogAnswers answers;
            answers.paths = {rig.scratch.dir.filePath("all")};
            rig.frame->CmFileSave_All();
            QTRY_VERIFY(QFile::exists(rig.scratch.dir.filePath("all.syx")));
        }
        FrameHarness::settle(20);
        QCOMPARE(rig.w->library().record(2), other); // left alone here: follows the device
        QCOMPARE(rig.w->library().record(1), mine);
        QCOMPARE(rig.changedRows(), QStringList{"1B"});

        const QString question =
            QStringLiteral("1B was changed on the POD after you changed it here. Send yours over it?");
        DialogWatcher dialogs([&](QWidget* d) { pressButton(d, "OK"); }); // the overwrite warning
        MessageBoxWatcher boxes;
        boxes.answerWith(QStringLiteral("Skip"));
        rig.w->ButtonSendAll->click();
        QTRY_VERIFY(!rig.w->busy());
        QCOMPARE(dialogs.count(), 1);
        QCOMPARE(boxes.seen().size(), 1);
        QCOMPARE(boxes.seen()[0].text, question);
        QCOMPARE(rig.device(1), theirs); // skipped: the bank carried the device's own
        QCOMPARE(rig.device(2), other);
        QCOMPARE(rig.changedRows(), QStringList{"1B"});
        QCOMPARE(rig.w->StaticMessage->text().left(20), QStringLiteral("Sent and confirmed: "));

        // Closing: Send, then the conflict's question, answered Send this time.
        boxes.clear();
        boxes.answerWith(QStringLiteral("Send"));
        rig.w->close();
        QTRY_VERIFY(!rig.w->isVisible());
        QCOMPARE(boxes.seen().size(), 2);
        QCOMPARE(boxes.seen()[0].text,
                 QStringLiteral("1 changed patch is not on the POD yet. Send the changes before closing?"));
        QCOMPARE(boxes.seen()[1].text, question);
        QCOMPARE(rig.device(1), mine);
    }

    // A bank sent with File > Open's Load ALL: the rows left alone show it, a changed row is a
    // conflict named by how the device came to hold it.
    void loadAllFromTheMainWindowUpdatesTheRowsLeftAlone() {
        Rig rig;
        rig.read();
        rig.select({4});
        rig.w->ButtonRename->click(); // F2 in place, as a user renames
        auto* editor = rig.w->DeviceTable->findChild<QLineEdit*>();
        QVERIFY(editor);
        editor->setText(QStringLiteral("Mine"));
        QTest::keyClick(editor, Qt::Key_Return);
        FrameHarness::settle();
        QCOMPARE(rig.changedRows(), QStringList{"2A"});
        auto records = patchfiles::bankRecords();
        QVERIFY(records[0] != rig.device(0) && records[4] != rig.w->library().record(4));
        const QString path =
            writeFileBytes(rig.scratch.dir.filePath("set.syx"), patchfiles::bank(0x01, records));
        {
            FileDialogAnswers answers;
            answers.paths = {path};
            answers.other = [](QWidget* d) {
                pressButton(
                    d, d->windowTitle() == QStringLiteral("Overwrite POD patches!") ? "OK" : "ButtonLoadAll");
            };
            rig.frame->CmFileOpen_();
        }
        QTRY_VERIFY(rig.device(0) == records[0]);
        FrameHarness::settle(50);
        for (const std::size_t n : {0u, 5u, 35u})
            QCOMPARE(rig.w->library().record(n), records[n]);
        QCOMPARE(rig.w->library().name(4), std::string("Mine            "));
        QCOMPARE(rig.changedRows(), QStringList{"2A"});
        QCOMPARE(rig.w->library().conflict(4), PatchLibrary::DeviceChange::BankSent);

        // Closing with Send, the only change skipped: the device's 2A stays, the window closes.
        MessageBoxWatcher boxes;
        boxes.answerInTurn({QStringLiteral("Send"), QStringLiteral("Skip")});
        rig.w->close();
        QTRY_VERIFY(!rig.w->isVisible());
        QCOMPARE(boxes.seen().size(), 2);
        QCOMPARE(boxes.seen()[1].text, QStringLiteral("2A was sent to the POD in a bank from the main window "
                                                      "after you changed it here. Send yours over it?"));
        QCOMPARE(rig.device(4), records[4]);
        QCOMPARE(rig.w->library().record(4), records[4]);
    }

    // The row of the location the device is at: chosen from the Patch menu or on the device,
    // stored to, sent a bank, stored from the library, listened to; none in Manual Mode.
    void theRowTheDeviceIsAtIsMarked() {
        Rig rig;
        const auto marked = [&rig] {
            QStringList rows;
            for (int row = 0; row < 36; ++row)
                if (rig.w->DeviceTable->model()
                        ->index(row, LibraryTableModel::NameColumn)
                        .data(Qt::FontRole)
                        .value<QFont>()
                        .bold())
                    rows << rig.cell(row, LibraryTableModel::LocationColumn);
            return rows;
        };
        QCOMPARE(marked(), QStringList{}); // not known yet
        rig.read();
        QCOMPARE(marked(), QStringList{});
        const auto store = [&rig](int location) {
            FileDialogAnswers answers;
            answers.other = [location](QWidget* d) {
                d->findChild<QComboBox*>(QStringLiteral("PatchLocationName"))->setCurrentIndex(location);
                pressButton(d, "OK");
            };
            rig.frame->WmSaveToPod();
            QTRY_COMPARE(rig.frame->StatusLine->StaticOutcome->text().left(9), QStringLiteral("Stored to"));
        };
        const std::vector<std::tuple<const char*, std::function<void()>, QStringList>> steps = {
            {"Patch menu 2B", [&] { rig.frame->CmPatchChange(CM_PATCHMANUAL + 6); }, {"2B"}},
            {"chosen on the POD",
             [&] { rig.midi.operateDevice([](PodDevice& pod) { return pod.choosePatch(36); }); },
             {"9D"}},
            {"Manual Mode", [&] { rig.frame->CmPatchChange(CM_PATCHMANUAL); }, {}},
            {"stored to 3A from the main window", [&] { store(8); }, {"3A"}},
            {"Listen to a row as read",
             [&] {
                 rig.select({20});
                 rig.w->ButtonListen->click();
             },
             {"6A"}},
            {"Send changes, the last stored 5D",
             [&] {
                 dropOnRow(rig.w->DeviceTable, 19, dragRow(rig.w->DeviceTable, 2));
                 dropOnRow(rig.w->DeviceTable, 14, dragRow(rig.w->DeviceTable, 3), Qt::ControlModifier);
                 rig.w->ButtonSendChanges->click();
                 QTRY_VERIFY(!rig.w->busy());
             },
             {"5D"}},
            {"Send all",
             [&] {
                 DialogWatcher ok([](QWidget* d) { pressButton(d, "OK"); });
                 rig.w->ButtonSendAll->click();
                 QTRY_VERIFY(!rig.w->busy());
             },
             {"1A"}},
        };
        for (const auto& [what, step, expected] : steps) {
            step();
            QTRY_COMPARE_WITH_TIMEOUT(marked(), expected, 2000);
            FrameHarness::settle(20); // an echo from the device moves nothing
            QVERIFY2(marked() == expected, what);
        }
        const QModelIndex row1A = rig.w->DeviceTable->model()->index(0, LibraryTableModel::LocationColumn);
        QCOMPARE(row1A.data(Qt::ToolTipRole).toString(), QStringLiteral("The POD is at this patch"));
        QVERIFY(!row1A.data(Qt::DecorationRole).value<QIcon>().isNull());

        // A window opened after the program is known marks it from the start.
        FrameHarness h;
        DFrame& f = h.startPanel(0);
        f.CmPatchChange(CM_PATCHMANUAL + 3);
        h.midi.deliver({0xC0, 3}); // the device's answer: the choice alone moves no mark
        QTRY_COMPARE(f.windowTitle(), QStringLiteral("Amplix 32 - Patch 1C"));
        f.CmLibrary();
        QCOMPARE(f.LibraryWindow->DeviceTable->model()->index(2, 0).data(Qt::FontRole).value<QFont>().bold(),
                 true);
        f.LibraryWindow->hide();
    }

private:
    QTemporaryDir config_;
};

QTEST_MAIN(LibraryConflictTest)
#include "library_conflict_qtest.moc"
