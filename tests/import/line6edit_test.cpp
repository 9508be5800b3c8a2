// Line 6 Edit files: device check, listing, information texts, module conversion, cut files.
#include "import/Line6Edit.h"
#include "import/Line6EditConvert.h"
#include "tests/support/TestPatchFiles.h"

#include <gtest/gtest.h>

#include <limits>

using namespace amplix;
using namespace patchfiles;

namespace {

using Type = std::array<std::uint8_t, 3>;
using Patch = Line6Patch;

std::vector<std::string> names(const Line6EditListing& l) {
    std::vector<std::string> out;
    for (const ImportEntry& e : l.entries)
        out.push_back(e.name);
    return out;
}
Line6EditListing bundleListing(const std::vector<Patch>& patches, const char* type = "L6BA") {
    std::vector<Bytes> files;
    for (const Patch& p : patches)
        files.push_back(p.bytes());
    return listLine6EditFile(line6Bundle(files, type), kLine6EditBundleType);
}

PatchRecord convert(const Patch& p, int generation = kLine6EditOlder) {
    const ImportResult r = convertLine6EditModules(p.bytes(), p.patcAt(), "x", p.device, generation);
    EXPECT_TRUE(r.ok());
    return r.ok() ? readRecord(*r.dump, kDumpDataOffset) : PatchRecord{};
}

} // namespace

// Devices 2 to 4 only, the word whole; names up to 32 characters, 16 in the record.
TEST(Line6EditListing, SinglePatchDeviceCheckAndName) {
    const std::pair<Bytes, int> words[] = {{{0, 0, 2, 0}, 2}, {{0, 0, 3, 0}, 3}, {{0, 0, 4, 0}, 4},
                                           {{0, 0, 5, 0}, 0}, {{0, 0, 1, 0}, 0}, {{1, 0, 2, 0}, 0},
                                           {{0, 1, 2, 0}, 0}, {{0, 0, 2, 1}, 0}};
    for (const auto& [word, code] : words) {
        Bytes file = Patch{}.bytes();
        std::copy(word.begin(), word.end(), file.begin() + 24);
        const Line6EditListing l = listLine6EditFile(file, kLine6EditPatchType);
        ASSERT_EQ(l.entries.size(), code ? 1u : 0u);
        EXPECT_EQ(code ? l.entries[0].deviceCode : 0, code);
        EXPECT_EQ(l.failure ? l.failure->caption : "", code ? "" : "Incompatible Patch File");
    }
    const std::string n32 = "0123456789abcdefghijklmnopqrstuv";
    for (const auto& [stored, listed] : {std::pair<std::string, std::string>{"", "No Patch Name"},
                                         {n32 + "w", n32},
                                         {"Br\xE9sil", "Br\xE9sil"}}) {
        const Patch p{stored};
        const Line6EditListing l = listLine6EditFile(p.bytes(), kLine6EditPatchType);
        ASSERT_EQ(names(l), std::vector<std::string>{listed});
        EXPECT_EQ(dumpName(*convertLine6EditPatch(p.bytes(), l.entries[0]).dump),
                  (listed + std::string(16, ' ')).substr(0, 16));
    }
}

// A refused patch is passed over; after a listed patch the search goes on 800 bytes past its
// "PATC", after a refused one 500 past its device word. At most 1000 patches are listed.
TEST(Line6EditListing, BundlesAndCollectionsListAcceptedPatchesOnly) {
    const Patch a{"Alpha"}, refused{"Refused", 5}, b{"Beta", 3};
    for (const char* type : {"L6BA", "L6CO"}) {
        const Line6EditListing l = bundleListing({a, refused, b}, type);
        ASSERT_EQ(names(l), (std::vector<std::string>{"Alpha", "Beta"}));
        EXPECT_EQ(l.entries[1].position, 12 + a.bytes().size() + refused.bytes().size() + b.patcAt());
        EXPECT_EQ(l.entries[1].deviceCode, 3);
    }
    const std::tuple<std::uint8_t, std::size_t, std::vector<std::string>> skips[] = {
        {2, 799, {"First"}}, {2, 800, {"First", "Next"}}, {9, 499, {}}, {9, 500, {"Next"}}};
    for (const auto& [device, gap, listed] : skips) {
        Patch first{"First", device, {}};
        first.size = device == 2 ? first.patcAt() + gap : 28 + gap;
        EXPECT_EQ(names(bundleListing({first, Patch{"Next"}})), listed) << gap;
    }
    Patch p{.modules = {}};
    p.size = p.patcAt() + 800;
    EXPECT_EQ(bundleListing(std::vector(1001, p)).entries.size(), 1000u);
}

// Texts cut to their lengths, lengths past what is there, odd lengths, NUL, unknown tags.
TEST(Line6EditInformation, LengthsAndLayout) {
    const auto t = line6Text;
    const auto pickup = std::size_t(Line6EditText::Pickup), comment = std::size_t(Line6EditText::Comment),
               style = std::size_t(Line6EditText::Style), amp = std::size_t(Line6EditText::Amp);
    const Bytes longIpus = cat({"IPUS", be32(12), line6Chars("ABCDEF")});
    const Bytes wideComment = cat({"ICMT", be32(0x01000102), line6Chars(std::string(129, 'c'))}); // 16 bits
    const Bytes odd = cat({"IAMP", be32(3), line6Chars("Vx")}); // 3 bytes take two whole characters
    const std::tuple<Bytes, std::size_t, std::string> cases[] = {
        {cat({t("IPUS", "AB"), t("IPUP", "Neck")}), pickup, "Pickup:  AB/Neck"},
        {cat({longIpus, t("ISTL", "Funk")}), pickup, "Pickup:  AB/ "},
        {cat({longIpus, t("ISTL", "Funk")}), style, "Style:   Funk"}, // the rest of the text is passed over
        {t("ICMT", std::string(300, 'x')), comment, std::string(299, 'x')},
        {wideComment, comment, std::string(129, 'c')},
        {cat({odd, t("ISTL", "Jazz")}), amp, "Amp:   Vx"},
        {cat({odd, t("ISTL", "Jazz")}), style, "Style:   Jazz"},
        {t("ISTL", std::string("Sk\0a", 4)), style, "Style:   Sk"},
        {cat({"JUNK", t("ISTL", "Surf")}), style, "Style:   Surf"},
    };
    const auto texts = [](const Patch& p) {
        return listLine6EditFile(p.bytes(), kLine6EditPatchType).entries.at(0).information;
    };
    for (const auto& [block, text, expected] : cases)
        EXPECT_EQ(texts(Patch{.info = block}).at(text), expected);
    // A length far beyond the file: the walk ends with the file.
    EXPECT_EQ(texts(Patch{.info = t("ISTL", "Metal"), .infoLength = 0xFFFFFFF0})[style], "Style:   Metal");
}

// The newer generation is told by "IAPP" or "IAPV"; a patch without a block of its own takes
// neither the texts nor the generation of the next one.
TEST(Line6EditInformation, GenerationBelongsToItsOwnPatch) {
    for (const char* tag : {"IAPP", "IAPV"}) {
        const Patch newer{.info = cat({line6Text(tag, "Line 6 Edit"), line6Text("IBND", "Next Band")})};
        const Bytes file = line6Bundle({Patch{}.bytes(), newer.bytes()});
        const Line6EditListing l = listLine6EditFile(file, kLine6EditBundleType);
        ASSERT_EQ(l.entries.size(), 2u);
        const auto band = std::size_t(Line6EditText::Band);
        EXPECT_EQ(l.entries[0].information[band] + "|" + l.entries[1].information[band],
                  "Band:|Band:   Next Band");
        EXPECT_EQ(readLine6EditInformation(file, l.entries[0].position).generation, kLine6EditOlder);
        EXPECT_EQ(readLine6EditInformation(file, l.entries[1].position).generation, kLine6EditNewer);
    }
}

// "FORM" alone is any IFF chunk's id, or four bytes of a patch's own data: only a patch header
// ("FORM", length, "L6PA") before the block makes it the next patch's. A block behind such bytes
// stays the patch's own, and so does its generation, which the conversion then uses.
TEST(Line6EditInformation, FormBytesInsideAPatchDoNotHideItsBlock) {
    const Patch newer{.info = cat({line6Text("IAPP", "Line 6 Edit"), line6Text("IBND", "Own Band")}),
                      .size = 1400};
    Bytes patch = newer.bytes();
    const Bytes chunk = cat({"FORM", be32(8), "LIST", "FORM"}); // a chunk, then the id on its own
    std::copy(chunk.begin(), chunk.end(), patch.begin() + std::ptrdiff_t(newer.patcAt() + 1000));
    const Bytes bundle = line6Bundle({patch, Patch{"Second"}.bytes()});
    for (const auto& [file, type] : {std::pair{patch, kLine6EditPatchType}, {bundle, kLine6EditBundleType}}) {
        const Line6EditListing l = listLine6EditFile(file, type);
        ASSERT_FALSE(l.entries.empty());
        EXPECT_EQ(l.entries[0].information[std::size_t(Line6EditText::Band)], "Band:   Own Band");
        EXPECT_EQ(readLine6EditInformation(file, l.entries[0].position).generation, kLine6EditNewer);
        // The delay time of 0.25 in the newer unit: 7, not 0.25 x 98303 = 24575.
        const ImportResult r = convertLine6EditPatch(file, l.entries[0]);
        ASSERT_TRUE(r.ok());
        const PatchRecord record = readRecord(*r.dump, kDumpDataOffset);
        EXPECT_EQ((record[27] & 0x0F) << 16 | record[28] << 8 | record[29], 7);
    }
}

TEST(Line6EditConvert, StandardPatch) {
    const PatchRecord r = convert(Patch{});
    // clang-format off
    const std::vector<int> expected = {
        1, 0, 1, 1, 1, 1, 1, 1, 5, 0, 6, 31, 32, 63, 16, 47,     // switches, amp
        55, 63, 127, 32, 95, 0, 127, 63, 1, 0, 0, 0, 0x5F, 0xFF, // gate, pedals, delay time
        0, 0, 0, 0, 31, 0, 47, 0, 1, 13, 25, 38, 50, 63, 11, 31, // delay, reverb, cabinet, AIR
        4, 0, 0x0C, 0x67, 0, 156, 63, 1, 131};                   // effect
    // clang-format on
    EXPECT_EQ(std::vector<int>(r.begin(), r.begin() + kRecordParameterBytes), expected);
}

// One module at a time where the generations differ or a value is out of range: type, model,
// parameter records, generation, record bytes.
TEST(Line6EditConvert, GenerationsAndEdges) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Type chorus = {2, 3, 0}, comp = {2, 0, 0}, dly = {2, 2, 0}, gate = {2, 11, 0};
    const int o = kLine6EditOlder, n = kLine6EditNewer;
    using Case = std::tuple<Type, std::uint8_t, std::vector<Line6Param>, int,
                            std::vector<std::pair<std::size_t, int>>>;
    // clang-format off
    const Case cases[] = {
        // Chorus speed: 4000; 6985 lowered to 6500; NaN as the slowest of each (200, 6000).
        {chorus, 0, {{0, .25f}}, n, {{48, 15}, {49, 160}}}, {chorus, 0, {{0, nan}}, n, {{48, 23}, {49, 112}}},
        {chorus, 0, {{0, 1.1f}}, o, {{48, 25}, {49, 100}}}, {chorus, 0, {{0, nan}}, o, {{48, 0}, {49, 200}}},
        // Depth keeps 12 bits (4368); feedback from -1 to 1 newer.
        {chorus, 0, {{1, 14}}, o, {{50, 0x01}, {51, 0x10}}}, {chorus, 0, {{2, -2}}, n, {{52, 0}}},
        // Delay time in each generation, and its record numbers; the gate threshold as a byte.
        {dly, 0, {{0, 500}}, n, {{27, 0}, {28, 0x3C}, {29, 0xF3}}},
        {dly, 0, {{0, 1.5f}}, o, {{27, 1}, {28, 0x7F}, {29, 0xFF}}},
        {dly, 0, {{1, 1, 16}, {1, 0.5f, 1}, {1, 1, 2}}, o, {{34, 63}, {36, 31}}},
        {gate, 0, {{0, -100}}, o, {{16, 252}}},
        // Rotary: each generation's records; the older numbers mean nothing in a newer file.
        {chorus, 2, {{1, 0.25f}, {2, 0.5f}, {0, 0, 0, 1}}, n,
         {{49, 0x0B}, {50, 0x4E}, {51, 0x07}, {52, 0xD0}, {48, 1}}},
        {chorus, 2, {{7, 1}, {8, 0}, {9, 1}, {6, 0, 0, 3}}, o,
         {{49, 0x0B}, {50, 0x4E}, {51, 0}, {52, 100}, {47, 63}, {48, 1}}},
        {chorus, 2, {{7, 1}, {9, 1}}, n, {{49, 0}, {50, 0}, {47, 0}}},
        // Tremolo: 3175 newer, 1587 older.
        {chorus, 3, {{0, 0.2f}, {1, 0.5f}}, n, {{48, 0x0C}, {49, 0x67}, {50, 63}}},
        {chorus, 3, {{10, 0.5f}, {11, 1}}, o, {{48, 0x06}, {49, 0x33}, {50, 127}}},
        // Compressor ratio from a value or a number (one past the end is 5), swell, and "delay only".
        {comp, 0, {{5, 0.5f}}, o, {{48, 2}}}, {comp, 0, {{0, 0, 0, 15}}, n, {{48, 15}}},
        {comp, 0, {{0, 0, 0, 20}}, n, {{48, 5}}}, {comp, 8, {{4, 1}}, o, {{48, 63}}},
        {comp, 8, {{0, 0.5f}}, n, {{48, 31}}}, {chorus, 7, {{0, 1}, {1, 1}}, o, {{48, 0}, {49, 0}, {50, 0}}},
    };
    // clang-format on
    for (const auto& [type, model, params, generation, bytes] : cases) {
        Patch p;
        // Modules of a fixed size keep it: the records they do not use are numbered out of the way.
        const std::size_t at = type == gate ? 3 : type == dly ? 7 : 8;
        p.modules[at] = {type, model, 1, 0, params};
        p.modules[at].params.resize(std::max<std::size_t>(at == 7   ? 3
                                                          : at == 3 ? 2
                                                                    : 0,
                                                          params.size()),
                                    {99, 0});
        const PatchRecord r = convert(p, generation);
        for (const auto& [k, v] : bytes)
            EXPECT_EQ(int(r[k]), v) << int(type[1]) << "/" << int(model) << ", record byte " << k;
    }
}

// Where the pedals' records start depends on the device code and the model byte; a module
// read from its second record holds one record more. Repeated modules overwrite, a later
// effect starts from cleared bytes, and ten modules read end the loop.
TEST(Line6EditConvert, ModulesByDeviceCodeAndTheLoopsLimits) {
    const std::tuple<std::uint8_t, std::uint8_t, std::uint8_t, bool, bool> cases[] = {
        {2, 1, 1, false, false}, {2, 0, 0, true, true}, {4, 0, 1, true, false}, {3, 1, 1, true, true}};
    for (const auto& [device, wahModel, volModel, wahLater, volLater] : cases) {
        Patch p{.device = device};
        p.modules[5] = {{2, 6, 0}, wahModel, 1, 0, {{3, 0.25f}, {2, 0.75f}}};
        p.modules[6] = {{2, 7, 0}, volModel, 1, 1, {{0, 0.5f}}};
        if (wahLater)
            p.modules[5].params.insert(p.modules[5].params.begin(), {3, 1});
        if (volLater)
            p.modules[6].params.insert(p.modules[6].params.begin(), {0, 1});
        const PatchRecord r = convert(p);
        EXPECT_EQ(std::vector<int>({r[19], r[20], r[23], r[18], r[22], r[46]}),
                  std::vector<int>({32, 95, 63, 127, 127, 4})) // the modules after them are still found
            << int(device);
    }
    Line6Module amp2 = line6StandardModules()[0];
    amp2.model = 9;
    Patch twice, secondEffect, tenRead;
    twice.modules.insert(twice.modules.begin() + 1, amp2); // the tenth module is still read
    EXPECT_EQ(std::pair(int(convert(twice)[8]), int(convert(twice)[46])), std::pair(9, 4));
    secondEffect.modules[2] = {{2, 3, 0}, 2, 1, 0, {{9, 1}}};
    secondEffect.modules.push_back(line6StandardModules()[2]); // the ninth distinct module
    EXPECT_EQ(int(convert(secondEffect)[47]), 0);
    tenRead.modules.assign(10, amp2);
    tenRead.modules.push_back({{1, 0, 0}, 7, 1, 0, {}});
    EXPECT_EQ(int(convert(tenRead)[44]), 0);
}

// Every cut of a two-patch bundle and of a single patch lists and converts without reading past
// the end. The first patch converts only once all its modules are in the file, and then exactly
// as the whole file does; cut anywhere before (right after "PATC", or inside a module) it is
// refused as corrupt, never loaded half-read.
TEST(Line6EditCutFiles, EveryCutLength) {
    const Patch first{.info = cat({line6Text("ISTL", "Blues"), line6Text("ICMT", "cut me")})};
    const Bytes single = first.bytes();
    const Bytes bundle = line6Bundle({single, Patch{"Second"}.bytes()});
    std::size_t modulesEnd = first.patcAt() + 4; // in the patch: "PATC", then every module
    for (const Line6Module& m : first.modules)
        modulesEnd += line6ModuleBytes(m).size();
    for (const auto& [full, type, start] : {std::tuple{bundle, kLine6EditBundleType, std::size_t(12)},
                                            {single, kLine6EditPatchType, std::size_t(0)}}) {
        const ImportResult whole = convertLine6EditPatch(full, listLine6EditFile(full, type).entries.at(0));
        ASSERT_TRUE(whole.ok());
        const PatchRecord expected = readRecord(*whole.dump, kDumpDataOffset);
        const PatchRecord alone = convert(first); // under another name
        EXPECT_TRUE(std::equal(expected.begin(), expected.begin() + kRecordParameterBytes, alone.begin()));
        int converted = 0, refused = 0;
        for (std::size_t length = 0; length <= full.size(); ++length) {
            const Bytes cut(full.begin(), full.begin() + std::ptrdiff_t(length));
            const Line6EditListing l = listLine6EditFile(cut, type);
            for (const ImportEntry& e : l.entries) {
                const ImportResult r = convertLine6EditPatch(cut, e);
                EXPECT_TRUE(!r.ok() || std::all_of(r.dump->begin() + 8, r.dump->end() - 1,
                                                   [](auto b) { return b < 16; }));
            }
            if (l.entries.empty())
                continue;
            const ImportResult r = convertLine6EditPatch(cut, l.entries[0]);
            if (length < start + modulesEnd) {
                EXPECT_FALSE(r.ok()) << length;
                EXPECT_EQ(r.failure.text, "Corrupt patch file!") << length;
                ++refused;
            } else {
                ASSERT_TRUE(r.ok()) << length;
                EXPECT_EQ(readRecord(*r.dump, kDumpDataOffset), expected) << length;
                ++converted;
            }
        }
        EXPECT_GT(refused, 0);
        EXPECT_GT(converted, 0);
    }
}
