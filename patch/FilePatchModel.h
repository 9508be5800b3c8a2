// The library's file pane as a table: every patch of an opened file by name, amp model and
// effect, converted as its importer converts it. A patch is dragged out as its record only.
#pragma once

#include "import/PatchSource.h"

#include <QAbstractTableModel>

#include <vector>

class FilePatchModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { NameColumn, AmpModelColumn, EffectColumn, ColumnCount };

    explicit FilePatchModel(QObject* parent = nullptr);

    void setPatches(std::vector<amplix::ListedPatch> patches);
    const std::vector<amplix::ListedPatch>& patches() const { return patches_; }
    // The patch of a row, or nothing for a row the importer cannot convert.
    const amplix::PatchRecord* record(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override;

private:
    std::vector<amplix::ListedPatch> patches_;
};
