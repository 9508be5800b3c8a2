// Settings wherever the editor starts: AMPLIX.CNF of the start-up folder first, else the copy of
// the last settings saved from any folder, kept in the user's configuration folder.
#include "app/DFrame.h"
#include "midi/MidiConfig.h"
#include "support/FrameHarness.h"

#include <QComboBox>
#include <QDialog>
#include <QPushButton>

using namespace amplix;
using testsupport::DialogWatcher;
using testsupport::FrameHarness;
using testsupport::MessageBoxWatcher;

namespace {

QByteArray configBytes(const MidiConfig& config) {
    const std::vector<std::uint8_t> bytes = encodeMidiConfig(config);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

void writeCopy(const MidiConfig& config) {
    QVERIFY(QDir().mkpath(QFileInfo(FrameHarness::userConfigCopy()).path()));
    QFile file(FrameHarness::userConfigCopy());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(configBytes(config));
}

QByteArray readCopy() {
    QFile file(FrameHarness::userConfigCopy());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Picks the channel (0..15) in MIDI Setup and presses OK.
std::function<void(QWidget*)> okWithChannel(int channel) {
    return [channel](QWidget* dialog) {
        dialog->findChild<QComboBox*>(QStringLiteral("MidiChannel"))->setCurrentIndex(channel);
        dialog->findChild<QPushButton*>(QStringLiteral("OK"))->click();
    };
}

} // namespace

class SettingsCopyTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        // The program's own folders, not the user's: the home the support made before main.
        QVERIFY(QDir::homePath().startsWith(QDir::tempPath()));
        QVERIFY(FrameHarness::userConfigCopy().startsWith(QDir::homePath()));
    }

    void withoutAFileOfItsOwnTheCopyIsUsedAndNoDialogOpens() {
        FrameHarness h;
        h.midi.inputs = {"In 0", "In 1"};
        h.midi.outputs = {"Out 0", "Out 1"};
        writeCopy({6, 1, 1, "In 1", "Out 1"});
        DialogWatcher dialogs([](QWidget* d) { static_cast<QDialog*>(d)->reject(); });
        DFrame& f = h.start();
        QCOMPARE(dialogs.count(), 0);
        QCOMPARE(f.PODMidiSet, 1);
        QCOMPARE(f.PODMidiChannel, 6);
        QCOMPARE(f.PODMidiInPort, 1u);
        QCOMPARE(f.PODMidiOutPort, 1u);
        // The start-up folder is written only as before: by MIDI Setup's OK.
        QVERIFY(!QFile::exists(h.dir.filePath("AMPLIX.CNF")));
    }

    void theStartUpFoldersFileComesFirstAndOkWritesItAndTheCopy() {
        FrameHarness h;
        h.midi.inputs = {"In 0", "In 1"};
        h.midi.outputs = {"Out 0", "Out 1"};
        writeCopy({6, 1, 1, "In 1", "Out 1"});
        h.writeConfig({2, 0, 0, 0}); // four bytes, as an old file has them
        DFrame& f = h.start();
        QCOMPARE(f.PODMidiChannel, 2);
        QCOMPARE(f.PODMidiInPort, 0u);
        QCOMPARE(h.readConfig(), QByteArray::fromHex("02000000")); // read, not rewritten

        DialogWatcher dialogs(okWithChannel(9));
        f.CmSetupMidi();
        QCOMPARE(dialogs.count(), 1);
        const QByteArray expected = configBytes({9, 0, 0, "In 0", "Out 0"});
        QCOMPARE(h.readConfig(), expected);
        QCOMPARE(readCopy(), expected);
    }

    void aFirstStartAsksOnceAndTheNextStartFromAnotherFolderDoesNot() {
        QByteArray saved;
        {
            FrameHarness first;
            DialogWatcher dialogs(okWithChannel(4));
            first.start();
            QCOMPARE(dialogs.count(), 1);
            saved = first.readConfig();
            QCOMPARE(readCopy(), saved);
            QCOMPARE(saved.left(4), QByteArray::fromHex("04000000"));
        }
        QByteArray copy = readCopy();
        FrameHarness elsewhere; // starts as on a fresh machine: put the copy back
        writeCopy(*decodeMidiConfig(
            std::span(reinterpret_cast<const std::uint8_t*>(copy.constData()), std::size_t(copy.size()))));
        DialogWatcher dialogs([](QWidget* d) { static_cast<QDialog*>(d)->reject(); });
        DFrame& f = elsewhere.start();
        QCOMPARE(dialogs.count(), 0);
        QCOMPARE(f.PODMidiSet, 1);
        QCOMPARE(f.PODMidiChannel, 4);
    }

    void aDamagedFileOfItsOwnStillOpensTheDialogAsBefore() {
        FrameHarness h;
        writeCopy({6, 0, 0, "", ""});
        h.writeConfig({1, 0});   // too short to be settings
        MessageBoxWatcher boxes; // the read with no ports open says so
        DialogWatcher dialogs([](QWidget* d) { static_cast<QDialog*>(d)->reject(); });
        DFrame& f = h.start();
        QCOMPARE(dialogs.count(), 1);
        QCOMPARE(f.PODMidiSet, 0);
    }

    void aStartUpFolderThatCannotBeWrittenStillLeavesTheCopy() {
        FrameHarness h;
        DFrame& f = h.startConnected();
        QFile::remove(h.dir.filePath("AMPLIX.CNF"));
        QVERIFY(QDir(h.dir.path()).mkdir("AMPLIX.CNF")); // a folder in the way
        MessageBoxWatcher boxes;
        DialogWatcher dialogs(okWithChannel(11));
        f.CmSetupMidi();
        QCOMPARE(boxes.seen().size(), 1);
        QCOMPARE(boxes.seen().first().text, QStringLiteral("Error writing to AMPLIX.CNF file!"));
        QCOMPARE(readCopy().left(4), QByteArray::fromHex("0B000000"));
    }
};

QTEST_MAIN(SettingsCopyTest)
#include "settings_copy_qtest.moc"
