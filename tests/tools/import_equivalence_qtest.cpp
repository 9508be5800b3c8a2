// The editor's File > Open and Import and amplix-patch convert: the same dump, or the same message.
#include "TestPatchFiles.h"

#include "import/DPatchImportGPTDialog.h"
#include "midi/SimulatorMidiService.h"
#include "support/FrameHarness.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace amplix;
using namespace patchfiles;
using testsupport::DialogWatcher;
using testsupport::FrameHarness;
using testsupport::MessageBoxWatcher;

namespace {

constexpr int kProcessTimeoutMs = 30000;
constexpr int kErrorStatus = 2;

QByteArray toQt(const Bytes& b) {
    return QByteArray(reinterpret_cast<const char*>(b.data()), qsizetype(b.size()));
}

// What came of a file: the dump sent, or the message shown instead.
struct Outcome {
    QByteArray dump;
    QString message;
};

// The user's part: the file dialog gets the path, a chooser its row, the GuitarPort dialog
// its radio button when it shows one; then OK.
Outcome throughTheEditor(const QString& path, bool open, int row, const QString& effect) {
    FrameHarness h;
    DFrame& frame = h.startConnected();
    h.answerWithSingleDump();
    h.midi.clearLog();
    MessageBoxWatcher boxes;
    DialogWatcher dialogs([&](QWidget* dialog) {
        if (auto* files = qobject_cast<QFileDialog*>(dialog)) {
            files->setDirectory(QFileInfo(path).absolutePath());
            files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QFileInfo(path).fileName());
            static_cast<QDialog*>(files)->accept();
            return;
        }
        if (auto* list = dialog->findChild<QListWidget*>(QStringLiteral("PatchSelect")))
            list->setCurrentRow(row);
        if (auto* gpt = dynamic_cast<DPatchImportGPTDialog*>(dialog)) {
            QRadioButton* radio = effect == QLatin1String("comp") ? gpt->SelectComp : gpt->SelectMod;
            if (!effect.isEmpty() && radio->isVisible())
                QTest::mouseClick(radio, Qt::LeftButton);
        }
        dialog->findChild<QPushButton*>(QStringLiteral("OK"))->click();
    });
    if (open)
        frame.CmFileOpen_();
    else
        frame.importFile(path);
    FrameHarness::settle();
    Outcome outcome;
    if (!boxes.seen().isEmpty())
        outcome.message = boxes.seen().first().text;
    const auto sent = h.midi.sentSysex();
    if (!sent.empty())
        outcome.dump = toQt(sent.front());
    return outcome;
}

// File > Import in the running editor on the built-in simulator: what the device then holds.
PatchRecord intoTheSimulator(const QString& path, int row, const QString& effect) {
    FrameHarness scratch; // its start-up folder
    {
        QFile config(scratch.dir.filePath(QStringLiteral("AMPLIX.CNF")));
        config.open(QIODevice::WriteOnly);
        config.write(QByteArray(4, '\0')); // the simulator is the only device: input 0, output 0
    }
    SimulatorMidiService simulator(SimulatorMidiService::Pacing::Immediate);
    DFrame frame(simulator);
    frame.SetupWindow();
    FrameHarness::settle();
    DialogWatcher dialogs([&](QWidget* dialog) {
        if (auto* list = dialog->findChild<QListWidget*>(QStringLiteral("PatchSelect")))
            list->setCurrentRow(row);
        if (auto* gpt = dynamic_cast<DPatchImportGPTDialog*>(dialog); gpt && !effect.isEmpty())
            QTest::mouseClick(effect == QLatin1String("comp") ? gpt->SelectComp : gpt->SelectMod, Qt::LeftButton);
        dialog->findChild<QPushButton*>(QStringLiteral("OK"))->click();
    });
    frame.importFile(path);
    FrameHarness::settle();
    PatchRecord held{};
    simulator.withDevice([&](PodDevice& pod) { held = pod.editBuffer(); });
    return held;
}

Outcome throughTheCommandLine(const QString& path, int row, const QString& effect) {
    const QString out = path + QStringLiteral(".out");
    QStringList args = {QStringLiteral("convert"), path, out, QStringLiteral("-i"), QString::number(row)};
    if (!effect.isEmpty())
        args << QStringLiteral("--effect") << effect;
    QProcess process;
    process.start(QString::fromUtf8(AMPLIX_PATCH), args);
    if (!process.waitForFinished(kProcessTimeoutMs))
        return {{}, QStringLiteral("amplix-patch did not finish")};
    Outcome outcome;
    QFile written(out);
    if (process.exitCode() == 0 && written.open(QIODevice::ReadOnly))
        outcome.dump = written.readAll();
    if (process.exitCode() == kErrorStatus)
        outcome.message = QString::fromUtf8(process.readAllStandardError()).chopped(1); // its newline
    return outcome;
}

} // namespace

class ImportEquivalenceTest : public QObject {
    Q_OBJECT

private slots:
    void sameDumpOrSameMessage_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("open"); // File > Open, else File > Import
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("effect"); // the GuitarPort radio button clicked, if any
        QTest::addColumn<bool>("sends");

        const std::vector<SoundDiverEntry> library = {
            {"Clean", soundDiverTail(1)},
            {"Hidden", soundDiverTail(2), 0},
            {"Crunch", cat({Bytes{0x10, 0x81, 0x05}, Bytes(133, 0xEE), soundDiverTail(3)})}, // a long skip
            {"Bad", soundDiverTail(4, 0x38)}};
        const Bytes bundle = line6Bundle({line6Patch("First", 2, 5, false), line6Patch("Vetta", 5, 1, false),
                                          line6Patch("Second", 4, 9, true)},
                                         "L6BA");
        Bytes cutSingle = singlePatch(record("Cut", 1), 0); // one byte short
        cutSingle.pop_back();
        Bytes oldVersion = guitarPort(true, true);
        oldVersion[23] = 0x62;

        auto row = [](const char* name) -> QTestData& { return QTest::newRow(name); };
        const QString none;
        const QString comp = QStringLiteral("comp");
        const QString mod = QStringLiteral("mod");
        row("single patch") << "a.pod" << toQt(cat({singlePatch(record("One", 1), 0x21), Bytes(9, 0x55)}))
                            << true << 0 << none << true;
        row("bank, 1A") << "b.syx" << toQt(bank(0x4B)) << true << 0 << none << true;
        row("bank, 9D") << "b.syx" << toQt(bank(0x4B)) << true << 35 << none << true;
        row("SoundDiver, past a skip") << "c.LIB" << toQt(soundDiver(library)) << false << 1 << none << true;
        row("SoundDiver reversed") << "d.lib" << toQt(soundDiver(library, true)) << false << 0 << none
                                   << true;
        row("Line 6 Edit patch") << "e.L6T" << toQt(line6Patch("Texas Flood", 3, 12, false)) << false << 0
                                 << none << true;
        row("bundle, past a refused patch") << "f.L6B" << toQt(bundle) << false << 1 << none << true;
        row("collection") << "g.L6C" << toQt(line6Bundle({line6Patch("Only", 4, 2, true)}, "L6CO")) << false
                          << 0 << none << true;
        row("GuitarPort, MOD as offered")
            << "Blues Lead.GPT" << toQt(guitarPort(true, true)) << false << 0 << none << true;
        row("GuitarPort, COMP chosen")
            << "Blues Lead.GPT" << toQt(guitarPort(true, true)) << false << 0 << comp << true;
        row("GuitarPort, nothing asked")
            << "Blues Lead.GPT" << toQt(guitarPort(true, false)) << false << 0 << comp << true;
        row("GuitarPort, name beyond Latin-1")
            << "Crème ☂🎸 Lead.gpt" << toQt(guitarPort(false, true)) << false << 0 << mod << true;
        // What neither sends: the same message.
        row("SoundDiver, bad data") << "h.LIB" << toQt(soundDiver(library)) << false << 2 << none << false;
        row("Line 6 Edit for another device")
            << "i.L6T" << toQt(line6Patch("Vetta", 5, 1, false)) << false << 0 << none << false;
        row("GuitarPort, unknown version") << "j.GPT" << toQt(oldVersion) << false << 0 << none << false;
        row("not an import") << "k.LIB" << QByteArray(200, 'x') << false << 0 << none << false;
        row("cut single patch") << "l.pod" << toQt(cutSingle) << true << 0 << none << false;
        row("neither header") << "m.pod" << QByteArray(200, 'x') << true << 0 << none << false;
    }

    void sameDumpOrSameMessage() {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, open);
        QFETCH(int, row);
        QFETCH(QString, effect);
        QFETCH(bool, sends);
        QTemporaryDir dir;
        const QString path = dir.filePath(fileName);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();

        const Outcome editor = throughTheEditor(path, open, row, effect);
        const Outcome tool = throughTheCommandLine(path, row, effect);
        QCOMPARE(editor.message.isEmpty(), sends);
        QCOMPARE(editor.dump.size(), sends ? qsizetype(kSingleDumpSize) : 0);
        QCOMPARE(tool.message, editor.message);
        QCOMPARE(tool.dump, editor.dump);
    }

    // An imported patch reaches the device: the simulator's edit buffer holds the record sent.
    void importsReachTheSimulatorsEditBuffer_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("effect");
        QTest::newRow("SoundDiver") << "c.LIB" << toQt(soundDiver({{"Clean", soundDiverTail(1)}, {"Crunch", soundDiverTail(3)}}))
                                    << 1 << QString();
        QTest::newRow("Line 6 Edit bundle")
            << "f.L6B" << toQt(line6Bundle({line6Patch("First", 2, 5, false), line6Patch("Second", 4, 9, true)}, "L6BA"))
            << 1 << QString();
        QTest::newRow("GuitarPort, COMP") << "Blues Lead.GPT" << toQt(guitarPort(true, true)) << 0
                                          << QStringLiteral("comp");
    }
    void importsReachTheSimulatorsEditBuffer() {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, bytes);
        QFETCH(int, row);
        QFETCH(QString, effect);
        QTemporaryDir dir;
        const QString path = dir.filePath(fileName);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        const Outcome tool = throughTheCommandLine(path, row, effect);
        QCOMPARE(tool.dump.size(), qsizetype(kSingleDumpSize));
        const auto sent = std::span(reinterpret_cast<const std::uint8_t*>(tool.dump.constData()), kSingleDumpSize);
        QCOMPARE(intoTheSimulator(path, row, effect), readRecord(sent, kDumpDataOffset));
    }
};

QTEST_MAIN(ImportEquivalenceTest)
#include "import_equivalence_qtest.moc"
