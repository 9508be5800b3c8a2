// Fuzz target: the module walk that turns a Line 6 Edit patch into a POD single-patch dump.
#include "fuzz/FuzzCheck.h"
#include "import/Line6Edit.h"
#include "import/Line6EditConvert.h"

#include <cstdint>
#include <string_view>
#include <vector>

using namespace amplix;

namespace {
constexpr std::string_view kPatchData = "PATC";
} // namespace

// The first byte picks the device and the generation; the rest follows the patch data tag.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::uint8_t choice = data[0];
    const int device = 2 + choice % 3;
    const int generation = (choice & 0x10) ? kLine6EditNewer : kLine6EditOlder;

    std::vector<std::uint8_t> file(kPatchData.begin(), kPatchData.end());
    file.insert(file.end(), data + 1, data + size);
    // A patch whose modules the bytes cut off is refused; every other converts to a dump the
    // device takes.
    const ImportResult result = convertLine6EditModules(file, 0, "Fuzzed Patch Name", device, generation);
    FUZZ_CHECK(result.ok() ? fuzz::isSendableSingleDump(*result.dump)
                           : result.failure.text == kCorruptPatchFile.text);
    // Cut after its tag it is always refused.
    const std::vector<std::uint8_t> tagOnly(kPatchData.begin(), kPatchData.end());
    FUZZ_CHECK(!convertLine6EditModules(tagOnly, 0, "x", device, generation).ok());

    // Without the tag, or past the end, it is refused.
    for (const std::size_t position : {std::size_t(1), file.size(), file.size() + 1}) {
        const ImportResult refused = convertLine6EditModules(file, position, "x", device, generation);
        FUZZ_CHECK(!refused.ok() && refused.failure.text == kCorruptPatchFile.text);
    }
    return 0;
}
