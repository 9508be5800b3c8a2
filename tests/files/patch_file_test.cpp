// Patch files: recognised by content, listed, and unpacked exactly.
#include "files/PatchFile.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace amplix;

namespace {

using Buffer = std::array<std::uint8_t, kSysexBufferSize>;

std::vector<std::uint8_t> bankFile() {
    std::array<PatchRecord, kPatchLocations> patches{};
    for (std::size_t n = 0; n < kPatchLocations; ++n) {
        for (std::size_t k = 0; k < kRecordParameterBytes; ++k)
            patches[n][k] = std::uint8_t(n + k);
        std::string name = "Patch " + locationLabel(n);
        name.resize(kNameLength, ' ');
        std::copy(name.begin(), name.end(), patches[n].begin() + kNameOffset);
    }
    patches[6][kNameOffset] = 0; // a name that starts with 00
    auto bank = buildBankDump(patches, 0x42);
    return {bank.begin(), bank.end()};
}

std::vector<std::uint8_t> singleFile() {
    auto dump = buildSingleDump(PatchRecord{}, 0x07);
    return {dump.begin(), dump.end()};
}

} // namespace

TEST(PatchFile, RecognisedByTheFirstSevenBytesWithTheirLengths) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> file;
        PatchFileStatus status;
    } cases[] = {
        {"single patch", singleFile(), PatchFileStatus::SinglePatch},
        {"single patch with a byte more", [] { auto f = singleFile(); f.push_back(0x99); return f; }(),
         PatchFileStatus::SinglePatch},
        {"150 bytes", [] { auto f = singleFile(); f.pop_back(); return f; }(), PatchFileStatus::TooShort},
        {"empty", {}, PatchFileStatus::TooShort},
        {"bank", bankFile(), PatchFileStatus::Bank},
        {"bank header in 151 bytes", [] { auto f = bankFile(); f.resize(151); return f; }(), PatchFileStatus::TooShort},
        {"bank one byte short", [] { auto f = bankFile(); f.pop_back(); return f; }(), PatchFileStatus::TooShort},
        {"foreign SysEx", [] { auto f = singleFile(); f[1] = 0x43; return f; }(), PatchFileStatus::BadFormat},
        {"a store message", [] { auto f = singleFile(); f[6] = 0x00; return f; }(), PatchFileStatus::BadFormat},
    };
    for (const auto& c : cases) {
        Buffer buffer{};
        EXPECT_EQ(readPatchFile(c.file, buffer), c.status) << c.what;
    }

    Buffer buffer{};
    buffer.fill(0xEE);
    auto single = singleFile();
    single.push_back(0x99);
    readPatchFile(single, buffer);
    EXPECT_TRUE(std::equal(single.begin(), single.begin() + 151, buffer.begin()));
    EXPECT_EQ(buffer[151], 0xEE); // the byte after the dump is never read
}

TEST(PatchFile, BankListingShowsLabelsAndNames) {
    auto lines = bankListing(bankFile());
    ASSERT_EQ(lines.size(), 36u);
    EXPECT_EQ(lines[0], "1A  Patch 1A        ");
    EXPECT_EQ(lines[0].size(), 20u);
    EXPECT_EQ(lines[6], "2C  "); // the name starts with 00
    EXPECT_EQ(lines[35], "9D  Patch 9D        ");
}

TEST(PatchFile, ABankEntryBecomesASinglePatchDumpKeepingByte7) {
    auto file = bankFile();
    Buffer buffer{};
    ASSERT_EQ(readPatchFile(file, buffer), PatchFileStatus::Bank);
    ASSERT_TRUE(bankEntryToSingleDump(buffer, 6)); // "2C": bank bytes 860 to 1001
    EXPECT_EQ(classifyDump(buffer), DumpKind::SinglePatch);
    EXPECT_EQ(buffer[7], 0x42);
    EXPECT_TRUE(std::equal(file.begin() + 860, file.begin() + 1002, buffer.begin() + 8));
    EXPECT_EQ(buffer[150], 0xF7);

    Buffer first{};
    readPatchFile(file, first);
    ASSERT_TRUE(bankEntryToSingleDump(first, 0));
    EXPECT_TRUE(std::equal(file.begin() + 8, file.begin() + 150, first.begin() + 8));
    EXPECT_EQ(first[150], 0xF7);

    Buffer untouched{};
    readPatchFile(file, untouched);
    for (int n : {-1, -2, 36})
        EXPECT_FALSE(bankEntryToSingleDump(untouched, n)) << n;
    EXPECT_EQ(untouched[6], 0x02);
}
