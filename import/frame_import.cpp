// File > Import: the file dialog, format recognition, the SoundDiver chooser and the common tail.
#include "app/DFrame.h"

#include "app/BusyCursor.h"
#include "app/FileDialogs.h"
#include "app/MessageBox.h"
#include "app/UiTextsQt.h"
#include "import/DPatchImportDialog.h"
#include "import/FileFailure.h"
#include "import/ImportChoosers.h"

#include "files/BoundedRead.h"

#include <algorithm>

using namespace amplix;

namespace {

constexpr qint64 kReadLimit = qint64(kMaxImportFileSize);

void showFailure(QWidget* parent, const ImportFailure& failure) {
    ShowMessage(parent, QString::fromStdString(failure.text), QString::fromStdString(failure.caption));
}

} // namespace

void chooseSoundDiverEntry(DFrame& frame, const PatchSource& source) {
    if (!source.ok()) {
        frame.finishImport(ImportResult{std::nullopt, *source.failure});
        return;
    }
    DPatchImportDialog dialog(&frame, source.entries);
    const int index = dialog.Execute();
    if (index < 0 || std::size_t(index) >= source.entries.size())
        return;
    frame.finishImport(sourceDump(source, std::size_t(index)));
}

void DFrame::CmFileImport() {
    const QString path = askOpenFileName(this, FileKind::Import, qtText(text::kImportFilter));
    if (!path.isEmpty())
        importFile(path);
}

void DFrame::importFile(const QString& path) {
    PatchSource source;
    importName_ = fileNameOf(path);
    std::string reason;
    {
        // A library may be large; the choosers and messages come after the busy cursor.
        const BusyNow busy;
        // Read whole and closed at once; the readers then work on the bytes alone. One byte past
        // the limit is enough to refuse a file that is too large.
        QString why;
        const std::optional<QByteArray> data = readFileBounded(path, kReadLimit + 1, &why);
        if (!data) {
            source.failure = kCouldNotOpen;
            reason = unreadableReason(importName_, why.toStdString());
        } else { // patch names are 8-bit Latin-1, GuitarPort's are taken from the path
            source = openImportFile(byteSpan(*data), path.toLatin1().toStdString());
            reason = fileFailureReason(importName_, byteSpan(*data), source);
        }
    }
    if (!source.ok()) {
        tellFileFailure(reason);
        showFailure(this, *source.failure);
        return;
    }
    noteRecentFile(path);
    switch (source.kind) {
    case SourceKind::SoundDiver:
        chooseSoundDiverEntry(*this, source);
        break;
    case SourceKind::Line6Edit:
        chooseLine6EditEntry(*this, source);
        break;
    case SourceKind::GuitarPort:
        chooseGuitarPortEntry(*this, source);
        break;
    case SourceKind::SinglePatch:
    case SourceKind::Bank:
        break; // File > Open's, never an import's
    }
}

void DFrame::finishImport(const ImportResult& result) {
    if (!result.ok()) {
        // An entry out of the listing fails without a text: there is nothing to name.
        if (!result.failure.text.empty() && !importName_.empty())
            tellFileFailure(importerReason(importName_, result.failure));
        showFailure(this, result.failure);
        return;
    }
    std::copy(result.dump->begin(), result.dump->end(), sysEx.begin());
    std::string name = dumpName(sysEx);
    name.erase(name.find_last_not_of(' ') + 1); // the device pads names with spaces
    noteUserReload("Load " + name);
    endCompare();
    UpdateAmplixFromSysex();
    repaint();
    if (!SendSysexMessage(int(kSingleDumpSize)))
        return;
    readBackAfter(qtText(text::kStatusPatchSent));
}
