// GuitarPort files written here byte by byte: conversion, effect choice, information texts, cut files.
#include "import/GuitarPort.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

using namespace amplix;

namespace {

constexpr std::size_t kModulation = 232;
constexpr std::uint8_t kChorus = 0, kFlanger = 1, kRotary = 2, kTremolo = 3;

std::string be32(std::uint32_t v) {
    return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}
std::string sub(const std::string& tag, const std::string& text) {
    return tag + be32(std::uint32_t(text.size())) + text + std::string(text.size() % 2, '\0');
}
std::string listChunk(const std::string& subs) {
    return "LIST" + be32(std::uint32_t(4 + subs.size())) + "INFO" + subs;
}

// A version 99 file with every parameter 0, just long enough for its modulation and reverb
// layouts, and an information chunk after the patch data.
struct GptFile {
    std::size_t reverb;
    std::vector<std::uint8_t> bytes;

    explicit GptFile(std::uint8_t type = kTremolo, std::uint8_t reverbType = 1, const std::string& info = {})
        : reverb(kModulation + (type == kChorus    ? 20
                                : type >= kTremolo ? 12
                                                   : 16)),
          bytes(reverb + (reverbType == 0 ? 36 : 24), 0) {
        std::memcpy(bytes.data(), "FORM\0\0\0\0L6GP", 12);
        bytes[23] = 0x63;
        bytes[227] = type;
        bytes[reverb + 11] = reverbType;
        big32(28, std::uint32_t(bytes.size() - 32));
        bytes.insert(bytes.end(), info.begin(), info.end());
    }
    GptFile& set(std::size_t at, std::uint8_t value) { return bytes[at] = value, *this; }
    GptFile& real(std::size_t at, float value) { return big32(at, std::bit_cast<std::uint32_t>(value)); }
    GptFile& big32(std::size_t at, std::uint32_t v) {
        for (std::size_t i = 0; i < 4; ++i)
            bytes[at + i] = std::uint8_t(v >> (24 - 8 * i));
        return *this;
    }
};

PatchRecord convert(const GptFile& file, int choice = kNoEffectChoice) {
    const ImportResult result = convertGuitarPort(file.bytes, "A.GPT", choice);
    EXPECT_TRUE(result.ok()) << result.failure.text;
    return result.ok() ? readRecord(*result.dump, kDumpDataOffset) : PatchRecord{};
}

} // namespace

// Every parameter at once, compared with the whole record worked out by hand.
TEST(GuitarPort, ConvertsEveryParameterIntoTheRecord) {
    GptFile file(kChorus, 0);
    file.set(47, 5).set(55, 0x03).set(59, 0x02).real(60, 0.5f).real(68, 1.0f).real(72, 0.25f);
    file.real(76, 0.75f).real(80, 0.1f).real(84, 0.9f).set(115, 0x1B).set(147, 1).real(148, -40.5f);
    file.real(152, 0.2f).set(203, 1).real(204, 0.5f).real(208, 0.3f).real(212, 0.6f).set(231, 1);
    file.real(232, 2.0f).real(236, 0.5f).real(240, 0.5f).set(247, 1).real(248, 0.1f);
    const std::size_t b = file.reverb;
    file.set(b + 15, 1).real(b + 16, 0.4f).real(b + 20, 0.5f);
    file.real(b + 24, 0.8f).real(b + 28, 0.2f).real(b + 32, 0.7f);

    const ImportResult result = convertGuitarPort(file.bytes, "C:\\Patches\\Blues Lead.GPT", kNoEffectChoice);
    ASSERT_TRUE(result.ok());
    // clang-format off
    const PatchRecord expected = {
        0, 0, 0, 1, 1, 1, 1, 1, 5, 31, 31, 63, 16, 47, 6, 57,      // switches, amp, tone
        55, 13, 127, 0, 127, 0, 127, 0, 1, 0, 0, 0x00, 0x3C, 0xF0,  // gate, pedals, delay time 15600
        0, 0, 0, 0, 19, 0, 38, 0, 1, 25, 31, 50, 13, 44, 11, 0,     // delay, reverb, cabinet, AIR
        4, 0, 0x01, 0xF4, 0x00, 156, 95, 0x0C, 0x30,                // Delay/Chorus 1: 500, 156, 95, 3120
        'B', 'l', 'u', 'e', 's', ' ', 'L', 'e', 'a', 'd', ' ', ' ', ' ', ' ', ' ', ' '};
    // clang-format on
    EXPECT_EQ(*result.dump, buildSingleDump(expected, 0));
}

// Which of the two effects is loaded, what the chooser offers, and the Trem/Chorus switch.
TEST(GuitarPort, LoadsTheCompressorOrTheModulation) {
    struct Case {
        const char* what;
        std::uint8_t compressor, modulationOn, type, variant;
        int choice;
        bool offered;
        int effect, tremChor, ratio; // record bytes 46, 4, 48
    } cases[] = {
        {"compressor on, modulation off", 1, 0, kChorus, 1, kNoEffectChoice, false, 7, 0, 3},
        {"both on, MOD kept", 1, 1, kChorus, 1, kLoadModulation, true, 4, 1, 0},
        {"both on, COMP chosen", 1, 1, kChorus, 1, kLoadCompressor, true, 7, 0, 3},
        {"compressor off, modulation on byte 0", 0, 0, kTremolo, 0, kNoEffectChoice, false, 5, 0, 0},
        {"compressor off wins over COMP", 0, 1, kRotary, 0, kLoadCompressor, false, 2, 1, 0},
        {"compressor byte 2 is on but offers nothing", 2, 1, kFlanger, 0, kNoEffectChoice, false, 7, 0, 3},
        {"second chorus", 0, 1, kChorus, 0, kNoEffectChoice, false, 12, 1, 0},
        {"flanger", 0, 1, kFlanger, 1, kNoEffectChoice, false, 13, 1, 0},
        {"type above 3 is a tremolo", 0, 1, 200, 0, kNoEffectChoice, false, 5, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GptFile file(c.type);
        // A speed of 10 leaves byte 48, where the ratio would go, at 0.
        file.set(171, c.compressor).set(175, 2).set(231, c.modulationOn).real(kModulation, 10.0f);
        file.set(kModulation + 15, c.type == kChorus ? c.variant : 0);
        EXPECT_EQ(listGuitarPort(file.bytes).offerEffectChoice, c.offered);
        const PatchRecord r = convert(file, c.choice);
        EXPECT_EQ((std::vector<int>{r[46], r[4], r[48]}), (std::vector{c.effect, c.tremChor, c.ratio}));
    }
}

TEST(GuitarPort, RatioNumberNeverWrapsToOff) {
    for (auto [byte, ratio] : {std::pair{0, 1}, {14, 15}, {15, 5}, {255, 5}})
        EXPECT_EQ(convert(GptFile().set(171, 1).set(175, std::uint8_t(byte)))[48], ratio) << byte;
}

// Scaling, limits and field widths, one source value at a time (the modulation is loaded).
TEST(GuitarPort, ScalesAndLimitsEachValue) {
    struct Case {
        const char* what;
        std::uint8_t type;
        std::size_t at;
        float value;
        std::vector<std::pair<int, int>> bytes; // record byte, value
    } cases[] = {
        {"chorus speed 0.1: 9999 limited", kChorus, 232, 0.1f, {{48, 0x1F}, {49, 0xFF}}},
        {"chorus speed 10: 100 raised", kChorus, 232, 10.0f, {{48, 0}, {49, 200}}},
        {"flanger speed 0: slowest", kFlanger, 232, 0.0f, {{48, 0x1F}, {49, 0xFF}}},
        {"chorus depth keeps 12 bits", kChorus, 236, 20.0f, {{50, 0x08}, {51, 0x60}}},
        {"feedback -1", kChorus, 240, -1.0f, {{52, 0}}},
        {"feedback 0: half not rounded up", kChorus, 240, 0.0f, {{52, 63}}},
        {"feedback 1", kFlanger, 240, 1.0f, {{52, 127}}},
        {"flanger pre-delay", kFlanger, 244, 0.1f, {{53, 0x0C}, {54, 0x30}}},
        {"tremolo speed 8: 125 raised", kTremolo, 232, 8.0f, {{48, 0}, {49, 150}}},
        {"tremolo speed 0.1: limited", kTremolo, 232, 0.1f, {{48, 0x0F}, {49, 0xFF}}},
        {"tremolo depth", kTremolo, 236, 0.5f, {{50, 63}}},
        {"rotary first speed", kRotary, 232, 0.5f, {{51, 0x07}, {52, 0xD0}}},
        {"rotary second speed raised", kRotary, 236, 50.0f, {{49, 0}, {50, 100}}},
        {"rotary depth", kRotary, 240, 0.5f, {{47, 31}}},
        {"delay time 0.5", kTremolo, 204, 0.5f, {{27, 0}, {28, 0x3C}, {29, 0xF0}}},
        {"delay time huge saturates", kTremolo, 204, 1e30f, {{27, 0x0F}, {28, 0xFF}, {29, 0xFF}}},
        {"NaN counts as 0", kTremolo, 60, std::bit_cast<float>(0x7FC00000u), {{9, 0}, {10, 0}}},
        {"gate threshold below -96 wraps", kTremolo, 148, -100.0f, {{16, 252}}},
    };
    for (const Case& c : cases) {
        const PatchRecord r = convert(GptFile(c.type).real(c.at, c.value));
        for (auto [k, v] : c.bytes)
            EXPECT_EQ(r[std::size_t(k)], v) << c.what << ", record byte " << k;
    }
    EXPECT_EQ(convert(GptFile(kRotary).set(kModulation + 15, 3))[48], 1); // rotary speed switch: bit 0
}

// The reverb block follows the modulation layout; type 0 has four floats, the others one.
TEST(GuitarPort, ReadsTheReverbBlockAfterEachLayout) {
    for (std::uint8_t type : {kChorus, kFlanger, kRotary, kTremolo}) {
        for (std::uint8_t reverbType : {0, 1, 7}) {
            GptFile file(type, reverbType);
            const std::size_t b = file.reverb;
            file.set(b + 15, 1).real(b + 16, 0.4f).real(b + 20, 0.5f);
            if (reverbType == 0)
                file.real(b + 24, 0.8f).real(b + 28, 0.2f).real(b + 32, 0.7f);
            const PatchRecord r = convert(file);
            const auto expected = reverbType == 0 ? std::vector{1, 1, 25, 31, 50, 13, 44}
                                                  : std::vector{0, 1, 25, 31, 31, 31, 31};
            EXPECT_EQ((std::vector<int>{r[38], r[5], r[39], r[40], r[41], r[42], r[43]}), expected)
                << "modulation " << int(type) << ", reverb " << int(reverbType);
        }
    }
}

TEST(GuitarPort, NamesThePatchAfterTheFile) {
    for (auto [path, name] : {std::pair<const char*, const char*>{"C:\\GP\\Clean Tone.GPT", "Clean Tone"},
                              {"/home/u/TwentyCharactersLong.gpt", "TwentyCharacters"},
                              {"/x/.GPT", ""},
                              {"abcd", ""},
                              {"dir/abc", "abc"}})
        EXPECT_EQ(guitarPortPatchName(path), name) << path;
    EXPECT_EQ(dumpName(*convertGuitarPort(GptFile().bytes, "x/Short.GPT", 3).dump), "Short           ");
}

TEST(GuitarPort, ReadsTheInformationTexts) {
    using I = GuitarPortInfo;
    const std::string all = sub("IAMP", "Amp") + sub("IPUS", "Pickup") + sub("IPUP", "Neck") +
                            sub("ISTL", "Rock") + sub("ISST", "Sub") + sub("ISNG", "Song") +
                            sub("IGTR", "Player") + sub("IBND", "Band") + sub("ICMT", "Odd");
    const std::string jazz = sub("ISTL", "Jazz");
    struct Case {
        const char* what;
        std::string chunk;
        std::vector<std::pair<I, std::string>> shown;
    } cases[] = {
        {"999 bytes shown, 1000 passed over, IDAT and unknown tags skipped",
         listChunk(sub("ICMT", std::string(999, 'c')) + sub("IBND", std::string(1000, 'b')) +
                   sub("IDAT", "2003") + "XXXX" + sub("ISNG", "After")),
         {{I::Comment, std::string(999, 'c')}, {I::Song, "After"}}},
        {"nothing after the chunk's size",
         "LIST" + be32(4 + 12) + "INFO" + jazz + sub("IBND", "Out"),
         {{I::Style, "Jazz"}}},
        {"size below 5", "LIST" + be32(4) + "INFO" + jazz, {}},
        {"not LIST", "LYST" + be32(16) + "INFO" + jazz, {}},
        {"not INFO", "LIST" + be32(16) + "INFA" + jazz, {}},
        {"text past the end", listChunk(jazz + "IBND" + be32(50) + "short"), {{I::Style, "Jazz"}}},
        {"size past the end", "LIST" + be32(0xFFFFFFFF) + "INFO" + jazz + "IB", {{I::Style, "Jazz"}}},
    };
    for (const Case& c : cases) {
        GuitarPortListing expected;
        for (const auto& [info, text] : c.shown)
            expected.information[std::size_t(info)] = text;
        EXPECT_EQ(listGuitarPort(GptFile(kTremolo, 1, c.chunk).bytes).information, expected.information)
            << c.what;
    }
    // Each tag in its place, in the order GuitarPortInfo names them.
    EXPECT_EQ(listGuitarPort(GptFile(kTremolo, 1, listChunk(all)).bytes).information,
              (std::array<std::string, 9>{"Amp", "Pickup", "Neck", "Rock", "Sub", "Song", "Player", "Band",
                                          "Odd"}));
    // A patch data length past the end of the file: no chunk is found.
    EXPECT_EQ(listGuitarPort(GptFile(kTremolo, 1, listChunk(all)).big32(28, 0xFFFFFFF0).bytes).information,
              GuitarPortListing().information);
}

// Every cut of a complete file, each in a buffer of its own size so a stray read is caught.
TEST(GuitarPort, RefusesEveryCutFileWithoutReadingPastIt) {
    for (auto [type, reverbType] : {std::pair<std::uint8_t, std::uint8_t>{kChorus, 0}, {kTremolo, 1}}) {
        GptFile whole(type, reverbType, listChunk(sub("ISTL", "Rock") + sub("ICMT", "abc")));
        whole.set(171, 1).set(231, 1);
        const std::size_t patchEnd = whole.reverb + (reverbType == 0 ? 36 : 24);
        for (std::size_t length = 0; length <= whole.bytes.size(); ++length) {
            const std::vector<std::uint8_t> cut(whole.bytes.begin(),
                                                whole.bytes.begin() + std::ptrdiff_t(length));
            listGuitarPort(cut);
            for (int choice : {kLoadCompressor, kLoadModulation, kNoEffectChoice}) {
                const ImportResult result = convertGuitarPort(cut, "cut.GPT", choice);
                ASSERT_EQ(result.ok(), length >= patchEnd) << length;
                if (!result.ok()) {
                    EXPECT_EQ(result.failure.text + "|" + result.failure.caption,
                              "Error reading from file!|Error!!");
                }
            }
            EXPECT_EQ(checkGuitarPort(cut).has_value(), length < patchEnd);
        }
    }
}
