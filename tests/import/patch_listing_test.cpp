// Every patch of an opened file as the library's file pane lists it: the chooser's names, and each
// patch converted exactly as choosing it on its own converts it, failures included.
#include "import/Line6Edit.h"
#include "import/PatchSource.h"
#include "tests/support/TestPatchFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

using namespace amplix;
using namespace patchfiles;

namespace {

// What choosing entry n alone sends, as a record, or its message.
void expectEachAsChosenAlone(const PatchSource& source, const std::vector<ListedPatch>& listed, int modOrComp,
                             const std::string& what) {
    ASSERT_EQ(listed.size(), source.entries.size()) << what;
    for (std::size_t n = 0; n < listed.size(); ++n) {
        const ImportResult chosen = sourceDump(source, n, modOrComp);
        EXPECT_EQ(listed[n].name, source.entries[n].name) << what << " " << n;
        ASSERT_EQ(listed[n].record.has_value(), chosen.ok()) << what << " " << n;
        if (chosen.ok()) {
            EXPECT_EQ(*listed[n].record, readRecord(*chosen.dump, kDumpDataOffset)) << what << " " << n;
        }
        EXPECT_EQ(listed[n].failure.text + "|" + listed[n].failure.caption,
                  chosen.failure.text + "|" + chosen.failure.caption)
            << what << " " << n;
    }
}

// A SoundDiver entry's record: the tail's 55 bytes, the name filled with spaces.
PatchRecord soundDiverRecord(const Bytes& tail, const std::string& name) {
    PatchRecord r{};
    std::copy(tail.end() - std::ptrdiff_t(kRecordParameterBytes), tail.end(), r.begin());
    const std::string filled = (name + std::string(kNameLength, ' ')).substr(0, kNameLength);
    std::copy(filled.begin(), filled.end(), r.begin() + kNameOffset);
    return r;
}

// A patch whose effect module claims far more records than the file holds.
Bytes oversizedEffect(Bytes patch) {
    const std::string_view tag = "MODL";
    const auto last = std::find_end(patch.begin(), patch.end(), tag.begin(), tag.end());
    const Bytes length = be32(0xFFFF);
    std::copy(length.begin(), length.end(), last + 4);
    return patch;
}

// A bundle of: a listed patch with a 32-character name, one that lists but does not convert,
// one for another device (not listed), and one the file cuts off inside its modules.
Bytes line6File(const char* type) {
    const Bytes first = line6Patch("Big Muff Into A Plexi Stack 1968", 2, 5, false);
    const Bytes broken = oversizedEffect(line6Patch("Broken", 3, 9, true));
    const Bytes vetta = line6Patch("Vetta", 5, 5, false);
    const Bytes cut = line6Patch("Cut Short", 4, 12, false);
    Bytes file = line6Bundle({first, broken, vetta, cut}, type);
    file.resize(file.size() - cut.size() + Line6Patch{"Cut Short"}.patcAt() + 4 + 40); // in its first module
    return file;
}

std::vector<std::string> bankNames() {
    std::vector<std::string> out;
    for (std::size_t n = 0; n < kPatchLocations; ++n)
        out.push_back("Bank " + std::to_string(n));
    return out;
}

} // namespace

// Each kind of file: the names listed, each patch's message ("" when it converts), and records
// worked out independently of the importers where that is simple.
TEST(PatchListing, EveryEntryIsConvertedAsChoosingItAloneConvertsIt) {
    const PatchRecord single = record("Caf\xE9 Lead", 1);
    const Bytes clean = soundDiverTail(1),
                padded = cat({Bytes{0x10, 0x02, 0xEE, 0xEE}, soundDiverTail(9, 0x3B)});
    const std::vector<SoundDiverEntry> soundDiverEntries = {{"Clean", clean},
                                                            {"Hidden", soundDiverTail(2), 0},
                                                            {"Odd Code", soundDiverTail(3, 0x38)},
                                                            {"Padded", padded}};
    const std::string invalid = "Error, invalid patch data.|Error", corrupt = "Corrupt patch file!|";
    std::map<std::size_t, PatchRecord> bankRecordsByEntry;
    for (std::size_t n = 0; const PatchRecord& r : bankRecords())
        bankRecordsByEntry[n++] = r;

    struct Case {
        const char* path;
        Bytes bytes;
        int modOrComp;
        SourceKind kind;
        std::vector<std::string> names;
        std::vector<std::string> failures;
        std::map<std::size_t, PatchRecord> records;
    };
    const std::vector<std::string> l6Names = {"Big Muff Into A Plexi Stack 1968", "Broken", "Cut Short"},
                                   sdNames = {"Clean", "Odd Code", "Padded"};
    const std::map<std::size_t, PatchRecord> sdRecords = {{0, soundDiverRecord(clean, "Clean")},
                                                          {2, soundDiverRecord(padded, "Padded")}};
    // clang-format off
    const Case cases[] = {
        {"single.pod", cat({singlePatch(single, 0x33), "junk"}), kNoEffectChoice, SourceKind::SinglePatch,
         {"Caf\xE9 Lead"}, {"|"}, {{0, single}}},
        {"bank.syx", bank(0x4B), kNoEffectChoice, SourceKind::Bank,
         bankNames(), std::vector<std::string>(kPatchLocations, "|"), bankRecordsByEntry},
        {"library.LIB", soundDiver(soundDiverEntries), kNoEffectChoice, SourceKind::SoundDiver,
         sdNames, {"|", invalid, "|"}, sdRecords},
        {"reversed.LIB", soundDiver(soundDiverEntries, true), kNoEffectChoice, SourceKind::SoundDiver,
         sdNames, {"|", invalid, "|"}, sdRecords},
        {"one.l6t", Line6Patch{}.bytes(), kNoEffectChoice, SourceKind::Line6Edit, {"Texas Flood"}, {"|"}, {}},
        {"bundle.l6b", line6File("L6BA"), kNoEffectChoice, SourceKind::Line6Edit,
         l6Names, {"|", corrupt, corrupt}, {}},
        {"collection.l6c", line6File("L6CO"), kNoEffectChoice, SourceKind::Line6Edit,
         l6Names, {"|", corrupt, corrupt}, {}},
        {"/patches/Blues Lead.gpt", guitarPort(true, true), kLoadModulation, SourceKind::GuitarPort,
         {"Blues Lead"}, {"|"}, {}},
        {"/patches/Blues Lead.gpt", guitarPort(true, true), kLoadCompressor, SourceKind::GuitarPort,
         {"Blues Lead"}, {"|"}, {}},
        {"/patches/Plain.gpt", guitarPort(false, false), kNoEffectChoice, SourceKind::GuitarPort,
         {"Plain"}, {"|"}, {}},
    };
    // clang-format on
    for (const Case& c : cases) {
        const PatchSource source = openAnyPatchFile(c.bytes, c.path);
        ASSERT_TRUE(source.ok()) << c.path << ": " << source.failure->text;
        EXPECT_EQ(source.kind, c.kind) << c.path;
        const std::vector<ListedPatch> listed = listPatches(source, c.modOrComp);
        expectEachAsChosenAlone(source, listed, c.modOrComp, c.path);
        std::vector<std::string> names, failures;
        for (const ListedPatch& p : listed) {
            names.push_back(p.name);
            failures.push_back(p.failure.text + "|" + p.failure.caption);
        }
        EXPECT_EQ(names, c.names) << c.path;
        EXPECT_EQ(failures, c.failures) << c.path;
        for (const auto& [n, expected] : c.records) {
            ASSERT_LT(n, listed.size()) << c.path;
            EXPECT_EQ(listed[n].record, expected) << c.path << " " << n;
        }
    }
}

// The GuitarPort answer decides the effect the listed patch holds (record byte 46: 4 a chorus,
// 7 the compressor); the patch is named after the file.
TEST(PatchListing, GuitarPortListsTheEffectAnswered) {
    const PatchSource source = openAnyPatchFile(guitarPort(true, true), "Blues Lead.gpt");
    ASSERT_TRUE(source.guitarPort.offerEffectChoice);
    const auto mod = listPatches(source, kLoadModulation), comp = listPatches(source, kLoadCompressor);
    ASSERT_TRUE(mod.size() == 1 && comp.size() == 1 && mod[0].record && comp[0].record);
    EXPECT_EQ(std::pair(int((*mod[0].record)[46]), int((*comp[0].record)[46])), std::pair(4, 7));
    EXPECT_EQ(dumpName(buildSingleDump(*mod[0].record)), "Blues Lead      ");
}

// A file nothing can be taken from lists nothing, whatever entries it holds; choosing from it
// gives the same message.
TEST(PatchListing, AFailedSourceListsNothing) {
    const Bytes one = singlePatch(record("Cut", 4), 0);
    Bytes statusInBank = bank(0x01), bigNibble = one;
    statusInBank[301] = 0x55; // the device would drop the dump at the 99 and play notes
    statusInBank[302] = 0x99;
    bigNibble[120] = 0x4F;
    Bytes cutGuitarPort = guitarPort(false, true), laterGuitarPort = cutGuitarPort;
    cutGuitarPort.resize(100);
    laterGuitarPort[23] = 0x64; // version 100, not 99
    const std::tuple<const char*, Bytes, std::string> cases[] = {
        {"cut.pod", Bytes(one.begin(), one.begin() + 100), "Error reading from file!"},
        {"noise.pod", Bytes(200, 0x55), "Error!  Invalid File format."},
        {"status.syx", statusInBank, "Error!  Invalid File format."},
        {"status.lib", statusInBank, "Error!  Invalid File format."}, // a dump header wins over the name
        {"nibble.pod", bigNibble, "Error!  Invalid File format."},
        {"noise.LIB", Bytes(200, 0x55), "Not a valid patch file."},
        {"tiny.LIB", Bytes(10, 0x55), "Error reading from file!"},
        {"vetta.l6t", Line6Patch{"Vetta", 5}.bytes(), kIncompatiblePatch.text},
        {"cut.gpt", cutGuitarPort, "Error reading from file!"},
        {"later.gpt", laterGuitarPort, kGuitarPortUnknownVersion.text},
    };
    for (const auto& [path, bytes, text] : cases) {
        const PatchSource source = openAnyPatchFile(bytes, path);
        ASSERT_FALSE(source.ok()) << path;
        EXPECT_EQ(source.failure->text, text) << path;
        EXPECT_TRUE(listPatches(source).empty()) << path;
        EXPECT_TRUE(listPatches(source, kLoadCompressor).empty()) << path;
        EXPECT_EQ(sourceDump(source, 0).failure.text, text) << path;
    }

    // File > Import takes none of the editor's own files, broken or not.
    EXPECT_EQ(openImportFile(statusInBank, "status.syx").failure->text, kNotAPatchFile.text);

    // A bank whose entries were listed before the failure was known.
    PatchSource failedLate = openAnyPatchFile(bank(0), "bank.syx");
    ASSERT_EQ(failedLate.entries.size(), kPatchLocations);
    failedLate.failure = kReadError;
    EXPECT_TRUE(listPatches(failedLate).empty());
}
