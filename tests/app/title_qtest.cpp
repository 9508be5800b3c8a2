// The title and the Patch menu's check mark as a user sees them on the simulator: the title names
// the patch whose sound plays and marks a sound the device's location does not hold; the menu
// checks the location the device is at, once the device has said so.
#include "app/CommandIds.h"
#include "app/DFrame.h"
#include "device/PodDevice.h"
#include "midi/SimulatorMidiService.h"
#include "patch/DLibraryWindow.h"
#include "patch/DPatchName.h"
#include "support/FrameHarness.h"
#include "tests/support/TestPatchFiles.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>

using namespace amplix;
using testsupport::FrameHarness;
using testsupport::pressButton;
using testsupport::writeFileBytes;
using Bytes = std::vector<std::uint8_t>;

namespace {

enum class Do {
    Choose,       // the Patch menu's item of program arg
    Open,         // File > Open of a single patch: a patch of the file's own
    OpenStored,   // File > Open of a file holding what location arg holds
    Import,       // File > Import of a SoundDiver library's first entry
    ListenToFile, // the Library's Listen of row arg of a bank file (not the device's)
    Edit,         // the Bright box clicked
    Undo,
    Redo,
    Compare,      // Edit > Compare with stored
    Store,        // Save Patch To POD at location arg
    LoadAll,      // File > Open of a bank file, "Load ALL", the warning answered OK
    ChangedOnPod, // location arg stored anew on the device itself, then File > Save All (cancelled)
};

struct Step {
    Do what;
    int arg;
    const char* title;
    const char* checked; // the Patch menu's checked item, without its '&'; empty: none
};

struct Scenario {
    const char* name;
    std::vector<Step> steps;
};

const std::vector<Scenario>& scenarios() {
    static const std::vector<Scenario> table = {
        {"chosen from the menu",
         {{Do::Choose, 6, "Amplix 32 - Patch 2B", "2B"},
          {Do::Choose, 0, "Amplix 32 - Manual Mode", "Manual Mode"},
          {Do::Choose, 36, "Amplix 32 - Patch 9D", "9D"}}},
        {"edited, undone",
         {{Do::Choose, 6, "Amplix 32 - Patch 2B", "2B"},
          {Do::Edit, 0, "Amplix 32 - Patch 2B *", "2B"},
          {Do::Undo, 0, "Amplix 32 - Patch 2B", "2B"}}},
        {"a file opened, then stored",
         {{Do::Choose, 6, "Amplix 32 - Patch 2B", "2B"},
          {Do::Open, 0, "Amplix 32 - Patch 2B *", "2B"},
          {Do::Edit, 0, "Amplix 32 - Patch 2B *", "2B"},
          {Do::Undo, 0, "Amplix 32 - Patch 2B *", "2B"},
          {Do::Store, 8, "Amplix 32 - Patch 3A", "3A"}}},
        {"a file opened, undone",
         {{Do::Choose, 6, "Amplix 32 - Patch 2B", "2B"},
          {Do::Open, 0, "Amplix 32 - Patch 2B *", "2B"},
          {Do::Undo, 0, "Amplix 32 - Patch 2B", "2B"},
          {Do::Redo, 0, "Amplix 32 - Patch 2B *", "2B"}}},
        {"a file holding the location's patch",
         {{Do::Choose, 6, "Amplix 32 - Patch 2B", "2B"}, {Do::OpenStored, 5, "Amplix 32 - Patch 2B", "2B"}}},
        {"a file holding another location's patch",
         {{Do::Choose, 6, "Amplix 32 - Patch 2B", "2B"},
          {Do::OpenStored, 2, "Amplix 32 - Patch 2B *", "2B"},
          {Do::Choose, 3, "Amplix 32 - Patch 1C", "1C"}}},
        {"imported, the location chosen again",
         {{Do::Choose, 3, "Amplix 32 - Patch 1C", "1C"},
          {Do::Import, 0, "Amplix 32 - Patch 1C *", "1C"},
          {Do::Choose, 3, "Amplix 32 - Patch 1C", "1C"}}},
        {"the Library's Listen of a row from a file",
         {{Do::Choose, 10, "Amplix 32 - Patch 3B", "3B"},
          {Do::ListenToFile, 9, "Amplix 32 - Patch 3B *", "3B"}}},
        {"a patch change undone and redone",
         {{Do::Choose, 1, "Amplix 32 - Patch 1A", "1A"},
          {Do::Choose, 6, "Amplix 32 - Patch 2B", "2B"},
          {Do::Undo, 0, "Amplix 32 - Patch 1A *", "2B"},
          {Do::Redo, 0, "Amplix 32 - Patch 2B", "2B"},
          {Do::Undo, 0, "Amplix 32 - Patch 1A *", "2B"},
          {Do::Choose, 1, "Amplix 32 - Patch 1A", "1A"}}},
        {"an edited patch left, its edit undone on the next",
         {{Do::Choose, 1, "Amplix 32 - Patch 1A", "1A"},
          {Do::Edit, 0, "Amplix 32 - Patch 1A *", "1A"},
          {Do::Choose, 6, "Amplix 32 - Patch 2B", "2B"},
          {Do::Undo, 0, "Amplix 32 - Patch 1A *", "2B"},
          {Do::Undo, 0, "Amplix 32 - Patch 1A *", "2B"}}},
        {"compared with stored after a file and after an undone patch change",
         {{Do::Choose, 6, "Amplix 32 - Patch 2B", "2B"},
          {Do::Open, 0, "Amplix 32 - Patch 2B *", "2B"},
          {Do::Compare, 0, "Amplix 32 - Patch 2B", "2B"},
          {Do::Compare, 0, "Amplix 32 - Patch 2B *", "2B"},
          {Do::Choose, 1, "Amplix 32 - Patch 1A", "1A"},
          {Do::Choose, 6, "Amplix 32 - Patch 2B", "2B"},
          {Do::Undo, 0, "Amplix 32 - Patch 1A *", "2B"},
          {Do::Compare, 0, "Amplix 32 - Patch 2B", "2B"},
          {Do::Compare, 0, "Amplix 32 - Patch 1A *", "2B"}}},
        {"a bank sent",
         {{Do::Choose, 11, "Amplix 32 - Patch 3C", "3C"},
          {Do::LoadAll, 0, "Amplix 32 - Patch 1A", "1A"},
          {Do::Edit, 0, "Amplix 32 - Patch 1A *", "1A"}}},
        {"the location changed on the device, the bank read",
         {{Do::Choose, 6, "Amplix 32 - Patch 2B", "2B"},
          {Do::ChangedOnPod, 5, "Amplix 32 - Patch 2B *", "2B"}}},
        {"Manual Mode edited, stored",
         {{Do::Choose, 0, "Amplix 32 - Manual Mode", "Manual Mode"},
          {Do::Edit, 0, "Amplix 32 - Manual Mode *", "Manual Mode"},
          {Do::Store, 35, "Amplix 32 - Patch 9D", "9D"}}},
    };
    return table;
}

// The Patch menu's checked items, as the menu shows them without the '&'.
QStringList checkedPatches(const DFrame& f) {
    QStringList out;
    for (int id = CM_PATCHMANUAL; id <= CM_PATCHLAST; ++id) {
        QAction* action = f.menuAction(id);
        if (action->isChecked())
            out << action->text().section(QStringLiteral("  "), 0, 0).remove(QLatin1Char('&')); // the label
    }
    return out;
}

// An editor on the simulator, answering at once; its start-up read done.
struct Rig {
    Rig() : midi(SimulatorMidiService::Pacing::Immediate) {
        scratch.writeConfig({0, 0, 0, 0});
        frame = std::make_unique<DFrame>(midi);
        frame->SetupWindow();
        frame->show();
        idle();
    }
    ~Rig() {
        if (frame->LibraryWindow)
            frame->LibraryWindow->hide(); // no question on the way out
    }
    // Until every request has been answered and its read-back handled.
    void idle() {
        FrameHarness::settle(20);
        QTRY_COMPARE(frame->Waiting_for_sysex, 0);
        FrameHarness::settle(20);
    }
    PatchRecord stored(std::size_t location) {
        PatchRecord r{};
        midi.withDevice([&](PodDevice& pod) { r = pod.patch(location); });
        return r;
    }
    PatchRecord playing() {
        PatchRecord r{};
        midi.withDevice([&](PodDevice& pod) { r = pod.editBuffer(); });
        return r;
    }
    QString file(const char* name, const Bytes& bytes) {
        return writeFileBytes(scratch.dir.filePath(QString::fromLatin1(name)), bytes);
    }
    void command(int id, const QStringList& paths, std::function<void(QWidget*)> other = {}) {
        testsupport::FileDialogAnswers answers;
        answers.paths = paths;
        if (other)
            answers.other = std::move(other);
        frame->menuAction(id)->trigger();
        idle();
    }

    FrameHarness scratch;
    SimulatorMidiService midi;
    std::unique_ptr<DFrame> frame;
};

void act(Rig& rig, const Step& step) {
    DFrame& f = *rig.frame;
    switch (step.what) {
    case Do::Choose:
        f.menuAction(CM_PATCHMANUAL + step.arg)->trigger();
        break;
    case Do::Open:
        rig.command(CM_FILEOPEN,
                    {rig.file("mine.pod", patchfiles::singlePatch(patchfiles::record("Mine", 40), 1))});
        break;
    case Do::OpenStored:
        rig.command(CM_FILEOPEN,
                    {rig.file("stored.pod", patchfiles::singlePatch(rig.stored(std::size_t(step.arg)), 1))});
        break;
    case Do::Import:
        rig.command(CM_FILEIMPORT,
                    {rig.file("set.lib", patchfiles::soundDiver({{"Clean", patchfiles::soundDiverTail(1)}}))},
                    [](QWidget* d) {
                        d->findChild<QListWidget*>(QStringLiteral("PatchSelect"))->setCurrentRow(0);
                        pressButton(d, "OK");
                    });
        break;
    case Do::ListenToFile: {
        f.menuAction(CM_LIBRARY)->trigger();
        DLibraryWindow* library = f.LibraryWindow;
        QVERIFY(library->openBankFile(rig.file("live.syx", patchfiles::bank(1))));
        library->DeviceTable->setCurrentIndex(library->DeviceTable->model()->index(step.arg, 0));
        library->ButtonListen->click();
        break;
    }
    case Do::Edit:
        f.Bright->click();
        break;
    case Do::Undo:
        f.menuAction(CM_EDITUNDO)->trigger();
        break;
    case Do::Redo:
        f.menuAction(CM_EDITREDO)->trigger();
        break;
    case Do::Compare:
        f.menuAction(CM_EDITCOMPARE)->trigger();
        break;
    case Do::Store: {
        testsupport::DialogWatcher location([&](QWidget* d) {
            d->findChild<QComboBox*>(QStringLiteral("PatchLocationName"))->setCurrentIndex(step.arg);
            pressButton(d, "OK");
        });
        f.PatchWindow->ButtonSaveToPOD->click();
        rig.idle();
        QCOMPARE(location.count(), 1);
        break;
    }
    case Do::LoadAll: {
        int dialogs = 0;
        rig.command(CM_FILEOPEN, {rig.file("bank.syx", patchfiles::bank(1))},
                    [&](QWidget* d) { pressButton(d, dialogs++ == 0 ? "ButtonLoadAll" : "OK"); });
        QCOMPARE(dialogs, 2);
        break;
    }
    case Do::ChangedOnPod:
        rig.midi.withDevice(
            [&](PodDevice& pod) { pod.setPatch(std::size_t(step.arg), patchfiles::record("Changed", 9)); });
        rig.command(CM_FILESAVEALL, {});
        break;
    }
    rig.idle();
}

} // namespace

class TitleTest : public QObject {
    Q_OBJECT

private slots:
    void theTitleAndTheCheckMarkFollowTheDevice_data() {
        testsupport::addRows(scenarios(), [](const Scenario& s) { return QString::fromLatin1(s.name); });
    }

    void theTitleAndTheCheckMarkFollowTheDevice() {
        QFETCH(int, row);
        const Scenario& scenario = scenarios()[std::size_t(row)];
        Rig rig;
        DFrame& f = *rig.frame;
        QCOMPARE(f.windowTitle(), QStringLiteral("Amplix 32"));
        QCOMPARE(checkedPatches(f), QStringList());
        for (const Step& step : scenario.steps) {
            act(rig, step);
            if (QTest::currentTestFailed())
                return;
            const QString where = QStringLiteral("after step %1").arg(&step - scenario.steps.data() + 1);
            QVERIFY2(f.windowTitle() == QLatin1String(step.title),
                     qPrintable(where + ": " + f.windowTitle()));
            const QStringList checked = *step.checked ? QStringList{step.checked} : QStringList();
            QVERIFY2(checkedPatches(f) == checked, qPrintable(where + ": " + checkedPatches(f).join(',')));
            // Compare plays the stored patch of the location the device is at, and no other.
            const bool comparing = f.comparing();
            QCOMPARE(f.menuAction(CM_EDITCOMPARE)->isChecked(), comparing);
            if (comparing) {
                int program = 0;
                rig.midi.withDevice([&](PodDevice& pod) { program = pod.currentProgram(); });
                QCOMPARE(rig.playing(), rig.stored(std::size_t(program - 1)));
            }
            // The title is marked exactly while something else plays than the location holds.
            QCOMPARE(f.menuAction(CM_EDITCOMPARE)->isEnabled(),
                     comparing || QString(step.title).endsWith(" *"));
        }
    }

    // An undone patch change plays the patch before it again as a whole dump, as it always has;
    // the device stays where it is.
    void anUndonePatchChangeSendsThePatchBefore() {
        Rig rig;
        DFrame& f = *rig.frame;
        for (const int program : {1, 6})
            act(rig, {Do::Choose, program, "", ""});
        rig.midi.withDevice([&](PodDevice& pod) { pod.setEditBuffer(PatchRecord{}); });
        act(rig, {Do::Undo, 0, "", ""});
        QCOMPARE(rig.playing(), rig.stored(0));
        int program = -1;
        rig.midi.withDevice([&](PodDevice& pod) { program = pod.currentProgram(); });
        QCOMPARE(program, 6);
        QCOMPARE(f.windowTitle(), QStringLiteral("Amplix 32 - Patch 1A *"));
    }

    // The check mark moves with the device's answer, not with the click: a device that does not
    // answer leaves it where it was; nothing is checked before the device has said where it is.
    void theCheckMarkWaitsForTheDevice() {
        FrameHarness h;
        DFrame& f = h.startPanel(0);
        f.menuAction(CM_PATCHMANUAL + 6)->trigger();
        FrameHarness::settle();
        QCOMPARE(checkedPatches(f), QStringList());
        QCOMPARE(f.windowTitle(), QStringLiteral("Amplix 32"));
        h.midi.deliver({0xC0, 6});
        FrameHarness::settle();
        QCOMPARE(checkedPatches(f), QStringList{"2B"});
        f.menuAction(CM_PATCHMANUAL + 9)->trigger();
        FrameHarness::settle();
        QCOMPARE(checkedPatches(f), QStringList{"2B"});
        h.midi.deliver({0xC0, 37}); // no such program: nothing changes
        FrameHarness::settle();
        QCOMPARE(checkedPatches(f), QStringList{"2B"});
        QCOMPARE(f.windowTitle(), QStringLiteral("Amplix 32 - Patch 2B"));
        h.midi.deliver({0xC0, 0});
        FrameHarness::settle();
        QCOMPARE(checkedPatches(f), QStringList{"Manual Mode"});
    }
};

QTEST_MAIN(TitleTest)
#include "title_qtest.moc"
