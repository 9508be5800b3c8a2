// The device's patches by name in the Patch menu and the location chooser, and Save Patch To 3A.
#include "app/CommandIds.h"
#include "app/DFrame.h"
#include "patch/DLibraryWindow.h"
#include "patch/DPatchName.h"
#include "support/FrameHarness.h"
#include "support/TestPatchFiles.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace amplix;
using patchfiles::Bytes;
using testsupport::DialogWatcher;
using testsupport::FrameHarness;
using testsupport::MessageBoxWatcher;

namespace {

const Bytes kEditRequest(kEditBufferRequest.begin(), kEditBufferRequest.end());

QStringList menuTexts(const DFrame& f) {
    QStringList out;
    for (int id = CM_PATCHMANUAL + 1; id <= CM_PATCHLAST; ++id)
        out << f.menuAction(id)->text();
    return out;
}

// The chooser's list, read when it opens and cancelled.
QStringList chooserEntries(FrameHarness& h, DFrame& f) {
    QStringList seen;
    DialogWatcher dialogs([&seen](QWidget* d) {
        auto* list = d->findChild<QComboBox*>(QStringLiteral("PatchLocationName"));
        for (int i = 0; i < list->count(); ++i)
            seen << list->itemText(i);
        static_cast<QDialog*>(d)->reject();
    });
    f.WmSaveToPod();
    h.midi.deliver(patchfiles::singlePatch(patchfiles::record("Now", 1), 0));
    FrameHarness::settle();
    return seen;
}

void storeTo(FrameHarness& h, DFrame& f, int location, const std::string& deviceName) {
    DialogWatcher dialogs([location](QWidget* d) {
        d->findChild<QComboBox*>(QStringLiteral("PatchLocationName"))->setCurrentIndex(location);
        d->findChild<QPushButton*>(QStringLiteral("OK"))->click();
    });
    f.PatchWindow->ButtonSaveToPOD->click();
    FrameHarness::settle();
    h.midi.deliver(patchfiles::singlePatch(patchfiles::record(deviceName, 2), 0));
    FrameHarness::settle();
}

// Every location labelled, in order, with "Bank <n>" where the bank names it.
QStringList expected(bool menu, const std::map<int, QString>& names = {}) {
    QStringList out;
    for (int n = 0; n < int(kPatchLocations); ++n) {
        QString label = QString::fromStdString(locationLabel(std::size_t(n)));
        if (menu)
            label.insert(1, QLatin1Char('&'));
        out << (names.count(n) ? label + QStringLiteral("  ") + names.at(n) : label);
    }
    return out;
}

std::map<int, QString> bankNames() {
    std::map<int, QString> names;
    for (int n = 0; n < int(kPatchLocations); ++n)
        names[n] = QStringLiteral("Bank %1").arg(n);
    return names;
}

void readBank(FrameHarness& h, DFrame& f, const Bytes& bank) {
    f.ReadPODAll();
    h.midi.deliver(bank);
    FrameHarness::settle();
}

} // namespace

class PatchNamesTest : public QObject {
    Q_OBJECT

private slots:
    void unknownNamesShowTheLocationAlone() {
        FrameHarness h;
        DFrame& f = h.startPanel(0);
        QCOMPARE(menuTexts(f), expected(true));
        QCOMPARE(chooserEntries(h, f), expected(false));
        // A dump of the edit buffer says nothing of what a location holds.
        QCOMPARE(menuTexts(f), expected(true));
    }

    void aBankReadNamesEveryLocation() {
        FrameHarness h;
        DFrame& f = h.startPanel(0);
        auto records = patchfiles::bankRecords();
        records[3] = patchfiles::record("", 3);    // blank: the location alone
        records[9] = patchfiles::record("R&B", 9); // the menu doubles the &, the list does not
        readBank(h, f, patchfiles::bank(0, records));
        std::map<int, QString> names = bankNames();
        names.erase(3);
        names[9] = QStringLiteral("R&&B");
        QCOMPARE(menuTexts(f), expected(true, names));
        names[9] = QStringLiteral("R&B");
        QCOMPARE(chooserEntries(h, f), expected(false, names));
        QCOMPARE(f.menuAction(CM_PATCHMANUAL + 1 + 10)->text(), QStringLiteral("3&C  Bank 10"));
    }

    // Stored from the strip, or renamed and then stored: the location takes the stored name, and
    // the Library window knows the same.
    void storesAndRenamesFollow() {
        FrameHarness h;
        DFrame& f = h.startPanel(0);
        f.CmLibrary();
        f.LibraryWindow->ButtonReadFromPod->click();
        h.midi.deliver(patchfiles::bank(0));
        FrameHarness::settle();
        QVERIFY(f.LibraryWindow->library().loaded());
        storeTo(h, f, 5, "Keeper");
        QCOMPARE(f.menuAction(CM_PATCHMANUAL + 6)->text(), QStringLiteral("2&B  Keeper"));
        QCOMPARE(f.menuAction(CM_PATCHMANUAL + 5)->text(), QStringLiteral("2&A  Bank 4"));
        QCOMPARE(f.LibraryWindow->library().deviceRecord(5), *f.devicePatches().at(5));

        {
            DialogWatcher dialogs([](QWidget* d) {
                auto* edit = d->findChild<QLineEdit*>(QStringLiteral("EditNewPatchName"));
                edit->selectAll();
                QTest::keyClicks(edit, QStringLiteral("Lead"));
                d->findChild<QPushButton*>(QStringLiteral("OK"))->click();
            });
            f.PatchWindow->ButtonPatchName->click();
            FrameHarness::settle();
            h.midi.deliver(patchfiles::singlePatch(patchfiles::record("Old", 4), 0));
            FrameHarness::settle();
        }
        // Renaming alone changes the edit buffer only.
        QCOMPARE(f.menuAction(CM_PATCHMANUAL + 3)->text(), QStringLiteral("1&C  Bank 2"));
        DialogWatcher dialogs([](QWidget* d) {
            auto* list = d->findChild<QComboBox*>(QStringLiteral("PatchLocationName"));
            QCOMPARE(list->itemText(5), QStringLiteral("2B  Keeper"));
            list->setCurrentIndex(2);
            d->findChild<QPushButton*>(QStringLiteral("OK"))->click();
        });
        f.WmSaveToPod();
        // The device's edit buffer holds the new name now.
        h.midi.deliver(patchfiles::singlePatch(patchfiles::record("Lead", 4), 0));
        FrameHarness::settle();
        QCOMPARE(dialogs.count(), 1);
        QCOMPARE(f.menuAction(CM_PATCHMANUAL + 3)->text(), QStringLiteral("1&C  Lead"));
        QCOMPARE(f.LibraryWindow->library().deviceRecord(2), *f.devicePatches().at(2));
    }

    void aBankSentNamesEveryLocationAndAPortChangeForgets() {
        FrameHarness h;
        DFrame& f = h.startPanel(0);
        storeTo(h, f, 0, "Before");
        const Bytes bank = patchfiles::bank(0);
        std::copy(bank.begin(), bank.end(), f.sysEx.begin());
        {
            // Declined: the device keeps its patches, and so do the names.
            DialogWatcher dialogs([](QWidget* d) { static_cast<QDialog*>(d)->reject(); });
            QVERIFY(!f.SendBankToPod());
        }
        QCOMPARE(f.menuAction(CM_PATCHMANUAL + 1)->text(), QStringLiteral("1&A  Before"));
        DialogWatcher dialogs([](QWidget* d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("Overwrite POD patches!"));
            d->findChild<QPushButton*>(QStringLiteral("OK"))->click();
        });
        QVERIFY(f.SendBankToPod());
        QCOMPARE(menuTexts(f), expected(true, bankNames()));
    }

    void saveToTheCurrentLocationAsksThenStoresTheSameBytes() {
        FrameHarness h;
        DFrame& f = h.startPanel(0);
        QAction* save = f.menuAction(CM_SAVETOLOCATION);
        QCOMPARE(save->text(), QStringLiteral("&Save Patch To Current Location"));
        QVERIFY(!save->isEnabled());
        QCOMPARE(save->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
        readBank(h, f, patchfiles::bank(0));

        h.midi.deliver({0xC0, 9}); // the device went to 3A
        FrameHarness::settle();
        h.midi.deliver(patchfiles::singlePatch(patchfiles::record("Bank 8", 8), 0));
        FrameHarness::settle();
        QVERIFY(save->isEnabled());
        QCOMPARE(save->text(), QStringLiteral("&Save Patch To 3A"));
        h.midi.clearLog();

        MessageBoxWatcher boxes;
        boxes.answerWith(QStringLiteral("Cancel"));
        save->trigger();
        FrameHarness::settle();
        QCOMPARE(boxes.seen().size(), 1);
        QCOMPARE(boxes.seen()[0].caption, QStringLiteral("Save to POD..."));
        QCOMPARE(boxes.seen()[0].text, QStringLiteral("Save the current sound to 3A  Bank 8? The patch saved "
                                                      "there on the POD is overwritten."));
        QVERIFY(h.midi.sent.empty());

        boxes.answerWith(QStringLiteral("Save"));
        int chooser = 0;
        DialogWatcher dialogs([&chooser](QWidget* d) {
            ++chooser;
            static_cast<QDialog*>(d)->reject();
        });
        save->trigger();
        FrameHarness::settle();
        QCOMPARE(h.midi.sentSysex(), std::vector<Bytes>{kEditRequest});
        const Bytes dump = patchfiles::singlePatch(patchfiles::record("Edited", 7), 0x2A);
        h.midi.deliver(dump);
        FrameHarness::settle();
        QCOMPARE(chooser, 0);
        Bytes store = {0xF0, 0x00, 0x01, 0x0C, 0x01, 0x01, 0x00, 0x08, 0x2A}; // 3A is location 8
        store.insert(store.end(), dump.begin() + 8, dump.end());
        QCOMPARE(h.midi.sentSysex(), (std::vector<Bytes>{kEditRequest, store}));
        QCOMPARE(f.menuAction(CM_PATCHMANUAL + 9)->text(), QStringLiteral("3&A  Edited"));

        // Answered with no dump, the store is dropped: the strip's next store asks for a location.
        h.midi.clearLog();
        save->trigger();
        FrameHarness::settle();
        h.releaseRequest();
        f.WmSaveToPod();
        h.midi.deliver(dump);
        FrameHarness::settle();
        QCOMPARE(chooser, 1);
        QCOMPARE(h.midi.sentSysex().size(), std::size_t(2)); // two requests, no store

        h.midi.deliver({0xC0, 0}); // Manual Mode: no location to store into
        FrameHarness::settle();
        QVERIFY(!save->isEnabled());
        QCOMPARE(save->text(), QStringLiteral("&Save Patch To Current Location"));
    }
};

QTEST_MAIN(PatchNamesTest)
#include "patch_names_qtest.moc"
