// Fuzz target: a Line 6 Edit file listed as a patch and as a bundle, each entry's texts read and converted.
#include "fuzz/FuzzCheck.h"
#include "import/Line6Edit.h"
#include "import/Line6EditConvert.h"

#include <cstdint>

using namespace amplix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> file(data, size);
    recognizeImport(file.first(std::min(size, kImportHeaderSize)));

    for (const int type : {kLine6EditPatchType, kLine6EditBundleType}) {
        const Line6EditListing listing = listLine6EditFile(file, type);
        FUZZ_CHECK(listing.entries.size() <= kMaxImportEntries);
        FUZZ_CHECK(!listing.failure || listing.entries.empty());
        if (type == kLine6EditPatchType)
            FUZZ_CHECK(listing.failure.has_value() != (listing.entries.size() == 1));
        for (const ImportEntry& entry : listing.entries) {
            FUZZ_CHECK(!entry.name.empty() && entry.name.size() <= 32);
            FUZZ_CHECK(entry.deviceCode >= 2 && entry.deviceCode <= 4);
            FUZZ_CHECK(entry.information.empty() || entry.information.size() == kLine6EditTextCount);
            const ImportResult result = convertLine6EditPatch(file, entry);
            if (result.ok())
                FUZZ_CHECK(fuzz::isSendableSingleDump(*result.dump));
            else
                FUZZ_CHECK(result.failure.text == kCorruptPatchFile.text);
        }
    }
    return 0;
}
