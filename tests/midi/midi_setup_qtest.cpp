// MIDI setup: the dialog, AMPLIX.CNF at start-up and after OK, and the ports it leads to.
#include "app/DFrame.h"
#include "midi/DMidiSetupDialog.h"
#include "midi/MidiConfig.h"
#include "support/FrameHarness.h"

#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace amplix;
using testsupport::DialogWatcher;
using testsupport::FrameHarness;
using testsupport::MessageBoxWatcher;

namespace {

QComboBox* list(QWidget* dialog, const char* name) { return dialog->findChild<QComboBox*>(QString::fromLatin1(name)); }

void choose(QComboBox* box, int index) {
    box->setCurrentIndex(index); // as a user's pick: the dialog follows every selection change
}

void pressOk(QWidget* dialog) { dialog->findChild<QPushButton*>(QStringLiteral("OK"))->click(); }
void cancel(QWidget* dialog) { static_cast<QDialog*>(dialog)->reject(); }

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
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

        choose(dialog.MidiOutPort, 2);
        choose(dialog.MidiChannel, 3);
        QCOMPARE(out, 2u);
        QCOMPARE(channel, 3);

        QStringList texts;
        for (auto* label : dialog.findChildren<QLabel*>())
            texts << label->text();
        for (const char* expected : {"Select the MIDI input, output and channel",
                                     "settings used to connect to your POD. Then",
                                     "click the OK button to save the new settings.", "MIDI in:", "MIDI out:",
                                     "MIDI channel:"})
            QVERIFY2(texts.contains(QString::fromLatin1(expected)), expected);
        // Every text fits its place.
        for (auto* label : dialog.findChildren<QLabel*>())
            QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(), qPrintable(label->text()));
    }

    void firstStartShowsTheDialogBeforeTheWindowAndOkWritesTheFile() {
        FrameHarness h;
        h.midi.inputs = {"In 0", "In 1"};
        h.midi.outputs = {"Out 0", "Out 1", "Out 2"};
        bool windowVisibleDuringDialog = true;
        DialogWatcher dialogs([&](QWidget* dialog) {
            windowVisibleDuringDialog = h.frame->isVisible();
            choose(list(dialog, "MidiChannel"), 3);
            choose(list(dialog, "MidiInPort"), 1);
            choose(list(dialog, "MidiOutPort"), 2);
            pressOk(dialog);
        });
        DFrame& f = h.start();
        QCOMPARE(dialogs.count(), 1);
        QVERIFY(!windowVisibleDuringDialog);
        QCOMPARE(h.readConfig().left(4), bytes({3, 1, 2, 0}));
        QCOMPARE(f.PODMidiSet, 1);
        QCOMPARE(f.PODMidiChannel, 3);
        QCOMPARE(f.Waiting_for_sysex, 1); // the edit buffer was asked for after OK
    }

    void cancelAtFirstStartLeavesTheEditorWithoutPorts() {
        FrameHarness h;
        MessageBoxWatcher boxes;
        DialogWatcher dialogs(cancel);
        DFrame& f = h.start();
        QCOMPARE(dialogs.count(), 1);
        QCOMPARE(f.PODMidiSet, 0);
        QVERIFY(h.readConfig().isEmpty());
        QVERIFY(!QFile::exists(h.dir.filePath("AMPLIX.CNF")));
        QCOMPARE(boxes.seen().size(), 1);
        QCOMPARE(boxes.seen().first().text, QStringLiteral("Failed to prepare midi input buffer"));
    }

    void configFilesOfEveryShape_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("dialog");
        QTest::addColumn<int>("channel");
        QTest::newRow("three bytes") << bytes({0, 0, 0}) << true << 0;
        QTest::newRow("five bytes") << bytes({4, 0, 0, 0, 77}) << false << 4;
        QTest::newRow("channel in the low bits") << bytes({0x13, 0, 0, 0}) << false << 3;
        QTest::newRow("input past the list") << bytes({0, 1, 0, 0}) << true << 0;
        QTest::newRow("output past the list") << bytes({0, 0, 1, 0}) << true << 0;
    }
    void configFilesOfEveryShape() {
        QFETCH(QByteArray, file);
        QFETCH(bool, dialog);
        QFETCH(int, channel);
        FrameHarness h;
        h.writeConfig(std::vector<std::uint8_t>(file.begin(), file.end()));
        MessageBoxWatcher boxes;
        DialogWatcher dialogs(cancel);
        DFrame& f = h.start();
        QCOMPARE(dialogs.count(), dialog ? 1 : 0);
        QCOMPARE(f.PODMidiSet, dialog ? 0 : 1);
        QCOMPARE(f.PODMidiChannel, channel);
        QCOMPARE(h.readConfig(), file); // only OK writes the file
    }

    void okOnAMissingDeviceFailsToOpenAndAsksAgain() {
        FrameHarness h;
        h.writeConfig({0, 1, 0, 0}); // input 1, but there is only one input
        MessageBoxWatcher boxes;
        QList<int> inputSelections;
        DialogWatcher dialogs([&](QWidget* dialog) {
            inputSelections << list(dialog, "MidiInPort")->currentIndex();
            if (inputSelections.size() == 1)
                pressOk(dialog); // OK without choosing keeps index 1
            else
                cancel(dialog);
        });
        DFrame& f = h.start();
        QCOMPARE(inputSelections, (QList<int>{-1, -1}));
        QCOMPARE(h.readConfig().left(4), bytes({0, 1, 0, 0}));
        QCOMPARE(boxes.seen().first().text, QStringLiteral("Invalid MIDI in port selected - Select another"));
        QCOMPARE(boxes.seen().first().caption, QStringLiteral("Error!"));
        QCOMPARE(f.PODMidiSet, 0);
    }

    void changingOnlyTheChannelRewritesTheFileAndReopensNothing() {
        FrameHarness h;
        DFrame& f = h.startConnected(0);
        MidiHandle in = f.HPODMidiIn, out = f.HPODMidiOut;
        h.midi.clearLog();
        DialogWatcher dialogs([](QWidget* dialog) {
            choose(list(dialog, "MidiChannel"), 9);
            pressOk(dialog);
        });
        f.CmSetupMidi();
        QCOMPARE(f.PODMidiChannel, 9);
        QCOMPARE(h.readConfig().left(4), bytes({9, 0, 0, 0}));
        QCOMPARE(f.HPODMidiIn, in);
        QCOMPARE(f.HPODMidiOut, out);
        QVERIFY(h.midi.calls.empty());
    }

    void cancelChangesNothing() {
        FrameHarness h;
        DFrame& f = h.startConnected(2);
        const QByteArray before = h.readConfig();
        h.midi.clearLog();
        DialogWatcher dialogs([](QWidget* dialog) {
            choose(list(dialog, "MidiChannel"), 11);
            cancel(dialog);
        });
        f.CmSetupMidi();
        QCOMPARE(f.PODMidiChannel, 2);
        QCOMPARE(h.readConfig(), before);
        QVERIFY(h.midi.calls.empty());
    }

    void everyOutputIsResetOnceAtStartUp() {
        FrameHarness h;
        h.midi.outputs = {"Out 0", "Out 1", "Out 2"};
        h.writeConfig({0, 0, 1, 0});
        h.start();
        const std::vector<std::string> expected = {"openOutput 2", "resetOutput", "closeOutput",
                                                   "openOutput 1", "resetOutput", "closeOutput",
                                                   "openOutput 0", "resetOutput", "closeOutput",
                                                   "openOutput 1", "openInput 0",  "startInput"};
        QCOMPARE(std::vector<std::string>(h.midi.calls.begin(), h.midi.calls.begin() + 12), expected);
    }

    void aDeviceThatMovedIsFoundByItsName() {
        FrameHarness h;
        h.midi.inputs = {"Other In", "POD In"};
        h.midi.outputs = {"Other Out", "POD Out"};
        auto config = encodeMidiConfig({1, 0, 0, "POD In", "POD Out"}); // stored when POD was first
        h.writeConfig(config);
        DFrame& f = h.start();
        QCOMPARE(f.PODMidiInPort, 1u);
        QCOMPARE(f.PODMidiOutPort, 1u);
        QCOMPARE(f.PODMidiSet, 1);
    }

    void okRecordsTheDeviceNamesAfterTheFourBytes() {
        FrameHarness h;
        h.midi.inputs = {"In X"};
        h.midi.outputs = {"Out Y"};
        DialogWatcher dialogs([](QWidget* dialog) {
            choose(list(dialog, "MidiInPort"), 0);
            choose(list(dialog, "MidiOutPort"), 0);
            pressOk(dialog);
        });
        h.start();
        auto config = decodeMidiConfig(std::span(reinterpret_cast<const std::uint8_t*>(h.readConfig().constData()),
                                                 std::size_t(h.readConfig().size())));
        QVERIFY(config);
        QCOMPARE(config->inputName, std::string("In X"));
        QCOMPARE(config->outputName, std::string("Out Y"));
    }

    void aConfigThatCannotBeWrittenIsReported() {
        FrameHarness h;
        DFrame& f = h.startConnected();
        QFile::remove(h.dir.filePath("AMPLIX.CNF"));
        QVERIFY(QDir(h.dir.path()).mkdir("AMPLIX.CNF")); // a folder in the way
        MessageBoxWatcher boxes;
        DialogWatcher dialogs([](QWidget* dialog) {
            choose(list(dialog, "MidiChannel"), 1);
            pressOk(dialog);
        });
        f.CmSetupMidi();
        QCOMPARE(boxes.seen().size(), 1);
        QCOMPARE(boxes.seen().first().text, QStringLiteral("Error writing to AMPLIX.CNF file!"));
        QCOMPARE(boxes.seen().first().caption, QStringLiteral("error!!"));
        QCOMPARE(f.PODMidiChannel, 1); // kept in memory
    }
};

QTEST_MAIN(MidiSetupTest)
#include "midi_setup_qtest.moc"
