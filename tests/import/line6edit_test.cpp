// Line 6 Edit files: device check, listing, information texts, module conversion, cut files.
#include "import/Line6Edit.h"
#include "import/Line6EditConvert.h"

#include <gtest/gtest.h>

#include <bit>
#include <limits>
#include <map>

using namespace amplix;

namespace {

using Bytes = std::vector<std::uint8_t>;
using Type = std::array<std::uint8_t, 3>;

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
Bytes tag(std::string_view t) {
    return Bytes(t.begin(), t.end());
}
Bytes be32(std::uint32_t v) {
    return {std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)};
}
Bytes chars(std::string_view text) { // 16-bit characters with a high byte the reader drops
    Bytes b;
    for (char c : text)
        b.insert(b.end(), {0x01, std::uint8_t(c)});
    return b;
}
Bytes sub(std::string_view t, std::string_view text) {
    return tag(t) + be32(std::uint32_t(2 * text.size())) + chars(text);
}

struct Param {
    int number;
    float value;
    int sub = 0;
    std::uint32_t raw = 0; // stored instead of the value when not 0 (switches, ratio numbers)
};
struct Module {
    Type type;
    std::uint8_t model, enable, position;
    std::vector<Param> params;
};

Bytes moduleBytes(const Module& m) {
    Bytes b = tag("MODL") + be32(std::uint32_t(24 + 20 * m.params.size())) + Bytes(12) +
              Bytes{m.type[0], m.type[1], m.type[2], m.model, 0, 0, 0, m.position, 0, 0, 0, m.enable};
    for (const Param& p : m.params)
        b = b + Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0, std::uint8_t(p.sub), 0, std::uint8_t(p.number), 0, 0, 0, 0} +
            be32(p.raw ? p.raw : std::bit_cast<std::uint32_t>(p.value));
    return b;
}

// A complete patch: every module once, the effect last.
std::vector<Module> standardModules() {
    // clang-format off
    return {
        {{0, 0, 0}, 5, 1, 0, {{0, 0.5f}, {1, 0.51f}, {2, 1}, {3, 0}, {4, 0.25f}, {5, 0.75f}, {6, 0.1f},
                              {7, 0, 0, 1}, {8, 0}, {9, 0, 0, 1}, {10, 0, 0, 1}}},
        {{1, 0, 0}, 0x1B, 1, 0, {}},
        {{2, 11, 0}, 1, 1, 0, {{0, 0.5f}}},
        {{2, 11, 0}, 0, 1, 0, {{0, -40.5f}, {3, 1}}},
        {{2, 4, 0}, 0, 1, 0, {{0, 0.2f}, {2, 0.4f, 16}, {3, 0.6f}, {4, 0.8f}, {2, 1, 1}}},
        {{2, 6, 0}, 1, 1, 0, {{3, 0.25f}, {2, 0.75f}}},
        {{2, 7, 0}, 1, 1, 2, {{0, 0.5f}}},
        {{2, 2, 0}, 0, 1, 0, {{0, 0.25f}, {1, 0.5f, 16}, {1, 0.75f, 1}}},
        {{2, 3, 0}, 0, 1, 0, {{0, 0.5f}, {1, 0.5f}, {2, 0.5f}, {3, 0.5f}}},
    };
    // clang-format on
}

struct Patch {
    std::string name = "Texas Flood";
    std::uint8_t device = 2;
    std::vector<Module> modules = standardModules();
    std::optional<Bytes> info = std::nullopt; // the sub-chunks of the information block
    std::optional<std::uint32_t> infoLength = std::nullopt;
    std::size_t size = 0; // pads the patch to this many bytes before the information block
    std::string_view patc = "PATC";

    std::size_t patcAt() const { return 28 + 8 + 2 * name.size() + 2; }
    Bytes bytes() const {
        const Bytes header = Bytes{0, 0, 0, 0, 0, 0, device, 0} + chars(name) + Bytes{0, 0};
        Bytes b = tag("FORM") + be32(0) + tag("L6PA") + tag("HEAD") + be32(std::uint32_t(header.size())) +
                  header + tag("LIST") + be32(0) + tag(patc);
        for (const Module& m : modules)
            b = b + moduleBytes(m);
        b.resize(std::max(b.size(), size));
        if (info)
            b = b + tag("LIST") + be32(infoLength.value_or(std::uint32_t(4 + info->size()))) + tag("UNFO") +
                *info;
        return b;
    }
};

Bytes bundle(const std::vector<Bytes>& patches, std::string_view type = "L6BA") {
    Bytes b = tag("FORM") + be32(0) + tag(type);
    for (const Bytes& p : patches)
        b.insert(b.end(), p.begin(), p.end());
    return b;
}

std::vector<std::string> names(const Line6EditListing& l) {
    std::vector<std::string> out;
    for (const ImportEntry& e : l.entries)
        out.push_back(e.name);
    return out;
}

PatchRecord convert(const Patch& p, int generation = kLine6EditOlder) {
    const ImportResult r = convertLine6EditModules(p.bytes(), p.patcAt(), "x", p.device, generation);
    EXPECT_TRUE(r.ok());
    return r.ok() ? readRecord(*r.dump, kDumpDataOffset) : PatchRecord{};
}

std::vector<std::string> texts(const Patch& p) {
    const Line6EditListing l = listLine6EditFile(p.bytes(), kLine6EditPatchType);
    return l.entries.empty() ? std::vector<std::string>{"not listed"} : l.entries[0].information;
}

constexpr auto kPickup = std::size_t(Line6EditText::Pickup), kComment = std::size_t(Line6EditText::Comment),
               kStyle = std::size_t(Line6EditText::Style), kAmp = std::size_t(Line6EditText::Amp),
               kBand = std::size_t(Line6EditText::Band);

} // namespace

TEST(Line6EditListing, SinglePatchDeviceCheck) {
    const std::pair<Bytes, int> cases[] = {{{0, 0, 2, 0}, 2}, {{0, 0, 3, 0}, 3}, {{0, 0, 4, 0}, 4},
                                           {{0, 0, 5, 0}, 0}, {{0, 0, 1, 0}, 0}, {{1, 0, 2, 0}, 0},
                                           {{0, 1, 2, 0}, 0}, {{0, 0, 2, 1}, 0}};
    for (const auto& [word, code] : cases) {
        Bytes file = Patch{}.bytes();
        std::copy(word.begin(), word.end(), file.begin() + 24);
        const Line6EditListing l = listLine6EditFile(file, kLine6EditPatchType);
        EXPECT_EQ(l.entries.size(), code ? 1u : 0u);
        EXPECT_EQ(l.failure.has_value(), code == 0);
        if (code)
            EXPECT_EQ(l.entries[0].deviceCode, code);
        else
            EXPECT_EQ(l.failure->caption, "Incompatible Patch File");
    }
    for (std::size_t length : {27u, 28u}) { // the device word must be there whole
        const Bytes file = Patch{}.bytes();
        const Line6EditListing l =
            listLine6EditFile(Bytes(file.begin(), file.begin() + length), kLine6EditPatchType);
        EXPECT_EQ(l.entries.size(), length == 28 ? 1u : 0u);
        EXPECT_EQ(l.failure ? l.failure->text + l.failure->caption : "",
                  length == 28 ? "" : "Error reading from file!Error!!");
    }
}

TEST(Line6EditListing, NamesAndTheRecordsName) {
    const std::string n32 = "0123456789abcdefghijklmnopqrstuv";
    const std::pair<std::string, std::string> cases[] = {
        {"", "No Patch Name"}, {n32, n32}, {n32 + "w", n32}, {"Br\xE9sil", "Br\xE9sil"}, {"Clean", "Clean"}};
    for (const auto& [stored, listed] : cases) {
        Patch p;
        p.name = stored;
        const Line6EditListing l = listLine6EditFile(p.bytes(), kLine6EditPatchType);
        ASSERT_EQ(names(l), std::vector<std::string>{listed});
        const ImportResult r = convertLine6EditPatch(p.bytes(), l.entries[0]);
        EXPECT_EQ(dumpName(*r.dump), (listed + std::string(16, ' ')).substr(0, 16));
    }
}

TEST(Line6EditListing, BundlesAndCollectionsListAcceptedPatchesOnly) {
    Patch a, refused, b;
    a.name = "Alpha";
    refused.device = 5;
    b.name = "Beta";
    b.device = 3;
    for (std::string_view type : {"L6BA", "L6CO"}) {
        const Line6EditListing l =
            listLine6EditFile(bundle({a.bytes(), refused.bytes(), b.bytes()}, type), kLine6EditBundleType);
        ASSERT_EQ(names(l), (std::vector<std::string>{"Alpha", "Beta"}));
        EXPECT_EQ(l.entries[0].position, 12 + a.patcAt());
        EXPECT_EQ(l.entries[1].position, 12 + a.bytes().size() + refused.bytes().size() + b.patcAt());
        EXPECT_EQ(l.entries[1].deviceCode, 3);
    }
    EXPECT_TRUE(listLine6EditFile(bundle({refused.bytes()}), kLine6EditBundleType).entries.empty());
}

// After a listed patch the search goes on 800 bytes past its "PATC"; after a refused one 500
// bytes past its device word. At most 1000 patches are listed.
TEST(Line6EditListing, SkipsAndLimit) {
    const std::tuple<std::uint8_t, std::size_t, std::vector<std::string>> cases[] = {
        {2, 799, {"First"}}, {2, 800, {"First", "Next"}}, {9, 499, {}}, {9, 500, {"Next"}}};
    for (const auto& [device, gap, listed] : cases) {
        Patch first, next;
        first.name = "First";
        first.modules.clear();
        first.device = device;
        first.size = device == 2 ? first.patcAt() + gap : 28 + gap;
        next.name = "Next";
        EXPECT_EQ(names(listLine6EditFile(bundle({first.bytes(), next.bytes()}), kLine6EditBundleType)),
                  listed)
            << gap;
    }
    Patch p;
    p.modules.clear();
    p.size = p.patcAt() + 800;
    const Line6EditListing l = listLine6EditFile(bundle(std::vector(1001, p.bytes())), kLine6EditBundleType);
    ASSERT_EQ(l.entries.size(), 1000u);
    EXPECT_EQ(l.entries[999].position, 12 + 999 * p.size + p.patcAt());
}

TEST(Line6EditInformation, EveryTag) {
    Patch p;
    p.info = sub("ISTL", "Blues") + sub("IBND", "Double Trouble") + sub("IGTR", "SRV") +
             sub("ISNG", "Pride") + sub("IAUT", "Ann") + sub("IAMP", "Tweed") + sub("IDAT", "2004") +
             sub("IPUS", "N") + sub("IPUP", "Neck") + sub("ICMT", "Warm, <b>round</b>");
    EXPECT_EQ(texts(p), (std::vector<std::string>{"Amp:   Tweed", "Pickup:  N/ Neck", "Style:   Blues",
                                                  "Band:   Double Trouble", "Song:   Pride",
                                                  "Guitarist:  SRV", "Author:  Ann", "Warm, <b>round</b>"}));
    EXPECT_EQ(readLine6EditInformation(p.bytes(), p.patcAt()).generation, kLine6EditOlder);
    Patch none;
    EXPECT_EQ(texts(none), (std::vector<std::string>{"Amp:", "Pickup:      ", "Style:", "Band:", "Song:",
                                                     "Guitarist:", "Author:", "  "}));
    Patch shortBlock; // the chooser keeps what it showed
    shortBlock.info = Bytes{};
    shortBlock.infoLength = 4;
    EXPECT_TRUE(texts(shortBlock).empty());
}

TEST(Line6EditInformation, LengthsAndLayout) {
    const Bytes longIpus = tag("IPUS") + be32(12) + chars("ABCDEF");
    const Bytes wideComment = tag("ICMT") + be32(0x01000102) + chars(std::string(129, 'c')); // 16 bits count
    const Bytes odd = tag("IAMP") + be32(3) + chars("Vx"); // 3 bytes take two whole characters
    const std::tuple<Bytes, std::size_t, std::string> cases[] = {
        {sub("IPUS", "AB") + sub("IPUP", "Neck"), kPickup, "Pickup:  AB/Neck"},
        {sub("IPUS", "2") + sub("IPUP", "Bridge"), kPickup, "Pickup:  2/ Bridge"},
        {sub("IPUP", "Neck"), kPickup, "Pickup:     Neck"},
        {sub("IPUS", "") + sub("IPUP", ""), kPickup, "Pickup:      "},
        {longIpus + sub("ISTL", "Funk"), kPickup, "Pickup:  AB/ "},
        {longIpus + sub("ISTL", "Funk"), kStyle, "Style:   Funk"}, // the rest of the text is passed over
        {sub("ICMT", std::string(300, 'x')), kComment, std::string(299, 'x')},
        {sub("ICMT", ""), kComment, "  "},
        {wideComment, kComment, std::string(129, 'c')},
        {odd + sub("ISTL", "Jazz"), kAmp, "Amp:   Vx"},
        {odd + sub("ISTL", "Jazz"), kStyle, "Style:   Jazz"},
        {sub("ISTL", std::string("Sk\0a", 4)), kStyle, "Style:   Sk"},
        {tag("JUNK") + sub("ISTL", "Surf"), kStyle, "Style:   Surf"},
    };
    for (const auto& [block, text, expected] : cases) {
        Patch p;
        p.info = block;
        EXPECT_EQ(texts(p)[text], expected);
    }
    Patch huge; // a length far beyond the file: the walk ends with the file
    huge.info = sub("ISTL", "Metal");
    huge.infoLength = 0xFFFFFFF0;
    EXPECT_EQ(texts(huge)[kStyle], "Style:   Metal");
}

// The newer generation is told by "IAPP" or "IAPV"; a patch without a block of its own takes
// neither the texts nor the generation of the next one.
TEST(Line6EditInformation, GenerationBelongsToItsOwnPatch) {
    for (std::string_view t : {"IAPP", "IAPV"}) {
        Patch plain, newer;
        newer.info = sub(t, "Line 6 Edit") + sub("IBND", "Next Band");
        const Bytes file = bundle({plain.bytes(), newer.bytes()});
        const Line6EditListing l = listLine6EditFile(file, kLine6EditBundleType);
        ASSERT_EQ(l.entries.size(), 2u);
        EXPECT_EQ(l.entries[0].information[kBand], "Band:");
        EXPECT_EQ(readLine6EditInformation(file, l.entries[0].position).generation, kLine6EditOlder);
        EXPECT_EQ(l.entries[1].information[kBand], "Band:   Next Band");
        EXPECT_EQ(readLine6EditInformation(file, l.entries[1].position).generation, kLine6EditNewer);
    }
}

TEST(Line6EditConvert, StandardPatch) {
    const PatchRecord r = convert(Patch{});
    // clang-format off
    const std::map<std::size_t, int> expected = {
        {0, 1}, {2, 1}, {7, 1}, {8, 5}, {11, 31}, {12, 32}, {13, 63}, {14, 16}, {15, 47}, {10, 6}, // amp
        {44, 0xB}, {45, 31}, {6, 1}, {16, 55}, {17, 63},                                             // cab, air, gate
        {38, 1}, {5, 1}, {39, 13}, {40, 25}, {41, 38}, {42, 50}, {43, 63},                          // reverb
        {18, 127}, {19, 32}, {20, 95}, {22, 127}, {24, 1}, {23, 63},                                 // pedals
        {3, 1}, {28, 0x5F}, {29, 0xFF}, {34, 31}, {36, 47},                                          // delay
        {46, 4}, {4, 1}, {48, 0x0C}, {49, 0x67}, {51, 156}, {52, 63}, {53, 1}, {54, 131},            // effect
    };
    // clang-format on
    for (std::size_t k = 0; k < kRecordParameterBytes; ++k)
        EXPECT_EQ(int(r[k]), expected.contains(k) ? expected.at(k) : 0) << "record byte " << k;
}

TEST(Line6EditConvert, ScalingEdges) {
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const Type chorus = {2, 3, 0}, comp = {2, 0, 0}, dly = {2, 2, 0}, gate = {2, 11, 0}, amp = {0, 0, 0};
    const int o = kLine6EditOlder, n = kLine6EditNewer;
    struct Case {
        const char* what;
        Type type;
        std::uint8_t model;
        std::vector<Param> params;
        int generation;
        std::vector<std::pair<std::size_t, int>> bytes;
    };
    // clang-format off
    const Case cases[] = {
        {"speed 0.05 newer", chorus, 0, {{0, 0.05f}}, n, {{48, 0x17}, {49, 0x70}}}, // 6000
        {"speed 0.25 newer", chorus, 0, {{0, 0.25f}}, n, {{48, 0x0F}, {49, 0xA0}}}, // 4000
        {"speed 1.1 older", chorus, 0, {{0, 1.1f}}, o, {{48, 0x19}, {49, 0x64}}},   // 6985 -> 6500
        {"speed 0.01 older", chorus, 0, {{0, 0.01f}}, o, {{48, 0x00}, {49, 0xC8}}}, // 63 -> 200
        {"speed NaN older", chorus, 0, {{0, nan}}, o, {{48, 0x00}, {49, 0xC8}}},
        {"speed inf older", chorus, 0, {{0, inf}}, o, {{48, 0x19}, {49, 0x64}}},
        {"speed NaN newer", chorus, 0, {{0, nan}}, n, {{48, 0x17}, {49, 0x70}}},
        {"depth keeps 12 bits", chorus, 0, {{1, 14}}, o, {{50, 0x01}, {51, 0x10}}}, // 4368
        {"feedback 0 newer", chorus, 0, {{2, 0}}, n, {{52, 64}}},
        {"feedback -1 newer", chorus, 0, {{2, -1}}, n, {{52, 0}}},
        {"feedback -2 newer", chorus, 0, {{2, -2}}, n, {{52, 0}}},
        {"feedback 1 newer", chorus, 0, {{2, 1}}, n, {{52, 127}}},
        {"feedback 2 older", chorus, 0, {{2, 2}}, o, {{52, 127}}},
        {"pre-delay", chorus, 1, {{3, 1}}, o, {{53, 0x03}, {54, 0x06}}}, // 774
        {"delay 500 newer", dly, 0, {{0, 500}}, n, {{27, 0}, {28, 0x3C}, {29, 0xF3}}},
        {"delay 1.5 older", dly, 0, {{0, 1.5f}}, o, {{27, 1}, {28, 0x7F}, {29, 0xFF}}},
        {"delay negative", dly, 0, {{0, -1}}, o, {{27, 0}, {28, 0}, {29, 0}}},
        {"delay numbers", dly, 0, {{1, 1, 16}, {1, 0.5f, 1}, {1, 1, 2}}, o, {{34, 63}, {36, 31}}},
        {"gate -40.5", gate, 0, {{0, -40.5f}}, o, {{16, 55}}},
        {"gate as a byte", gate, 0, {{0, -100}}, o, {{16, 252}}},
        {"more than half", amp, 0, {{0, 0.508f}}, o, {{11, 32}}},
        {"negative", amp, 0, {{0, -0.01f}}, o, {{11, 0}}},
        {"rotary newer", chorus, 2, {{1, 0.25f}, {2, 0.5f}, {0, 0, 0, 1}}, n,
         {{49, 0x0B}, {50, 0x4E}, {51, 0x07}, {52, 0xD0}, {48, 1}}},
        {"rotary older", chorus, 2, {{7, 1}, {8, 0}, {9, 1}, {6, 0, 0, 3}}, o,
         {{49, 0x0B}, {50, 0x4E}, {51, 0}, {52, 100}, {47, 63}, {48, 1}}},
        {"older numbers, newer file", chorus, 2, {{7, 1}, {9, 1}}, n, {{49, 0}, {50, 0}, {47, 0}}},
        {"tremolo newer", chorus, 3, {{0, 0.2f}, {1, 0.5f}}, n, {{48, 0x0C}, {49, 0x67}, {50, 63}}}, // 3175
        {"tremolo 4 Hz newer", chorus, 3, {{0, 4}}, n, {{48, 0}, {49, 250}}},
        {"tremolo older", chorus, 3, {{10, 0.5f}, {11, 1}}, o, {{48, 0x06}, {49, 0x33}, {50, 127}}}, // 1587
        {"ratio 0.5 older", comp, 0, {{5, 0.5f}}, o, {{48, 2}}},
        {"ratio 1 older", comp, 0, {{5, 1}}, o, {{48, 5}}},
        {"ratio 15 newer", comp, 0, {{0, 0, 0, 15}}, n, {{48, 15}}},
        {"ratio 20 newer", comp, 0, {{0, 0, 0, 20}}, n, {{48, 5}}},
        {"swell older", comp, 8, {{4, 1}}, o, {{48, 63}}},
        {"swell newer", comp, 8, {{0, 0.5f}}, n, {{48, 31}}},
        {"delay only", chorus, 7, {{0, 1}, {1, 1}}, o, {{48, 0}, {49, 0}, {50, 0}}},
    };
    // clang-format on
    for (const Case& c : cases) {
        Patch p;
        // Modules of a fixed size keep it: the records they do not use are numbered out of the way.
        const std::size_t at = c.type == amp ? 0 : c.type == gate ? 3 : c.type == dly ? 7 : 8;
        const std::size_t records = std::array{11u, 0u, 0u, 2u, 0u, 0u, 0u, 3u, 0u}[at];
        p.modules[at] = {c.type, c.model, 1, 0, c.params};
        p.modules[at].params.resize(std::max(records, c.params.size()), Param{99, 0});
        const PatchRecord r = convert(p, c.generation);
        for (const auto& [k, v] : c.bytes)
            EXPECT_EQ(int(r[k]), v) << c.what << ", record byte " << k;
    }
}

TEST(Line6EditConvert, EffectCodes) {
    const std::tuple<Type, std::uint8_t, int> cases[] = {
        {{2, 3, 0}, 0, 4},   {{2, 3, 0}, 1, 13}, {{2, 3, 0}, 2, 2}, {{2, 3, 0}, 3, 5},  {{2, 3, 0}, 15, 12},
        {{2, 3, 0}, 16, 15}, {{2, 3, 0}, 4, 6},  {{2, 0, 0}, 0, 7}, {{2, 0, 0}, 8, 14}, {{2, 0, 0}, 2, 6},
        {{2, 9, 0}, 0, 6},   {{3, 3, 0}, 1, 6},  {{2, 3, 1}, 0, 6}};
    for (const auto& [type, model, code] : cases) {
        Patch p;
        p.modules[8] = {type, model, 0, 0, {}};
        const PatchRecord r = convert(p);
        EXPECT_EQ(int(r[46]), code) << int(type[0]) << int(type[1]) << int(type[2]) << "/" << int(model);
        EXPECT_EQ(int(r[4]), 0);
    }
}

TEST(Line6EditConvert, ModulesByTypeAndDeviceCode) {
    Patch gate; // 2, 0, 0 with model 1 is the noise gate, not an effect
    gate.modules[3] = {{2, 0, 0}, 1, 1, 0, {{0, -10}, {3, 0.5f}}};
    gate.modules[8] = {{2, 3, 0}, 3, 1, 0, {}};
    EXPECT_EQ(int(convert(gate)[16]), 86);
    EXPECT_EQ(int(convert(gate)[46]), 5);

    // Where the pedals' records start depends on the device code and the model byte; a module
    // read from its second record holds one record more.
    const std::tuple<std::uint8_t, std::uint8_t, std::uint8_t, bool, bool> cases[] = {
        {2, 1, 1, false, false}, {2, 0, 0, true, true}, {4, 0, 1, true, false}, {3, 1, 1, true, true}};
    for (const auto& [device, wahModel, volModel, wahLater, volLater] : cases) {
        Patch p;
        p.device = device;
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
    for (auto [position, expected] : {std::pair{0, 1}, {1, 0}, {2, 1}}) {
        Patch p;
        p.modules[6].position = std::uint8_t(position);
        EXPECT_EQ(int(convert(p)[24]), expected) << position;
    }
}

TEST(Line6EditConvert, ModuleLoopLimits) {
    Module amp2 = standardModules()[0];
    amp2.model = 9;
    Patch twice; // a repeated module overwrites, and the tenth module is still read
    twice.modules.insert(twice.modules.begin() + 1, amp2);
    EXPECT_EQ(int(convert(twice)[8]), 9);
    EXPECT_EQ(int(convert(twice)[46]), 4);

    Patch secondEffect; // a later effect module starts from cleared effect bytes
    secondEffect.modules[2] = {{2, 3, 0}, 2, 1, 0, {{9, 1}}};
    EXPECT_EQ(int(convert(secondEffect)[47]), 0);

    Patch nineDistinct; // nine distinct modules end the loop
    nineDistinct.modules.push_back(amp2);
    EXPECT_EQ(int(convert(nineDistinct)[8]), 5);

    Patch tenRead; // ten modules read end it too
    tenRead.modules.assign(10, amp2);
    tenRead.modules.push_back({{1, 0, 0}, 7, 1, 0, {}});
    EXPECT_EQ(int(convert(tenRead)[44]), 0);

    Patch corrupt;
    corrupt.patc = "PATX";
    const ImportResult failed = convertLine6EditModules(corrupt.bytes(), corrupt.patcAt(), "x", 2, 0);
    ASSERT_FALSE(failed.ok());
    EXPECT_EQ(failed.failure.text + failed.failure.caption, "Corrupt patch file!");
}

// Every cut of a two-patch bundle lists and converts without reading past the end; a patch
// cut inside its modules keeps exactly the parameters read whole before the cut.
TEST(Line6EditCutFiles, EveryCutLength) {
    Patch first, second;
    first.info = sub("ISTL", "Blues") + sub("ICMT", "cut me");
    second.name = "Second";
    const Bytes full = bundle({first.bytes(), second.bytes()});
    const PatchRecord expected = convert(first);
    std::size_t previousSet = 0;
    for (std::size_t length = 0; length <= full.size(); ++length) {
        const Bytes cut(full.begin(), full.begin() + std::ptrdiff_t(length));
        for (int type : {kLine6EditPatchType, kLine6EditBundleType})
            for (const ImportEntry& e : listLine6EditFile(cut, type).entries) {
                const ImportResult r = convertLine6EditPatch(cut, e);
                EXPECT_TRUE(!r.ok() || std::all_of(r.dump->begin() + 8, r.dump->end() - 1,
                                                   [](auto b) { return b < 16; }));
            }
        const Line6EditListing l = listLine6EditFile(cut, kLine6EditBundleType);
        const ImportResult r = l.entries.empty() ? ImportResult{} : convertLine6EditPatch(cut, l.entries[0]);
        if (!r.ok()) // nothing listed yet, or cut before its "PATC"
            continue;
        const PatchRecord record = readRecord(*r.dump, kDumpDataOffset);
        std::size_t set = 0;
        for (std::size_t k = 0; k < kRecordParameterBytes; ++k) {
            EXPECT_TRUE(record[k] == expected[k] || record[k] == 0) << length << ", byte " << k;
            set += record[k] != 0;
        }
        EXPECT_GE(set, previousSet) << length; // more of the file never converts less
        previousSet = set;
    }
    EXPECT_EQ(previousSet,
              std::size_t(std::count_if(expected.begin(), expected.begin() + kRecordParameterBytes,
                                        [](auto b) { return b != 0; })));
}
