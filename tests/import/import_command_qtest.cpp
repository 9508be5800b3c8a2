// File > Import: the file dialog, format recognition, the SoundDiver chooser and what is sent.
#include "app/DFrame.h"
#include "import/DPatchImportDialog.h"
#include "import/Line6Edit.h"
#include "import/SoundDiver.h"
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

// What follows an entry's name: the marker at once, code 37 and the 55 record bytes.
Bytes patchData(std::uint8_t seed) {
    Bytes data = {0x03, 0x37};
    for (int i = 0; i < 55; ++i)
        data.push_back(std::uint8_t(seed + 3 * i));
    return data;
}

// A library of entries given by name (empty: not listed) and what follows the name.
Bytes library(const std::vector<std::pair<std::string, Bytes>>& entries, bool reversed = false) {
    Bytes out;
    auto tag = [&](std::string t) {
        if (reversed)
            std::reverse(t.begin(), t.end());
        out.insert(out.end(), t.begin(), t.end());
    };
    auto length = [&](std::size_t n) {
        for (int i = 0; i < 4; ++i)
            out.push_back(std::uint8_t(n >> (reversed ? 8 * i : 24 - 8 * i)));
    };
    tag("FORM");
    length(0);
    tag("SSLB");
    tag("LHDR");
    length(0);
    for (const auto& [name, tail] : entries) {
        Bytes data = {0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, std::uint8_t(name.size())};
        data.insert(data.end(), name.begin(), name.end());
        data.insert(data.end(), tail.begin(), tail.end());
        tag("LENT");
        length(data.size());
        out.insert(out.end(), data.begin(), data.end());
    }
    return out;
}

Bytes join(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const std::vector<std::pair<std::string, Bytes>> kThree = {
    {"Clean", patchData(1)},
    {"Crunch", join({0x10, 0x81, 0x05}, join(Bytes(133, 0xEE), patchData(2)))},
    {"Lead", patchData(3)}};

Bytes header(const char* a, const char* b, const char* c, std::size_t size = 20) {
    Bytes out(size, 0);
    std::copy_n(a, 4, out.begin());
    std::copy_n(b, 4, out.begin() + 8);
    std::copy_n(c, 4, out.begin() + 12);
    return out;
}

DPatchImportDialog* chooser(QWidget* dialog) {
    return dynamic_cast<DPatchImportDialog*>(dialog);
}

void press(QWidget* dialog, const QString& button) {
    dialog->findChild<QPushButton*>(button)->click();
}

// The dump a library entry must become.
Bytes converted(const Bytes& file, bool reversed, std::size_t entry) {
    const auto dump = *convertSoundDiver(file, listSoundDiver(file, reversed).at(entry).position).dump;
    return {dump.begin(), dump.end()};
}

} // namespace

Q_DECLARE_METATYPE(Bytes)

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
    // The bytes decide the path, never the name; OK is pressed in the SoundDiver chooser.
    void theFileLeadsToItsPath_data() {
        QTest::addColumn<QString>("fileName"); // empty: no such file
        QTest::addColumn<Bytes>("bytes");
        QTest::addColumn<QString>("dialog"); // the chooser that opens, if any
        QTest::addColumn<QString>("text");   // the message and its caption, if any
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("sends"); // the first entry, then the edit-buffer request

        const QString none;
        const QString sd = QStringLiteral("DPatchImportDialog");
        const QString l6 = QStringLiteral("DPatchImportL6EditDialog");
        const QString invalid = QStringLiteral("Not a valid patch file.");
        const QString readError = QStringLiteral("Error reading from file!");
        auto row = [](const char* name) -> QTestData& { return QTest::newRow(name); };
        row("SoundDiver named .GPT") << "a.GPT" << library(kThree) << sd << none << none << true;
        row("reversed, lower case") << "b.lib" << library(kThree, true) << sd << none << none << true;
        row("zero skip") << "c.LIB" << library({{"Z", {0x10, 0x00}}}) << sd << "Error reading from file"
                         << "Error" << false;
        row("no marker") << "d.LIB" << library({{"M", {0x10, 0x02, 0x03, 0x37, 0x00}}}) << sd
                         << "Couldn't find patch data"
                         << "Error" << false;
        row("code 38") << "e.LIB" << library({{"C", {0x03, 0x38}}}) << sd << "Error, invalid patch data."
                       << "Error" << false;
        row("nothing listed") << "f.LIB" << library({{"", patchData(0)}}) << sd << none << none << false;
        // A single patch for a device this editor does not serve: the Line 6 Edit reader's check.
        row("L6PA named .GPT") << "g.GPT" << header("FORM", "L6PA", "LHDR", 28) << none
                               << QString::fromStdString(kIncompatiblePatch.text) << "Incompatible Patch File"
                               << false;
        row("L6BA") << "h.LIB" << header("FORM", "L6BA", "LHDR") << l6 << none << none << false;
        row("L6CO") << "i.L6T" << header("FORM", "L6CO", "LHDR") << l6 << none << none << false;
        row("L6GP named .LIB, wrong version") << "j.LIB" << header("FORM", "L6GP", "INFO", 24) << none
                                              << "AMPLIX 32 doesn't recognize this patch file."
                                              << "Not a recognized Patch File" << false;
        row("MROF without BLSS") << "k.LIB" << header("MROF", "SSLB", "RDHL") << none << invalid << "Error!"
                                 << false;
        row("MROF without RDHL") << "l.LIB" << header("MROF", "BLSS", "LHDR") << none << invalid << "Error!"
                                 << false;
        row("SSLB without LHDR") << "m.LIB" << header("FORM", "SSLB", "RDHL") << none << invalid << "Error!"
                                 << false;
        row("unknown form") << "n.L6T" << header("FORM", "AIFF", "COMM") << none << invalid << "Error!"
                            << false;
        row("not IFF") << "o.LIB" << header("RIFF", "L6PA", "LHDR") << none << invalid << "Error!" << false;
        row("19 bytes") << "p.LIB" << header("FORM", "SSLB", "LHDR", 19) << none << readError << "Error!!"
                        << false;
        row("empty") << "q.LIB" << Bytes{} << none << readError << "Error!!" << false;
        row("missing") << none << Bytes{} << none << "Error: Couldn't open file."
                       << "Error!!" << false;
    }
    void theFileLeadsToItsPath() {
        QFETCH(QString, fileName);
        QFETCH(Bytes, bytes);
        QFETCH(QString, dialog);
        QFETCH(QString, text);
        QFETCH(QString, caption);
        QFETCH(bool, sends);
        FrameHarness h;
        DFrame& f = idleFrame(h);
        const auto before = f.sysEx;
        MessageBoxWatcher boxes;
        QStringList opened;
        DialogWatcher dialogs([&](QWidget* shown) {
            opened << shown->objectName();
            if (chooser(shown))
                press(shown, QStringLiteral("OK"));
            else
                static_cast<QDialog*>(shown)->reject();
        });
        f.importFile(fileName.isEmpty() ? h.dir.filePath(QStringLiteral("absent.LIB"))
                                        : write(h, fileName, bytes));

        QCOMPARE(opened, dialog.isEmpty() ? QStringList{} : QStringList{dialog});
        QCOMPARE(boxes.seen().size(), text.isEmpty() ? 0 : 1);
        if (!text.isEmpty()) {
            QCOMPARE(boxes.seen()[0].text, text);
            QCOMPARE(boxes.seen()[0].caption, caption);
        }
        if (sends) {
            const Bytes dump =
                converted(bytes, recognizeImport(bytes) == ImportFormat::SoundDiverReversed, 0);
            QCOMPARE(h.midi.sentSysex(), (std::vector<Bytes>{dump, kEditRequest}));
        } else {
            QVERIFY(h.midi.sent.empty());
            QVERIFY(f.sysEx == before);
        }
    }

    void theChosenEntryIsSentThenReadBack_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("button");
        QTest::newRow("second entry") << 1 << "OK";
        QTest::newRow("cancel") << 2 << "Cancel";
    }
    void theChosenEntryIsSentThenReadBack() {
        QFETCH(int, row);
        QFETCH(QString, button);
        FrameHarness h;
        DFrame& f = idleFrame(h);
        QStringList listed;
        QList<int> preselected;
        DialogWatcher dialogs([&](QWidget* dialog) {
            QListWidget* list = chooser(dialog)->PatchSelect;
            for (int i = 0; i < list->count(); ++i)
                listed << list->item(i)->text();
            for (auto* item : list->selectedItems())
                preselected << list->row(item);
            list->setCurrentRow(row);
            press(dialog, button);
        });
        const Bytes file = library(kThree);
        f.importFile(write(h, QStringLiteral("lib.LIB"), file));
        QCOMPARE(listed, (QStringList{"Clean", "Crunch", "Lead"}));
        QCOMPARE(preselected, QList<int>{0});
        if (button == QLatin1String("Cancel")) {
            QVERIFY(h.midi.sent.empty());
            return;
        }
        const Bytes dump = converted(file, false, std::size_t(row));
        QCOMPARE(h.midi.sentSysex(), (std::vector<Bytes>{dump, kEditRequest}));
        QVERIFY(std::equal(dump.begin(), dump.end(), f.sysEx.begin()));
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
                press(dialog, QStringLiteral("Cancel"));
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
