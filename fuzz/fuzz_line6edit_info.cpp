// Fuzz target: the information block of a Line 6 Edit patch, read where a listed patch would look for it.
#include "fuzz/FuzzCheck.h"
#include "import/Line6Edit.h"

#include <cstdint>
#include <vector>

using namespace amplix;

namespace {

// The block is looked for this far past the patch data; the input follows that much padding.
constexpr std::size_t kSearchDistance = 800;

void check(const Line6EditInformation& information) {
    FUZZ_CHECK(information.texts.empty() || information.texts.size() == kLine6EditTextCount);
    FUZZ_CHECK(information.generation == kLine6EditOlder || information.generation == kLine6EditNewer);
    for (const std::string& text : information.texts)
        FUZZ_CHECK(text.find('\0') == std::string::npos);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> file(kSearchDistance, 0);
    file.insert(file.end(), data, data + size);
    check(readLine6EditInformation(file, 0));
    // The same bytes with the patch further on, or past the end.
    check(readLine6EditInformation(file, size));
    check(readLine6EditInformation(std::span(data, size), 0));
    return 0;
}
