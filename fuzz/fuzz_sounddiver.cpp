// Fuzz target: a SoundDiver library listed in both byte orders and each listed entry converted.
#include "fuzz/FuzzCheck.h"
#include "import/SoundDiver.h"

#include <cstdint>
#include <limits>

using namespace amplix;

namespace {

void checkResult(const ImportResult& result) {
    if (result.ok()) {
        FUZZ_CHECK(fuzz::isSendableSingleDump(*result.dump));
        return;
    }
    const std::string& text = result.failure.text;
    FUZZ_CHECK(text == kSoundDiverZeroSkip.text || text == kSoundDiverNoPatchData.text ||
               text == kSoundDiverInvalidData.text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> file(data, size);
    recognizeImport(file.first(std::min(size, kImportHeaderSize)));

    for (const bool reversed : {false, true}) {
        const std::vector<ImportEntry> entries = listSoundDiver(file, reversed);
        FUZZ_CHECK(entries.size() <= kMaxImportEntries);
        std::size_t previous = 0;
        for (const ImportEntry& entry : entries) {
            FUZZ_CHECK(entry.position <= size && entry.position > previous); // file order, each once
            previous = entry.position;
            checkResult(convertSoundDiver(file, entry.position));
        }
    }

    // Any position a caller could hand over, the end of the file and beyond included.
    const std::size_t some = size >= 2 ? (std::size_t(data[0]) << 8 | data[1]) : 0;
    for (const std::size_t position :
         {some, some % (size + 1), size, std::numeric_limits<std::size_t>::max()})
        checkResult(convertSoundDiver(file, position));
    return 0;
}
