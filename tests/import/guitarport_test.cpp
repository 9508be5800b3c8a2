// GuitarPort files written here byte by byte: conversion, effect choice, information texts, cut files.
#include "import/GuitarPort.h"
#include "tests/support/TestPatchFiles.h"

#include <gtest/gtest.h>

using namespace amplix;
using namespace patchfiles;

namespace {

using GptFile = GuitarPortFile;
constexpr std::size_t kModulation = GptFile::kModulation;
constexpr std::uint8_t kChorus = 0, kFlanger = 1, kRotary = 2, kTremolo = 3;

const auto listChunk = guitarPortInfo;
const auto sub = guitarPortText;

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

// Which of the two effects is loaded, what the chooser offers, and the Trem/Chorus switch:
// compressor byte, modulation on, type, chorus variant, the user's choice; offered; record
// bytes 46, 4 and 48. A compressor byte of 2 is on but offers nothing; a type above 3 is a
// tremolo. The ratio number turns 15 past its end into 5, never into "off".
TEST(GuitarPort, LoadsTheCompressorOrTheModulation) {
    const int none = kNoEffectChoice;
    const std::tuple<int, int, int, int, int, bool, std::vector<int>> cases[] = {
        {1, 0, kChorus, 1, none, false, {7, 0, 3}},
        {1, 1, kChorus, 1, kLoadModulation, true, {4, 1, 0}},
        {1, 1, kChorus, 1, kLoadCompressor, true, {7, 0, 3}},
        {0, 0, kTremolo, 0, none, false, {5, 0, 0}},
        {0, 1, kRotary, 0, kLoadCompressor, false, {2, 1, 0}},
        {2, 1, kFlanger, 0, none, false, {7, 0, 3}},
        {0, 1, kChorus, 0, none, false, {12, 1, 0}},
        {0, 1, kFlanger, 1, none, false, {13, 1, 0}},
        {0, 1, 200, 0, none, false, {5, 1, 0}}};
    for (const auto& [compressor, modulationOn, type, variant, choice, offered, bytes] : cases) {
        GptFile file{std::uint8_t(type)};
        // A speed of 10 leaves byte 48, where the ratio would go, at 0.
        file.set(171, compressor).set(175, 2).set(231, modulationOn).real(kModulation, 10.0f);
        file.set(kModulation + 15, type == kChorus ? variant : 0);
        EXPECT_EQ(listGuitarPort(file.bytes).offerEffectChoice, offered) << type << "/" << compressor;
        const PatchRecord r = convert(file, choice);
        EXPECT_EQ((std::vector<int>{r[46], r[4], r[48]}), bytes)
            << type << "/" << compressor << "/" << choice;
    }
    for (auto [byte, ratio] : {std::pair{0, 1}, {14, 15}, {15, 5}, {255, 5}})
        EXPECT_EQ(convert(GptFile().set(171, 1).set(175, std::uint8_t(byte)))[48], ratio) << byte;
}

// Scaling, limits and field widths, one source value at a time (the modulation is loaded):
// modulation type, byte, value; record bytes and values.
TEST(GuitarPort, ScalesAndLimitsEachValue) {
    using Case = std::tuple<std::uint8_t, std::size_t, float, std::vector<std::pair<int, int>>>;
    const float nan = amplix::bitCast<float>(0x7FC00000u);
    // clang-format off
    const Case cases[] = {
        // Chorus speed 0.1: 9999 limited; 10: 100 raised; flanger speed 0: the slowest.
        {kChorus, 232, 0.1f, {{48, 0x1F}, {49, 0xFF}}}, {kChorus, 232, 10.0f, {{48, 0}, {49, 200}}},
        {kFlanger, 232, 0.0f, {{48, 0x1F}, {49, 0xFF}}},
        // Depth keeps 12 bits; feedback -1, 0 (half, not rounded up), 1; flanger pre-delay.
        {kChorus, 236, 20.0f, {{50, 0x08}, {51, 0x60}}}, {kChorus, 240, -1.0f, {{52, 0}}},
        {kChorus, 240, 0.0f, {{52, 63}}}, {kFlanger, 240, 1.0f, {{52, 127}}},
        {kFlanger, 244, 0.1f, {{53, 0x0C}, {54, 0x30}}},
        // Tremolo speed 8: 125 raised; 0.1: limited; depth.
        {kTremolo, 232, 8.0f, {{48, 0}, {49, 150}}}, {kTremolo, 232, 0.1f, {{48, 0x0F}, {49, 0xFF}}},
        {kTremolo, 236, 0.5f, {{50, 63}}},
        // Rotary first speed; the second raised; depth.
        {kRotary, 232, 0.5f, {{51, 0x07}, {52, 0xD0}}}, {kRotary, 236, 50.0f, {{49, 0}, {50, 100}}},
        {kRotary, 240, 0.5f, {{47, 31}}},
        // A huge delay time saturates; NaN counts as 0; a gate threshold below -96 wraps.
        {kTremolo, 204, 1e30f, {{27, 0x0F}, {28, 0xFF}, {29, 0xFF}}}, {kTremolo, 60, nan, {{9, 0}, {10, 0}}},
        {kTremolo, 148, -100.0f, {{16, 252}}},
    };
    // clang-format on
    for (const auto& [type, at, value, bytes] : cases) {
        const PatchRecord r = convert(GptFile(type).real(at, value));
        for (auto [k, v] : bytes)
            EXPECT_EQ(r[std::size_t(k)], v) << "byte " << at << " = " << value << ": record byte " << k;
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
    // In the order GuitarPortInfo names them.
    const char* tags[] = {"IAMP", "IPUS", "IPUP", "ISTL", "ISST", "ISNG", "IGTR", "IBND", "ICMT"};
    Bytes all;
    for (const char* tag : tags)
        all = cat({all, sub(tag, std::string("text ") + tag)});
    const Bytes jazz = sub("ISTL", "Jazz");
    const std::tuple<const char*, Bytes, std::vector<std::pair<I, std::string>>> cases[] = {
        {"999 bytes shown, 1000 passed over, IDAT and unknown tags skipped",
         listChunk(cat({sub("ICMT", std::string(999, 'c')), sub("IBND", std::string(1000, 'b')),
                        sub("IDAT", "2003"), "XXXX", sub("ISNG", "After")})),
         {{I::Comment, std::string(999, 'c')}, {I::Song, "After"}}},
        {"nothing after the chunk's size",
         cat({"LIST", be32(4 + 12), "INFO", jazz, sub("IBND", "Out")}),
         {{I::Style, "Jazz"}}},
        {"size below 5", cat({"LIST", be32(4), "INFO", jazz}), {}},
        {"not LIST", cat({"LYST", be32(16), "INFO", jazz}), {}},
        {"not INFO", cat({"LIST", be32(16), "INFA", jazz}), {}},
        {"text past the end", listChunk(cat({jazz, "IBND", be32(50), "short"})), {{I::Style, "Jazz"}}},
        {"size past the end", cat({"LIST", be32(0xFFFFFFFF), "INFO", jazz, "IB"}), {{I::Style, "Jazz"}}},
    };
    for (const auto& [what, chunk, shown] : cases) {
        GuitarPortListing expected;
        for (const auto& [info, text] : shown)
            expected.information[std::size_t(info)] = text;
        EXPECT_EQ(listGuitarPort(GptFile(kTremolo, 1, chunk).bytes).information, expected.information)
            << what;
    }
    // Each tag in its place.
    const auto information = listGuitarPort(GptFile(kTremolo, 1, listChunk(all)).bytes).information;
    for (std::size_t i = 0; i < information.size(); ++i)
        EXPECT_EQ(information[i], std::string("text ") + tags[i]);
    // A patch data length past the end of the file: no chunk is found.
    EXPECT_EQ(listGuitarPort(GptFile(kTremolo, 1, listChunk(all)).big32(28, 0xFFFFFFF0).bytes).information,
              GuitarPortListing().information);
}

// Every cut of a complete file, each in a buffer of its own size so a stray read is caught.
TEST(GuitarPort, RefusesEveryCutFileWithoutReadingPastIt) {
    for (auto [type, reverbType] : {std::pair<std::uint8_t, std::uint8_t>{kChorus, 0}, {kTremolo, 1}}) {
        GptFile whole(type, reverbType, listChunk(cat({sub("ISTL", "Rock"), sub("ICMT", "abc")})));
        whole.set(171, 1).set(231, 1);
        const std::size_t patchEnd = whole.reverb + (reverbType == 0 ? 36 : 24);
        for (std::size_t length = 0; length <= whole.bytes.size(); ++length) {
            const std::vector<std::uint8_t> cut(whole.bytes.begin(),
                                                whole.bytes.begin() + std::ptrdiff_t(length));
            listGuitarPort(cut);
            for (int choice : {kLoadCompressor, kLoadModulation, kNoEffectChoice}) {
                const ImportResult r = convertGuitarPort(cut, "cut.GPT", choice);
                EXPECT_EQ(r.ok() ? "" : r.failure.text + "|" + r.failure.caption,
                          length >= patchEnd ? "" : "Error reading from file!|Error!!")
                    << length;
            }
            EXPECT_EQ(checkGuitarPort(cut).has_value(), length < patchEnd);
        }
    }
}
