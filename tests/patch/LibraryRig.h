// The Library window's tests' rig: an editor on the simulator with its library open, and the
// drags, rows and comparisons its tests act with.
#pragma once

#include "app/CommandIds.h"
#include "app/DFrame.h"
#include "device/PodDevice.h"
#include "midi/SimulatorMidiService.h"
#include "patch/DLibraryWindow.h"
#include "patch/LibraryTableModel.h"
#include "patch/PatchText.h"
#include "support/FrameHarness.h"

#include <QDragEnterEvent>
#include <QItemSelectionModel>
#include <QMimeData>
#include <QPushButton>
#include <QTableView>
#include <QTreeWidget>

#include <memory>
#include <vector>

namespace librarytest {

using namespace amplix;
using testsupport::FrameHarness;
using Bytes = std::vector<std::uint8_t>;

// An editor on the simulator, answering at once, with its library open.
struct Rig {
    explicit Rig(SimulatorMidiService::Pacing pacing = SimulatorMidiService::Pacing::Immediate)
        : midi(pacing) {
        scratch.writeConfig({0, 0, 0, 0});
        frame = std::make_unique<DFrame>(midi);
        frame->SetupWindow();
        frame->show();
        FrameHarness::settle();
        frame->menuAction(CM_LIBRARY)->trigger();
        w = frame->LibraryWindow;
    }
    ~Rig() {
        if (w)
            w->hide(); // no question on the way out
    }
    void read() {
        w->ButtonReadFromPod->click();
        QTRY_VERIFY(!w->busy());
    }
    PatchRecord device(std::size_t n) {
        PatchRecord r{};
        midi.withDevice([&](PodDevice& pod) { r = pod.patch(n); });
        return r;
    }
    QString cell(int row, int column) const {
        return w->DeviceTable->model()->index(row, column).data().toString();
    }
    QStringList changedRows() const {
        QStringList out;
        for (int row = 0; row < 36; ++row)
            if (cell(row, LibraryTableModel::ChangedColumn) == QStringLiteral("changed"))
                out << cell(row, LibraryTableModel::LocationColumn);
        return out;
    }
    // As clicks on the rows would, the first plain, the others with Ctrl. Whatever keys a test
    // pressed before, the first click clears what was selected.
    void select(std::initializer_list<int> rows) {
        QItemSelectionModel* selection = w->DeviceTable->selectionModel();
        selection->setCurrentIndex(w->DeviceTable->model()->index(*rows.begin(), 0),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        for (const int row : rows)
            selection->select(w->DeviceTable->model()->index(row, 0),
                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    FrameHarness scratch;
    SimulatorMidiService midi;
    std::unique_ptr<DFrame> frame;
    DLibraryWindow* w = nullptr;
};

// A drag that ends on a row of the device pane: what the source view hands over, dropped with
// the keys held (Ctrl: copy) as the platform's drag would drop it.
inline void dropOnRow(QTableView* target, int row, QMimeData* mime,
                      Qt::KeyboardModifiers keys = Qt::NoModifier) {
    target->scrollTo(target->model()->index(row, 1)); // as the user scrolls to it
    const QPoint at = target->visualRect(target->model()->index(row, 1)).center();
    const Qt::DropActions offered = Qt::MoveAction | Qt::CopyAction;
    QDragEnterEvent enter(at, offered, mime, Qt::LeftButton, keys);
    QCoreApplication::sendEvent(target->viewport(), &enter);
    QDragMoveEvent move(at, offered, mime, Qt::LeftButton, keys);
    QCoreApplication::sendEvent(target->viewport(), &move);
    QDropEvent drop(QPointF(at), offered, mime, Qt::LeftButton, keys);
    drop.setDropAction(keys & Qt::ControlModifier ? Qt::CopyAction : Qt::MoveAction);
    QCoreApplication::sendEvent(target->viewport(), &drop);
    delete mime;
}

inline QMimeData* dragRow(QTableView* source, int row) {
    return source->model()->mimeData({source->model()->index(row, 0)});
}

inline QStringList compareRows(QTreeWidget* list) {
    QStringList out;
    for (int n = 0; n < list->topLevelItemCount(); ++n) {
        const QTreeWidgetItem* item = list->topLevelItem(n);
        out << item->text(0) + "|" + item->text(1) + "|" + item->text(2);
    }
    return out;
}

inline QStringList expectedRows(const PatchRecord& a, const PatchRecord& b) {
    QStringList out;
    for (const PatchDifference& d : comparePatches(a, b))
        out << QString::fromLatin1((d.control + "|" + d.a + "|" + d.b).c_str());
    return out;
}

} // namespace librarytest
