// File > Import: the file dialog, format recognition, the SoundDiver chooser and what is sent.
#include "app/DFrame.h"
#include "import/DPatchImportDialog.h"
#include "import/Line6Edit.h"
#include "support/FrameHarness.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using namespace amplix;
using testsupport::DialogWatcher;
using testsupport::FrameHarness;
using testsupport::MessageBoxWatcher;

namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes kEditRequest(kEditBufferRequest.begin(), kEditBufferRequest.end());

struct Entry {
    std::string name;
    Bytes prelude; // before the data marker
    std::uint8_t code = 0x37;
    std::size_t recordBytes = 55;
    std::uint8_t present = 1;
};

std::uint8_t recordByte(std::size_t entry, std::size_t i) {
    return std::uint8_t(entry * 50 + i * 3);
}

void put32(Bytes& out, std::uint32_t v, bool reversed) {
    for (int i = 0; i < 4; ++i)
        out.push_back(std::uint8_t(v >> (reversed ? 8 * i : 24 - 8 * i)));
}

void putTag(Bytes& out, std::string tag, bool reversed) {
    if (reversed)
        tag = std::string(tag.rbegin(), tag.rend());
    out.insert(out.end(), tag.begin(), tag.end());
}

Bytes library(const std::vector<Entry>& entries, bool reversed = false) {
    Bytes out;
    putTag(out, "FORM", reversed);
    put32(out, 0, reversed);
    putTag(out, "SSLB", reversed);
    putTag(out, "LHDR", reversed);
    put32(out, 0, reversed);
    for (std::size_t n = 0; n < entries.size(); ++n) {
        const Entry& e = entries[n];
        Bytes data(14, 0);
        data[1] = e.present;
        data[12] = 1;
        data[13] = std::uint8_t(e.name.size());
        for (char c : e.name)
            data.push_back(std::uint8_t(c));
        data.insert(data.end(), e.prelude.begin(), e.prelude.end());
        data.push_back(0x03);
        data.push_back(e.code);
        if (e.code == 0x3B)
            data.insert(data.end(), 4, 0xEE);
        for (std::size_t i = 0; i < e.recordBytes; ++i)
            data.push_back(recordByte(n, i));
        putTag(out, "LENT", reversed);
        put32(out, std::uint32_t(data.size()), reversed);
        out.insert(out.end(), data.begin(), data.end());
    }
    return out;
}

// The single-patch dump entry n of a library() must become.
Bytes expectedDump(std::size_t n, const std::string& filledName) {
    Bytes dump = {0xF0, 0x00, 0x01, 0x0C, 0x01, 0x01, 0x01, 0x00};
    for (std::size_t k = 0; k < 71; ++k) {
        const std::uint8_t b = k < 55 ? recordByte(n, k) : std::uint8_t(filledName.at(k - 55));
        dump.push_back(b >> 4);
        dump.push_back(b & 0x0F);
    }
    dump.push_back(0xF7);
    return dump;
}

Bytes header(const char* a, const char* b, const char* c, std::size_t size = 20) {
    Bytes out(size, 0);
    for (std::size_t i = 0; i < 4; ++i) {
        out[i] = std::uint8_t(a[i]);
        out[8 + i] = std::uint8_t(b[i]);
        out[12 + i] = std::uint8_t(c[i]);
    }
    return out;
}

// A skip of 133 bytes (81 05) before the marker.
Bytes longSkip() {
    Bytes out = {0x10, 0x81, 0x05};
    out.insert(out.end(), 133, 0xEE);
    return out;
}

const std::vector<Entry> kThree = {{"Clean", {}}, {"Crunch", longSkip(), 0x3B}, {"Lead", {}}};

DPatchImportDialog* chooser(QWidget* dialog) {
    return dynamic_cast<DPatchImportDialog*>(dialog);
}
void press(QWidget* dialog, const char* button) {
    dialog->findChild<QPushButton*>(QString::fromLatin1(button))->click();
}

} // namespace

Q_DECLARE_METATYPE(Bytes)
Q_DECLARE_METATYPE(Entry)
Q_DECLARE_METATYPE(std::vector<Entry>)

class ImportCommandTest : public QObject {
    Q_OBJECT

    // A frame whose start-up request is answered, with nothing logged yet.
    static DFrame& idleFrame(FrameHarness& h) {
        DFrame& f = h.startConnected();
        h.answerWithSingleDump();
        h.midi.clearLog();
        return f;
    }

    static QString write(FrameHarness& h, const QString& name, const Bytes& bytes) {
        QFile file(h.dir.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
        return file.fileName();
    }

private slots:
    void theFormatIsToldByTheBytes_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<Bytes>("bytes");
        QTest::addColumn<QString>("dialog"); // the chooser that opens, if any
        QTest::addColumn<QString>("text");   // else the message and its caption
        QTest::addColumn<QString>("caption");

        const QString notValid = QStringLiteral("Not a valid patch file.");
        const QString soundDiver = QStringLiteral("DPatchImportDialog");
        const QString line6Edit = QStringLiteral("DPatchImportL6EditDialog");
        QTest::newRow("SoundDiver named .GPT") << "a.GPT" << library(kThree) << soundDiver << ""
                                               << "";
        QTest::newRow("reversed, lower case") << "b.lib" << library(kThree, true) << soundDiver << ""
                                              << "";
        // A single patch for a device this editor does not serve: the Line 6 Edit reader's check.
        QTest::newRow("L6PA named .GPT")
            << "c.GPT" << header("FORM", "L6PA", "LHDR", 28) << ""
            << QString::fromStdString(kIncompatiblePatch.text) << "Incompatible Patch File";
        QTest::newRow("L6BA") << "d.LIB" << header("FORM", "L6BA", "LHDR") << line6Edit << ""
                              << "";
        QTest::newRow("L6CO") << "e.L6T" << header("FORM", "L6CO", "LHDR") << line6Edit << ""
                              << "";
        QTest::newRow("L6GP named .LIB, wrong version") << "f.LIB" << header("FORM", "L6GP", "INFO", 24) << ""
                                                        << "AMPLIX 32 doesn't recognize this patch file."
                                                        << "Not a recognized Patch File";
        QTest::newRow("MROF without BLSS")
            << "g.LIB" << header("MROF", "SSLB", "RDHL") << "" << notValid << "Error!";
        QTest::newRow("MROF without RDHL")
            << "h.LIB" << header("MROF", "BLSS", "LHDR") << "" << notValid << "Error!";
        QTest::newRow("SSLB without LHDR")
            << "i.LIB" << header("FORM", "SSLB", "RDHL") << "" << notValid << "Error!";
        QTest::newRow("unknown form")
            << "j.L6T" << header("FORM", "AIFF", "COMM") << "" << notValid << "Error!";
        QTest::newRow("not IFF") << "k.LIB" << header("RIFF", "L6PA", "LHDR") << "" << notValid << "Error!";
        QTest::newRow("19 bytes") << "l.LIB" << header("FORM", "SSLB", "LHDR", 19) << ""
                                  << "Error reading from file!"
                                  << "Error!!";
        QTest::newRow("empty") << "m.LIB" << Bytes{} << ""
                               << "Error reading from file!"
                               << "Error!!";
    }
    void theFormatIsToldByTheBytes() {
        QFETCH(QString, fileName);
        QFETCH(Bytes, bytes);
        QFETCH(QString, dialog);
        QFETCH(QString, text);
        QFETCH(QString, caption);
        FrameHarness h;
        DFrame& f = idleFrame(h);
        MessageBoxWatcher boxes;
        QStringList opened, listed;
        DialogWatcher dialogs([&](QWidget* shown) {
            opened << shown->objectName();
            if (auto* d = chooser(shown))
                for (int i = 0; i < d->PatchSelect->count(); ++i)
                    listed << d->PatchSelect->item(i)->text();
            static_cast<QDialog*>(shown)->reject();
        });
        f.importFile(write(h, fileName, bytes));
        if (dialog.isEmpty()) {
            QCOMPARE(opened, QStringList{});
            QCOMPARE(boxes.seen().size(), 1);
            QCOMPARE(boxes.seen()[0].text, text);
            QCOMPARE(boxes.seen()[0].caption, caption);
        } else {
            QCOMPARE(opened, QStringList{dialog});
            if (dialog == QLatin1String("DPatchImportDialog"))
                QCOMPARE(listed, (QStringList{"Clean", "Crunch", "Lead"}));
            QVERIFY(boxes.seen().isEmpty());
        }
        QVERIFY(h.midi.sent.empty());
    }

    void aMissingFileCannotBeOpened() {
        FrameHarness h;
        DFrame& f = idleFrame(h);
        MessageBoxWatcher boxes;
        f.importFile(h.dir.filePath(QStringLiteral("absent.LIB")));
        QCOMPARE(boxes.seen().size(), 1);
        QCOMPARE(boxes.seen()[0].text, QStringLiteral("Error: Couldn't open file."));
        QCOMPARE(boxes.seen()[0].caption, QStringLiteral("Error!!"));
    }

    // Larger than any library: refused before any reader sees it, whether the size is known
    // up front or the device never ends.
    void anOversizedFileIsRefused_data() {
        QTest::addColumn<QString>("source");
        QTest::newRow("file") << "";
        QTest::newRow("endless device") << "/dev/zero";
    }
    void anOversizedFileIsRefused() {
        QFETCH(QString, source);
        FrameHarness h;
        DFrame& f = idleFrame(h);
        if (source.isEmpty()) {
            QFile file(write(h, QStringLiteral("huge.LIB"), library(kThree)));
            QVERIFY(file.resize(64 * 1024 * 1024 + 1)); // sparse: costs no disk
            source = file.fileName();
        }
        MessageBoxWatcher boxes;
        DialogWatcher dialogs([](QWidget* dialog) { static_cast<QDialog*>(dialog)->reject(); });
        f.importFile(source);
        QCOMPARE(dialogs.count(), 0);
        QCOMPARE(boxes.seen().size(), 1);
        QCOMPARE(boxes.seen()[0].text, QStringLiteral("Error reading from file!"));
        QCOMPARE(boxes.seen()[0].caption, QStringLiteral("Error!!"));
    }

    void theChosenEntryIsSentThenReadBack_data() {
        QTest::addColumn<bool>("reversed");
        QTest::addColumn<int>("row"); // -1: OK on the preselected entry
        QTest::addColumn<QString>("filledName");
        QTest::newRow("FORM, second entry") << false << 1 << "Crunch          ";
        QTest::newRow("MROF, as preselected") << true << -1 << "Clean           ";
    }
    void theChosenEntryIsSentThenReadBack() {
        QFETCH(bool, reversed);
        QFETCH(int, row);
        QFETCH(QString, filledName);
        FrameHarness h;
        DFrame& f = idleFrame(h);
        MessageBoxWatcher boxes;
        QList<int> preselected;
        DialogWatcher dialogs([&](QWidget* dialog) {
            for (auto* item : chooser(dialog)->PatchSelect->selectedItems())
                preselected << chooser(dialog)->PatchSelect->row(item);
            if (row >= 0)
                chooser(dialog)->PatchSelect->setCurrentRow(row);
            press(dialog, "OK");
        });
        f.importFile(write(h, QStringLiteral("lib.LIB"), library(kThree, reversed)));
        QCOMPARE(preselected, QList<int>{0});
        const Bytes dump = expectedDump(std::size_t(std::max(row, 0)), filledName.toStdString());
        QCOMPARE(h.midi.sentSysex(), (std::vector<Bytes>{dump, kEditRequest}));
        QVERIFY(std::equal(dump.begin(), dump.end(), f.sysEx.begin()));
        QVERIFY(boxes.seen().isEmpty());
    }

    void aBadEntryIsReportedAndNothingIsSent_data() {
        QTest::addColumn<Entry>("entry");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("caption");
        QTest::newRow("zero skip") << Entry{"Z", {0x10, 0x00}} << "Error reading from file"
                                   << "Error";
        QTest::newRow("no marker") << Entry{"M", {0x10, 0x02}} << "Couldn't find patch data"
                                   << "Error";
        QTest::newRow("code 38") << Entry{"C", {}, 0x38} << "Error, invalid patch data."
                                 << "Error";
        QTest::newRow("cut record") << Entry{"T", {}, 0x37, 40} << "Error, invalid patch data."
                                    << "Error";
    }
    void aBadEntryIsReportedAndNothingIsSent() {
        QFETCH(Entry, entry);
        QFETCH(QString, text);
        QFETCH(QString, caption);
        FrameHarness h;
        DFrame& f = idleFrame(h);
        const auto before = f.sysEx;
        MessageBoxWatcher boxes;
        DialogWatcher dialogs([](QWidget* dialog) { press(dialog, "OK"); });
        f.importFile(write(h, QStringLiteral("bad.LIB"), library({entry})));
        QCOMPARE(dialogs.count(), 1);
        QCOMPARE(boxes.seen().size(), 1);
        QCOMPARE(boxes.seen()[0].text, text);
        QCOMPARE(boxes.seen()[0].caption, caption);
        QVERIFY(h.midi.sent.empty());
        QVERIFY(f.sysEx == before);
    }

    void cancelOrAnEmptyListSendsNothing_data() {
        QTest::addColumn<std::vector<Entry>>("entries");
        QTest::addColumn<QString>("button");
        QTest::newRow("cancel") << kThree << "Cancel";
        QTest::newRow("empty list, OK") << std::vector<Entry>{{"Gone", {}, 0x37, 55, 0}} << "OK";
    }
    void cancelOrAnEmptyListSendsNothing() {
        QFETCH(std::vector<Entry>, entries);
        QFETCH(QString, button);
        FrameHarness h;
        DFrame& f = idleFrame(h);
        MessageBoxWatcher boxes;
        DialogWatcher dialogs([&](QWidget* dialog) { press(dialog, qPrintable(button)); });
        f.importFile(write(h, QStringLiteral("lib.LIB"), library(entries)));
        QCOMPARE(dialogs.count(), 1);
        QVERIFY(h.midi.sent.empty());
        QVERIFY(boxes.seen().isEmpty());
    }

    // The menu command's file dialog offers the formats in any letter case and leads on to
    // the import of the chosen file.
    void theMenuCommandAsksForTheFile() {
        FrameHarness h;
        DFrame& f = idleFrame(h);
        for (const char* name : {"upper.LIB", "lower.lib", "mixed.L6t", "other.txt"})
            write(h, QString::fromLatin1(name), library(kThree));
        QStringList filters, shown;
        bool chooserOpened = false;
        DialogWatcher dialogs([&](QWidget* dialog) {
            if (auto* files = qobject_cast<QFileDialog*>(dialog)) {
                filters = files->nameFilters();
                auto* view = files->findChild<QListView*>(QStringLiteral("listView"));
                // The folder is read in the background. No early return here: whatever is
                // seen, the dialog is closed below.
                if (QTest::qWaitFor([&] { return view->model()->rowCount(view->rootIndex()) >= 3; }))
                    QTest::qWait(100); // for any name that would arrive late
                for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row)
                    shown << view->model()->index(row, 0, view->rootIndex()).data().toString();
                files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
                    ->setText(QStringLiteral("lower.lib"));
                static_cast<QDialog*>(files)->accept(); // as the Open button does
            } else {
                chooserOpened = chooser(dialog) != nullptr;
                press(dialog, "Cancel");
            }
        });
        f.dispatchCommand(107);
        QCOMPARE(filters,
                 (QStringList{"All Patch Files (*.LIB *.L6T *.GPT *.L6B *.L6C)", "SoundDiver (*.LIB)",
                              "Line 6 Edit (*.L6T *.L6B *.L6C)", "GuitarPort version 1 (*.GPT)"}));
        shown.sort();
        QCOMPARE(shown, (QStringList{"lower.lib", "mixed.L6t", "upper.LIB"}));
        QVERIFY(chooserOpened);
        QVERIFY(h.midi.sent.empty());
    }
};

QTEST_MAIN(ImportCommandTest)
#include "import_command_qtest.moc"
