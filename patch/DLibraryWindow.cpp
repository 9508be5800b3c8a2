// The Library window: its panes, buttons and keys, and the device conversations behind them.
#include "patch/DLibraryWindow.h"

#include "app/UiTextsQt.h"
#include "app/WindowFit.h"
#include "device/PodDevice.h"
#include "midi/CablePacing.h"
#include "patch/DChangePatchNameDialog.h"
#include "patch/FilePatchModel.h"
#include "patch/LibraryRow.h"
#include "patch/LibraryTableModel.h"
#include "patch/PatchText.h"

#include <QAction>
#include <QDrag>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <chrono>

using namespace amplix;

namespace {

const QString kSettingsGroup = QStringLiteral("Library");
constexpr int kTickMs = 100;

// Names are edited in place under the rename dialog's rules.
class NameDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor))
            limitToPatchName(line);
        return editor;
    }
};

// A drag carries the row it started on, even when another row is selected beside it (two
// rows are selected to compare them).
class PatchTable : public QTableView {
public:
    using QTableView::QTableView;

protected:
    void startDrag(Qt::DropActions supportedActions) override {
        QMimeData* data = currentIndex().isValid() ? model()->mimeData({currentIndex()}) : nullptr;
        if (!data)
            return;
        auto* drag = new QDrag(this);
        drag->setMimeData(data);
        drag->exec(supportedActions, defaultDropAction());
    }
};

QTableView* makeTable(QWidget* parent, const QString& name) {
    auto* table = new PatchTable(parent);
    table->setObjectName(name);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setWordWrap(false);
    return table;
}

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& text) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

} // namespace

DLibraryWindow::DLibraryWindow(QWidget* parent, LibraryLink& link)
    : QWidget(parent, Qt::Window), link_(link), byte7_(PodDevice::kDefaultByte7) {
    setObjectName(QStringLiteral("LibraryWindow"));
    setWindowTitle(qtText(text::kLibraryTitle));
    buildLayout();
    connectCommands();
    connect(transferTick_, &QTimer::timeout, this, &DLibraryWindow::showTransfer);
    restoreSettings();
    showComparison();
}

DLibraryWindow::~DLibraryWindow() = default;

void DLibraryWindow::buildLayout() {
    auto* top = new QVBoxLayout(this);

    auto* deviceButtons = new QHBoxLayout;
    ButtonReadFromPod =
        makeButton(this, QStringLiteral("ButtonReadFromPod"), qtText(text::kLibraryReadFromPod));
    ButtonOpenBank = makeButton(this, QStringLiteral("ButtonOpenBank"), qtText(text::kLibraryOpenBank));
    ButtonSendChanges =
        makeButton(this, QStringLiteral("ButtonSendChanges"), qtText(text::kLibrarySendChanges));
    ButtonSendAll = makeButton(this, QStringLiteral("ButtonSendAll"), qtText(text::kLibrarySendAll));
    ButtonSaveBank = makeButton(this, QStringLiteral("ButtonSaveBank"), qtText(text::kLibrarySaveBank));
    ButtonUndo = makeButton(this, QStringLiteral("ButtonUndo"), qtText(text::kLibraryUndo));
    ButtonRedo = makeButton(this, QStringLiteral("ButtonRedo"), qtText(text::kLibraryRedo));
    for (QPushButton* b :
         {ButtonReadFromPod, ButtonOpenBank, ButtonSendChanges, ButtonSendAll, ButtonSaveBank})
        deviceButtons->addWidget(b);
    deviceButtons->addStretch();
    deviceButtons->addWidget(ButtonUndo);
    deviceButtons->addWidget(ButtonRedo);
    top->addLayout(deviceButtons);

    auto* panes = new QSplitter(Qt::Horizontal, this);
    panes->setObjectName(QStringLiteral("Panes"));
    auto* devicePane = new QWidget(panes);
    auto* deviceLayout = new QVBoxLayout(devicePane);
    deviceLayout->setContentsMargins(0, 0, 0, 0);
    StaticOrigin = new QLabel(devicePane);
    StaticOrigin->setObjectName(QStringLiteral("StaticOrigin"));
    deviceLayout->addWidget(StaticOrigin);
    DeviceTable = makeTable(devicePane, QStringLiteral("DeviceTable"));
    deviceModel_ = new LibraryTableModel(library_, this);
    DeviceTable->setModel(deviceModel_);
    DeviceTable->setItemDelegateForColumn(LibraryTableModel::NameColumn, new NameDelegate(DeviceTable));
    DeviceTable->setDragDropMode(QAbstractItemView::DragDrop);
    DeviceTable->setDefaultDropAction(Qt::MoveAction);
    DeviceTable->setDragDropOverwriteMode(true);
    deviceLayout->addWidget(DeviceTable);
    auto* rowButtons = new QHBoxLayout;
    ButtonListen = makeButton(devicePane, QStringLiteral("ButtonListen"), qtText(text::kLibraryListen));
    ButtonRename = makeButton(devicePane, QStringLiteral("ButtonRename"), qtText(text::kLibraryRename));
    ButtonCopyCurrent =
        makeButton(devicePane, QStringLiteral("ButtonCopyCurrent"), qtText(text::kLibraryCopyCurrent));
    ButtonExportPatch =
        makeButton(devicePane, QStringLiteral("ButtonExportPatch"), qtText(text::kLibraryExportPatch));
    for (QPushButton* b : {ButtonListen, ButtonRename, ButtonCopyCurrent, ButtonExportPatch})
        rowButtons->addWidget(b);
    rowButtons->addStretch();
    deviceLayout->addLayout(rowButtons);

    auto* filePane = new QWidget(panes);
    auto* fileLayout = new QVBoxLayout(filePane);
    fileLayout->setContentsMargins(0, 0, 0, 0);
    auto* fileTop = new QHBoxLayout;
    StaticFile = new QLabel(qtText(text::kLibraryNoFile), filePane);
    StaticFile->setObjectName(QStringLiteral("StaticFile"));
    ButtonOpenFile = makeButton(filePane, QStringLiteral("ButtonOpenFile"), qtText(text::kLibraryOpenFile));
    fileTop->addWidget(StaticFile, 1);
    fileTop->addWidget(ButtonOpenFile);
    fileLayout->addLayout(fileTop);
    FileTable = makeTable(filePane, QStringLiteral("FileTable"));
    fileModel_ = new FilePatchModel(this);
    FileTable->setModel(fileModel_);
    FileTable->setSelectionMode(QAbstractItemView::SingleSelection);
    FileTable->setDragDropMode(QAbstractItemView::DragOnly);
    FileTable->setDefaultDropAction(Qt::CopyAction);
    fileLayout->addWidget(FileTable);
    panes->setStretchFactor(0, 3);
    panes->setStretchFactor(1, 2);
    panes->setSizes({600, 400});

    auto* comparePane = new QWidget(this);
    auto* compareLayout = new QVBoxLayout(comparePane);
    compareLayout->setContentsMargins(0, 0, 0, 0);
    auto* compareTop = new QHBoxLayout;
    StaticCompare = new QLabel(comparePane);
    StaticCompare->setObjectName(QStringLiteral("StaticCompare"));
    ButtonCompareCurrent =
        makeButton(comparePane, QStringLiteral("ButtonCompareCurrent"), qtText(text::kLibraryCompareCurrent));
    compareTop->addWidget(StaticCompare, 1);
    compareTop->addWidget(ButtonCompareCurrent);
    compareLayout->addLayout(compareTop);
    CompareList = new QTreeWidget(comparePane);
    CompareList->setObjectName(QStringLiteral("CompareList"));
    CompareList->setRootIsDecorated(false);
    CompareList->setColumnCount(3);
    CompareList->setUniformRowHeights(true);
    CompareList->setColumnWidth(0, 150);
    CompareList->setColumnWidth(1, 260);
    compareLayout->addWidget(CompareList);

    auto* rows = new QSplitter(Qt::Vertical, this);
    rows->setObjectName(QStringLiteral("Rows"));
    rows->addWidget(panes);
    rows->addWidget(comparePane);
    rows->setStretchFactor(0, 3);
    rows->setStretchFactor(1, 1);
    rows->setSizes({460, 200});
    top->addWidget(rows, 1);

    auto* bottom = new QHBoxLayout;
    StaticMessage = new QLabel(this);
    StaticMessage->setObjectName(QStringLiteral("StaticMessage"));
    Progress = new QProgressBar(this);
    Progress->setObjectName(QStringLiteral("Progress"));
    // The longest text the bar shows, in full.
    Progress->setMinimumWidth(
        Progress->fontMetrics().horizontalAdvance(QStringLiteral("%1 of %1 bytes").arg(kBankDumpSize)) +
        4 * Progress->fontMetrics().averageCharWidth());
    Progress->setMaximumWidth(std::max(240, Progress->minimumWidth()));
    Progress->hide();
    bottom->addWidget(StaticMessage, 1);
    bottom->addWidget(Progress);
    top->addLayout(bottom);
}

void DLibraryWindow::connectCommands() {
    connect(ButtonReadFromPod, &QPushButton::clicked, this, &DLibraryWindow::readFromPod);
    connect(ButtonOpenBank, &QPushButton::clicked, this, &DLibraryWindow::openBank);
    connect(ButtonSendChanges, &QPushButton::clicked, this, &DLibraryWindow::sendChanges);
    connect(ButtonSendAll, &QPushButton::clicked, this, &DLibraryWindow::sendAll);
    connect(ButtonSaveBank, &QPushButton::clicked, this, &DLibraryWindow::saveBankAs);
    connect(ButtonExportPatch, &QPushButton::clicked, this, &DLibraryWindow::exportPatch);
    connect(ButtonCopyCurrent, &QPushButton::clicked, this, &DLibraryWindow::copyCurrentSound);
    connect(ButtonCompareCurrent, &QPushButton::clicked, this, &DLibraryWindow::compareWithCurrentSound);
    connect(ButtonRename, &QPushButton::clicked, this, &DLibraryWindow::renameSelected);
    connect(ButtonListen, &QPushButton::clicked, this, [this] {
        if (const auto row = selectedRow())
            listenToDevice(*row);
    });
    connect(ButtonOpenFile, &QPushButton::clicked, this, &DLibraryWindow::openFile);
    connect(ButtonUndo, &QPushButton::clicked, this, &DLibraryWindow::undo);
    connect(ButtonRedo, &QPushButton::clicked, this, &DLibraryWindow::redo);

    // Enter and double-click are the view's "activated".
    connect(DeviceTable, &QTableView::activated, this,
            [this](const QModelIndex& index) { listenToDevice(index.row()); });
    connect(FileTable, &QTableView::activated, this,
            [this](const QModelIndex& index) { listenToFile(index.row()); });
    connect(DeviceTable->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { showComparison(); });
    connect(FileTable->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { showComparison(); });
    connect(deviceModel_, &QAbstractItemModel::dataChanged, this, [this] { showLibrary(); });
    // A comparison of patches that are no longer there would tell an untruth.
    connect(deviceModel_, &LibraryTableModel::libraryChanged, this, &DLibraryWindow::clearComparison);

    const auto key = [this](const QKeySequence& keys, auto command) {
        auto* action = new QAction(this);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, command);
        addAction(action);
    };
    key(QKeySequence(Qt::CTRL | Qt::Key_Z), &DLibraryWindow::undo);
    key(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), &DLibraryWindow::redo);
    key(QKeySequence(Qt::Key_F2), &DLibraryWindow::renameSelected);
    key(QKeySequence(Qt::CTRL | Qt::Key_C), [this] { holdRow(false); });
    key(QKeySequence(Qt::CTRL | Qt::Key_X), [this] { holdRow(true); });
    key(QKeySequence(Qt::CTRL | Qt::Key_V), &DLibraryWindow::pasteRow);
}

void DLibraryWindow::restoreSettings() {
    QSettings settings;
    settings.beginGroup(kSettingsGroup);
    resize(settings.value(QStringLiteral("size"), QSize(1000, 700)).toSize());
    const auto widths = [&settings](const QString& key, QTableView* table,
                                    std::initializer_list<int> fallback) {
        const QVariantList stored = settings.value(key).toList();
        int column = 0;
        for (const int width : fallback) {
            const int w = column < stored.size() ? stored[column].toInt() : width;
            table->setColumnWidth(column++, w > 0 ? w : width);
        }
    };
    widths(QStringLiteral("deviceColumns"), DeviceTable, {60, 140, 140, 120, 100});
    widths(QStringLiteral("fileColumns"), FileTable, {140, 120, 100});
    settings.endGroup();
}

void DLibraryWindow::setVisible(bool visible) {
    if (visible && !isVisible())
        fitToScreen();
    QWidget::setVisible(visible);
}

void DLibraryWindow::fitToScreen() {
    QWidget* main = parentWidget();
    const bool beside = main && main->isVisible();
    QScreen* screen = beside ? main->screen() : this->screen();
    if (!screen)
        return;
    const auto marginsOf = [](const QWidget* w) {
        const QRect frame = w->frameGeometry(), client = w->geometry();
        return FrameMargins{client.left() - frame.left(), client.top() - frame.top(),
                            frame.right() - client.right(), frame.bottom() - client.bottom()};
    };
    // Until the window has had a frame of its own, the main window's tells what the window
    // manager puts around it.
    const bool framed = placed_ && frameGeometry().size() != size();
    const FrameMargins margins = framed ? marginsOf(this) : beside ? marginsOf(main) : FrameMargins{};
    const auto rect = [](const QRect& r) { return ScreenRect{r.x(), r.y(), r.width(), r.height()}; };
    const ScreenRect area = rect(screen->availableGeometry());
    const QSize least = minimumSizeHint().expandedTo(minimumSize());
    // The first time beside the main window; later where the user left it, while it fits.
    const WindowPlace place =
        placed_  ? fitWindow(area, margins, {x(), y(), width(), height()}, least.width(), least.height())
        : beside ? placeBeside(area, margins, rect(main->frameGeometry()), width(), height(), least.width(),
                               least.height())
                 : fitWindow(area, margins, {0, 0, width(), height()}, least.width(), least.height(), area);
    resize(place.width, place.height);
    move(place.frameX, place.frameY); // a window's position is its frame's
    placed_ = true;
}

void DLibraryWindow::saveSettings() const {
    QSettings settings;
    settings.beginGroup(kSettingsGroup);
    settings.setValue(QStringLiteral("size"), size());
    const auto widths = [](QTableView* table) {
        QVariantList out;
        for (int column = 0; column < table->model()->columnCount(); ++column)
            out << table->columnWidth(column);
        return out;
    };
    settings.setValue(QStringLiteral("deviceColumns"), widths(DeviceTable));
    settings.setValue(QStringLiteral("fileColumns"), widths(FileTable));
    settings.endGroup();
}

// ---- Arranging and listening ----

void DLibraryWindow::renameSelected() {
    const auto row = selectedRow();
    if (busy() || !loaded_ || !row)
        return;
    const QModelIndex name = deviceModel_->index(*row, LibraryTableModel::NameColumn);
    DeviceTable->setCurrentIndex(name);
    DeviceTable->edit(name);
}

void DLibraryWindow::holdRow(bool cut) {
    if (busy())
        return;
    if (FileTable->hasFocus()) {
        // A file's patch is copied in; it has no place here to swap with.
        const QModelIndex current = FileTable->currentIndex();
        if (cut || !current.isValid() || !fileModel_->record(current.row()))
            return;
        held_.reset(fileModel_->mimeData({current}));
        heldAction_ = Qt::CopyAction;
        showMessage(qtText(text::kLibraryFileCopied)
                        .arg(latin1(fileModel_->patches()[std::size_t(current.row())].name).trimmed()));
        return;
    }
    const auto row = selectedRow();
    if (!loaded_ || !row)
        return;
    held_.reset(deviceModel_->mimeData({deviceModel_->index(*row, LibraryTableModel::LocationColumn)}));
    heldAction_ = cut ? Qt::MoveAction : Qt::CopyAction;
    showMessage(qtText(cut ? text::kLibraryCut : text::kLibraryCopied).arg(labelOf(std::size_t(*row))));
}

void DLibraryWindow::pasteRow() {
    if (busy() || !loaded_)
        return;
    if (!held_) {
        showMessage(qtText(text::kLibraryNothingHeld));
        return;
    }
    const auto row = selectedRow();
    const QString locationMime = QString::fromLatin1(LibraryTableModel::kLocationMime);
    if (held_->hasFormat(locationMime)) {
        // A row is taken as it was when held, or not at all.
        const auto from = std::size_t(held_->data(locationMime).toUInt());
        const PatchRecord& now = library_.record(from);
        if (held_->data(QString::fromLatin1(LibraryTableModel::kRecordMime)) !=
            QByteArray(reinterpret_cast<const char*>(now.data()), qsizetype(now.size()))) {
            held_.reset();
            showMessage(qtText(text::kLibraryHeldChanged).arg(labelOf(from)));
            return;
        }
        if (row && std::size_t(*row) == from) {
            showMessage(qtText(text::kLibraryPasteWhere));
            return;
        }
    }
    if (!row) {
        showMessage(qtText(text::kLibraryPasteWhere));
        return;
    }
    const PatchLibrary::Records before = library_.records();
    // The drop a drag of the held row onto this one makes: the same step, undone the same way.
    deviceModel_->dropMimeData(held_.get(), heldAction_, -1, -1,
                               deviceModel_->index(*row, LibraryTableModel::NameColumn));
    if (library_.records() == before)
        return;
    showMessage(latin1(library_.doneText()));
    if (heldAction_ == Qt::MoveAction)
        held_.reset(); // swapped: the row cut is where the other was
}

void DLibraryWindow::undo() {
    if (busy())
        return;
    const QString text = latin1(library_.undoText());
    if (library_.undo()) {
        deviceModel_->refresh();
        showMessage(text);
    }
}

void DLibraryWindow::redo() {
    if (busy())
        return;
    const QString text = latin1(library_.redoText());
    if (library_.redo()) {
        deviceModel_->refresh();
        showMessage(text);
    }
}

// ---- What the window shows ----

void DLibraryWindow::showLibrary() {
    const bool idle = !busy();
    const bool any = loaded_ && idle;
    const bool row = any && selectedRow().has_value();
    const bool changes = any && !library_.changedLocations().empty();
    ButtonReadFromPod->setEnabled(idle);
    ButtonOpenBank->setEnabled(idle);
    ButtonOpenFile->setEnabled(idle);
    ButtonSendChanges->setEnabled(changes);
    ButtonSendAll->setEnabled(any);
    ButtonSaveBank->setEnabled(any);
    for (QPushButton* b :
         {ButtonListen, ButtonRename, ButtonCopyCurrent, ButtonExportPatch, ButtonCompareCurrent})
        b->setEnabled(row);
    ButtonUndo->setEnabled(idle && library_.canUndo());
    ButtonRedo->setEnabled(idle && library_.canRedo());
    ButtonUndo->setToolTip(latin1(library_.undoText()));
    ButtonRedo->setToolTip(latin1(library_.redoText()));
    // Nothing is arranged while the device is read or written: a read-back is compared with
    // what was sent.
    DeviceTable->setEnabled(loaded_ && idle);
    FileTable->setEnabled(idle);
    if (!loaded_)
        StaticOrigin->setText(qtText(text::kLibraryNothingRead));
    else {
        const std::size_t changed = library_.changedLocations().size();
        QString text = origin_;
        if (!lastSent_.isEmpty())
            text = qtText(text::kLibrarySentAt).arg(text, lastSent_);
        if (changed > 0)
            text = qtText(text::kLibraryNotOnPod).arg(text, QString::number(changed));
        StaticOrigin->setText(text);
    }
}

QString DLibraryWindow::rowTitle(std::size_t location) const {
    return latin1(amplix::rowTitle(location, library_.record(location)));
}

void DLibraryWindow::showComparison() {
    showLibrary();
    const std::vector<int> rows = selectedRows();
    if (rows.size() == 2 && loaded_) {
        const auto a = std::size_t(rows[0]), b = std::size_t(rows[1]);
        showComparison(rowTitle(a), library_.record(a), rowTitle(b), library_.record(b));
        return;
    }
    // One row beside a patch of the file: what putting it there would change.
    const auto fileRow = selectedFileRow();
    if (rows.size() == 1 && loaded_ && fileRow) {
        const auto a = std::size_t(rows[0]);
        const QString fileTitle = QStringLiteral("%1 (%2)").arg(
            latin1(fileModel_->patches()[std::size_t(*fileRow)].name).trimmed(), fileName_);
        showComparison(rowTitle(a), library_.record(a), fileTitle, *fileModel_->record(*fileRow));
        return;
    }
    clearComparison();
}

void DLibraryWindow::clearComparison() {
    comparedCurrent_ = false;
    CompareList->clear();
    CompareList->setHeaderLabels({qtText(text::kLibrarySetting), QString(), QString()});
    StaticCompare->setText(qtText(text::kLibraryCompareHint));
}

void DLibraryWindow::showComparison(const QString& aTitle, const PatchRecord& a, const QString& bTitle,
                                    const PatchRecord& b) {
    comparedCurrent_ = false;
    CompareList->clear();
    CompareList->setHeaderLabels({qtText(text::kLibrarySetting), aTitle, bTitle});
    const std::vector<PatchDifference> differences = comparePatches(a, b);
    for (const PatchDifference& d : differences)
        CompareList->addTopLevelItem(
            new QTreeWidgetItem(QStringList{latin1(d.control), latin1(d.a), latin1(d.b)}));
    StaticCompare->setText(
        differences.empty() ? qtText(text::kLibrarySame).arg(aTitle, bTitle)
        : differences.size() == 1
            ? qtText(text::kLibraryDifferOne).arg(aTitle, bTitle)
            : qtText(text::kLibraryDifferMany).arg(aTitle, bTitle, QString::number(differences.size())));
}

QString DLibraryWindow::latin1(const std::string& text) {
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

QString DLibraryWindow::labelOf(std::size_t location) {
    return latin1(locationLabel(location));
}

QString DLibraryWindow::labelsOf(const std::vector<std::size_t>& locations) {
    return latin1(locationList(locations));
}

void DLibraryWindow::showMessage(const QString& text) {
    StaticMessage->setText(text);
}

void DLibraryWindow::beginWait(State state, const QString& text, int total) {
    state_ = state;
    showMessage(text);
    showLibrary();
    if (total <= 0)
        return;
    // The cable is the only measure of a transfer's progress: an input hands a dump on only whole.
    Progress->setRange(0, total);
    Progress->setValue(0);
    Progress->setFormat(QStringLiteral("%v of %m bytes"));
    Progress->show();
    transferTotal_ = std::size_t(total);
    transferClock_.start();
    transferTick_->start(kTickMs);
}

void DLibraryWindow::showTransfer() {
    const std::size_t carried =
        bytesCarried(std::chrono::milliseconds(transferClock_.elapsed()), transferTotal_);
    Progress->setValue(int(carried));
    if (carried >= transferTotal_)
        Progress->setFormat(QStringLiteral("waiting"));
}

void DLibraryWindow::endWait() {
    state_ = State::Idle;
    Progress->hide();
    transferTick_->stop();
    showLibrary();
}

std::vector<int> DLibraryWindow::selectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : DeviceTable->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

std::optional<int> DLibraryWindow::selectedFileRow() const {
    const QModelIndexList rows = FileTable->selectionModel()->selectedRows();
    if (rows.size() != 1 || !fileModel_->record(rows.front().row()))
        return std::nullopt;
    return rows.front().row();
}

std::optional<int> DLibraryWindow::selectedRow() const {
    const std::vector<int> rows = selectedRows();
    if (rows.size() == 1)
        return rows.front();
    if (rows.empty() && DeviceTable->currentIndex().isValid())
        return DeviceTable->currentIndex().row();
    return std::nullopt;
}
