// Patch files end to end with the built-in simulator: save, open, choose from a bank, load a bank.
#include "app/DFrame.h"
#include "files/PatchFile.h"
#include "files/SafeSave.h"
#include "midi/SimulatorMidiService.h"
#include "midi/TestMidiService.h"
#include "support/FrameHarness.h"

#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>
#include <csignal>

using namespace amplix;
using testsupport::DialogWatcher;
using testsupport::FrameHarness;
using testsupport::MessageBoxWatcher;

namespace {

using Bytes = std::vector<std::uint8_t>;

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const Bytes& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
}

Bytes toBytes(const QByteArray& a) { return Bytes(a.begin(), a.end()); }

// Answers each file dialog with a path, and each other dialog by the given action.
struct Answers {
    QStringList paths;
    std::function<void(QWidget*)> other = [](QWidget* d) { static_cast<QDialog*>(d)->reject(); };
    DialogWatcher watcher{[this](QWidget* d) {
        if (auto* files = qobject_cast<QFileDialog*>(d)) {
            if (paths.isEmpty()) {
                files->reject();
                return;
            }
            // As a user types the name: the list's own selection would follow the filter's case.
            const QFileInfo chosen(paths.takeFirst());
            files->setDirectory(chosen.absolutePath());
            files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(chosen.fileName());
            static_cast<QDialog*>(files)->accept();
            return;
        }
        other(d);
    }};
};

Bytes bankBytes() {
    std::array<PatchRecord, kPatchLocations> patches{};
    for (std::size_t n = 0; n < kPatchLocations; ++n) {
        patches[n][46] = 10;
        for (std::size_t k = 0; k < 16; ++k)
            patches[n][kNameOffset + k] = std::uint8_t('A' + (n + k) % 26);
    }
    auto bank = buildBankDump(patches, 0x4B);
    return {bank.begin(), bank.end()};
}

void pick(QWidget* dialog, int row) {
    auto* list = dialog->findChild<QListWidget*>(QStringLiteral("PatchSelect"));
    if (row >= 0)
        list->setCurrentRow(row);
    dialog->findChild<QPushButton*>(QStringLiteral("OK"))->click();
}

} // namespace

class FilesTest : public QObject {
    Q_OBJECT

private slots:
    void savedFilesAreWhatTheDeviceSentAndOpenBackExactly() {
        FrameHarness scratch; // a start-up folder of its own, left again at the end
        QTemporaryDir& dir = scratch.dir;
        SimulatorMidiService midi(SimulatorMidiService::Pacing::Immediate);
        writeFile(dir.filePath("AMPLIX.CNF"), {0, 0, 0, 0});
        DFrame f(midi);
        f.SetupWindow();
        FrameHarness::settle();
        QCOMPARE(f.Waiting_for_sysex, 0);

        Answers answers;
        const QString single = dir.filePath("mine.syx"); // a single patch under a bank's extension
        const QString bank = dir.filePath("all");
        answers.paths = {single};
        f.menuAction(105)->trigger();
        QTRY_VERIFY(QFile::exists(single));
        Bytes device;
        midi.withDevice([&](PodDevice& pod) {
            auto dump = buildSingleDump(pod.editBuffer(), 0);
            device.assign(dump.begin(), dump.end());
        });
        const Bytes saved = toBytes(readAll(single));
        QCOMPARE(saved.size(), std::size_t(151));
        QVERIFY(std::equal(saved.begin() + 8, saved.end(), device.begin() + 8)); // record and F7
        QCOMPARE(classifyDump(saved), DumpKind::SinglePatch);

        answers.paths = {bank};
        f.menuAction(145)->trigger();
        QTRY_VERIFY(QFile::exists(bank + ".syx"));
        const Bytes savedBank = toBytes(readAll(bank + ".syx"));
        QCOMPARE(savedBank.size(), std::size_t(5121));
        const auto lines = bankListing(savedBank);
        midi.withDevice([&](PodDevice& pod) {
            for (std::size_t n = 0; n < kPatchLocations; ++n) {
                std::string name(pod.patch(n).begin() + kNameOffset, pod.patch(n).begin() + kNameOffset + 16);
                QCOMPARE(lines[n], locationLabel(n) + "  " + name);
            }
        });

        // Opening the saved bank lists the simulator's 36 names in the chooser.
        QStringList listed;
        answers.paths = {bank + ".syx"};
        answers.other = [&listed](QWidget* d) {
            auto* list = d->findChild<QListWidget*>(QStringLiteral("PatchSelect"));
            for (int row = 0; row < list->count(); ++row)
                listed << list->item(row)->text();
            static_cast<QDialog*>(d)->reject();
        };
        f.menuAction(106)->trigger();
        QCOMPARE(listed.size(), 36);
        for (std::size_t n = 0; n < kPatchLocations; ++n)
            QCOMPARE(listed[int(n)], QString::fromLatin1(lines[n].c_str()));

        // Opening the single patch shows it, sends exactly its bytes and reads back.
        answers.paths = {single};
        f.menuAction(106)->trigger();
        FrameHarness::settle();
        QCOMPARE(f.Waiting_for_sysex, 0);
        QVERIFY(std::equal(saved.begin(), saved.end(), f.sysEx.begin()));
    }

    void openingByContentNeverByName_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("sent");
        auto single = buildSingleDump(PatchRecord{}, 0x11);
        QByteArray singleBytes(reinterpret_cast<const char*>(single.data()), 151);
        QByteArray bankHead = singleBytes;
        bankHead[6] = 0x02;
        QTest::newRow("single as .SYX") << "a.SYX" << singleBytes << "" << 1;
        QTest::newRow("152 bytes") << "b.pod" << (singleBytes + char(0x55)) << "" << 1;
        QTest::newRow("150 bytes") << "c.pod" << singleBytes.left(150) << "Error reading from file!" << 0;
        QTest::newRow("bank header in 151 bytes") << "d.syx" << bankHead << "Error reading from file!" << 0;
        QTest::newRow("neither header") << "e.pod" << QByteArray(200, 'x') << "Error!  Invalid File format." << 0;
    }
    void openingByContentNeverByName() {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        QFETCH(int, sent);
        FrameHarness h;
        DFrame& f = h.startConnected();
        h.answerWithSingleDump();
        h.midi.clearLog();
        const QString path = h.dir.filePath(name);
        writeFile(path, toBytes(content));
        MessageBoxWatcher boxes;
        Answers answers;
        answers.paths = {path};
        f.CmFileOpen_();
        FrameHarness::settle();
        const auto sysex = h.midi.sentSysex();
        if (message.isEmpty()) {
            QVERIFY(boxes.seen().isEmpty());
            QCOMPARE(int(sysex.size()), 2); // the patch, then the read-back request
            QCOMPARE(sysex[0], toBytes(content.left(151)));
        } else {
            QCOMPARE(boxes.seen().size(), 1);
            QCOMPARE(boxes.seen()[0].text, message);
            QCOMPARE(boxes.seen()[0].caption, QStringLiteral("Error!!"));
            QCOMPARE(int(sysex.size()), sent);
        }
    }

    void aBankEntryOrTheWholeBank() {
        FrameHarness h;
        DFrame& f = h.startConnected();
        h.answerWithSingleDump();
        const QString path = h.dir.filePath("bank.pod"); // a bank under a single patch's extension
        const Bytes bank = bankBytes();
        writeFile(path, bank);

        // "2C": bank bytes 860 to 1001 become the record, the bank's byte 7 stays.
        h.midi.clearLog();
        Answers answers;
        answers.paths = {path};
        answers.other = [](QWidget* d) { pick(d, 6); };
        f.CmFileOpen_();
        FrameHarness::settle();
        auto sent = h.midi.sentSysex();
        QCOMPARE(sent.size(), std::size_t(2));
        QCOMPARE(sent[0].size(), std::size_t(151));
        QCOMPARE(sent[0][6], std::uint8_t(0x01));
        QCOMPARE(sent[0][7], std::uint8_t(0x4B));
        QVERIFY(std::equal(bank.begin() + 860, bank.begin() + 1002, sent[0].begin() + 8));
        QCOMPARE(sent[0][150], std::uint8_t(0xF7));
        h.midi.deliver(sent[0]); // the read-back
        FrameHarness::settle();

        // OK without touching the list loads "1A".
        h.midi.clearLog();
        answers.paths = {path};
        answers.other = [](QWidget* d) { pick(d, -1); };
        f.CmFileOpen_();
        QVERIFY(std::equal(bank.begin() + 8, bank.begin() + 150, h.midi.sentSysex()[0].begin() + 8));
        h.midi.deliver(h.midi.sentSysex()[0]);
        FrameHarness::settle();

        // "Load ALL", then Cancel in the warning: nothing.
        h.midi.clearLog();
        answers.paths = {path};
        int step = 0;
        answers.other = [&step](QWidget* d) {
            if (step++ == 0)
                d->findChild<QPushButton*>(QStringLiteral("ButtonLoadAll"))->click();
            else
                static_cast<QDialog*>(d)->reject();
        };
        f.CmFileOpen_();
        QVERIFY(h.midi.sent.empty());
        QCOMPARE(f.windowTitle(), QStringLiteral("Amplix 32"));

        // "Load ALL", then OK: the 5121 bytes as one message, the title, the read-back.
        answers.paths = {path};
        step = 0;
        answers.other = [&step](QWidget* d) {
            if (step++ == 0)
                d->findChild<QPushButton*>(QStringLiteral("ButtonLoadAll"))->click();
            else
                d->findChild<QPushButton*>(QStringLiteral("OK"))->click();
        };
        f.CmFileOpen_();
        sent = h.midi.sentSysex();
        QCOMPARE(sent.size(), std::size_t(2));
        QCOMPARE(sent[0], bank);
        QCOMPARE(f.windowTitle(), QStringLiteral("Amplix 32 - Patch 1A"));
    }

    void aFailedSaveLeavesTheOldFileAsItWas() {
        FrameHarness h;
        DFrame& f = h.startConnected();
        h.answerWithSingleDump();
        const QString path = h.dir.filePath("keep.pod");
        const Bytes old(151, 0x33);
        writeFile(path, old);

        // A disk that fills up: no file may grow past 64 bytes.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit before{};
        getrlimit(RLIMIT_FSIZE, &before);
        rlimit tight = before;
        tight.rlim_cur = 64;
        setrlimit(RLIMIT_FSIZE, &tight);
        MessageBoxWatcher boxes;
        Answers answers;
        answers.paths = {path};
        f.CmFileSave_();
        h.midi.deliver(toBytes(QByteArray(reinterpret_cast<const char*>(buildSingleDump(PatchRecord{}).data()), 151)));
        // The dialog first asks whether to replace the file; the watcher says yes.
        QTRY_COMPARE_WITH_TIMEOUT(boxes.seen().size(), 2, 3000);
        setrlimit(RLIMIT_FSIZE, &before);
        QCOMPARE(boxes.seen()[1].text, QStringLiteral("Error writing to file!"));
        QCOMPARE(boxes.seen()[1].caption, QStringLiteral("Error!!"));
        QCOMPARE(toBytes(readAll(path)), old);

        // A file that cannot be created at all fails the same way, and nothing is written.
        const QString nowhere = h.dir.filePath("no such folder/x.pod");
        QVERIFY(!saveWholeFile(nowhere, old.data(), qint64(old.size())));
        QVERIFY(!QFile::exists(nowhere));
    }
};

QTEST_MAIN(FilesTest)
#include "files_qtest.moc"
