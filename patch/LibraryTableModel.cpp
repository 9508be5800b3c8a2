// The library's device pane as a table model.
#include "patch/LibraryTableModel.h"

#include "app/UiTextsQt.h"
#include "patch/LibraryRow.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QMimeData>
#include <QStyle>

using namespace amplix;

namespace {

QString latin1(const std::string& text) {
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

// The location a drop lands on: the row dropped onto.
std::optional<std::size_t> target(const QModelIndex& parent) {
    if (!parent.isValid() || parent.row() < 0 || std::size_t(parent.row()) >= kPatchLocations)
        return std::nullopt;
    return std::size_t(parent.row());
}

std::optional<std::size_t> draggedLocation(const QMimeData* data) {
    if (!data || !data->hasFormat(QString::fromLatin1(LibraryTableModel::kLocationMime)))
        return std::nullopt;
    bool ok = false;
    const uint location = data->data(QString::fromLatin1(LibraryTableModel::kLocationMime)).toUInt(&ok);
    if (!ok || location >= kPatchLocations)
        return std::nullopt;
    return location;
}

std::optional<PatchRecord> draggedRecord(const QMimeData* data) {
    if (!data || !data->hasFormat(QString::fromLatin1(LibraryTableModel::kRecordMime)))
        return std::nullopt;
    const QByteArray bytes = data->data(QString::fromLatin1(LibraryTableModel::kRecordMime));
    if (bytes.size() != qsizetype(kRecordSize))
        return std::nullopt;
    PatchRecord record{};
    std::copy(bytes.begin(), bytes.end(), record.begin());
    return record;
}

} // namespace

LibraryTableModel::LibraryTableModel(PatchLibrary& library, QObject* parent)
    : QAbstractTableModel(parent), library_(library) {}

int LibraryTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(kPatchLocations);
}

int LibraryTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant LibraryTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const auto location = std::size_t(index.row());
    if (playing_ == location) {
        if (role == Qt::FontRole) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        if (role == Qt::DecorationRole && index.column() == LocationColumn)
            return QApplication::style()->standardIcon(QStyle::SP_MediaPlay);
        if (role == Qt::ToolTipRole && index.column() == LocationColumn)
            return qtText(text::kLibraryPlayingTip);
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    if (index.column() == LocationColumn)
        return latin1(locationLabel(location));
    // Nothing is known of the patches before they are read or opened.
    if (!library_.loaded())
        return {};
    const PatchRecord& record = library_.record(location);
    switch (index.column()) {
    case NameColumn:
        return latin1(library_.name(location));
    case AmpModelColumn:
        return ampModelText(record);
    case EffectColumn:
        return effectText(record);
    case ChangedColumn:
        return library_.changed(location) ? qtText(text::kLibraryChangedMark) : QString();
    }
    return {};
}

QVariant LibraryTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case LocationColumn:
        return qtText(text::kLibraryColumnLocation);
    case NameColumn:
        return qtText(text::kLibraryColumnName);
    case AmpModelColumn:
        return qtText(text::kLibraryColumnAmpModel);
    case EffectColumn:
        return qtText(text::kLibraryColumnEffect);
    case ChangedColumn:
        return qtText(text::kLibraryColumnChanged);
    }
    return {};
}

Qt::ItemFlags LibraryTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags =
        Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
    if (index.column() == NameColumn)
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool LibraryTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    // A view clears a moved row's data with an invalid value; the swap already placed it.
    if (!index.isValid() || role != Qt::EditRole || index.column() != NameColumn || !value.isValid())
        return false;
    // Names are 8-bit characters on the device; what has none becomes '?'.
    if (!library_.rename(std::size_t(index.row()), value.toString().toLatin1().toStdString()))
        return false;
    refresh();
    return true;
}

QStringList LibraryTableModel::mimeTypes() const {
    return {QString::fromLatin1(kLocationMime), QString::fromLatin1(kRecordMime)};
}

QMimeData* LibraryTableModel::mimeData(const QModelIndexList& indexes) const {
    if (indexes.isEmpty())
        return nullptr;
    auto* data = new QMimeData;
    const auto location = std::size_t(indexes.first().row());
    data->setData(QString::fromLatin1(kLocationMime), QByteArray::number(qulonglong(location)));
    const PatchRecord& record = library_.record(location);
    data->setData(QString::fromLatin1(kRecordMime),
                  QByteArray(reinterpret_cast<const char*>(record.data()), qsizetype(record.size())));
    return data;
}

Qt::DropActions LibraryTableModel::supportedDropActions() const {
    return Qt::MoveAction | Qt::CopyAction;
}

bool LibraryTableModel::canDropMimeData(const QMimeData* data, Qt::DropAction action, int, int,
                                        const QModelIndex& parent) const {
    if (!target(parent) || (action != Qt::MoveAction && action != Qt::CopyAction))
        return false;
    return draggedLocation(data) || draggedRecord(data);
}

bool LibraryTableModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                                     const QModelIndex& parent) {
    if (!canDropMimeData(data, action, row, column, parent))
        return false;
    const std::size_t to = *target(parent);
    bool changed = false;
    // A row of this pane swaps places with the one it lands on, or with Ctrl is copied onto it;
    // a patch from another pane is copied in.
    if (const auto from = draggedLocation(data))
        changed = action == Qt::CopyAction ? library_.copy(*from, to) : library_.swap(*from, to);
    else if (const auto record = draggedRecord(data))
        changed = library_.put(to, *record);
    if (changed)
        refresh();
    // The view removes nothing after a move: the swap already placed both rows.
    return false;
}

QString LibraryTableModel::ampModelText(const PatchRecord& record) {
    return latin1(amplix::ampModelText(record));
}

QString LibraryTableModel::effectText(const PatchRecord& record) {
    return latin1(amplix::effectText(record));
}

void LibraryTableModel::refresh() {
    emit dataChanged(index(0, 0), index(int(kPatchLocations) - 1, ColumnCount - 1));
    emit libraryChanged();
}

void LibraryTableModel::setPlaying(std::optional<std::size_t> location) {
    if (location && *location >= kPatchLocations)
        location.reset();
    if (location == playing_)
        return;
    const std::optional<std::size_t> before = playing_;
    playing_ = location;
    // Only the two rows repaint; the library itself did not change.
    for (const auto row : {before, location})
        if (row)
            emit dataChanged(index(int(*row), 0), index(int(*row), ColumnCount - 1),
                             {Qt::FontRole, Qt::DecorationRole, Qt::ToolTipRole});
}
