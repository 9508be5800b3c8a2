// File > Open, Save and Save All: the editor's own patch and bank files.
#include "app/DFrame.h"

#include "app/DialogTemplate.h"
#include "app/FileDialogs.h"
#include "app/MessageBox.h"
#include "app/QuestionBox.h"
#include "app/UiTextsQt.h"
#include "files/BoundedRead.h"
#include "files/DOpenAllDialog.h"
#include "files/PatchFile.h"
#include "files/SafeSave.h"
#include "import/FileFailure.h"
#include "import/PatchSource.h"
#include "midi/MidiTrace.h"

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

std::string DFrame::fileNameOf(const QString& path) {
    return QFileInfo(path).fileName().toStdString();
}

void DFrame::tellFileFailure(const std::string& reason) {
    midiTrace(reason);
    showOutcome(QString::fromStdString(reason));
}

void DFrame::CmFileOpen_() {
    int patch_index = -1;
    const QString path = askOpenFileName(this, kOpenFilter);
    if (path.isEmpty())
        return;
    const std::string name = fileNameOf(path);
    QString why;
    const std::optional<QByteArray> bytes = readFileBounded(path, kReadLimit, &why);
    if (!bytes) {
        tellFileFailure(unreadableReason(name, why.toStdString()));
        ShowMessage(this, qtText(text::kFileOpenFailed), kErrorCaption);
        return;
    }
    const PatchSource source = openPatchFile(byteSpan(*bytes));
    if (!source.ok()) {
        tellFileFailure(fileFailureReason(name, byteSpan(*bytes), source));
        ShowMessage(this, QString::fromStdString(source.failure->text),
                    QString::fromStdString(source.failure->caption));
        return;
    }
    importName_ = name;
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
    QString why;
    if (!saveWholeFile(path, sysEx.data(), qint64(kSingleDumpSize), &why)) {
        tellFileFailure(unwritableReason(fileNameOf(path), why.toStdString()));
        ShowMessage(this, qtText(text::kFileWriteFailed), kErrorCaption);
    } else
        showOutcome(qtText(text::kStatusPatchSaved).arg(QFileInfo(path).fileName()));
    return 0;
}

void DFrame::offerLastKnownSave() {
    if (!shadow_ || !askQuestion(this, qtText(text::kSaveLastKnownQuestion), true))
        return;
    // The same file a save of the device's answer writes.
    const auto dump = buildSingleDump(*shadow_, shadowByte7_);
    std::copy(dump.begin(), dump.end(), sysEx.begin());
    WmPodSave(std::int64_t(kSingleDumpSize));
}

int DFrame::WmPodSaveAll(std::int64_t) {
    const QString path =
        askSaveFileName(this, kSaveAllFilter, QStringLiteral("syx"), qtText(text::kSaveAllName));
    if (path.isEmpty())
        return 0;
    QString why;
    if (!saveWholeFile(path, sysEx.data(), qint64(kBankDumpSize), &why)) {
        tellFileFailure(unwritableReason(fileNameOf(path), why.toStdString()));
        ShowMessage(this, qtText(text::kFileWriteFailed), kErrorCaption);
    } else
        showOutcome(qtText(text::kStatusBankSaved).arg(QFileInfo(path).fileName()));
    return 0;
}
