// File > Open, Save and Save All: the editor's own patch and bank files.
#include "app/DFrame.h"

#include "app/DialogTemplate.h"
#include "app/FileDialogs.h"
#include "app/MessageBox.h"
#include "app/UiTextsQt.h"
#include "files/BoundedRead.h"
#include "files/DOpenAllDialog.h"
#include "files/PatchFile.h"
#include "files/SafeSave.h"
#include "import/PatchSource.h"

#include <QFileInfo>

using namespace amplix;

namespace {

const QString kOpenFilter = qtText(text::kOpenFilter);
const QString kSaveFilter = qtText(text::kSaveFilter);
const QString kSaveAllFilter = qtText(text::kSaveAllFilter);
const QString kErrorCaption = qtText(text::kFileErrorCaption);
constexpr int kLoadAll = -2;
// Patch files are small; anything beyond a bank is never read.
constexpr qint64 kReadLimit = qint64(kPatchFileReadLimit);

} // namespace

void DFrame::CmFileOpen_() {
    int patch_index = -1;
    const QString path = askOpenFileName(this, kOpenFilter);
    if (path.isEmpty())
        return;
    const std::optional<QByteArray> bytes = readFileBounded(path, kReadLimit);
    if (!bytes) {
        ShowMessage(this, qtText(text::kFileOpenFailed), kErrorCaption);
        return;
    }
    const PatchSource source = openPatchFile(byteSpan(*bytes));
    if (!source.ok()) {
        ShowMessage(this, QString::fromStdString(source.failure->text),
                    QString::fromStdString(source.failure->caption));
        return;
    }
    std::size_t entry = 0;
    if (source.kind == SourceKind::Bank) {
        // The chooser reads its names from the bank in the buffer, "Load ALL" sends it from there.
        std::copy(source.bytes.begin(), source.bytes.end(), sysEx.begin());
        {
            DOpenAllDialog chooser(this, &patch_index, sysEx.data());
            if (runDialog(chooser) != IDOK)
                return;
        }
        if (patch_index == kLoadAll) {
            SendBankToPod();
            return;
        }
        if (patch_index < 0)
            return;
        entry = std::size_t(patch_index);
    }
    finishImport(sourceDump(source, entry));
}

void DFrame::CmFileSave_() {
    Save_flag = 1;
    CmFileRead();
}

void DFrame::CmFileSave_All() {
    Save_All_flag = 1;
    ReadPODAll();
}

int DFrame::WmPodSave(std::int64_t) {
    const std::string name = fileNameForPatch(dumpName(sysEx));
    const QString path = askSaveFileName(this, kSaveFilter, QStringLiteral("pod"),
                                         QString::fromLatin1(name.data(), qsizetype(name.size())));
    if (path.isEmpty())
        return 0;
    if (!saveWholeFile(path, sysEx.data(), qint64(kSingleDumpSize)))
        ShowMessage(this, qtText(text::kFileWriteFailed), kErrorCaption);
    else
        showOutcome(qtText(text::kStatusPatchSaved).arg(QFileInfo(path).fileName()));
    return 0;
}

int DFrame::WmPodSaveAll(std::int64_t) {
    const QString path =
        askSaveFileName(this, kSaveAllFilter, QStringLiteral("syx"), qtText(text::kSaveAllName));
    if (path.isEmpty())
        return 0;
    if (!saveWholeFile(path, sysEx.data(), qint64(kBankDumpSize)))
        ShowMessage(this, qtText(text::kFileWriteFailed), kErrorCaption);
    else
        showOutcome(qtText(text::kStatusBankSaved).arg(QFileInfo(path).fileName()));
    return 0;
}
