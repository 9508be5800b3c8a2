// MIDI setup: the dialog, AMPLIX.CNF at start-up and after OK, and the ports it leads to.
#include "app/DFrame.h"
#include "midi/DMidiSetupDialog.h"
#include "midi/MidiConfig.h"
#include "support/FrameHarness.h"

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace amplix;
using testsupport::DialogWatcher;
using testsupport::FrameHarness;
using testsupport::MessageBoxWatcher;

namespace {

// As a user's picks (the dialog follows every selection change), then OK or Cancel.
std::function<void(QWidget*)> answer(std::vector<std::pair<const char*, int>> picks, bool ok) {
    return [=](QWidget* dialog) {
        for (auto [list, index] : picks)
            dialog->findChild<QComboBox*>(QString::fromLatin1(list))->setCurrentIndex(index);
        if (ok)
            dialog->findChild<QPushButton*>(QStringLiteral("OK"))->click();
        else
            static_cast<QDialog*>(dialog)->reject();
    };
}
const auto cancel = answer({}, false);

QByteArray bytes(const char* hex) {
    return QByteArray::fromHex(hex);
}

} // namespace

class MidiSetupTest : public QObject {
    Q_OBJECT

private slots:
    void theDialogListsDevicesAndChannelsAndPreselects() {
        TestMidiService midi;
        midi.inputs = {"In A", "In B"};
        midi.outputs = {"Out A", "Out B", "Out C"};
        unsigned in = 1, out = 7;
        int channel = 15;
        DMidiSetupDialog dialog(nullptr, midi, &in, &out, &channel);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("MIDI Setup"));
        QCOMPARE(dialog.MidiInPort->count(), 2);
        QCOMPARE(dialog.MidiOutPort->itemText(2), QStringLiteral("Out C"));
        QCOMPARE(dialog.MidiChannel->count(), 16);
        QCOMPARE(dialog.MidiChannel->itemText(0), QStringLiteral("1"));
        QCOMPARE(dialog.MidiChannel->itemText(15), QStringLiteral("16"));
        QCOMPARE(dialog.MidiInPort->currentIndex(), 1);
        QCOMPARE(dialog.MidiOutPort->currentIndex(), -1); // index 7 does not exist
        QCOMPARE(dialog.MidiChannel->currentIndex(), 15);
        dialog.MidiOutPort->setCurrentIndex(2); // as a user's pick: the dialog follows every change
        dialog.MidiChannel->setCurrentIndex(3);
        QCOMPARE(out, 2u);
        QCOMPARE(channel, 3);

        QStringList texts;
        for (auto* label : dialog.findChildren<QLabel*>()) {
            texts << label->text();
            QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(),
                     qPrintable(label->text()));
        }
        for (const char* expected :
             {"Select the MIDI input, output and channel", "settings used to connect to your POD. Then",
              "click the OK button to save the new settings.", "MIDI in:", "MIDI out:", "MIDI channel:"})
            QVERIFY2(texts.contains(QString::fromLatin1(expected)), expected);
    }

    // OK writes the four bytes and the device names after them; a later start finds the
    // devices again by those names after they have moved.
    void firstStartShowsTheDialogBeforeTheWindowAndOkWritesTheFile() {
        FrameHarness h;
        h.midi.inputs = {"In 0", "In 1"};
        h.midi.outputs = {"Out 0", "Out 1", "Out 2"};
        bool windowVisibleDuringDialog = true;
        DialogWatcher dialogs([&](QWidget* dialog) {
            windowVisibleDuringDialog = h.frame->isVisible();
            answer({{"MidiChannel", 3}, {"MidiInPort", 1}, {"MidiOutPort", 2}}, true)(dialog);
        });
        DFrame& f = h.start();
        QCOMPARE(dialogs.count(), 1);
        QVERIFY(!windowVisibleDuringDialog);
        const QByteArray file = h.readConfig();
        QCOMPARE(file.left(4), bytes("03010200"));
        QCOMPARE(f.PODMidiSet, 1);
        QCOMPARE(f.PODMidiChannel, 3);
        QCOMPARE(f.Waiting_for_sysex, 1); // the edit buffer was asked for after OK
        const auto config = decodeMidiConfig(
            std::span(reinterpret_cast<const std::uint8_t*>(file.constData()), std::size_t(file.size())));
        QVERIFY(config);
        QCOMPARE(config->inputName, std::string("In 1"));
        QCOMPARE(config->outputName, std::string("Out 2"));

        FrameHarness later;
        later.midi.inputs = {"In 1", "Other"};
        later.midi.outputs = {"Out 2", "Out 0"};
        later.writeConfig(std::vector<std::uint8_t>(file.begin(), file.end()));
        DFrame& moved = later.start();
        QCOMPARE(moved.PODMidiSet, 1);
        QCOMPARE(moved.PODMidiInPort, 0u);
        QCOMPARE(moved.PODMidiOutPort, 0u);
    }

    // Without a usable file the dialog comes first; cancelled, the editor has no ports and no
    // input to arm for its start-up request. Only OK writes the file.
    void configFilesOfEveryShape_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("dialog");
        QTest::addColumn<int>("channel");
        QTest::newRow("no file") << QByteArray() << true << 0;
        QTest::newRow("three bytes") << bytes("000000") << true << 0;
        QTest::newRow("five bytes") << bytes("040000004d") << false << 4;
        QTest::newRow("channel in the low bits") << bytes("13000000") << false << 3;
        QTest::newRow("input past the list") << bytes("00010000") << true << 0;
        QTest::newRow("output past the list") << bytes("00000100") << true << 0;
    }
    void configFilesOfEveryShape() {
        QFETCH(QByteArray, file);
        QFETCH(bool, dialog);
        QFETCH(int, channel);
        FrameHarness h;
        if (!file.isNull())
            h.writeConfig(std::vector<std::uint8_t>(file.begin(), file.end()));
        MessageBoxWatcher boxes;
        DialogWatcher dialogs(cancel);
        DFrame& f = h.start();
        QCOMPARE(dialogs.count(), dialog ? 1 : 0);
        QCOMPARE(f.PODMidiSet, dialog ? 0 : 1);
        QCOMPARE(f.PODMidiChannel, channel);
        QCOMPARE(h.readConfig(), file);
        QCOMPARE(QFile::exists(h.dir.filePath("AMPLIX.CNF")), !file.isNull());
        QCOMPARE(boxes.seen().size(), dialog ? 1 : 0);
        if (dialog)
            QCOMPARE(boxes.seen().first().text, QStringLiteral("Failed to prepare midi input buffer"));
    }

    void okOnAMissingDeviceFailsToOpenAndAsksAgain() {
        FrameHarness h;
        h.writeConfig({0, 1, 0, 0}); // input 1, but there is only one input
        MessageBoxWatcher boxes;
        QList<int> inputSelections;
        DialogWatcher dialogs([&](QWidget* dialog) {
            inputSelections << dialog->findChild<QComboBox*>(QStringLiteral("MidiInPort"))->currentIndex();
            answer({}, inputSelections.size() == 1)(dialog); // OK without choosing keeps index 1
        });
        DFrame& f = h.start();
        QCOMPARE(inputSelections, (QList<int>{-1, -1}));
        QCOMPARE(h.readConfig().left(4), bytes("00010000"));
        QCOMPARE(boxes.seen().first().text, QStringLiteral("Invalid MIDI in port selected - Select another"));
        QCOMPARE(boxes.seen().first().caption, QStringLiteral("Error!"));
        QCOMPARE(f.PODMidiSet, 0);
    }

    // Only the channel changed: the file is rewritten and no port reopened; Cancel changes nothing.
    void changingOnlyTheChannelReopensNothingAndCancelChangesNothing() {
        FrameHarness h;
        DFrame& f = h.startConnected(2);
        const MidiHandle in = f.HPODMidiIn, out = f.HPODMidiOut;
        h.midi.clearLog();
        {
            DialogWatcher dialogs(answer({{"MidiChannel", 11}}, false));
            f.CmSetupMidi();
        }
        QCOMPARE(f.PODMidiChannel, 2);
        QCOMPARE(h.readConfig(), bytes("02000000"));
        DialogWatcher dialogs(answer({{"MidiChannel", 9}}, true));
        f.CmSetupMidi();
        QCOMPARE(f.PODMidiChannel, 9);
        QCOMPARE(h.readConfig().left(4), bytes("09000000"));
        QCOMPARE(f.HPODMidiIn, in);
        QCOMPARE(f.HPODMidiOut, out);
        QVERIFY(h.midi.calls.empty());
    }

    void everyOutputIsResetOnceAtStartUp() {
        FrameHarness h;
        h.midi.outputs = {"Out 0", "Out 1", "Out 2"};
        h.writeConfig({0, 0, 1, 0});
        h.start();
        const std::vector<std::string> expected = {
            "openOutput 2", "resetOutput", "closeOutput", "openOutput 1", "resetOutput", "closeOutput",
            "openOutput 0", "resetOutput", "closeOutput", "openOutput 1", "openInput 0", "startInput"};
        QCOMPARE(std::vector<std::string>(h.midi.calls.begin(), h.midi.calls.begin() + 12), expected);
    }

    void aConfigThatCannotBeWrittenIsReported() {
        FrameHarness h;
        DFrame& f = h.startConnected();
        QFile::remove(h.dir.filePath("AMPLIX.CNF"));
        QVERIFY(QDir(h.dir.path()).mkdir("AMPLIX.CNF")); // a folder in the way
        MessageBoxWatcher boxes;
        DialogWatcher dialogs(answer({{"MidiChannel", 1}}, true));
        f.CmSetupMidi();
        QCOMPARE(boxes.seen().size(), 1);
        QCOMPARE(boxes.seen().first().text, QStringLiteral("Error writing to AMPLIX.CNF file!"));
        QCOMPARE(boxes.seen().first().caption, QStringLiteral("error!!"));
        QCOMPARE(f.PODMidiChannel, 1); // kept in memory
    }
};

QTEST_MAIN(MidiSetupTest)
#include "midi_setup_qtest.moc"
