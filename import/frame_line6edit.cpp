// File > Import of Line 6 Edit patches, bundles and collections: list, choose, convert, load.
#include "app/DFrame.h"

#include "import/DPatchImportL6EditDialog.h"
#include "import/Line6Edit.h"
#include "import/Line6EditConvert.h"

using namespace amplix;

void DFrame::ImportLine6EditFile(std::span<const std::uint8_t> file, int patch_type) {
    const Line6EditListing listing = listLine6EditFile(file, patch_type);
    if (listing.failure) {
        finishImport({std::nullopt, *listing.failure});
        return;
    }
    DPatchImportL6EditDialog dialog(this, listing.entries);
    const int patch_index = dialog.Execute();
    if (patch_index < 0)
        return;
    finishImport(convertLine6EditPatch(file, listing.entries[std::size_t(patch_index)]));
}
