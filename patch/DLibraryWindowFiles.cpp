// The Library window's files: a bank file for the device pane, any patch file for the file pane,
// and the bank and single patches written from the device pane.
#include "patch/DLibraryWindow.h"

#include "app/BusyCursor.h"
#include "app/DialogTemplate.h"
#include "app/FileDialogs.h"
#include "app/FileDrops.h"
#include "app/MessageBox.h"
#include "app/UiTextsQt.h"
#include "files/BoundedRead.h"
#include "files/PatchFile.h"
#include "files/RecentFileSettings.h"
#include "files/RecentFiles.h"
#include "files/SafeSave.h"
#include "import/DPatchImportGPTDialog.h"
#include "import/FileFailure.h"
#include "midi/MidiTrace.h"
#include "patch/FilePatchModel.h"
#include "patch/LibraryTableModel.h"

#include <QFileInfo>
#include <QLabel>
#include <QTableView>
#include <QTime>

using namespace amplix;

namespace {

// The main window's own filters, but for the file pane's: it takes every format.
const QString kBankFilter = qtText(text::kOpenFilter);
const QString kAnyFilter = qtText(text::kLibraryAnyFilter);
const QString kSaveBankFilter = qtText(text::kSaveAllFilter);
const QString kExportFilter = qtText(text::kSaveFilter);
const QString kErrorCaption = qtText(text::kFileErrorCaption);

void showFailure(QWidget* parent, const ImportFailure& failure) {
    ShowMessage(parent, QString::fromStdString(failure.text), QString::fromStdString(failure.caption));
}

std::string fileNameOf(const QString& path) {
    return QFileInfo(path).fileName().toStdString();
}

// Which file and why goes to the trace; the window's message line says it too.
QString traced(const std::string& reason) {
    midiTrace(reason);
    return QString::fromStdString(reason);
}

} // namespace

void DLibraryWindow::openBank() {
    if (busy())
        return;
    const QString path = askOpenFileName(this, FileKind::Bank, kBankFilter);
    if (!path.isEmpty())
        openBankFile(path);
}

bool DLibraryWindow::openBankFile(const QString& path) {
    if (busy())
        return false;
    QString why;
    const std::optional<QByteArray> bytes = readFileBounded(path, qint64(kPatchFileReadLimit), &why);
    if (!bytes) {
        showMessage(traced(unreadableReason(fileNameOf(path), why.toStdString())));
        showFailure(this, kCouldNotOpen);
        return false;
    }
    const PatchSource source = amplix::openPatchFile(byteSpan(*bytes));
    if (!source.ok()) {
        showMessage(traced(fileFailureReason(fileNameOf(path), byteSpan(*bytes), source)));
        showFailure(this, *source.failure);
        return false;
    }
    noteRecentFile(path);
    if (source.kind != SourceKind::Bank) {
        // One patch fills no bank: it goes where patches are dragged from, the device pane stays.
        if (!openPatchFile(path))
            return false;
        showMessage(qtText(text::kLibrarySinglePatchOpened).arg(QFileInfo(path).fileName()));
        return true;
    }
    if (!mayReplaceChanges())
        return false;
    PatchLibrary::Records records{};
    for (std::size_t n = 0; n < kPatchLocations; ++n)
        records[n] = readRecord(source.bytes, bankPatchOffset(n));
    // A file is not the device: every row is sent as the edit buffer to be heard.
    library_.load(records, false);
    byte7_ = source.bytes[kDumpByte7];
    loaded_ = true;
    origin_ = qtText(text::kLibraryOpenedAt)
                  .arg(QFileInfo(path).fileName(), QTime::currentTime().toString(QStringLiteral("HH:mm")));
    lastSent_.clear();
    deviceModel_->refresh();
    showMessage(qtText(text::kLibraryBankFileOpened));
    return true;
}

void DLibraryWindow::openFile() {
    if (busy())
        return;
    const QString path = askOpenFileName(this, FileKind::Import, kAnyFilter);
    if (!path.isEmpty())
        openPatchFile(path);
}

bool DLibraryWindow::openPatchFile(const QString& path) {
    if (busy())
        return false;
    PatchSource source;
    std::string reason;
    {
        const BusyNow wait;
        // One byte past the import limit is enough to refuse a file that is too large.
        QString why;
        const std::optional<QByteArray> bytes = readFileBounded(path, qint64(kMaxImportFileSize) + 1, &why);
        if (!bytes) {
            source.failure = kCouldNotOpen;
            reason = unreadableReason(fileNameOf(path), why.toStdString());
        } else {
            source = openAnyPatchFile(byteSpan(*bytes), path.toLatin1().toStdString());
            reason = fileFailureReason(fileNameOf(path), byteSpan(*bytes), source);
        }
    }
    if (!source.ok()) {
        showMessage(traced(reason));
        showFailure(this, *source.failure);
        return false;
    }
    noteRecentFile(path);
    // A GuitarPort patch asks its question once, for the whole file, as its import does.
    int modOrComp = kNoEffectChoice;
    if (source.kind == SourceKind::GuitarPort) {
        DPatchImportGPTDialog dialog(this, source.guitarPort, &modOrComp);
        if (dialog.Execute() != IDOK)
            return false;
    }
    {
        const BusyNow wait;
        fileModel_->setPatches(listPatches(source, modOrComp));
    }
    const std::size_t count = fileModel_->patches().size();
    StaticFile->setText(
        count == 1
            ? qtText(text::kLibraryFileOnePatch).arg(QFileInfo(path).fileName())
            : qtText(text::kLibraryFilePatches).arg(QFileInfo(path).fileName(), QString::number(count)));
    StaticFile->setToolTip(QFileInfo(path).absoluteFilePath());
    fileName_ = QFileInfo(path).fileName();
    showComparison(); // a file row compared is gone
    showMessage(qtText(text::kLibraryDragFromFile));
    return true;
}

void DLibraryWindow::saveBankAs() {
    if (busy() || !loaded_)
        return;
    const QString path = askSaveFileName(this, FileKind::Bank, kSaveBankFilter, QStringLiteral("syx"),
                                         qtText(text::kSaveAllName));
    if (path.isEmpty())
        return;
    const auto bank = buildBankDump(library_.records(), byte7_);
    if (!saveWholeFile(path, bank.data(), qint64(bank.size()))) {
        ShowMessage(this, qtText(text::kFileWriteFailed), kErrorCaption);
        return;
    }
    noteRecentFile(path);
    showMessage(qtText(text::kStatusBankSaved).arg(QFileInfo(path).fileName()));
}

void DLibraryWindow::exportPatch() {
    const auto row = selectedRow();
    if (busy() || !loaded_ || !row)
        return;
    const auto location = std::size_t(*row);
    const std::string name = fileNameForPatch(library_.name(location));
    const QString path = askSaveFileName(this, FileKind::Patch, kExportFilter, QStringLiteral("pod"),
                                         QString::fromLatin1(name.data(), qsizetype(name.size())));
    if (path.isEmpty())
        return;
    const auto dump = buildSingleDump(library_.record(location), byte7_);
    if (!saveWholeFile(path, dump.data(), qint64(dump.size()))) {
        ShowMessage(this, qtText(text::kFileWriteFailed), kErrorCaption);
        return;
    }
    noteRecentFile(path);
    showMessage(qtText(text::kLibraryPatchSaved).arg(rowTitle(location), QFileInfo(path).fileName()));
}

void DLibraryWindow::acceptFileDrops() {
    // As the pane's Open button would take the file; the tables keep their own drags of rows.
    const auto take = [this](bool devicePane) {
        return [this, devicePane](const QStringList& paths) {
            const bool opened = devicePane ? openBankFile(paths.first()) : openPatchFile(paths.first());
            // Each file would replace the one before it in the pane.
            if (opened && paths.size() > 1)
                showMessage(QString::fromStdString(
                    firstOfDroppedText(std::size_t(paths.size()), paths.first().toStdString())));
        };
    };
    // The device table takes drops of rows already; the file table takes none, so its pane has them.
    for (QWidget* target : {DeviceTable->parentWidget(), DeviceTable->viewport()})
        new FileDrops(target, take(true));
    new FileDrops(FileTable->parentWidget(), take(false));
}
