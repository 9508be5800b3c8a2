// File > Open and Import end to end: every file's outcome in the editor, in amplix-patch convert
// and on the simulator; what each chooser shows; the file dialog.
#include "app/CommandIds.h"
#include "import/DPatchImportGPTDialog.h"
#include "import/DPatchImportL6EditDialog.h"
#include "import/GuitarPort.h"
#include "import/Line6Edit.h"
#include "import/Line6EditConvert.h"
#include "import/SoundDiver.h"
#include "midi/SimulatorMidiService.h"
#include "support/FrameHarness.h"
#include "tests/support/TestPatchFiles.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QProcess>
#include <QRadioButton>
#include <QTest>

using namespace amplix;
using namespace patchfiles;
using testsupport::DialogWatcher;
using testsupport::FrameHarness;
using testsupport::MessageBoxWatcher;
using testsupport::pressButton;
using testsupport::writeFileBytes;

namespace {

constexpr int kProcessTimeoutMs = 30000, kErrorStatus = 2;

// What came of a file in the editor: the chooser shown and the message (text|caption).
struct Outcome {
    QString dialog, message;
};

// File > Open or Import in an editor on midi, answered as a user would: the file dialog gets
// the path, a chooser its row, the GuitarPort dialog its radio button when it shows one; OK.
Outcome throughTheEditor(MidiService& midi, const QString& path, bool open, int row, const QString& effect) {
    FrameHarness scratch; // a start-up folder whose settings name device 0
    scratch.writeConfig({0, 0, 0, 0});
    DFrame frame(midi);
    frame.SetupWindow();
    FrameHarness::settle();
    if (auto* test = dynamic_cast<TestMidiService*>(&midi)) { // the start-up request answered
        test->deliver(singlePatch({}, 0x42));
        FrameHarness::settle();
        test->clearLog();
    }
    Outcome outcome;
    MessageBoxWatcher boxes;
    DialogWatcher dialogs([&](QWidget* dialog) {
        if (auto* files = qobject_cast<QFileDialog*>(dialog)) {
            files->setDirectory(QFileInfo(path).absolutePath());
            files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QFileInfo(path).fileName());
            return static_cast<QDialog*>(files)->accept();
        }
        outcome.dialog = dialog->objectName();
        if (auto* list = dialog->findChild<QListWidget*>(QStringLiteral("PatchSelect")))
            list->setCurrentRow(row);
        if (auto* gpt = dynamic_cast<DPatchImportGPTDialog*>(dialog); gpt && !effect.isEmpty()) {
            QRadioButton* radio = effect == QLatin1String("comp") ? gpt->SelectComp : gpt->SelectMod;
            if (radio->isVisible())
                QTest::mouseClick(radio, Qt::LeftButton);
        }
        pressButton(dialog, "OK");
    });
    open ? frame.CmFileOpen_() : frame.importFile(path);
    FrameHarness::settle();
    for (const auto& box : boxes.seen())
        outcome.message += box.text + "|" + box.caption;
    return outcome;
}

// amplix-patch convert: the dump written, or what it printed on standard error with status 2.
std::pair<Bytes, QString> throughTheCommandLine(const QString& path, const QString& out, int row,
                                                const QString& effect) {
    QStringList args = {QStringLiteral("convert"), path, out, QStringLiteral("-i"), QString::number(row)};
    if (!effect.isEmpty())
        args << QStringLiteral("--effect") << effect;
    QProcess process;
    process.start(QString::fromUtf8(AMPLIX_PATCH), args);
    if (!process.waitForFinished(kProcessTimeoutMs))
        return {{}, QStringLiteral("amplix-patch did not finish")};
    QFile written(out);
    const QByteArray dump =
        process.exitCode() == 0 && written.open(QIODevice::ReadOnly) ? written.readAll() : "";
    // The editor's message is the first line; a second may say where in the file it went wrong.
    return {Bytes(dump.begin(), dump.end()),
            process.exitCode() == kErrorStatus
                ? QString::fromUtf8(process.readAllStandardError()).section(QLatin1Char('\n'), 0, 0)
                : ""};
}

// A file, how it is opened and answered (File > Open, else Import; the chooser's row; the
// GuitarPort radio button clicked, if any), and what must come of it.
struct Case {
    QString fileName;
    Bytes bytes;
    bool open;
    int row;
    QString effect, dialog, message;
    Bytes dump;
};

} // namespace

Q_DECLARE_METATYPE(Case)

class ImportEquivalenceTest : public QObject {
    Q_OBJECT

private slots:
    // The bytes decide the path, never the name. Where the editor sends, the dump is the one
    // the format's converter gives, read back at once, what amplix-patch writes, and what an
    // import leaves in the simulator's edit buffer; where it shows a message, amplix-patch
    // prints the same text.
    void sameDumpOrSameMessage_data() {
        QTest::addColumn<Case>("c");
        const auto row = [](const char* name, const char* file, const Bytes& bytes, bool open, int row,
                            const char* effect, const char* dialog, const char* message,
                            const Bytes& dump = {}) {
            QTest::newRow(name) << Case{
                QString::fromUtf8(file), bytes, open, row, effect, dialog, message, dump};
        };
        const char *sd = "DPatchImportDialog", *l6 = "DPatchImportL6EditDialog",
                   *gp = "DPatchImportGPTDialog";
        const char *bankChooser = "DOpenAllDialog", *none = "";
        const char *readError = "Error reading from file!|Error!!",
                   *notImport = "Not a valid patch file.|Error!";
        const char* invalid = "Error!  Invalid File format.|Error!!";
        const Bytes library =
            soundDiver({{"Clean", soundDiverTail(1)},
                        {"Hidden", soundDiverTail(2), 0},
                        {"Crunch", cat({Bytes{0x10, 0x81, 0x05}, Bytes(133, 0xEE), soundDiverTail(3)})},
                        {"Bad", soundDiverTail(4, 0x38)}});
        const Bytes reversed = soundDiver({{"Clean", soundDiverTail(1)}}, true);
        const auto sdEntry = [](const Bytes& file, bool reversed, std::size_t n) {
            return bytesOf(*convertSoundDiver(file, listSoundDiver(file, reversed).at(n).position).dump);
        };
        const Bytes vetta = line6Patch("Vetta", 5, 1, false),
                    l6Patch = line6Patch("Texas Flood", 3, 12, false);
        const Bytes bundle =
            line6Bundle({line6Patch("First", 2, 5, false), vetta, line6Patch("Second", 4, 9, true)});
        const Bytes collection = line6Bundle({line6Patch("Only", 4, 2, true)}, "L6CO");
        const auto l6Entry = [](const Bytes& file, int type, std::size_t n) {
            return bytesOf(*convertLine6EditPatch(file, listLine6EditFile(file, type).entries.at(n)).dump);
        };
        const Bytes both = guitarPort(true, true), compressorOnly = guitarPort(true, false);
        const auto gpPatch = [](const Bytes& file, int choice, const char* path = "Blues Lead.GPT") {
            return bytesOf(*convertGuitarPort(file, path, choice).dump);
        };
        const auto changed = [](Bytes b, std::size_t at, std::uint8_t value) { return b[at] = value, b; };
        const auto cut = [](const Bytes& b, std::size_t n) {
            return Bytes(b.begin(), b.begin() + std::ptrdiff_t(n));
        };
        const auto header = [](const char* a, const char* b, const char* c, std::size_t size = 20) {
            Bytes out = cat({a, Bytes(4), b, c, Bytes(4)});
            return out.resize(size), out;
        };
        const Bytes single = singlePatch(record("One", 1), 0x21), banked = bank(0x4B);

        row("single named .SYX, more after it", "a.SYX", cat({single, Bytes{0x55}}), true, 0, "", none, "",
            single);
        row("bank, 9D", "b.pod", banked, true, 35, "", bankChooser, "", singlePatch(bankRecords()[35], 0x4B));
        row("single cut short", "c.pod", cut(single, 150), true, 0, "", none, readError);
        row("bank header in 151 bytes", "d.syx", changed(single, 6, 0x02), true, 0, "", none, readError);
        row("bank one byte short", "e.syx", cut(banked, 5120), true, 0, "", none, readError);
        row("empty", "f.pod", {}, true, 0, "", none, readError);
        row("another maker's SysEx", "g.pod", changed(single, 1, 0x43), true, 0, "", none, invalid);
        row("a store message", "h.pod", changed(single, 6, 0x00), true, 0, "", none, invalid);
        row("neither header", "i.pod", Bytes(200, 'x'), true, 0, "", none, invalid);
        // Only as much as a bank is read: what follows one is never looked at, and a device
        // without an end is read no further.
        row("bank, more after it", "j.syx", cat({banked, Bytes(300, 0x55)}), true, 2, "", bankChooser, "",
            singlePatch(bankRecords()[2], 0x4B));
        row("a device that never ends, opened", "zero.pod", {}, true, 0, "", none, invalid);
        // A status byte inside a dump would break it off on its way to the device.
        row("bank, a status byte inside", "k.syx", changed(changed(banked, 301, 0x55), 302, 0x99), true, 0,
            "", none, invalid);
        row("single, a nibble above 0F", "l.pod", changed(single, 100, 0x1F), true, 0, "", none, invalid);

        row("SoundDiver, past a skip", "a.LIB", library, false, 1, "", sd, "", sdEntry(library, false, 1));
        row("SoundDiver reversed, .GPT", "b.GPT", reversed, false, 0, "", sd, "", sdEntry(reversed, true, 0));
        row("SoundDiver, code 38", "c.LIB", library, false, 2, "", sd, "Error, invalid patch data.|Error");
        row("SoundDiver, zero skip", "d.lib", soundDiver({{"Z", {0x10, 0x00}}}), false, 0, "", sd,
            "Error reading from file|Error");
        row("SoundDiver, no marker", "e.LIB", soundDiver({{"M", {0x10, 0x02, 0x03, 0x37, 0x00}}}), false, 0,
            "", sd, "Couldn't find patch data|Error");
        row("SoundDiver listing nothing", "f.LIB", soundDiver({{.present = 0}}), false, 0, "", sd, "");
        row("Line 6 Edit patch", "g.L6T", l6Patch, false, 0, "", l6, "",
            l6Entry(l6Patch, kLine6EditPatchType, 0));
        row("bundle, past a refused patch", "h.L6B", bundle, false, 1, "", l6, "",
            l6Entry(bundle, kLine6EditBundleType, 1));
        row("collection", "i.L6C", collection, false, 0, "", l6, "",
            l6Entry(collection, kLine6EditBundleType, 0));
        row("Line 6 Edit for another device, .GPT", "j.GPT", vetta, false, 0, "", none,
            "AMLPIX 32 can only open patches created for POD 2, Flextone II, or the original POD Pro. Line 6 "
            "Edit "
            "patches created for Vetta II, Flextone III, HD 147, or the POD XT series are not compatible "
            "with "
            "AMPLIX 32.|Incompatible Patch File");
        row("Line 6 Edit without its device word", "k.L6T", cut(vetta, 27), false, 0, "", none, readError);
        row("Line 6 Edit without patch data", "l.L6T", Line6Patch{.patc = "PATX"}.bytes(), false, 0, "", l6,
            "Corrupt patch file!|Error");
        // Cut before the module loop has ended: refused, never loaded with the rest as zeros.
        row("Line 6 Edit cut after its patch data tag", "l2.L6T",
            cut(l6Patch, Line6Patch{"Texas Flood"}.patcAt() + 4), false, 0, "", l6,
            "Corrupt patch file!|Error");
        row("Line 6 Edit cut inside its modules", "l3.L6T", cut(l6Patch, 600), false, 0, "", l6,
            "Corrupt patch file!|Error");
        row("bundle listing nothing", "m.L6B", line6Bundle({vetta}), false, 0, "", l6, "");
        row("GuitarPort, MOD as offered", "Blues Lead.GPT", both, false, 0, "", gp, "",
            gpPatch(both, kLoadModulation));
        row("GuitarPort, COMP chosen", "Blues Lead.GPT", both, false, 0, "comp", gp, "",
            gpPatch(both, kLoadCompressor));
        row("GuitarPort, nothing asked", "Blues Lead.GPT", compressorOnly, false, 0, "comp", gp, "",
            gpPatch(compressorOnly, kNoEffectChoice));
        // Named after the path in 8-bit characters: what has none becomes '?', one for each
        // 16-bit unit as the editor's own conversion does.
        row("GuitarPort, name beyond Latin-1", "Crème ☂🎸 Lead.gpt", guitarPort(false, true), false, 0, "mod",
            gp, "", gpPatch(guitarPort(false, true), kNoEffectChoice, "Cr\xE8me ??? Lead.gpt"));
        row("GuitarPort, unknown version, .LIB", "n.LIB", changed(both, 23, 0x62), false, 0, "", none,
            "AMPLIX 32 doesn't recognize this patch file.|Not a recognized Patch File");
        row("GuitarPort without its version", "o.GPT", cut(both, 22), false, 0, "", none, readError);
        row("GuitarPort patch data cut", "p.GPT", cut(both, 275), false, 0, "", none, readError);
        row("MROF without BLSS", "q.LIB", header("MROF", "SSLB", "RDHL"), false, 0, "", none, notImport);
        row("MROF without RDHL", "r.LIB", header("MROF", "BLSS", "LHDR"), false, 0, "", none, notImport);
        row("SSLB without LHDR", "s.LIB", header("FORM", "SSLB", "RDHL"), false, 0, "", none, notImport);
        row("unknown form", "t.L6T", header("FORM", "AIFF", "COMM"), false, 0, "", none, notImport);
        row("not IFF", "u.LIB", header("RIFF", "L6PA", "LHDR"), false, 0, "", none, notImport);
        row("19 bytes", "v.LIB", header("FORM", "SSLB", "LHDR", 19), false, 0, "", none, readError);
        row("larger than any library", "huge.LIB", library, false, 0, "", none, readError);
        row("a device that never ends", "zero.LIB", {}, false, 0, "", none, readError);
        row("missing", "absent.LIB", {}, false, 0, "", none, "Error: Couldn't open file.|Error!!");
    }

    void sameDumpOrSameMessage() {
        QFETCH(Case, c);
        const auto& [fileName, bytes, open, row, effect, dialog, message, dump] = c;
        QTemporaryDir dir;
        const QString path = dir.filePath(fileName);
        if (fileName.startsWith(QLatin1String("zero.")))
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
        else if (fileName != QLatin1String("absent.LIB"))
            writeFileBytes(path, bytes);
        if (fileName == QLatin1String("huge.LIB"))
            QVERIFY(QFile(path).resize(64 * 1024 * 1024 + 1)); // sparse: costs no disk

        TestMidiService midi;
        const Outcome editor = throughTheEditor(midi, path, open, row, effect);
        QCOMPARE(editor.dialog, dialog);
        QCOMPARE(editor.message, message);
        const std::vector<Bytes> sent = {dump, bytesOf(kEditBufferRequest)}; // read back at once
        QCOMPARE(midi.sentSysex(), dump.empty() ? std::vector<Bytes>() : sent);
        if (message.isEmpty() && dump.empty())
            return; // a chooser with nothing to choose: the command line has no such case
        const auto [written, printed] =
            throughTheCommandLine(path, dir.filePath(QStringLiteral("out")), row, effect);
        QCOMPARE(printed, message.section(QLatin1Char('|'), 0, 0));
        QCOMPARE(written, dump);
        if (!open && !dump.empty()) {
            SimulatorMidiService simulator(SimulatorMidiService::Pacing::Immediate);
            throughTheEditor(simulator, path, open, row, effect);
            PatchRecord held{};
            simulator.withDevice([&](PodDevice& pod) { held = pod.editBuffer(); });
            QCOMPARE(held, readRecord(dump, kDumpDataOffset));
        }
    }

    // What each chooser shows: the entries with the first selected, the Line 6 Edit texts as
    // the selection moves (a block too short keeps them), the GuitarPort texts as they are
    // with the choice offered only for a patch that uses both effects. Cancel sends nothing.
    void theChoosersShowTheFile() {
        FrameHarness h;
        DFrame& f = h.startConnected();
        h.answerWithSingleDump();
        h.midi.clearLog();
        QList<QStringList> seen;
        const auto show = [&](QDialog* d, std::initializer_list<QWidget*> widgets) {
            QStringList texts = {d->windowTitle()};
            for (QWidget* w : widgets)
                if (w->isVisible()) {
                    texts << w->property("text").toString();
                    // Texts from the file are drawn as their characters, markup and all.
                    if (auto* label = qobject_cast<QLabel*>(w))
                        QVERIFY2(testsupport::drawnOtherwise(label).isEmpty(),
                                 qPrintable(testsupport::drawnOtherwise(label)));
                }
            seen << texts;
        };
        DialogWatcher dialogs([&](QWidget* dialog) {
            if (auto* list = dialog->findChild<QListWidget*>(QStringLiteral("PatchSelect"))) {
                seen << QStringList{QString::number(list->currentRow())};
                for (int i = 0; i < list->count(); ++i)
                    seen.back() << list->item(i)->text();
            }
            if (auto* d = dynamic_cast<DPatchImportL6EditDialog*>(dialog)) {
                for (int row : {-1, 1, 2, 0}) {
                    if (row >= 0)
                        d->PatchSelect->setCurrentRow(row);
                    show(d, {d->L6TAmp, d->L6TPickup, d->L6TStyle, d->L6TBand, d->L6TSong, d->L6TGuitarist,
                             d->L6TAuthor, d->L6TComment});
                }
            } else if (auto* d = dynamic_cast<DPatchImportGPTDialog*>(dialog)) {
                show(d, {d->L6TAmp, d->L6TPickup, d->L6TPickupPos, d->L6TComment, d->L6TStatic1,
                         d->L6TStatic2, d->L6TStatic3, d->SelectComp, d->SelectMod});
                for (QRadioButton* radio : {d->SelectComp, d->SelectMod})
                    if (radio->isChecked())
                        seen.back() << radio->text() + " checked";
            }
            pressButton(dialog, "Cancel");
        });
        f.importFile(writeFileBytes(h.dir.filePath("library.LIB"),
                                    soundDiver({{"Clean", soundDiverTail(1)}, {"Lead", soundDiverTail(3)}})));
        f.importFile(writeFileBytes(
            h.dir.filePath("three.L6B"),
            line6Bundle(
                {line6Patch("Texas Flood", 2, 6, false,
                            cat({line6Text("ISTL", "Blues"), line6Text("IBND", "Double Trouble"),
                                 line6Text("IGTR", "SRV"), line6Text("ISNG", "Pride and Joy"),
                                 line6Text("IAUT", "Ann"), line6Text("IDAT", "2004"),
                                 line6Text("IAMP", "Tweed Blues"), line6Text("IPUS", "N"),
                                 line6Text("IPUP", "Neck"), line6Text("ICMT", "<b>Warm</b>, round & <i>")})),
                 line6Patch("Plush", 3, 13, false,
                            cat({line6Text("IAMP", "Rectified"), line6Text("IAPP", "Line 6 Edit")})),
                 line6Patch("Keeps texts", 4, 2, true, Bytes{})})));
        for (auto [compressor, modulation] : {std::pair{true, false}, {false, true}, {true, true}})
            f.importFile(
                writeFileBytes(h.dir.filePath("Blues Lead.GPT"), guitarPort(compressor, modulation)));
        const QStringList first = {"Patch Import",    "Amp:   Tweed Blues",     "Pickup:  N/ Neck",
                                   "Style:   Blues",  "Band:   Double Trouble", "Song:   Pride and Joy",
                                   "Guitarist:  SRV", "Author:  Ann",           "<b>Warm</b>, round & <i>"};
        const QStringList second = {"Patch Import", "Amp:   Rectified", "Pickup:      ", "Style:", "Band:",
                                    "Song:",        "Guitarist:",       "Author:",       "  "};
        const QStringList texts = {"Patch Import", "Brit Hi Gain", "", "Neck", "<b>x</b>"};
        const QStringList choice = {"This patch uses the compressor",
                                    "plus a modulation effect. Choose",
                                    "which effect to load on the POD:",
                                    "COMP",
                                    "MOD",
                                    "MOD checked"};
        QCOMPARE(seen, (QList<QStringList>{{"0", "Clean", "Lead"},
                                           {"0", "Texas Flood", "Plush", "Keeps texts"},
                                           first,
                                           second,
                                           second,
                                           first,
                                           texts,
                                           texts,
                                           texts + choice}));
        QVERIFY(h.midi.sent.empty());
    }

    // The menu command's file dialog offers the formats in any letter case and leads on to
    // the import of the chosen file.
    void theMenuCommandAsksForTheFile() {
        FrameHarness h;
        DFrame& f = h.startConnected();
        for (const char* name : {"upper.LIB", "lower.lib", "mixed.L6t", "other.txt"})
            writeFileBytes(h.dir.filePath(QString::fromLatin1(name)), soundDiver({{}}));
        QStringList filters, shown;
        QString chooser;
        DialogWatcher dialogs([&](QWidget* dialog) {
            auto* files = qobject_cast<QFileDialog*>(dialog);
            if (!files) {
                chooser = dialog->objectName();
                return pressButton(dialog, "Cancel");
            }
            filters = files->nameFilters();
            auto* view = files->findChild<QListView*>(QStringLiteral("listView"));
            // The folder is read in the background; whatever is seen, the dialog is closed below.
            if (QTest::qWaitFor([&] { return view->model()->rowCount(view->rootIndex()) >= 3; }))
                QTest::qWait(100); // for any name that would arrive late
            for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row)
                shown << view->model()->index(row, 0, view->rootIndex()).data().toString();
            files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
                ->setText(QStringLiteral("lower.lib"));
            static_cast<QDialog*>(files)->accept(); // as the Open button does
        });
        f.dispatchCommand(CM_FILEIMPORT);
        QCOMPARE(filters, (QStringList{"All Patch Files (*.LIB *.L6T *.GPT *.L6B *.L6C)",
                                       "SoundDiver (*.LIB)", "Line 6 Edit (*.L6T *.L6B *.L6C)",
                                       "GuitarPort version 1 (*.GPT)", "All files (*)"}));
        shown.sort();
        QCOMPARE(shown, (QStringList{"lower.lib", "mixed.L6t", "upper.LIB"}));
        QCOMPARE(chooser, QStringLiteral("DPatchImportDialog"));
    }
};

QTEST_MAIN(ImportEquivalenceTest)
#include "import_equivalence_qtest.moc"
