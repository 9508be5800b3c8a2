// Patches on the device: a dump shown on the panel, storing, renaming, and what rides on a request.
#include "app/DFrame.h"
#include "patch/DPatchName.h"
#include "support/FrameHarness.h"
#include "tone/DChorus.h"
#include "tone/DDelay.h"
#include "tone/DRotary.h"
#include "tone/ToneControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QImage>
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

PatchRecord namedRecord(const char* name) {
    PatchRecord r{};
    r[46] = 10; // "Bypass"
    std::string n(name);
    n.resize(kNameLength, ' ');
    std::copy(n.begin(), n.end(), r.begin() + kNameOffset);
    return r;
}

// "member=state ..." of the controls named.
QString states(DFrame& f, std::initializer_list<const char*> members) {
    QStringList out;
    for (const char* member : members)
        out << QStringLiteral("%1=%2").arg(member).arg(controlState(f.toneControl(member)));
    return out.join(' ');
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
        PatchRecord r = namedRecord("Ab");
        r[kNameOffset + 2] = 0; // a 00 ends the name
        // Distortion 0x10 (only the low nibble counts), Bright, "POD Layer", Drive at the bottom, Drive2
        // near the top, delay time 01 7F EC (3150 ms), cabinet 0x2F (15: high nibble ignored), "Rotary"
        // with depth 10, fast, R = 90 (position 0) and R = 2894 (position 127).
        for (auto [k, b] : {std::pair{0, 0x10},
                            {7, 0x01},
                            {8, 4},
                            {9, 0},
                            {10, 63},
                            {27, 0x01},
                            {28, 0x7F},
                            {29, 0xEC},
                            {44, 0x2F},
                            {46, 2},
                            {47, 10},
                            {48, 1},
                            {49, 0},
                            {50, 90},
                            {51, 0x0B},
                            {52, 0x4E}})
            r[std::size_t(k)] = std::uint8_t(b);
        h.midi.clearLog();
        h.midi.deliver(dumpOf(r));
        FrameHarness::settle();
        QCOMPARE(
            states(f, {"Distortion", "Bright", "AmpModel", "Drive", "Drive2", "DelayTime", "CabSel",
                       "EffectSel", "RotaryDepth", "RotarySpeed", "RotaryMax", "RotaryMin"}),
            QStringLiteral("Distortion=0 Bright=1 AmpModel=4 Drive=127 Drive2=1 DelayTime=3150 CabSel=15 "
                           "EffectSel=7 RotaryDepth=107 RotarySpeed=1 RotaryMax=0 RotaryMin=127"));
        QVERIFY(!f.Drive2->isHidden());
        QVERIFY(!f.RotaryWindow->isHidden());
        QCOMPARE(f.DelayWindow->StaticDelayTime->text(), QStringLiteral("Delay Time:  3150 mS"));
        QCOMPARE(f.PatchWindow->StaticPatchNameData->text(), QStringLiteral("Ab"));
        QVERIFY(h.midi.sent.empty());

        // An effect without a layout leaves the effect windows as they were; byte 47 counts for every
        // effect, and the record's byte 3 overrides the delay switch the effect would preset.
        const QString chorus = states(f, {"ChSpeed"});
        r[46] = 6; // "Delay"
        r[47] = 0;
        f.CmFileRead();
        h.midi.deliver(dumpOf(r));
        FrameHarness::settle();
        QCOMPARE(states(f, {"RotaryMax", "RotaryDepth", "Delay"}),
                 QStringLiteral("RotaryMax=0 RotaryDepth=127 Delay=0"));
        QCOMPARE(states(f, {"ChSpeed"}), chorus);
        QVERIFY(f.RotaryWindow->isHidden());

        // Value 64 is no chorus feedback, 65 positive.
        r[46] = 0; // "Chorus 2"
        r[52] = 65;
        f.CmFileRead();
        h.midi.deliver(dumpOf(r));
        FrameHarness::settle();
        QCOMPARE(f.ChorusWindow->ChFeedback->value(), 127 - 65);
        QCOMPARE(f.ChorusWindow->StaticChFeedback->text(), QStringLiteral("Feedback(+)"));
        QVERIFY(h.midi.sentShort().empty());
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
        Bytes store = {0xF0, 0x00, 0x01, 0x0C, 0x01,
                       0x01, 0x00, 0x05, 0x2A}; // location 5, then the dump's data
        store.insert(store.end(), dump.begin() + 8, dump.end());
        QCOMPARE(h.midi.sentSysex(), (std::vector<Bytes>{kEditRequest, store}));
        QCOMPARE(f.windowTitle(), QStringLiteral("Amplix 32 - Patch 2B"));
        QCOMPARE(f.PatchWindow->StaticPatchNameData->text(), QStringLiteral("Keeper          "));
    }

    // A store without a location or cancelled, and a cancelled rename, send nothing and change nothing.
    void cancelledStoreOrRenameSendsNothing() {
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
        FrameHarness h;
        DFrame& f = ready(h);
        DialogWatcher dialogs([](QWidget* d) { static_cast<QDialog*>(d)->reject(); });
        f.PatchWindow->ButtonPatchName->click();
        FrameHarness::settle();
        QCOMPARE(f.PatchWindow->StaticPatchNameData->text(), QStringLiteral("Start           "));
        QVERIFY(h.midi.sent.empty());
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
        Bytes expected(dump.begin(), dump.begin() + 118); // "Lead" as nibbles, then spaces
        expected.insert(expected.end(), {0x04, 0x0C, 0x06, 0x05, 0x06, 0x01, 0x06, 0x04});
        for (int j = 4; j < 16; ++j)
            expected.insert(expected.end(), {0x02, 0x00});
        expected.push_back(0xF7);
        QCOMPARE(sent[1], expected);
        QCOMPARE(f.PatchWindow->StaticPatchNameData->text(), QStringLiteral("Lead            "));
        QCOMPARE(f.Name_flag, 0);
    }

    // A name is shown as the characters it holds, whether it comes from the device or is typed:
    // no markup, and no picture loaded from a file of that name.
    void namesAreShownAsTheirCharacters() {
        FrameHarness h;
        DFrame& f = ready(h);
        QImage picture(120, 120, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QVERIFY(picture.save(h.dir.filePath(QStringLiteral("a.png"))));
        QLabel* strip = f.PatchWindow->StaticPatchNameData;
        for (const char* name : {"<b>x</b> & <i>", "<img src=a.png>", "a &lt; b &amp; c"}) {
            f.CmFileRead();
            h.midi.deliver(dumpOf(namedRecord(name)));
            FrameHarness::settle();
            QCOMPARE(strip->text(), QString::fromLatin1(name).leftJustified(16));
            QVERIFY2(testsupport::drawnOtherwise(strip).isEmpty(),
                     qPrintable(testsupport::drawnOtherwise(strip)));
        }
        DialogWatcher dialogs([](QWidget* d) {
            auto* edit = d->findChild<QLineEdit*>(QStringLiteral("EditNewPatchName"));
            edit->selectAll();
            QTest::keyClicks(edit, QStringLiteral("<u>Typed</u> &"));
            d->findChild<QPushButton*>(QStringLiteral("OK"))->click();
        });
        f.PatchWindow->ButtonPatchName->click();
        QCOMPARE(strip->text(), QStringLiteral("<u>Typed</u> &"));
        QVERIFY2(testsupport::drawnOtherwise(strip).isEmpty(),
                 qPrintable(testsupport::drawnOtherwise(strip)));
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
