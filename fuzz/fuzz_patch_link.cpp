// Fuzz target: a URL fragment taken as a patch link, and bytes taken as a record made into one.
#include "fuzz/FuzzCheck.h"
#include "patch/PatchLink.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

using namespace amplix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view fragment(reinterpret_cast<const char*>(data), size);
    const OpenedLink opened = readPatchLink(fragment);
    FUZZ_CHECK(opened.record.has_value() == (opened.outcome == LinkOutcome::Patch));
    FUZZ_CHECK(linkFailureText(opened.outcome).empty() == (opened.outcome == LinkOutcome::Patch));
    if (opened.record) {
        // Only the one spelling of a record is taken: writing it gives the fragment back.
        const std::string_view bare = fragment.starts_with('#') ? fragment.substr(1) : fragment;
        FUZZ_CHECK(patchLink(*opened.record) == bare);
        patchLinkTitle(*opened.record);
    }

    // Any 71 bytes travel and come back whole.
    PatchRecord record{};
    std::copy_n(data, std::min(size, kRecordSize), record.begin());
    const std::string link = patchLink(record);
    FUZZ_CHECK(link.size() == kLinkFragmentSize);
    const OpenedLink back = readPatchLink(link);
    FUZZ_CHECK(back.outcome == LinkOutcome::Patch && back.record == record);
    FUZZ_CHECK(patchLinkTitle(record).size() <= kNameLength + 16);
    return 0;
}
