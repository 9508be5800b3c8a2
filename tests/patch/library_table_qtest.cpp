// The library's table: what each row shows, and drops and edits turned into the library's steps.
#include "patch/LibraryTableModel.h"
#include "tests/support/TestPatchFiles.h"
#include "tone/ToneMap.h"

#include <QFont>
#include <QIcon>
#include <QMimeData>
#include <QTest>

#include <memory>

using namespace amplix;

namespace {

PatchLibrary::Records deviceBank() {
    auto records = patchfiles::bankRecords();
    for (std::size_t n = 0; n < records.size(); ++n) {
        storeRecordField("AmpModel", std::int64_t(n % 32), records[n]);
        storeRecordField("EffectSel", effectCodeNamed("Rotary"), records[n]);
    }
    return records;
}

QStringList row(const LibraryTableModel& model, int r) {
    QStringList cells;
    for (int c = 0; c < model.columnCount(); ++c)
        cells << model.data(model.index(r, c)).toString();
    return cells;
}

} // namespace

class LibraryTableTest : public QObject {
    Q_OBJECT

private slots:
    void rowsShowTheLocationsAndTheirMarks() {
        PatchLibrary library;
        library.load(deviceBank());
        LibraryTableModel model(library);
        QCOMPARE(model.rowCount(), 36);
        QCOMPARE(row(model, 0), (QStringList{"1A", "Bank 0", "Tube Preamp", "Rotary", ""}));
        QCOMPARE(row(model, 35), (QStringList{"9D", "Bank 35", "POD Drive", "Rotary", ""}));
        QCOMPARE(model.headerData(LibraryTableModel::ChangedColumn, Qt::Horizontal).toString(),
                 QStringLiteral("Not on the POD"));
        QVERIFY(model.flags(model.index(0, LibraryTableModel::NameColumn)) & Qt::ItemIsEditable);
        QVERIFY(!(model.flags(model.index(0, LibraryTableModel::AmpModelColumn)) & Qt::ItemIsEditable));
    }

    // Dragging 1A onto 2B swaps them, with Ctrl copies; a patch from a file lands where dropped;
    // an edit renames. Each is one step of the library, and the rows show it.
    void dropsAndEditsBecomeSteps() {
        PatchLibrary library;
        library.load(deviceBank());
        LibraryTableModel model(library);
        int repaints = 0;
        connect(&model, &QAbstractItemModel::dataChanged, this, [&] { ++repaints; });

        std::unique_ptr<QMimeData> drag(model.mimeData({model.index(0, 1)}));
        QVERIFY(model.dropMimeData(drag.get(), Qt::MoveAction, -1, -1, model.index(5, 1)) == false);
        QCOMPARE(row(model, 5).mid(1, 1), QStringList{"Bank 0"});
        QCOMPARE(row(model, 0).mid(1, 1), QStringList{"Bank 5"});
        QCOMPARE(row(model, 0).last(), QStringLiteral("changed"));
        QCOMPARE(QString::fromStdString(library.undoText()), QStringLiteral("Undo Swap 1A and 2B"));

        std::unique_ptr<QMimeData> copy(model.mimeData({model.index(35, 0)}));
        model.dropMimeData(copy.get(), Qt::CopyAction, -1, -1, model.index(1, 0));
        QCOMPARE(row(model, 1).mid(1, 1), QStringList{"Bank 35"});
        QCOMPARE(row(model, 35).mid(1, 1), QStringList{"Bank 35"});

        QMimeData fromFile;
        const PatchRecord patch = patchfiles::record("From A File", 9);
        fromFile.setData(QString::fromLatin1(LibraryTableModel::kRecordMime),
                         QByteArray(reinterpret_cast<const char*>(patch.data()), qsizetype(patch.size())));
        model.dropMimeData(&fromFile, Qt::CopyAction, -1, -1, model.index(8, 0));
        QCOMPARE(library.record(8), patch);

        QVERIFY(model.setData(model.index(2, LibraryTableModel::NameColumn),
                              QStringLiteral("Crème Brûlée Lead!")));
        QCOMPARE(library.name(2), std::string("Cr\xE8me Br\xFBl\xE9"
                                              "e Lea"));
        // A view clearing a moved row leaves it alone.
        QVERIFY(!model.setData(model.index(2, LibraryTableModel::NameColumn), QVariant()));
        QCOMPARE(library.changedLocations(), (std::vector<std::size_t>{0, 1, 2, 5, 8}));
        QCOMPARE(repaints, 4);

        // Nothing lands past 9D, outside the rows, or from data of another kind.
        QMimeData broken;
        broken.setData(QString::fromLatin1(LibraryTableModel::kRecordMime), QByteArray(70, 0));
        QVERIFY(!model.canDropMimeData(&broken, Qt::CopyAction, -1, -1, model.index(3, 0)));
        QVERIFY(!model.canDropMimeData(drag.get(), Qt::CopyAction, -1, -1, QModelIndex()));
        QMimeData text;
        text.setText(QStringLiteral("1A"));
        QVERIFY(!model.canDropMimeData(&text, Qt::CopyAction, -1, -1, model.index(3, 0)));
    }

    // Nothing is made up before patches are known: a row shows its location alone.
    void beforeALoadARowShowsItsLocationAlone() {
        PatchLibrary library;
        LibraryTableModel model(library);
        QCOMPARE(row(model, 0), (QStringList{"1A", "", "", "", ""}));
        QCOMPARE(row(model, 35), (QStringList{"9D", "", "", "", ""}));
        library.load(deviceBank());
        model.refresh();
        QCOMPARE(row(model, 0), (QStringList{"1A", "Bank 0", "Tube Preamp", "Rotary", ""}));
    }

    // The location the device is at: bold, with the mark and its tip beside the location; moving
    // it repaints two rows and is no change of the library.
    void theRowTheDeviceIsAtIsMarked() {
        PatchLibrary library;
        library.load(deviceBank());
        LibraryTableModel model(library);
        QList<int> repainted;
        int libraryChanges = 0;
        connect(&model, &QAbstractItemModel::dataChanged, this,
                [&](const QModelIndex& from, const QModelIndex& to) {
                    for (int r = from.row(); r <= to.row(); ++r)
                        repainted << r;
                });
        connect(&model, &LibraryTableModel::libraryChanged, this, [&] { ++libraryChanges; });
        // The rows marked; each row's font, icon and tip agree, or it counts as marked twice.
        const auto marked = [&model] {
            QList<int> rows;
            for (int r = 0; r < model.rowCount(); ++r) {
                const bool bold = model.data(model.index(r, LibraryTableModel::NameColumn), Qt::FontRole)
                                      .value<QFont>()
                                      .bold();
                const bool icon =
                    !model.data(model.index(r, LibraryTableModel::LocationColumn), Qt::DecorationRole)
                         .value<QIcon>()
                         .isNull();
                const QString tip =
                    model.data(model.index(r, LibraryTableModel::LocationColumn), Qt::ToolTipRole).toString();
                const bool agree =
                    icon == bold && tip == (bold ? QStringLiteral("The POD is at this patch") : QString()) &&
                    model.data(model.index(r, LibraryTableModel::NameColumn), Qt::DecorationRole).isNull();
                if (bold || !agree)
                    rows << r;
                if (!agree)
                    rows << r;
            }
            return rows;
        };
        QCOMPARE(marked(), QList<int>{});
        const struct {
            std::optional<std::size_t> at;
            QList<int> marked, repainted;
        } steps[] = {
            {4, {4}, {4}},           // 2A
            {35, {35}, {4, 35}},     // to 9D: the old row and the new one
            {35, {35}, {}},          // no move, no repaint
            {36, {}, {35}},          // past 9D: none
            {0, {0}, {0}},           // 1A
            {std::nullopt, {}, {0}}, // Manual Mode
        };
        for (const auto& step : steps) {
            repainted.clear();
            model.setPlaying(step.at);
            QCOMPARE(marked(), step.marked);
            QCOMPARE(repainted, step.repainted);
        }
        QCOMPARE(libraryChanges, 0);
        model.refresh();
        QCOMPARE(libraryChanges, 1);
    }
};

QTEST_MAIN(LibraryTableTest)
#include "library_table_qtest.moc"
