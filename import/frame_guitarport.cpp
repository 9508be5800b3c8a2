// File > Import of a GuitarPort patch: check it, show its texts and the choice, convert and send.
#include "app/DFrame.h"

#include "app/DialogTemplate.h"
#include "import/DPatchImportGPTDialog.h"
#include "import/ImportChoosers.h"

using namespace amplix;

void chooseGuitarPortEntry(DFrame& frame, const PatchSource& source) {
    // A file that cannot be converted is refused before the user is asked anything.
    if (!source.ok()) {
        frame.finishImport(ImportResult{std::nullopt, *source.failure});
        return;
    }
    int modOrComp = kNoEffectChoice;
    DPatchImportGPTDialog dialog(&frame, source.guitarPort, &modOrComp);
    if (dialog.Execute() != IDOK)
        return;
    frame.finishImport(sourceDump(source, 0, modOrComp));
}

void DFrame::ImportLine6GPortFile(std::span<const std::uint8_t> file, const QString& fileName) {
    importName_ = fileNameOf(fileName);
    // Patch names are 8-bit Latin-1.
    chooseGuitarPortEntry(*this, openGuitarPort(file, fileName.toLatin1().toStdString()));
}
