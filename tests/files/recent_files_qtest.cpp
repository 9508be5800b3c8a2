// File > Recent Files after the commands that open, import and save, an item chosen, a file gone;
// and the folder each kind of file dialog starts in, in both windows.
#include "app/CommandIds.h"
#include "app/DFrame.h"
#include "app/DStatusLine.h"
#include "midi/SimulatorMidiService.h"
#include "patch/DLibraryWindow.h"
#include "support/FrameHarness.h"
#include "tests/support/TestPatchFiles.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

using namespace amplix;
using namespace patchfiles;
using testsupport::DialogWatcher;
using testsupport::editBufferName;
using testsupport::FrameHarness;
using testsupport::MessageBoxWatcher;
using testsupport::pressButton;
using testsupport::readFileBytes;
using testsupport::wholeOutcome;
using testsupport::writeFileBytes;

namespace {

using Answers = testsupport::FileDialogAnswers;

// An editor on the simulator, answering at once, started in a folder of its own.
struct Rig {
    Rig() {
        scratch.writeConfig({0, 0, 0, 0});
        frame = std::make_unique<DFrame>(midi);
        frame->SetupWindow();
        FrameHarness::settle();
    }
    QString path(const QString& name) const { return scratch.dir.filePath(name); }
    FrameHarness scratch;
    SimulatorMidiService midi{SimulatorMidiService::Pacing::Immediate};
    std::unique_ptr<DFrame> frame;
};

QMenu* recentMenu(DFrame& f) {
    for (QAction* action : f.menuBar()->actions()[0]->menu()->actions())
        if (action->menu() && action->text() == QStringLiteral("Recent &Files"))
            return action->menu();
    return nullptr;
}

// The submenu as it opens: "text|tooltip" for each item, a greyed one as "text (greyed)".
QStringList shownRecent(DFrame& f) {
    QMenu* menu = recentMenu(f);
    if (!menu)
        return {QStringLiteral("no Recent Files menu")};
    menu->popup(QPoint(0, 0));
    QStringList shown;
    for (QAction* action : menu->actions())
        shown << (action->isEnabled() ? action->text() + "|" + action->toolTip()
                                      : action->text() + " (greyed)");
    menu->hide();
    return shown;
}

QString item(int number, const QString& path) {
    return QStringLiteral("&%1 %2|%3").arg(number).arg(QFileInfo(path).fileName(), path);
}

} // namespace

class RecentFilesTest : public QObject {
    Q_OBJECT

    QTemporaryDir config_;

private slots:
    void initTestCase() {
        // The list and the folders go to the user's settings; the tests keep theirs apart, and
        // before anything reads the settings' place.
        qputenv("XDG_CONFIG_HOME", config_.path().toLocal8Bit());
        QSettings().clear();
    }
    void init() { QSettings().clear(); }

    void theListFollowsWhatIsOpenedImportedAndSavedNewestFirst() {
        Rig rig;
        DFrame& f = *rig.frame;
        QCOMPARE(shownRecent(f), QStringList{"No recent files (greyed)"});

        const QString saved = rig.path("Rock & Roll.pod"), bank = rig.path("all.syx"),
                      l6t = writeFileBytes(rig.path("one.l6t"), Line6Patch{}.bytes()),
                      junk = writeFileBytes(rig.path("junk.pod"), Bytes(200, 0x41));
        Answers answers;
        answers.other = [](QWidget* d) { pressButton(d, "OK"); }; // the Line 6 Edit chooser
        answers.paths = {saved};
        f.menuAction(CM_FILESAVE)->trigger();
        QTRY_VERIFY(QFile::exists(saved));
        answers.paths = {bank};
        f.menuAction(CM_FILESAVEALL)->trigger();
        QTRY_VERIFY(QFile::exists(bank));
        QCOMPARE(shownRecent(f), (QStringList{"&1 all.syx|" + bank, "&2 Rock && Roll.pod|" + saved}));

        answers.paths = {l6t};
        f.menuAction(CM_FILEIMPORT)->trigger();
        FrameHarness::settle();
        QCOMPARE(editBufferName(rig.midi), QStringLiteral("Texas Flood"));
        {
            // A file not taken is not listed.
            MessageBoxWatcher boxes;
            answers.paths = {junk};
            f.menuAction(CM_FILEOPEN)->trigger();
            FrameHarness::settle();
            QCOMPARE(boxes.seen().size(), 1);
            QCOMPARE(boxes.seen()[0].text, QStringLiteral("Error!  Invalid File format."));
        }
        // Opened again, the patch moves to the top rather than showing twice.
        answers.paths = {saved};
        f.menuAction(CM_FILEOPEN)->trigger();
        FrameHarness::settle();
        QCOMPARE(shownRecent(f), (QStringList{"&1 Rock && Roll.pod|" + saved, item(2, l6t), item(3, bank)}));
        QCOMPARE(f.menuAction(CM_FILERECENT)->statusTip(), saved);

        // Kept for the next run.
        Rig next;
        QCOMPARE(shownRecent(*next.frame),
                 (QStringList{"&1 Rock && Roll.pod|" + saved, item(2, l6t), item(3, bank)}));
    }

    // Each goes the way of its command, told by the content: a single patch under an import
    // file's extension is File > Open's, a Line 6 Edit patch under a patch file's is Import's.
    void anItemChosenOpensItAsItsCommandDidAndMovesToTheTop() {
        Rig rig;
        DFrame& f = *rig.frame;
        const PatchRecord mine = record("Recent One", 3);
        const QString patch = writeFileBytes(rig.path("patch.l6t"), singlePatch(mine, 0x42)),
                      l6 = writeFileBytes(rig.path("edit.pod"), Line6Patch{}.bytes()),
                      all = writeFileBytes(rig.path("bank.syx"), patchfiles::bank(0x42));
        QStringList dialogs;
        Answers answers;
        answers.other = [&dialogs](QWidget* d) {
            dialogs << d->objectName();
            pressButton(d, "OK");
        };
        answers.paths = {patch, l6, all};
        f.menuAction(CM_FILEOPEN)->trigger();
        FrameHarness::settle();
        f.menuAction(CM_FILEIMPORT)->trigger();
        FrameHarness::settle();
        f.menuAction(CM_FILEOPEN)->trigger();
        FrameHarness::settle();
        QCOMPARE(dialogs, (QStringList{"DPatchImportL6EditDialog", "DOpenAllDialog"}));
        QCOMPARE(shownRecent(f), (QStringList{item(1, all), item(2, l6), item(3, patch)}));
        rig.midi.withDevice([](PodDevice& pod) { pod.setEditBuffer(record("Before", 9)); });

        const struct {
            int item;
            QStringList dialogs;
            QString heard;
            QStringList after;
        } choices[] = {
            {3, {}, "Recent One", {item(1, patch), item(2, all), item(3, l6)}},
            {3, {"DPatchImportL6EditDialog"}, "Texas Flood", {item(1, l6), item(2, patch), item(3, all)}},
            {3, {"DOpenAllDialog"}, "Bank 0", {item(1, all), item(2, l6), item(3, patch)}},
        };
        for (const auto& c : choices) {
            dialogs.clear();
            shownRecent(f);
            f.menuAction(CM_FILERECENT + c.item - 1)->trigger();
            FrameHarness::settle();
            QCOMPARE(dialogs, c.dialogs);
            QCOMPARE(editBufferName(rig.midi), c.heard);
            QCOMPARE(shownRecent(f), c.after);
        }
    }

    void aFileGoneIsRemovedWithALineInTheStatusLine() {
        Rig rig;
        DFrame& f = *rig.frame;
        const QString kept = writeFileBytes(rig.path("kept.pod"), singlePatch(record("Kept", 1), 0x42)),
                      gone = writeFileBytes(rig.path("gone.pod"), singlePatch(record("Gone", 2), 0x42));
        Answers answers;
        answers.paths = {kept, gone};
        f.menuAction(CM_FILEOPEN)->trigger();
        FrameHarness::settle();
        f.menuAction(CM_FILEOPEN)->trigger();
        FrameHarness::settle();
        QVERIFY(QFile::remove(gone));
        rig.midi.withDevice([](PodDevice& pod) { pod.setEditBuffer(record("Before", 9)); });
        const int dialogsBefore = answers.watcher.count();

        MessageBoxWatcher boxes;
        shownRecent(f);
        f.menuAction(CM_FILERECENT)->trigger();
        FrameHarness::settle();
        QCOMPARE(wholeOutcome(f),
                 QStringLiteral("gone.pod is not there any more: removed from Recent Files"));
        QCOMPARE(boxes.seen().size(), 0);
        QCOMPARE(answers.watcher.count(), dialogsBefore);
        QCOMPARE(editBufferName(rig.midi), QStringLiteral("Before")); // nothing sent
        QCOMPARE(shownRecent(f), QStringList{item(1, kept)});
        QCOMPARE(QSettings().value("Files/recent").toStringList(), QStringList{kept});

        QVERIFY(QFile::remove(kept));
        f.menuAction(CM_FILERECENT)->trigger();
        FrameHarness::settle();
        QCOMPARE(wholeOutcome(f),
                 QStringLiteral("kept.pod is not there any more: removed from Recent Files"));
        QCOMPARE(shownRecent(f), QStringList{"No recent files (greyed)"});
        QCOMPARE(f.menuAction(CM_FILERECENT), nullptr);
    }

    void aListEditedInTheSettingsShowsEightDifferentFilesAtMost() {
        QStringList stored;
        for (const char* name : {"a", "b", "a", "", "c", "d", "e", "f", "g", "h", "i", "j"})
            stored << (*name ? QStringLiteral("/nowhere/%1.pod").arg(name) : QString());
        QSettings().setValue("Files/recent", stored);
        Rig rig;
        QStringList expected;
        int n = 0;
        for (const char* name : {"a", "b", "c", "d", "e", "f", "g", "h"})
            expected << item(++n, QStringLiteral("/nowhere/%1.pod").arg(name));
        QCOMPARE(shownRecent(*rig.frame), expected);
        for (int id = CM_FILERECENT; id <= CM_FILERECENTLAST; ++id)
            QCOMPARE(rig.frame->menuAction(id)->data().toInt(), id);
    }

    // The first time each starts where the last dialog of any kind left the current directory, as
    // always; then each kind in its own last folder, also in the next run, and in the current
    // directory again once that folder is gone.
    void eachKindOfFileDialogStartsInTheLastFolderOfItsKind() {
        QTemporaryDir patches, banks, imports;
        const QString l6t = writeFileBytes(QDir(imports.path()).filePath("one.l6t"), Line6Patch{}.bytes());
        QStringList started;
        QStringList answers;
        DialogWatcher dialogs([&](QWidget* d) {
            auto* files = qobject_cast<QFileDialog*>(d);
            if (!files)
                return pressButton(d, "Cancel");
            started << QDir(files->directory()).absolutePath();
            if (answers.isEmpty())
                return files->reject();
            const QFileInfo chosen(answers.takeFirst());
            files->setDirectory(chosen.absolutePath());
            files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(chosen.fileName());
            static_cast<QDialog*>(files)->accept();
        });
        {
            Rig rig;
            DFrame& f = *rig.frame;
            const QString startUp = QDir(rig.scratch.dir.path()).absolutePath();
            answers = {QDir(patches.path()).filePath("p.pod"), QDir(banks.path()).filePath("b.syx"), l6t};
            f.menuAction(CM_FILESAVE)->trigger();
            QTRY_COMPARE(started.size(), 1);
            f.menuAction(CM_FILESAVEALL)->trigger();
            QTRY_COMPARE(started.size(), 2);
            f.menuAction(CM_FILEIMPORT)->trigger();
            FrameHarness::settle();
            QCOMPARE(started, (QStringList{startUp, patches.path(), banks.path()}));
            QCOMPARE(QDir::currentPath(), imports.path());
            // File > Open is for patch files.
            started.clear();
            f.menuAction(CM_FILEOPEN)->trigger();
            FrameHarness::settle();
            QCOMPARE(started, QStringList{patches.path()});
        }
        started.clear();
        Rig rig;
        DFrame& f = *rig.frame;
        f.menuAction(CM_LIBRARY)->trigger();
        DLibraryWindow* w = f.LibraryWindow;
        w->ButtonReadFromPod->click();
        QTRY_VERIFY(!w->busy());
        w->DeviceTable->selectRow(4);
        const struct {
            const char* command;
            std::function<void()> run;
            QString folder;
        } commands[] = {
            {"Open", [&] { f.menuAction(CM_FILEOPEN)->trigger(); }, patches.path()},
            {"Import", [&] { f.menuAction(CM_FILEIMPORT)->trigger(); }, imports.path()},
            {"Open bank...", [&] { w->ButtonOpenBank->click(); }, banks.path()},
            {"Open file...", [&] { w->ButtonOpenFile->click(); }, imports.path()},
            {"Save bank as...", [&] { w->ButtonSaveBank->click(); }, banks.path()},
            {"Export patch...", [&] { w->ButtonExportPatch->click(); }, patches.path()},
        };
        for (const auto& c : commands) {
            started.clear();
            c.run();
            FrameHarness::settle();
            QVERIFY2(started == QStringList{c.folder}, c.command);
        }
        // The Library's dialogs remember for the main window's too.
        const QString elsewhere = QDir(rig.scratch.dir.path()).filePath("elsewhere");
        QVERIFY(QDir().mkpath(elsewhere));
        answers = {QDir(elsewhere).filePath("b2.syx")};
        w->ButtonSaveBank->click();
        FrameHarness::settle();
        QVERIFY(QFile::exists(QDir(elsewhere).filePath("b2.syx")));
        started.clear();
        f.menuAction(CM_FILESAVEALL)->trigger();
        QTRY_COMPARE(started, QStringList{elsewhere});

        QVERIFY(QDir(elsewhere).removeRecursively());
        QDir::setCurrent(rig.scratch.dir.path());
        started.clear();
        w->ButtonOpenBank->click();
        FrameHarness::settle();
        QCOMPARE(started, QStringList{QDir(rig.scratch.dir.path()).absolutePath()});
        w->hide();
    }
};

QTEST_MAIN(RecentFilesTest)
#include "recent_files_qtest.moc"
