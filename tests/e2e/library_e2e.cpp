// The Library window against amplix-podsim on a private JACK server: the bank read, rearranged by
// drags, a Line 6 Edit patch dropped in, the changes stored and confirmed, and podsim's memory
// then asked for by a peer of its own on other ports.
#include "E2eHarness.h"

#include "app/CommandIds.h"
#include "device/FactoryPatches.h"
#include "device/PodDevice.h"
#include "import/PatchSource.h"
#include "patch/DLibraryWindow.h"
#include "patch/LibraryTableModel.h"
#include "support/QtTestSupport.h"
#include "support/TestPatchFiles.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFont>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <memory>

using namespace amplix;
using e2e::Bytes;
using Lines = std::vector<std::string>;
using Records = PatchLibrary::Records;
using std::chrono::milliseconds;

namespace {

constexpr milliseconds kBankReadLimit{12000}; // the bank request's own 8000 ms, and slack
const std::string kBankRequestHex = "f000010c010002f7";
const std::string kEditRequestHex = "f000010c010001f7";

std::string hexByte(std::uint8_t b) {
    static constexpr char kDigits[] = "0123456789abcdef";
    return {kDigits[b >> 4], kDigits[b & 0x0F]};
}

// A record on the wire: each byte as two nibbles, the high one first.
std::string nibbles(const PatchRecord& record) {
    std::string out;
    for (const std::uint8_t b : record)
        out += hexByte(b >> 4) + hexByte(b & 0x0F);
    return out;
}

// The store message as the device takes it: header, location, byte 7, the record, F7.
std::string storeMessage(std::uint8_t location, std::uint8_t byte7, const PatchRecord& record) {
    return "f000010c010100" + hexByte(location) + hexByte(byte7) + nibbles(record) + "f7";
}

std::string singleDump(const PatchRecord& record, std::uint8_t byte7) {
    return "f000010c010101" + hexByte(byte7) + nibbles(record) + "f7";
}

std::string bankDump(const Records& records, std::uint8_t byte7) {
    std::string out = "f000010c010102" + hexByte(byte7);
    for (const PatchRecord& record : records)
        out += nibbles(record);
    return out + "f7";
}

// The record whose nibbles start at offset of a dump.
PatchRecord recordAt(std::span<const std::uint8_t> dump, std::size_t offset) {
    PatchRecord record{};
    for (std::size_t k = 0; k < record.size(); ++k)
        record[k] = std::uint8_t(dump[offset + 2 * k] << 4 | dump[offset + 2 * k + 1]);
    return record;
}

// The name as the device pane shows it: up to its first 00.
QString shownName(const PatchRecord& record) {
    QString name;
    for (std::size_t k = kNameOffset; k < kNameOffset + kNameLength && record[k] != 0; ++k)
        name += QChar(record[k]);
    return name;
}

QString cell(const QTableView* table, int row, int column) {
    return table->model()->data(table->model()->index(row, column)).toString();
}

// The rows the device pane marks as not on the POD.
std::vector<int> markedRows(const QTableView* table) {
    std::vector<int> rows;
    for (int row = 0; row < table->model()->rowCount(); ++row)
        if (cell(table, row, LibraryTableModel::ChangedColumn) == QStringLiteral("changed"))
            rows.push_back(row);
    return rows;
}

// A drag let go over a row of the device pane: it enters the pane, moves over the row and drops
// there. Without a drag under way the platform proposes a copy whatever the keys, so each event
// carries the action a real drag from these panes gets: a move, a copy with Ctrl held. True when
// the pane took the drag.
bool dropOnRow(QTableView* table, int row, QMimeData* data, Qt::DropAction action) {
    const QModelIndex target = table->model()->index(row, LibraryTableModel::NameColumn);
    table->scrollTo(target);
    const QPoint at = table->visualRect(target).center();
    const Qt::DropActions actions = Qt::MoveAction | Qt::CopyAction;
    const Qt::KeyboardModifiers keys = action == Qt::CopyAction ? Qt::ControlModifier : Qt::NoModifier;
    QDragEnterEvent enter(at, actions, data, Qt::LeftButton, keys);
    enter.setDropAction(action);
    QCoreApplication::sendEvent(table->viewport(), &enter);
    QDragMoveEvent move(at, actions, data, Qt::LeftButton, keys);
    move.setDropAction(action);
    QCoreApplication::sendEvent(table->viewport(), &move);
    QDropEvent drop(QPointF(at), actions, data, Qt::LeftButton, keys);
    drop.setDropAction(action);
    QCoreApplication::sendEvent(table->viewport(), &drop);
    return enter.isAccepted() && move.isAccepted();
}

bool connectPorts(const std::string& from, const std::string& to) {
    return QProcess::execute(QStringLiteral("jack_connect"),
                             {QString::fromStdString(from), QString::fromStdString(to)}) == 0;
}

} // namespace

namespace QTest {
template <> char* toString(const std::vector<int>& rows) {
    QStringList list;
    for (const int row : rows)
        list << QString::number(row);
    return qstrdup(qPrintable(list.join(QStringLiteral(", "))));
}
template <> char* toString(const Lines& lines) {
    QStringList list;
    for (const auto& line : lines)
        // A store message whole, a bank dump only as far as its first patches.
        list << QString::fromStdString(line.size() > 320 ? line.substr(0, 320) + "..." : line);
    return qstrdup(qPrintable(list.join(QLatin1Char('\n'))));
}
} // namespace QTest

class LibraryOnJackTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        std::string whyNot;
        if (!jack_.start(whyNot))
            QSKIP(qPrintable(QString::fromStdString("JACK cannot start here: " + whyNot)));
        qputenv("AMPLIX_MIDI_API", "jack");
        QVERIFY2(podsim_.start(whyNot), whyNot.c_str());
    }

    // Read, swap 1A and 2B, put a Line 6 Edit patch into 3C, send: podsim is sent exactly the three
    // store messages, the read-back confirms them, and its memory differs from the factory bank
    // in those three locations only.
    void arrangedBankIsStoredAndConfirmed() {
        testsupport::MessageBoxWatcher boxes;
        const Records& factory = factoryPatches();
        const std::uint8_t byte7 = PodDevice::kDefaultByte7;

        auto editor = std::make_unique<e2e::EditorOnMidi>(podsim_.outputPort(), podsim_.inputPort());
        DFrame& f = *editor->frame;
        QVERIFY2(editor->started(), context());
        QVERIFY(f.menuAction(CM_LIBRARY));
        f.menuAction(CM_LIBRARY)->trigger();
        DLibraryWindow* window = f.LibraryWindow;
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QCOMPARE(window->windowTitle(), QStringLiteral("Amplix 32 Library"));
        QTableView* device = window->DeviceTable;

        // Read from POD: the bank request alone goes out, and the pane holds the factory bank.
        std::size_t from = podsim_.mark();
        QVERIFY2(readFromPod(*window), context());
        QCOMPARE(podsim_.messages("recv", from), Lines{kBankRequestHex});
        QCOMPARE(window->library().records(), factory);
        QCOMPARE(device->model()->rowCount(), int(kPatchLocations));
        for (int row = 0; row < int(kPatchLocations); ++row) {
            QCOMPARE(cell(device, row, LibraryTableModel::LocationColumn),
                     QString::fromStdString(std::string{char('1' + row / 4), char('A' + row % 4)}));
            QCOMPARE(cell(device, row, LibraryTableModel::NameColumn), shownName(factory[std::size_t(row)]));
        }
        QCOMPARE(markedRows(device), std::vector<int>{});
        QVERIFY(!window->ButtonSendChanges->isEnabled());

        // 1A dragged onto 2B swaps them.
        std::unique_ptr<QMimeData> row1A(device->model()->mimeData({device->model()->index(0, 0)}));
        QVERIFY(dropOnRow(device, 5, row1A.get(), Qt::MoveAction));
        QCOMPARE(window->library().record(0), factory[5]);
        QCOMPARE(window->library().record(5), factory[0]);
        QCOMPARE(markedRows(device), (std::vector<int>{0, 5}));

        // A Line 6 Edit patch, converted here as its importer converts it.
        e2e::Scratch folder;
        const Bytes l6t = patchfiles::line6Patch("Dropped In", 2, 5, false);
        const QString path =
            testsupport::writeFileBytes(folder.filePath(QStringLiteral("Dropped In.l6t")), l6t);
        const PatchSource source = openAnyPatchFile(l6t, "Dropped In.l6t");
        QVERIFY(source.ok());
        QCOMPARE(int(source.kind), int(SourceKind::Line6Edit));
        const ImportResult converted = sourceDump(source, 0);
        QVERIFY2(converted.ok(), converted.failure.text.c_str());
        const PatchRecord fromFile = recordAt(*converted.dump, kDumpDataOffset);
        QCOMPARE(shownName(fromFile), QStringLiteral("Dropped In      "));
        QVERIFY(fromFile != factory[10]);

        // Opened in the file pane, its one row dropped onto 3C with Ctrl: the patch lands there.
        QVERIFY(window->openPatchFile(path));
        QAbstractItemModel* files = window->FileTable->model();
        QCOMPARE(files->rowCount(), 1);
        QCOMPARE(cell(window->FileTable, 0, 0), QStringLiteral("Dropped In"));
        std::unique_ptr<QMimeData> filePatch(files->mimeData({files->index(0, 0)}));
        QVERIFY(filePatch);
        QVERIFY(dropOnRow(device, 10, filePatch.get(), Qt::CopyAction));
        QCOMPARE(window->library().record(10), fromFile);
        QCOMPARE(cell(device, 10, LibraryTableModel::NameColumn), shownName(fromFile));
        QCOMPARE(markedRows(device), (std::vector<int>{0, 5, 10}));
        Records expected = factory;
        std::swap(expected[0], expected[5]);
        expected[10] = fromFile;
        QCOMPARE(window->library().records(), expected);

        // Send changes: three store messages in location order; storing selected 3C on podsim, so
        // the panel reads it; then the bank request of the read-back, which podsim answers with
        // the bank as the library now holds it.
        QVERIFY(window->ButtonSendChanges->isEnabled());
        from = podsim_.mark();
        window->ButtonSendChanges->click();
        QVERIFY2(e2e::waitUntil([&] { return !window->busy(); }, kBankReadLimit), context());
        QCOMPARE(window->StaticMessage->text(), QStringLiteral("Sent and confirmed: 1A, 2B, 3C"));
        QVERIFY2(boxes.seen().isEmpty(), qPrintable(boxes.seen().value(0).text));
        const Lines stored{storeMessage(0, byte7, factory[5]), storeMessage(5, byte7, factory[0]),
                           storeMessage(10, byte7, fromFile)};
        QCOMPARE(podsim_.messages("recv", from),
                 (Lines{stored[0], stored[1], stored[2], kEditRequestHex, kBankRequestHex}));
        QCOMPARE(podsim_.messages("send", from),
                 (Lines{singleDump(fromFile, byte7), bankDump(expected, byte7)}));
        QCOMPARE(f.windowTitle(), QStringLiteral("Amplix 32 - Patch 3C"));
        QCOMPARE(markedRows(device), std::vector<int>{});
        QCOMPARE(window->library().changedLocations(), std::vector<std::size_t>{});
        for (std::size_t n = 0; n < kPatchLocations; ++n)
            QVERIFY2(window->library().onDevice(n), locationLabel(n).c_str());
        QVERIFY(!window->ButtonSendChanges->isEnabled());
        QVERIFY(!window->StaticOrigin->text().contains(QStringLiteral("not on the POD")));
        // Storing left podsim at 3C, and its row says so; a patch chosen on podsim moves the mark.
        const auto atRow = [device] { return static_cast<LibraryTableModel*>(device->model())->playing(); };
        QCOMPARE(atRow(), std::optional<std::size_t>(10));
        QVERIFY(podsim_.command("pc 5"));
        QVERIFY2(e2e::waitUntil([&] { return atRow() == std::optional<std::size_t>(4); }, milliseconds(3000)),
                 context());
        QVERIFY(QFont(device->model()->index(4, 1).data(Qt::FontRole).value<QFont>()).bold());

        // The editor goes; a peer of its own asks podsim for its bank on other ports.
        editor.reset();
        e2e::PodPeer reader("Library Reader " + std::to_string(getpid()));
        std::string whyNot;
        QVERIFY2(reader.start(whyNot), whyNot.c_str());
        QVERIFY(connectPorts(reader.outputPort(), podsim_.inputPort()));
        QVERIFY(connectPorts(podsim_.outputPort(), reader.inputPort()));
        from = podsim_.mark();
        const auto answered = [&] { return !reader.messages().empty(); };
        QVERIFY2(e2e::attempt(
                     jack_, [&] { reader.command(kBankRequestHex); }, answered),
                 context());
        QCOMPARE(podsim_.messages("recv", from), Lines{kBankRequestHex});
        const Lines read = reader.messages();
        QCOMPARE(read.size(), std::size_t(1));
        const QByteArray raw = QByteArray::fromHex(QByteArray::fromStdString(read[0]));
        const Bytes bank(raw.begin(), raw.end());
        QCOMPARE(bank.size(), kBankDumpSize);
        QCOMPARE(int(bank[kDumpByte7]), int(byte7));
        for (std::size_t n = 0; n < kPatchLocations; ++n) {
            const PatchRecord held = recordAt(bank, kDumpDataOffset + n * 2 * kRecordSize);
            const std::size_t was = n == 0 ? 5 : n == 5 ? 0 : n;
            QVERIFY2(held == (n == 10 ? fromFile : factory[was]), locationLabel(n).c_str());
            QCOMPARE(held != factory[n], n == 0 || n == 5 || n == 10);
        }
        QCOMPARE(read[0], bankDump(expected, byte7));
        QVERIFY2(boxes.seen().isEmpty(), qPrintable(boxes.seen().value(0).text));
    }

private:
    // Read from POD, until the bank has arrived; a read whose answer fell into a period jackd
    // dropped is made again.
    bool readFromPod(DLibraryWindow& window) {
        for (int n = 0; n < 3; ++n) {
            const int xruns = jack_.xruns();
            window.ButtonReadFromPod->click();
            if (!window.busy())
                return false;
            if (!e2e::waitUntil([&] { return !window.busy(); }, kBankReadLimit))
                return false;
            if (window.StaticMessage->text() == QStringLiteral("Bank read"))
                return true;
            if (jack_.xruns() == xruns)
                return false;
        }
        return false;
    }
    const char* context() {
        context_ = "jackd xruns: " + std::to_string(jack_.xruns()) + "\npodsim's log:\n" + podsim_.log();
        return context_.c_str();
    }

    e2e::JackServer jack_;
    e2e::PodPeer podsim_{"podsim-library-" + std::to_string(getpid()), {}, true};
    std::string context_;
};

QTEST_MAIN(LibraryOnJackTest)
#include "library_e2e.moc"
