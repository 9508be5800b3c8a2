// Fuzz target: any file opened the way File > Open, File > Import and amplix-patch open it, every entry's
// dump made.
#include "fuzz/FuzzCheck.h"
#include "import/PatchSource.h"

#include <array>
#include <cstdint>
#include <string_view>

using namespace amplix;

namespace {

// The first input byte picks the file's path: extensions decide where a file nothing recognises goes.
constexpr std::array<std::string_view, 6> kPaths = {
    "Blues Lead.GPT", "patch.pod", "library.lib", "bank.syx", "C:\\Patches\\A much longer patch name.gpt",
    "noext",
};

void takeEveryEntry(const PatchSource& source) {
    if (!source.ok()) {
        FUZZ_CHECK(!source.invalidByte || source.failure->text == kInvalidFileFormat.text);
        FUZZ_CHECK(source.entries.empty() || source.kind == SourceKind::Line6Edit);
        const ImportResult refused = sourceDump(source, 0);
        FUZZ_CHECK(!refused.ok() && refused.failure.text == source.failure->text);
        return;
    }
    FUZZ_CHECK(source.entries.size() <= kMaxImportEntries || source.kind == SourceKind::Bank);
    FUZZ_CHECK(!source.invalidByte);
    if (source.kind == SourceKind::Bank) // sent whole by "Load ALL"
        FUZZ_CHECK(fuzz::isSendableBankDump(source.bytes));
    const int choice = guitarPortChoice(source, std::nullopt);
    FUZZ_CHECK(choice == kNoEffectChoice || choice == kLoadModulation);
    for (std::size_t n = 0; n < source.entries.size(); ++n) {
        for (const std::optional<int> answer : {std::optional<int>{}, std::optional<int>{kLoadCompressor}}) {
            const ImportResult result = sourceDump(source, n, guitarPortChoice(source, answer));
            switch (source.kind) {
            case SourceKind::SinglePatch:
            case SourceKind::Bank: // the editor's own files send their bytes as they are, all sendable
                FUZZ_CHECK(result.ok() && fuzz::isSendableSingleDump(*result.dump));
                break;
            case SourceKind::GuitarPort: // refused when opened, or converted whatever is chosen
                FUZZ_CHECK(result.ok());
                [[fallthrough]];
            default:
                if (result.ok())
                    FUZZ_CHECK(fuzz::isSendableSingleDump(*result.dump));
                else
                    FUZZ_CHECK(!result.failure.text.empty());
                break;
            }
        }
        source.label(n);
    }
    const ImportResult beyond = sourceDump(source, source.entries.size());
    FUZZ_CHECK(!beyond.ok() && beyond.failure.text.empty());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::string_view path = kPaths[data[0] % kPaths.size()];
    const std::span<const std::uint8_t> file(data + 1, size - 1);
    takeEveryEntry(openAnyPatchFile(file, path));
    takeEveryEntry(openPatchFile(file));
    takeEveryEntry(openImportFile(file, path));
    return 0;
}
