// Patches as link fragments: every record comes back byte for byte, and a link that was cut,
// changed on its way or made by something else is told apart and gives no record.
#include "patch/PatchLink.h"

#include "app/UiTexts.h"
#include "device/FactoryPatches.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace amplix;

namespace {

constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
constexpr std::size_t kHeader = 8; // "amplix1."

PatchRecord counting() {
    PatchRecord record{};
    for (std::size_t i = 0; i < kRecordSize; ++i)
        record[i] = std::uint8_t(i);
    return record;
}

PatchRecord named(std::string_view name) {
    PatchRecord record = counting();
    for (std::size_t i = 0; i < kNameLength; ++i)
        record[kNameOffset + i] = i < name.size() ? std::uint8_t(name[i]) : std::uint8_t(' ');
    return record;
}

void expectRefused(std::string_view fragment, LinkOutcome outcome, std::string_view why) {
    const OpenedLink opened = readPatchLink(fragment);
    EXPECT_EQ(opened.outcome, outcome) << why << ": " << fragment;
    EXPECT_FALSE(opened.record.has_value()) << why << ": " << fragment;
}

} // namespace

TEST(PatchLink, TheCheckIsZlibsCrc32) {
    const std::string check = "123456789";
    EXPECT_EQ(crc32({reinterpret_cast<const std::uint8_t*>(check.data()), check.size()}), 0xCBF43926u);
    EXPECT_EQ(crc32({}), 0u);
}

TEST(PatchLink, TheFragmentIsTheTagThenTheRecordAndItsCheckInBase64url) {
    // As Python's zlib.crc32 and base64.urlsafe_b64encode make them: links written by one
    // version stay readable by the next.
    EXPECT_EQ(patchLink(counting()),
              "amplix1.AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8gISIjJCUmJygpKissLS4vMDEyMzQ1Njc4OTo7PD0-"
              "P0BBQkNERUZYruNx");
    PatchRecord ones{};
    ones.fill(0xFF);
    EXPECT_EQ(patchLink(ones), "amplix1." + std::string(94, '_') + "-EwKPI");
}

TEST(PatchLink, EveryFactoryPatchComesBackByteForByte) {
    for (const PatchRecord& record : factoryPatches()) {
        const std::string link = patchLink(record);
        EXPECT_EQ(link.size(), kLinkFragmentSize);
        for (const std::string& fragment : {link, "#" + link}) {
            const OpenedLink opened = readPatchLink(fragment);
            ASSERT_EQ(opened.outcome, LinkOutcome::Patch) << fragment;
            EXPECT_EQ(opened.record, record);
        }
    }
}

TEST(PatchLink, EveryByteValueAtEveryPlaceComesBack) {
    for (int shift = 0; shift < 256; ++shift) {
        PatchRecord record{};
        for (std::size_t i = 0; i < kRecordSize; ++i)
            record[i] = std::uint8_t(i + std::size_t(shift));
        const OpenedLink opened = readPatchLink(patchLink(record));
        ASSERT_EQ(opened.outcome, LinkOutcome::Patch) << shift;
        EXPECT_EQ(opened.record, record) << shift;
    }
}

TEST(PatchLink, ALinkCutAnywhereIsCut) {
    const std::string link = patchLink(factoryPatches()[7]);
    for (std::size_t length = 0; length < link.size(); ++length) {
        expectRefused(link.substr(0, length), LinkOutcome::Cut, "cut");
        expectRefused("#" + link.substr(0, length), LinkOutcome::Cut, "cut after #");
    }
}

TEST(PatchLink, AnyCharacterOfThePatchChangedIsAnAlteredLink) {
    const std::string link = patchLink(factoryPatches()[3]);
    for (std::size_t at = kHeader; at < link.size(); ++at)
        for (const char c : kAlphabet) {
            if (c == link[at])
                continue;
            std::string changed = link;
            changed[at] = c;
            expectRefused(changed, LinkOutcome::Altered, "changed");
        }
}

TEST(PatchLink, CharactersOutsideBase64urlOrTooManyAreAnAlteredLink) {
    const std::string link = patchLink(factoryPatches()[0]);
    for (std::size_t at = kHeader; at < link.size(); ++at)
        for (const char c : std::string_view("=+/. %#\0\xE9", 10)) {
            std::string changed = link;
            changed[at] = c;
            expectRefused(changed, LinkOutcome::Altered, "bad character");
        }
    // A character added, as a chat program may put a full stop or a bracket after a link.
    for (const std::string& longer : {link + "A", link + ".", link + ")", link + link})
        expectRefused(longer, LinkOutcome::Altered, "longer");
    // Two neighbours swapped.
    for (std::size_t at = kHeader; at + 1 < link.size(); ++at) {
        if (link[at] == link[at + 1])
            continue;
        std::string swapped = link;
        std::swap(swapped[at], swapped[at + 1]);
        expectRefused(swapped, LinkOutcome::Altered, "swapped");
    }
}

TEST(PatchLink, AnotherTagOrVersionIsAForeignLink) {
    const std::string data = patchLink(factoryPatches()[0]).substr(kHeader);
    const std::vector<std::string> foreign = {
        "amplix2." + data, "amplix10." + data, "amplix0." + data, "AMPLIX1." + data,
        "podlib1." + data, "amplix1" + data,   "amplix." + data,  "x",
        "/patch/3",        "amplix1:" + data,  "ampliz",
    };
    for (const std::string& fragment : foreign)
        expectRefused(fragment, LinkOutcome::Foreign, "foreign");
    // The tag is all a reader can go by: one of its characters changed is another program's.
    const std::string link = "amplix1." + data;
    for (std::size_t at = 0; at < kHeader; ++at) {
        std::string changed = link;
        changed[at] = changed[at] == 'Q' ? 'R' : 'Q';
        expectRefused(changed, LinkOutcome::Foreign, "tag changed");
    }
}

TEST(PatchLink, EachRefusalHasItsOwnText) {
    EXPECT_EQ(linkFailureText(LinkOutcome::Cut), text::kLinkCut);
    EXPECT_EQ(linkFailureText(LinkOutcome::Altered), text::kLinkAltered);
    EXPECT_EQ(linkFailureText(LinkOutcome::Foreign), text::kLinkForeign);
    EXPECT_EQ(linkFailureText(LinkOutcome::Patch), "");
    EXPECT_NE(text::kLinkCut, text::kLinkAltered);
    EXPECT_NE(text::kLinkAltered, text::kLinkForeign);
}

TEST(PatchLink, TheTitleNamesThePatchWithoutItsPadding) {
    struct Case {
        std::string name;
        std::string title;
    };
    const std::vector<Case> cases = {
        {"Brit Crunch", "Brit Crunch: a POD patch"},
        {"  Lead  Tone", "  Lead  Tone: a POD patch"}, // only the padding after it goes
        {"SIXTEEN CHARS!!!", "SIXTEEN CHARS!!!: a POD patch"},
        {"Caf\xE9", "Caf\xE9: a POD patch"},           // 8-bit characters as the name holds them
        {std::string("AB\0CD", 5), "AB: a POD patch"}, // the name ends at its first 00
        {"", "A POD patch"},
        {std::string("\0Hidden", 7), "A POD patch"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(patchLinkTitle(named(c.name)), c.title) << c.name;
}
