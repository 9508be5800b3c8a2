// File > Recent Files, and files dropped onto the main window.
#include "app/DFrame.h"

#include "app/CommandIds.h"
#include "app/FileDrops.h"
#include "app/UiTextsQt.h"
#include "files/BoundedRead.h"
#include "files/RecentFileSettings.h"
#include "import/PatchSource.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>

using namespace amplix;

void DFrame::noteRecentFile(const QString& path) {
    ::noteRecentFile(path);
    updateRecentMenu();
}

void DFrame::updateRecentMenu() {
    for (int id = CM_FILERECENT; id <= CM_FILERECENTLAST; ++id)
        actions_.remove(id);
    // Later, not at once: the item chosen may be the one whose signal runs this.
    for (QAction* action : recentMenu_->actions()) {
        recentMenu_->removeAction(action);
        action->deleteLater();
    }
    recentShown_ = recentFilePaths();
    if (recentShown_.isEmpty()) {
        recentMenu_->addAction(qtText(text::kRecentFilesNone))->setEnabled(false);
        return;
    }
    for (int n = 0; n < recentShown_.size(); ++n) {
        const QString& path = recentShown_[n];
        QAction* action =
            recentMenu_->addAction(QString::fromStdString(recentFileItemText(n, path.toStdString())));
        // The whole path where two files of one name would look alike.
        action->setToolTip(path);
        action->setStatusTip(path);
        const int id = CM_FILERECENT + n;
        action->setData(id);
        actions_.insert(id, action);
        connect(action, &QAction::triggered, this, [this, id] { dispatchCommand(id); });
    }
    recentMenu_->setToolTipsVisible(true);
}

void DFrame::openRecentFile(int index) {
    if (index < 0 || index >= recentShown_.size())
        return;
    const QString path = recentShown_[index];
    if (!QFileInfo::exists(path)) {
        forgetRecentFile(path);
        updateRecentMenu();
        showOutcome(QString::fromStdString(recentFileGoneText(path.toStdString())));
        return;
    }
    openFileAsItsCommand(path);
}

void DFrame::openFileAsItsCommand(const QString& path) {
    // The first bytes tell the command; a file that cannot be read fails as File > Open fails it.
    const std::optional<QByteArray> head = readFileBounded(path, qint64(kImportHeaderSize));
    if (head && takenByImport(byteSpan(*head), path.toLatin1().toStdString()))
        importFile(path);
    else
        openPatchFilePath(path);
}

void DFrame::acceptFileDrops() {
    new FileDrops(this, [this](const QStringList& paths) {
        // A send holds the frame; its own commands wait, a drop is simply not taken.
        if (sendingSysex())
            return;
        // Each file would replace the sound the one before it brought.
        if (paths.size() > 1)
            showOutcome(QString::fromStdString(
                firstOfDroppedText(std::size_t(paths.size()), paths.first().toStdString())));
        openFileAsItsCommand(paths.first());
    });
}
