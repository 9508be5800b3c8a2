// The library's table: what each row shows, and drops and edits turned into the library's steps.
#include "patch/LibraryTableModel.h"
#include "tests/support/TestPatchFiles.h"
#include "tone/ToneMap.h"

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
};

QTEST_MAIN(LibraryTableTest)
#include "library_table_qtest.moc"
