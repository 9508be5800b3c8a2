// SoundDiver libraries: the entry listing and the conversion of an entry, in both byte orders.
#include "import/SoundDiver.h"
#include "tests/support/TestPatchFiles.h"

#include <gtest/gtest.h>

using namespace amplix;
using namespace patchfiles;

namespace {

using Entry = SoundDiverEntry;

std::vector<std::string> names(const std::vector<ImportEntry>& entries) {
    std::vector<std::string> out;
    for (const auto& e : entries)
        out.push_back(e.name);
    return out;
}

} // namespace

TEST(SoundDiverTest, BothByteOrdersListAndConvertAlikeToTheExactDump) {
    const std::vector<Entry> entries = {
        {},
        {"Skipped", soundDiverTail(5), 0},
        {"Padded", cat({Bytes{0x10, 0x02, 0xEE, 0xEE}, soundDiverTail(9, 0x3B)})}};
    const Bytes ordinary = soundDiver(entries, false), reversed = soundDiver(entries, true);
    const auto a = listSoundDiver(ordinary, false), b = listSoundDiver(reversed, true);
    ASSERT_EQ(names(a), (std::vector<std::string>{"Clean", "Padded"}));
    ASSERT_EQ(names(b), names(a));
    EXPECT_TRUE(listSoundDiver(ordinary, true).empty()); // the other order's tag is not there
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].position, b[i].position);
        const auto x = convertSoundDiver(ordinary, a[i].position),
                   y = convertSoundDiver(reversed, b[i].position);
        ASSERT_TRUE(x.ok() && y.ok());
        EXPECT_EQ(*x.dump, *y.dump);
    }
    const Bytes tail = soundDiverTail(5);
    PatchRecord expected{};
    std::copy(tail.begin() + 2, tail.end(), expected.begin());
    std::copy_n("Clean           ", 16, expected.begin() + kNameOffset);
    // The builder's bytes are checked against the device's own.
    EXPECT_EQ(bytesOf(*convertSoundDiver(ordinary, a[0].position).dump), singlePatch(expected, 0));
}

TEST(SoundDiverTest, OnlyQualifyingEntriesAreListedAndLengthsNeverStallTheScan) {
    const std::string x127(127, 'x');
    const auto exact = std::uint32_t(14 + 5 + soundDiverTail(5).size());
    const std::tuple<const char*, Entry, std::uint32_t, std::vector<std::string>> rows[] = {
        {"byte 1 zero", {.present = 0}, exact, {"Second"}},
        {"byte 2 is 3", {.bank = 3}, exact, {"Clean", "Second"}},
        {"byte 2 is 4", {.bank = 4}, exact, {"Second"}},
        {"byte 12 not 1", {.kind = 2}, exact, {"Second"}},
        {"name length 0", {.lengthByte = 0}, exact, {"Second"}},
        {"name length bit 7", {.name = std::string(0x81, 'x')}, 14 + 0x81 + 57, {"Second"}},
        {"NUL in the name", {.name = std::string("AB\0CD", 5)}, exact, {"AB", "Second"}},
        {"127-character name", {.name = x127}, 14 + 127 + 57, {x127, "Second"}},
        {"length zero: the search goes on inside the entry", {}, 0, {"Clean", "Second"}},
        {"length negative as a signed word", {}, 0xFFFFFFF8u, {"Clean"}},
        {"length past the end", {}, 0x00100000u, {"Clean"}},
        {"largest length", {}, 0xFFFFFFFFu, {"Clean"}},
    };
    for (const auto& [what, first, length, expected] : rows)
        EXPECT_EQ(names(listSoundDiver(soundDiver({first, {"Second"}}, false, {length}), false)), expected)
            << what;
    std::vector<Entry> many;
    for (int i = 0; i < 1001; ++i)
        many.push_back({"P" + std::to_string(1000 + i)});
    const auto listed = names(listSoundDiver(soundDiver(many), false));
    ASSERT_EQ(listed.size(), 1000u);
    EXPECT_EQ(listed.front() + listed.back(), "P1000P1999");
}

// The name fills sixteen characters (8-bit ones pass unchanged); between it and the record
// lie skips, the data marker and the code.
TEST(SoundDiverTest, WhatAnEntryHoldsDecidesItsDump) {
    const auto skip = [](Bytes head, std::size_t filler) {
        return cat({head, Bytes(filler, 0xEE), soundDiverTail(5)});
    };
    Bytes noMarker = skip({0x10, 0x02}, 2);
    noMarker[4] = 0x04;
    const std::string noData = "Couldn't find patch data|", invalid = "Error, invalid patch data.|Error";
    // The entry's name and tail; the name the dump holds, or the message.
    const std::tuple<std::string, Bytes, std::string> rows[] = {
        {"Twenty characters!!!", soundDiverTail(5), "Twenty character"},
        {"Blues", skip({0x10, 0x05}, 5), "Blues           "},
        {std::string("Ro\0ck", 5), skip({0x10, 0x81, 0x05}, 133), "Ro              "},
        {"\xE9t\xE9", soundDiverTail(5, 0x3B), "\xE9t\xE9             "},
        {"x", skip({0x10, 0x81, 0x05}, 132), noData},
        {"x", skip({0x10, 0x00}, 0), "Error reading from file|Error"},
        {"x", noMarker, noData},
        {"x", soundDiverTail(5, 0x38), invalid},
        {"x", soundDiverTail(5, 0x37, 54), invalid}, // the record cut short
        {"x", skip({0x10, 0xFF, 0x7F}, 0), invalid}, // a skip past the end
    };
    const Bytes tail5 = soundDiverTail(5), record(tail5.end() - kRecordParameterBytes, tail5.end());
    for (const auto& [name, tail, expected] : rows) {
        const Bytes file = soundDiver({{name, tail}});
        const auto r = convertSoundDiver(file, listSoundDiver(file, false).at(0).position);
        EXPECT_EQ(r.ok() ? dumpName(*r.dump) : r.failure.text + "|" + r.failure.caption, expected);
        EXPECT_TRUE(!r.ok() ||
                    std::equal(record.begin(), record.end(), readRecord(*r.dump, kDumpDataOffset).begin()))
            << name;
    }
}

TEST(SoundDiverTest, AnEntryCutAnywhereIsRefusedAndNotListedBeforeItsName) {
    const Bytes file =
        soundDiver({{"Clean", cat({Bytes{0x10, 0x81, 0x00}, Bytes(128, 0xEE), soundDiverTail(5, 0x3B)})}});
    const std::size_t start = listSoundDiver(file, false).at(0).position;
    for (std::size_t end = start; end < file.size(); ++end) {
        const auto r = convertSoundDiver(std::span(file).first(end), start);
        ASSERT_FALSE(r.ok()) << end;
        EXPECT_EQ(r.failure.text, "Error, invalid patch data.") << end;
    }
    EXPECT_TRUE(convertSoundDiver(file, start).ok());
    EXPECT_FALSE(convertSoundDiver(file, file.size() + 1).ok());
    // The listing keeps an entry whose name is whole, and nothing the file cuts before that.
    EXPECT_TRUE(listSoundDiver(std::span(file).first(start - 1), false).empty());
    EXPECT_TRUE(listSoundDiver(std::span(file).first(start + 14 + 4), false).empty());
    EXPECT_EQ(listSoundDiver(std::span(file).first(start + 14 + 5), false).size(), 1u);
}
