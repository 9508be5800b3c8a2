// The library's device pane as a table: one row per location, its name, amp model, effect and
// a mark while it differs from the device; the row of the location the device is at is marked
// too. Before patches are loaded a row shows its location alone. Rows are dragged onto rows to
// swap them (a copy with Ctrl), patches from elsewhere are dropped in, names are edited in place.
#pragma once

#include "patch/PatchLibrary.h"

#include <QAbstractTableModel>

#include <optional>

class LibraryTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { LocationColumn, NameColumn, AmpModelColumn, EffectColumn, ChangedColumn, ColumnCount };
    // A dragged location of this pane, and a dragged patch record from anywhere else.
    static constexpr const char* kLocationMime = "application/x-amplix-location";
    static constexpr const char* kRecordMime = "application/x-amplix-patch-record";

    explicit LibraryTableModel(amplix::PatchLibrary& library, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDropActions() const override;
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

    // The library changed outside the table (undo, redo, a load, a send): show it again.
    void refresh();
    // The location the device is at, or none (Manual Mode, or not known).
    void setPlaying(std::optional<std::size_t> location);
    std::optional<std::size_t> playing() const { return playing_; }

    // What the amp model and effect columns show of a record; the file pane shows the same.
    static QString ampModelText(const amplix::PatchRecord& record);
    static QString effectText(const amplix::PatchRecord& record);

signals:
    // What the library holds changed (a step, a load, a send): not merely a mark moved.
    void libraryChanged();

private:
    amplix::PatchLibrary& library_;
    std::optional<std::size_t> playing_;
};
