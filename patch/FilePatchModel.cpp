// The library's file pane as a table model.
#include "patch/FilePatchModel.h"

#include "app/UiTextsQt.h"
#include "patch/LibraryTableModel.h"

#include <QMimeData>

using namespace amplix;

FilePatchModel::FilePatchModel(QObject* parent) : QAbstractTableModel(parent) {}

void FilePatchModel::setPatches(std::vector<ListedPatch> patches) {
    beginResetModel();
    patches_ = std::move(patches);
    endResetModel();
}

const PatchRecord* FilePatchModel::record(int row) const {
    if (row < 0 || std::size_t(row) >= patches_.size() || !patches_[std::size_t(row)].record)
        return nullptr;
    return &*patches_[std::size_t(row)].record;
}

int FilePatchModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(patches_.size());
}

int FilePatchModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant FilePatchModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || std::size_t(index.row()) >= patches_.size())
        return {};
    const ListedPatch& patch = patches_[std::size_t(index.row())];
    // A patch the importer refuses says why, where its amp model would be.
    if (role == Qt::ToolTipRole && !patch.record)
        return QString::fromLatin1(patch.failure.text.data(), qsizetype(patch.failure.text.size()));
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case NameColumn:
        return QString::fromLatin1(patch.name.data(), qsizetype(patch.name.size()));
    case AmpModelColumn:
        return patch.record ? LibraryTableModel::ampModelText(*patch.record)
                            : qtText(text::kLibraryNotConvertible);
    case EffectColumn:
        return patch.record ? LibraryTableModel::effectText(*patch.record) : QString();
    }
    return {};
}

QVariant FilePatchModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case NameColumn:
        return qtText(text::kLibraryColumnName);
    case AmpModelColumn:
        return qtText(text::kLibraryColumnAmpModel);
    case EffectColumn:
        return qtText(text::kLibraryColumnEffect);
    }
    return {};
}

Qt::ItemFlags FilePatchModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (!record(index.row()))
        return Qt::ItemIsSelectable; // shown, but neither dragged nor heard
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
}

QStringList FilePatchModel::mimeTypes() const {
    return {QString::fromLatin1(LibraryTableModel::kRecordMime)};
}

QMimeData* FilePatchModel::mimeData(const QModelIndexList& indexes) const {
    if (indexes.isEmpty())
        return nullptr;
    const PatchRecord* patch = record(indexes.first().row());
    if (!patch)
        return nullptr;
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(LibraryTableModel::kRecordMime),
                  QByteArray(reinterpret_cast<const char*>(patch->data()), qsizetype(patch->size())));
    return data;
}

Qt::DropActions FilePatchModel::supportedDragActions() const {
    return Qt::CopyAction;
}
