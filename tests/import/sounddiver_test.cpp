// SoundDiver libraries: the entry listing and the conversion of an entry, in both byte orders.
#include "import/SoundDiver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace amplix;

namespace {

using Bytes = std::vector<std::uint8_t>;

// One entry's data as a library stores it.
struct EntrySpec {
    std::string name = "Clean";
    std::uint8_t present = 1; // byte 1
    std::uint8_t bank = 0;    // byte 2
    std::uint8_t kind = 1;    // byte 12
    int lengthByte = -1;      // byte 13; -1: the name's length
    Bytes prelude;            // between the name and the data marker
    std::uint8_t marker = 0x03;
    std::uint8_t code = 0x37;
    std::size_t recordBytes = 55;
};

// Every nibble value turns up, high bytes too.
std::uint8_t recordByte(std::size_t i) {
    return std::uint8_t(i * 37 + 5);
}

Bytes entryData(const EntrySpec& e) {
    Bytes out(14, 0);
    out[1] = e.present;
    out[2] = e.bank;
    out[12] = e.kind;
    out[13] = e.lengthByte >= 0 ? std::uint8_t(e.lengthByte) : std::uint8_t(e.name.size());
    for (char c : e.name)
        out.push_back(std::uint8_t(c));
    out.insert(out.end(), e.prelude.begin(), e.prelude.end());
    out.push_back(e.marker);
    out.push_back(e.code);
    if (e.code == 0x3B)
        out.insert(out.end(), {0xEE, 0xEE, 0xEE, 0xEE});
    for (std::size_t i = 0; i < e.recordBytes; ++i)
        out.push_back(recordByte(i));
    return out;
}

void put32(Bytes& out, std::uint32_t v, bool reversed) {
    for (int i = 0; i < 4; ++i)
        out.push_back(std::uint8_t(v >> (reversed ? 8 * i : 24 - 8 * i)));
}

void putTag(Bytes& out, std::string tag, bool reversed) {
    if (reversed)
        tag = std::string(tag.rbegin(), tag.rend());
    out.insert(out.end(), tag.begin(), tag.end());
}

// A library whose entries are given as their data; chunkSizes overrides the stored lengths.
Bytes library(const std::vector<Bytes>& entries, bool reversed = false,
              std::vector<std::uint32_t> chunkSizes = {}) {
    Bytes out;
    putTag(out, "FORM", reversed);
    put32(out, 0, reversed);
    putTag(out, "SSLB", reversed);
    putTag(out, "LHDR", reversed);
    put32(out, 4, reversed);
    out.insert(out.end(), {'L', 'L', 'E', 'N'}); // a near match right before the first tag
    for (std::size_t i = 0; i < entries.size(); ++i) {
        putTag(out, "LENT", reversed);
        put32(out, i < chunkSizes.size() ? chunkSizes[i] : std::uint32_t(entries[i].size()), reversed);
        out.insert(out.end(), entries[i].begin(), entries[i].end());
    }
    return out;
}

std::vector<std::string> names(const std::vector<ImportEntry>& entries) {
    std::vector<std::string> out;
    for (const auto& e : entries)
        out.push_back(e.name);
    return out;
}

ImportResult convertOnly(const EntrySpec& spec) {
    const Bytes file = library({entryData(spec)});
    const auto entries = listSoundDiver(file, false);
    if (entries.size() != 1)
        return ImportResult{std::nullopt, {"not listed", ""}};
    return convertSoundDiver(file, entries[0].position);
}

std::string dumpedName(const ImportResult& r) {
    std::string name;
    for (std::size_t k = 55; k < 71; ++k)
        name += char(((*r.dump)[8 + 2 * k] << 4) | (*r.dump)[9 + 2 * k]);
    return name;
}

} // namespace

TEST(SoundDiverTest, BothByteOrdersListAndConvertAlikeToTheExactDump) {
    EntrySpec skipped;
    skipped.name = "Skipped";
    skipped.present = 0;
    EntrySpec padded;
    padded.name = "Padded";
    padded.code = 0x3B;
    padded.prelude = {0x10, 0x02, 0xEE, 0xEE};
    const std::vector<Bytes> entries = {entryData({}), entryData(skipped), entryData(padded)};

    const Bytes ordinary = library(entries, false);
    const Bytes reversed = library(entries, true);
    const auto a = listSoundDiver(ordinary, false);
    const auto b = listSoundDiver(reversed, true);
    ASSERT_EQ(names(a), (std::vector<std::string>{"Clean", "Padded"}));
    ASSERT_EQ(names(b), names(a));
    EXPECT_TRUE(listSoundDiver(ordinary, true).empty()); // the other order's tag is not there
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].position, b[i].position);
        const auto x = convertSoundDiver(ordinary, a[i].position);
        const auto y = convertSoundDiver(reversed, b[i].position);
        ASSERT_TRUE(x.ok() && y.ok());
        EXPECT_EQ(*x.dump, *y.dump);
    }

    const auto exact = convertSoundDiver(ordinary, a[0].position);
    const auto& d = *exact.dump;
    EXPECT_EQ(Bytes(d.begin(), d.begin() + 8), (Bytes{0xF0, 0x00, 0x01, 0x0C, 0x01, 0x01, 0x01, 0x00}));
    for (std::size_t k = 0; k < 55; ++k) {
        EXPECT_EQ(d[8 + 2 * k], recordByte(k) >> 4) << k;
        EXPECT_EQ(d[9 + 2 * k], recordByte(k) & 0x0F) << k;
    }
    EXPECT_EQ(dumpedName(exact), "Clean           ");
    EXPECT_EQ(d[150], 0xF7);
}

TEST(SoundDiverTest, OnlyQualifyingEntriesAreListed) {
    struct Row {
        const char* what;
        EntrySpec spec;
        std::vector<std::string> listed;
    };
    auto with = [](auto change) {
        EntrySpec s;
        change(s);
        return s;
    };
    const std::vector<Row> rows = {
        {"byte 1 zero", with([](EntrySpec& s) { s.present = 0; }), {}},
        {"byte 2 is 3", with([](EntrySpec& s) { s.bank = 3; }), {"Clean"}},
        {"byte 2 is 4", with([](EntrySpec& s) { s.bank = 4; }), {}},
        {"byte 12 not 1", with([](EntrySpec& s) { s.kind = 2; }), {}},
        {"name length 0", with([](EntrySpec& s) { s.lengthByte = 0; }), {}},
        {"name length bit 7", with([](EntrySpec& s) { s.name = std::string(0x81, 'x'); }), {}},
        {"NUL in the name", with([](EntrySpec& s) { s.name = std::string("AB\0CD", 5); }), {"AB"}},
        {"127-character name",
         with([](EntrySpec& s) { s.name = std::string(127, 'x'); }),
         {std::string(127, 'x')}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(names(listSoundDiver(library({entryData(row.spec)}), false)), row.listed) << row.what;
}

TEST(SoundDiverTest, ChunkLengthsNeverStallOrRewindTheScan) {
    EntrySpec second;
    second.name = "Second";
    const std::vector<Bytes> entries = {entryData({}), entryData(second)};
    struct Row {
        const char* what;
        std::uint32_t firstLength;
        std::vector<std::string> listed;
    };
    const std::vector<Row> rows = {
        {"exact", std::uint32_t(entries[0].size()), {"Clean", "Second"}},
        {"zero: the search goes on inside the entry", 0, {"Clean", "Second"}},
        {"negative as a signed word", 0xFFFFFFF8u, {"Clean"}},
        {"past the end", 0x00100000u, {"Clean"}},
        {"largest", 0xFFFFFFFFu, {"Clean"}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(names(listSoundDiver(library(entries, false, {row.firstLength}), false)), row.listed)
            << row.what;
}

TEST(SoundDiverTest, ListsAtMostAThousandEntries) {
    std::vector<Bytes> entries;
    for (int i = 0; i < 1001; ++i) {
        EntrySpec s;
        s.name = "P" + std::to_string(1000 + i);
        entries.push_back(entryData(s));
    }
    const auto listed = listSoundDiver(library(entries), false);
    ASSERT_EQ(listed.size(), 1000u);
    EXPECT_EQ(listed.front().name, "P1000");
    EXPECT_EQ(listed.back().name, "P1999");
}

TEST(SoundDiverTest, NamesFillSixteenCharacters) {
    struct Row {
        std::string name;
        std::string filled;
    };
    // The last row: 8-bit characters pass unchanged.
    const std::vector<Row> rows = {
        {"Twenty characters!!!", "Twenty character"},   {"Blues", "Blues           "},
        {std::string("Ro\0ck", 5), "Ro              "}, {std::string(16, 'Q'), std::string(16, 'Q')},
        {"\xE9t\xE9", "\xE9t\xE9             "},
    };
    for (const auto& row : rows) {
        EntrySpec s;
        s.name = row.name;
        const auto r = convertOnly(s);
        ASSERT_TRUE(r.ok()) << row.name;
        EXPECT_EQ(dumpedName(r), row.filled);
        EXPECT_EQ((*r.dump)[8 + 2 * 54 + 1], recordByte(54) & 0x0F) << "record after a long name";
    }
}

TEST(SoundDiverTest, WhatLiesBetweenNameAndRecord) {
    auto filler = [](std::size_t n) { return Bytes(n, 0xEE); };
    auto prelude = [](Bytes head, const Bytes& tail) {
        head.insert(head.end(), tail.begin(), tail.end());
        return head;
    };
    struct Row {
        const char* what;
        Bytes prelude;
        std::uint8_t marker;
        std::uint8_t code;
        std::size_t recordBytes;
        std::string failure; // empty: converts
        std::string caption;
    };
    const std::vector<Row> rows = {
        {"marker at once", {}, 0x03, 0x37, 55, "", ""},
        {"one-byte skip", prelude({0x10, 0x05}, filler(5)), 0x03, 0x37, 55, "", ""},
        {"81 05 skips 133", prelude({0x10, 0x81, 0x05}, filler(133)), 0x03, 0x37, 55, "", ""},
        {"81 05 with 132 bytes", prelude({0x10, 0x81, 0x05}, filler(132)), 0x03, 0x37, 55,
         "Couldn't find patch data", ""},
        {"zero skip", {0x10, 0x00}, 0x03, 0x37, 55, "Error reading from file", "Error"},
        {"no marker", prelude({0x10, 0x02}, filler(2)), 0x04, 0x37, 55, "Couldn't find patch data", ""},
        {"code 3B", {}, 0x03, 0x3B, 55, "", ""},
        {"code 38", {}, 0x03, 0x38, 55, "Error, invalid patch data.", "Error"},
        {"record cut short", {}, 0x03, 0x37, 54, "Error, invalid patch data.", "Error"},
        {"skip past the end", {0x10, 0xFF, 0x7F}, 0x03, 0x37, 55, "Error, invalid patch data.", "Error"},
    };
    for (const auto& row : rows) {
        EntrySpec s;
        s.prelude = row.prelude;
        s.marker = row.marker;
        s.code = row.code;
        s.recordBytes = row.recordBytes;
        const auto r = convertOnly(s);
        EXPECT_EQ(r.ok(), row.failure.empty()) << row.what;
        if (r.ok())
            EXPECT_EQ((*r.dump)[8], recordByte(0) >> 4) << row.what;
        else
            EXPECT_EQ(r.failure.text + "|" + r.failure.caption, row.failure + "|" + row.caption) << row.what;
    }
}

TEST(SoundDiverTest, AnEntryCutAnywhereIsRefusedAndNotListedBeforeItsName) {
    EntrySpec s;
    s.prelude = {0x10, 0x81, 0x00};
    s.prelude.resize(s.prelude.size() + 128, 0xEE);
    s.code = 0x3B;
    const Bytes file = library({entryData(s)});
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
