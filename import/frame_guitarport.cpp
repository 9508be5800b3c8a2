// File > Import of a GuitarPort patch: check it, show its texts and the choice, convert and send.
#include "app/DFrame.h"

#include "app/DialogTemplate.h"
#include "import/DPatchImportGPTDialog.h"
#include "import/GuitarPort.h"

using namespace amplix;

void DFrame::ImportLine6GPortFile(std::span<const std::uint8_t> file, const QString& fileName) {
    // A file that cannot be converted is refused before the user is asked anything.
    if (auto failure = checkGuitarPort(file)) {
        finishImport(ImportResult{std::nullopt, *failure});
        return;
    }
    int modOrComp = kNoEffectChoice;
    DPatchImportGPTDialog dialog(this, listGuitarPort(file), &modOrComp);
    if (dialog.Execute() != IDOK)
        return;
    // Patch names are 8-bit Latin-1.
    finishImport(convertGuitarPort(file, fileName.toLatin1().toStdString(), modOrComp));
}
