// Fuzz target: a GuitarPort file checked, listed and converted with every effect choice.
#include "fuzz/FuzzCheck.h"
#include "import/GuitarPort.h"

#include <cstdint>
#include <string>
#include <string_view>

using namespace amplix;

namespace {
// Longest shown information text; a longer one reads as empty.
constexpr std::size_t kLongestText = 999;
constexpr std::size_t kPathBytes = 40; // the input's last bytes also serve as a file path
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> file(data, size);
    recognizeImport(file.first(std::min(size, kImportHeaderSize)));

    const std::optional<ImportFailure> refused = checkGuitarPort(file);
    if (refused)
        FUZZ_CHECK(refused->text == kReadError.text || refused->text == kGuitarPortUnknownVersion.text);

    const GuitarPortListing listing = listGuitarPort(file);
    for (const std::string& text : listing.information)
        FUZZ_CHECK(text.size() <= kLongestText);

    const std::size_t pathBytes = std::min(size, kPathBytes);
    const std::string path(reinterpret_cast<const char*>(data + size - pathBytes), pathBytes);
    FUZZ_CHECK(guitarPortPatchName(path).size() <= kNameLength);

    // The check runs before the chooser so that no choice made there is then refused.
    for (const int choice : {kNoEffectChoice, kLoadCompressor, kLoadModulation}) {
        const ImportResult result = convertGuitarPort(file, path, choice);
        FUZZ_CHECK(result.ok() == !refused);
        if (result.ok())
            FUZZ_CHECK(fuzz::isSendableSingleDump(*result.dump));
    }
    return 0;
}
