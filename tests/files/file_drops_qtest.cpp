// Files dropped from the file manager: onto the main window as File > Open and Import take them,
// onto the Library's panes as their Open buttons do; several at once, and drags that are no files.
#include "app/CommandIds.h"
#include "app/DFrame.h"
#include "app/DStatusLine.h"
#include "patch/LibraryRig.h"
#include "support/FrameHarness.h"
#include "tests/support/TestPatchFiles.h"

#include <QDialog>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <memory>

using namespace amplix;
using namespace patchfiles;
using librarytest::Rig;
using testsupport::DialogWatcher;
using testsupport::editBufferName;
using testsupport::FrameHarness;
using testsupport::MessageBoxWatcher;
using testsupport::pressButton;
using testsupport::wholeOutcome;
using testsupport::writeFileBytes;

namespace {

QMimeData* filesDragged(const QStringList& paths) {
    auto* mime = new QMimeData;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    mime->setUrls(urls);
    return mime;
}

// The widget the platform's drag talks to over pos: the one there, or the nearest above it
// that takes drops, within its window.
QWidget* dropTarget(QWidget* window, QPoint pos) {
    QWidget* w = window->childAt(pos);
    if (!w)
        w = window;
    while (w && !w->acceptDrops() && !w->isWindow())
        w = w->parentWidget();
    return w && w->acceptDrops() ? w : nullptr;
}

// A drag over the widget's middle, let go there unless it was refused on entering (then no
// drop follows). The mime data is the drag's, deleted at its end. True when the drop was taken.
bool dropOn(QWidget* over, QMimeData* mime) {
    const std::unique_ptr<QMimeData> owned(mime);
    QWidget* window = over->window();
    const QPoint inWindow = over->mapTo(window, over->rect().center());
    QWidget* target = dropTarget(window, inWindow);
    if (!target)
        return false;
    const QPoint at = target->mapFrom(window, inWindow);
    const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    QDragEnterEvent enter(at, offered, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(at), offered, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    const bool taken = drop.isAccepted() && drop.dropAction() == Qt::CopyAction;
    FrameHarness::settle();
    return taken;
}

QStringList recentPaths() {
    return QSettings().value(QStringLiteral("Files/recent")).toStringList();
}

} // namespace

class FileDropsTest : public QObject {
    Q_OBJECT

    QTemporaryDir config_;
    QTemporaryDir files_;

    QString file(const QString& name, const Bytes& bytes) {
        return writeFileBytes(files_.filePath(name), bytes);
    }

private slots:
    void initTestCase() {
        qputenv("XDG_CONFIG_HOME", config_.path().toLocal8Bit());
        QSettings().clear();
    }
    void init() { QSettings().clear(); }

    // Wherever on the window it lands, panel or effect window, the file goes the way its content
    // says, whatever its name: as File > Open takes it or as Import does.
    void aFileDroppedOnTheMainWindowOpensAsItsCommandWould() {
        const struct {
            const char* name;
            Bytes bytes;
            QString dialog, heard, message, line;
        } cases[] = {
            {"Dropped.pod", singlePatch(record("Dropped", 5), 0x42), "", "Dropped", "", ""},
            {"bank.syx", bank(0x42), "DOpenAllDialog", "Bank 0", "", ""},
            {"edit.l6t", Line6Patch{}.bytes(), "DPatchImportL6EditDialog", "Texas Flood", "", ""},
            {"Blues Lead.gpt", guitarPort(true, true), "DPatchImportGPTDialog", "Blues Lead", "", ""},
            {"named as a patch.pod", Line6Patch{}.bytes(), "DPatchImportL6EditDialog", "Texas Flood", "", ""},
            // Neither command's: refused as the one whose dialog offers the name refuses it.
            {"notes.txt", Bytes(300, 'x'), "", "Before", "Error!  Invalid File format.|Error!!",
             "notes.txt: not a patch or bank file"},
            {"cut.l6t", Bytes(10, 'x'), "", "Before", "Error reading from file!|Error!!",
             "cut.l6t: 10 bytes; too short for a SoundDiver, Line 6 Edit or GuitarPort file"},
        };
        int n = 0;
        for (const auto& c : cases) {
            QSettings().clear();
            Rig rig;
            DFrame& f = *rig.frame;
            rig.w->hide();
            const QString path = file(c.name, c.bytes);
            rig.midi.withDevice([](PodDevice& pod) { pod.setEditBuffer(record("Before", 9)); });
            QStringList dialogs;
            DialogWatcher watcher([&](QWidget* d) {
                dialogs << d->objectName();
                pressButton(d, "OK");
            });
            MessageBoxWatcher boxes;
            QWidget* over = n++ % 2 ? static_cast<QWidget*>(f.Drive) : f.centralWidget();
            QVERIFY2(dropOn(over, filesDragged({path})), c.name);
            QTRY_COMPARE(editBufferName(rig.midi), c.heard);
            QCOMPARE(dialogs, c.dialog.isEmpty() ? QStringList() : QStringList{c.dialog});
            QStringList seen;
            for (const auto& box : boxes.seen())
                seen << box.text + "|" + box.caption;
            QCOMPARE(seen.join(';'), c.message);
            if (!c.line.isEmpty())
                QCOMPARE(wholeOutcome(f), c.line);
            QCOMPARE(recentPaths(), c.message.isEmpty() ? QStringList{path} : QStringList());
        }
    }

    void ofSeveralFilesDroppedOnlyTheFirstOpensAndTheStatusLineSaysSo() {
        Rig rig;
        DFrame& f = *rig.frame;
        rig.w->hide();
        const QString first = file("first bank.syx", bank(0x42)),
                      second = file("second.pod", singlePatch(record("Second", 2), 0x42));
        QStringList seen;
        DialogWatcher watcher([&](QWidget* d) {
            seen << d->objectName() + ": " + wholeOutcome(f);
            pressButton(d, "OK");
        });
        QVERIFY(dropOn(f.centralWidget(), filesDragged({first, files_.filePath("missing.pod"), second})));
        QTRY_COMPARE(editBufferName(rig.midi), QStringLiteral("Bank 0"));
        QCOMPARE(seen,
                 QStringList{"DOpenAllDialog: 3 files dropped: only the first, first bank.syx, is opened"});
        QCOMPARE(recentPaths(), QStringList{first});
    }

    // Text, a link to the web, the editor's own rows: the window refuses them on entering.
    void dragsThatAreNoLocalFilesAreRefused() {
        Rig rig;
        DFrame& f = *rig.frame;
        rig.read();
        const auto text = [] {
            auto* mime = new QMimeData;
            mime->setText(QStringLiteral("/tmp/some.pod"));
            return mime;
        };
        const auto web = [] {
            auto* mime = new QMimeData;
            mime->setUrls({QUrl(QStringLiteral("https://example.com/bank.syx"))});
            return mime;
        };
        const auto row = [&] { return librarytest::dragRow(rig.w->DeviceTable, 3); };
        int dialogs = 0;
        DialogWatcher watcher([&](QWidget* d) {
            ++dialogs;
            static_cast<QDialog*>(d)->reject();
        });
        MessageBoxWatcher boxes;
        QWidget* places[] = {f.centralWidget(), rig.w->DeviceTable->viewport(), rig.w->FileTable->viewport(),
                             rig.w->StaticFile};
        for (QWidget* over : places) {
            QVERIFY(!dropOn(over, text()));
            QVERIFY(!dropOn(over, web()));
        }
        QVERIFY(!dropOn(f.centralWidget(), row()));
        QVERIFY(!dropOn(rig.w->FileTable->viewport(), row()));
        QCOMPARE(dialogs, 0);
        QCOMPARE(boxes.seen().size(), 0);
        QCOMPARE(rig.w->StaticFile->text(), QStringLiteral("No file open"));
        QVERIFY(recentPaths().isEmpty());
    }

    // The device pane takes a bank as Open bank... does (a single patch goes to the file pane),
    // the file pane any patch file as Open file... does; its own drags of rows stay as they were.
    void filesDroppedOnTheLibrarysPanesOpenAsTheirButtonsDo() {
        Rig rig;
        rig.w->show();
        const auto records = bankRecords();
        const QString bankFile = file("dropped bank.syx", bank(0x42)),
                      l6t = file("one.l6t", Line6Patch{}.bytes()),
                      single = file("single.pod", singlePatch(record("Single", 4), 0x42));

        QVERIFY(dropOn(rig.w->DeviceTable->viewport(), filesDragged({bankFile})));
        QVERIFY(rig.w->StaticOrigin->text().startsWith(QStringLiteral("From dropped bank.syx, opened at ")));
        QCOMPARE(rig.w->StaticMessage->text(), QStringLiteral("Bank file opened"));
        QCOMPARE(rig.cell(35, LibraryTableModel::NameColumn), QStringLiteral("Bank 35"));
        QCOMPARE(rig.w->library().records(), records);

        QVERIFY(dropOn(rig.w->FileTable->viewport(), filesDragged({l6t})));
        QCOMPARE(rig.w->StaticFile->text(), QStringLiteral("one.l6t: 1 patch"));

        // Over the pane's label rather than its table.
        QVERIFY(dropOn(rig.w->StaticOrigin, filesDragged({single})));
        QCOMPARE(rig.w->StaticFile->text(), QStringLiteral("single.pod: 1 patch"));
        QCOMPARE(
            rig.w->StaticMessage->text(),
            QStringLiteral("single.pod holds a single patch, not a bank: it is in the file pane, to drag "
                           "onto a location"));
        QCOMPARE(rig.w->library().records(), records); // the device pane kept the bank

        QVERIFY(dropOn(rig.w->StaticFile, filesDragged({l6t, single})));
        QCOMPARE(rig.w->StaticFile->text(), QStringLiteral("one.l6t: 1 patch"));
        QCOMPARE(rig.w->StaticMessage->text(),
                 QStringLiteral("2 files dropped: only the first, one.l6t, is opened"));

        // Each is in File > Recent Files, the last first.
        QCOMPARE(recentPaths(), (QStringList{l6t, single, bankFile}));

        // A row of the file pane still drops onto a location.
        librarytest::dropOnRow(rig.w->DeviceTable, 7, librarytest::dragRow(rig.w->FileTable, 0));
        QCOMPARE(rig.cell(7, LibraryTableModel::NameColumn),
                 QStringLiteral("Texas Flood     ")); // as the device pads it
        QCOMPARE(rig.changedRows(), QStringList{"2D"});
    }

    // A file that cannot be taken is refused with the message its button gives; the pane keeps
    // what it showed.
    void aFileNotTakenLeavesThePaneAsItWas() {
        Rig rig;
        rig.w->show();
        const QString junk = file("junk.syx", Bytes(300, 'x'));
        MessageBoxWatcher boxes;
        QVERIFY(dropOn(rig.w->DeviceTable->viewport(), filesDragged({junk, junk})));
        QVERIFY(dropOn(rig.w->FileTable->viewport(), filesDragged({junk})));
        QStringList seen;
        for (const auto& box : boxes.seen())
            seen << box.text + "|" + box.caption;
        QCOMPARE(seen, (QStringList{"Error!  Invalid File format.|Error!!",
                                    "Error!  Invalid File format.|Error!!"}));
        QCOMPARE(rig.w->StaticFile->text(), QStringLiteral("No file open"));
        QCOMPARE(rig.w->StaticMessage->text(), QStringLiteral("junk.syx: not a patch or bank file"));
        QVERIFY(recentPaths().isEmpty());
    }
};

QTEST_MAIN(FileDropsTest)
#include "file_drops_qtest.moc"
