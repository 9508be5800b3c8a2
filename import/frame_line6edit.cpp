// File > Import of Line 6 Edit patches, bundles and collections: list, choose, convert, load.
#include "app/DFrame.h"

#include "import/DPatchImportL6EditDialog.h"
#include "import/ImportChoosers.h"

using namespace amplix;

void chooseLine6EditEntry(DFrame& frame, const PatchSource& source) {
    if (!source.ok()) {
        frame.finishImport({std::nullopt, *source.failure});
        return;
    }
    DPatchImportL6EditDialog dialog(&frame, source.entries);
    const int patch_index = dialog.Execute();
    if (patch_index < 0 || std::size_t(patch_index) >= source.entries.size())
        return;
    frame.finishImport(sourceDump(source, std::size_t(patch_index)));
}

void DFrame::ImportLine6EditFile(std::span<const std::uint8_t> file, int patch_type) {
    importName_.clear(); // bytes without a file's name
    chooseLine6EditEntry(*this, openLine6Edit(file, patch_type));
}
