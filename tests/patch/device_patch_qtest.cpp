// Patches on the device: a dump shown on the panel, storing, renaming, and what rides on a request.
#include "app/DFrame.h"
#include "patch/DPatchName.h"
#include "support/FrameHarness.h"
#include "tone/DChorus.h"
#include "tone/DDelay.h"
#include "tone/DRotary.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>

using namespace amplix;
using testsupport::DialogWatcher;
using testsupport::FrameHarness;

namespace {

using Bytes = std::vector<std::uint8_t>;
const Bytes kEditRequest(kEditBufferRequest.begin(), kEditBufferRequest.end());

Bytes dumpOf(const PatchRecord& record, std::uint8_t byte7 = 0x2A) {
    auto dump = buildSingleDump(record, byte7);
    return {dump.begin(), dump.end()};
}

void fillName(PatchRecord& r, const char* name) {
    std::string n(name);
    n.resize(kNameLength, ' ');
    std::copy(n.begin(), n.end(), r.begin() + kNameOffset);
}

PatchRecord namedRecord(const char* name) {
    PatchRecord r{};
    r[46] = 10; // "Bypass"
    fillName(r, name);
    return r;
}

void chooseLocation(QWidget* dialog, int location) {
    auto* list = dialog->findChild<QComboBox*>(QStringLiteral("PatchLocationName"));
    if (location >= 0)
        list->setCurrentIndex(location);
    dialog->findChild<QPushButton*>(QStringLiteral("OK"))->click();
}

// Starts connected with the start-up request answered, the log cleared.
DFrame& ready(FrameHarness& h) {
    DFrame& f = h.startConnected();
    h.midi.deliver(dumpOf(namedRecord("Start")));
    FrameHarness::settle();
    h.midi.clearLog();
    return f;
}

} // namespace

class DevicePatchTest : public QObject {
    Q_OBJECT

private slots:
    void aDumpSetsThePanelAndSendsNothing() {
        FrameHarness h;
        DFrame& f = h.startConnected();
        PatchRecord r{};
        r[0] = 0x10;          // Distortion: only the low nibble counts
        r[7] = 0x01;          // Bright
        r[8] = 4;             // "POD Layer": Drive2 shows
        r[9] = 0;             // Drive at the bottom
        r[10] = 63;           // Drive2 near the top
        r[27] = 0x01;         // delay time 01 7F EC: 3150 ms
        r[28] = 0x7F;
        r[29] = 0xEC;
        r[44] = 0x2F;         // cabinet 15, high nibble ignored
        r[46] = 2;            // "Rotary"
        r[47] = 10;           // rotary depth
        r[48] = 1;            // fast
        r[49] = 0x00;         // R = 90: position 0
        r[50] = 90;
        r[51] = 0x0B;         // R = 2894: position 127
        r[52] = 0x4E;
        fillName(r, "Ab");
        r[kNameOffset + 2] = 0; // a 00 ends the name
        h.midi.clearLog();
        h.midi.deliver(dumpOf(r));
        FrameHarness::settle();

        QVERIFY(!f.Distortion->isChecked());
        QVERIFY(f.Bright->isChecked());
        QCOMPARE(f.AmpModel->currentIndex(), 4);
        QVERIFY(!f.Drive2->isHidden());
        QCOMPARE(f.Drive->value(), 127);
        QCOMPARE(f.Drive2->value(), 1);
        QCOMPARE(f.DelayWindow->DelayTime->value(), 3150);
        QCOMPARE(f.DelayWindow->StaticDelayTime->text(), QStringLiteral("Delay Time:  3150 mS"));
        QCOMPARE(f.CabSel->currentIndex(), 15);
        QCOMPARE(f.EffectSel->currentText(), QStringLiteral("Rotary"));
        QVERIFY(!f.RotaryWindow->isHidden());
        QCOMPARE(f.RotaryWindow->RotaryDepth->value(), 127 - 20);
        QCOMPARE(f.RotaryWindow->RotarySpeed->currentIndex(), 1);
        QCOMPARE(f.RotaryWindow->RotaryMax->value(), 0);
        QCOMPARE(f.RotaryWindow->RotaryMin->value(), 127);
        QCOMPARE(f.PatchWindow->StaticPatchNameData->text(), QStringLiteral("Ab"));
        QVERIFY(h.midi.sent.empty());

        // An effect without a layout leaves the effect windows as they were.
        const int chorusSpeed = f.ChorusWindow->ChSpeed->value();
        r[46] = 6; // "Delay"
        r[47] = 0;
        f.CmFileRead();
        h.midi.deliver(dumpOf(r));
        FrameHarness::settle();
        QCOMPARE(f.RotaryWindow->RotaryMax->value(), 0);
        QCOMPARE(f.ChorusWindow->ChSpeed->value(), chorusSpeed);
        QCOMPARE(f.RotaryWindow->RotaryDepth->value(), 127); // byte 47 counts for every effect
        QVERIFY(f.RotaryWindow->isHidden());
        QVERIFY(f.DelayWindow->Delay->isChecked() == false); // the record's byte 3 overrides the preset
    }

    void chorusFeedbackLabelFollowsTheDump_data() {
        QTest::addColumn<int>("feedback");
        QTest::addColumn<QString>("label");
        QTest::newRow("64") << 64 << "Feedback(0)";
        QTest::newRow("63") << 63 << "Feedback(-)";
        QTest::newRow("65") << 65 << "Feedback(+)";
    }
    void chorusFeedbackLabelFollowsTheDump() {
        QFETCH(int, feedback);
        QFETCH(QString, label);
        FrameHarness h;
        DFrame& f = h.startConnected();
        PatchRecord r{};
        r[46] = 0; // "Chorus 2"
        r[52] = std::uint8_t(feedback);
        h.midi.deliver(dumpOf(r));
        FrameHarness::settle();
        QCOMPARE(f.ChorusWindow->ChFeedback->value(), 127 - feedback);
        QCOMPARE(f.ChorusWindow->StaticChFeedback->text(), label);
    }

    void storingSendsTheStoreMessageAndRetitles() {
        FrameHarness h;
        DFrame& f = ready(h);
        DialogWatcher dialogs([](QWidget* d) { chooseLocation(d, 5); });
        f.PatchWindow->ButtonSaveToPOD->click();
        FrameHarness::settle();
        QCOMPARE(h.midi.sentSysex(), std::vector<Bytes>{kEditRequest});
        const Bytes dump = dumpOf(namedRecord("Keeper"), 0x2A);
        h.midi.deliver(dump);
        FrameHarness::settle();
        QCOMPARE(dialogs.count(), 1);
        const auto sent = h.midi.sentSysex();
        QCOMPARE(sent.size(), std::size_t(2));
        Bytes expected = {0xF0, 0x00, 0x01, 0x0C, 0x01, 0x01, 0x00, 0x05, 0x2A};
        expected.insert(expected.end(), dump.begin() + 8, dump.end());
        QCOMPARE(sent[1], expected);
        QCOMPARE(sent[1].size(), std::size_t(152));
        QCOMPARE(f.windowTitle(), QStringLiteral("Amplix 32 - Patch 2B"));
        QCOMPARE(f.PatchWindow->StaticPatchNameData->text(), QStringLiteral("Keeper          "));
    }

    void storingWithoutALocationOrCancelledSendsNothing() {
        for (int how : {0, 1}) {
            FrameHarness h;
            DFrame& f = ready(h);
            DialogWatcher dialogs([how](QWidget* d) {
                if (how == 0)
                    chooseLocation(d, -1); // OK without choosing
                else
                    static_cast<QDialog*>(d)->reject();
            });
            f.WmSaveToPod();
            h.midi.deliver(dumpOf(namedRecord("X")));
            FrameHarness::settle();
            QCOMPARE(dialogs.count(), 1);
            QCOMPARE(h.midi.sentSysex(), std::vector<Bytes>{kEditRequest});
            QCOMPARE(f.windowTitle(), QStringLiteral("Amplix 32"));
        }
    }

    void renamingSendsTheDeviceDumpWithTheNewName() {
        FrameHarness h;
        DFrame& f = ready(h);
        DialogWatcher dialogs([](QWidget* d) {
            auto* edit = d->findChild<QLineEdit*>(QStringLiteral("EditNewPatchName"));
            QCOMPARE(edit->text(), QStringLiteral("Start           ")); // the device's padding comes back
            QCOMPARE(edit->maxLength(), 16);
            edit->selectAll();
            QTest::keyClicks(edit, QStringLiteral("Lead"));
            d->findChild<QPushButton*>(QStringLiteral("OK"))->click();
        });
        f.PatchWindow->ButtonPatchName->click();
        QCOMPARE(f.PatchWindow->StaticPatchNameData->text(), QStringLiteral("Lead"));
        FrameHarness::settle();
        QCOMPARE(h.midi.sentSysex(), std::vector<Bytes>{kEditRequest});

        PatchRecord device = namedRecord("Old Name");
        device[30] = 0x77; // a byte the editor never interprets
        const Bytes dump = dumpOf(device, 0x63);
        h.midi.deliver(dump);
        FrameHarness::settle();
        const auto sent = h.midi.sentSysex();
        QCOMPARE(sent.size(), std::size_t(2));
        Bytes expected = dump;
        const Bytes name = {0x04, 0x0C, 0x06, 0x05, 0x06, 0x01, 0x06, 0x04};
        std::copy(name.begin(), name.end(), expected.begin() + 118);
        for (int j = 4; j < 16; ++j) {
            expected[std::size_t(118 + 2 * j)] = 0x02;
            expected[std::size_t(119 + 2 * j)] = 0x00;
        }
        QCOMPARE(sent[1], expected);
        QCOMPARE(f.PatchWindow->StaticPatchNameData->text(), QStringLiteral("Lead            "));
        QCOMPARE(f.Name_flag, 0);
    }

    void aCancelledRenameChangesNothing() {
        FrameHarness h;
        DFrame& f = ready(h);
        DialogWatcher dialogs([](QWidget* d) { static_cast<QDialog*>(d)->reject(); });
        f.PatchWindow->ButtonPatchName->click();
        FrameHarness::settle();
        QCOMPARE(f.PatchWindow->StaticPatchNameData->text(), QStringLiteral("Start           "));
        QVERIFY(h.midi.sent.empty());
    }

    void flagsRideOnTheOutstandingRequest() {
        FrameHarness h;
        DFrame& f = ready(h);
        // Two renames while one request is outstanding: one request, the name shown at arrival wins.
        f.PatchWindow->StaticPatchNameData->setText(QStringLiteral("First"));
        f.WmChangePName();
        f.PatchWindow->StaticPatchNameData->setText(QStringLiteral("Second"));
        f.WmChangePName();
        QCOMPARE(h.midi.sentSysex().size(), std::size_t(1));
        h.midi.deliver(dumpOf(namedRecord("Device")));
        FrameHarness::settle();
        QCOMPARE(f.PatchWindow->StaticPatchNameData->text(), QStringLiteral("Second          "));

        // A rename asked for while a bank request is outstanding is dropped by the bank dump.
        h.midi.clearLog();
        f.ReadPODAll();
        f.WmChangePName();
        std::array<PatchRecord, kPatchLocations> patches{};
        auto bank = buildBankDump(patches);
        h.midi.deliver(Bytes(bank.begin(), bank.end()));
        FrameHarness::settle();
        QCOMPARE(f.Name_flag, 0);
        QCOMPARE(h.midi.sentSysex().size(), std::size_t(1)); // the bank request only
    }
};

QTEST_MAIN(DevicePatchTest)
#include "device_patch_qtest.moc"
