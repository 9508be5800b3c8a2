// amplix-patch run on files written here: list, show, JSON, convert's bytes, diff, errors, help.
#include "TestPatchFiles.h"

#include "import/GuitarPort.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace amplix;
using namespace patchfiles;
namespace fs = std::filesystem;

namespace {

struct Outcome {
    int status = -1;
    std::string out, err;
};

std::string slurp(const fs::path& path) {
    std::ostringstream s;
    s << std::ifstream(path, std::ios::binary).rdbuf();
    return s.str();
}

// A chorus patch: Distortion on, Brit Hi Gain, Drive 48 (96), Drive2 100 (200: past the
// slider's end), gate 10 (114), 350 ms, cabinet 3, Chorus 1 at speed 500 (10).
const std::vector<std::pair<std::size_t, std::uint8_t>> kChorus = {
    {0, 1},     {8, 12},    {9, 48},    {10, 100}, {16, 10},   {24, 1},
    {28, 0x2A}, {29, 0xA8}, {44, 0x13}, {46, 8},   {48, 0x01}, {49, 0xF4}};

Bytes patch(const std::string& name, std::vector<std::pair<std::size_t, std::uint8_t>> bytes) {
    PatchRecord r = record(name, 0);
    std::fill_n(r.begin(), kRecordParameterBytes, 0);
    for (const auto& [k, v] : bytes)
        r[k] = v;
    return singlePatch(r, 0);
}

class AmplixPatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("amplix_patch_test_" + std::to_string(getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        previous_ = fs::current_path();
        fs::current_path(dir_); // messages name the files as given
    }
    void TearDown() override {
        fs::current_path(previous_);
        fs::remove_all(dir_);
    }

    static std::string write(const std::string& name, const Bytes& bytes) {
        std::ofstream(name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return name;
    }
    static Outcome run(const std::vector<std::string>& args) {
        std::string command = AMPLIX_PATCH;
        for (const std::string& a : args) {
            command += " '";
            for (char c : a)
                command += c == '\'' ? std::string("'\\''") : std::string(1, c);
            command += "'";
        }
        const int raw = std::system((command + " >stdout 2>stderr").c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp("stdout"), slurp("stderr")};
    }

    fs::path dir_, previous_;
};

TEST_F(AmplixPatchTest, ListsEveryFormatAsItsChooserDoes) {
    std::string banked;
    for (std::size_t n = 0; n < kPatchLocations; ++n)
        banked += std::to_string(n) + "\t" + char('1' + n / 4) + char('A' + n % 4) + "\tBank " +
                  std::to_string(n) + "\n";
    const Bytes bundle = line6Bundle({line6Patch("First", 2, 5, false), line6Patch("Vetta", 5, 5, false),
                                      line6Patch("Second", 4, 9, true)},
                                     "L6BA");
    const struct {
        std::string file;
        Bytes bytes;
        std::string listing;
    } cases[] = {
        {"single.pod", cat({singlePatch(record("Caf\xE9 Lead", 1), 0x33), "junk"}), "0\t\tCafé Lead\n"},
        {"bank.syx", bank(0x4B), banked},
        {"library.LIB",
         soundDiver({{"Clean", soundDiverTail(1)},
                     {"Hidden", soundDiverTail(2), 0},
                     {"Tab\tName", soundDiverTail(3)}}),
         "0\t\tClean\n1\t\tTab\\x09Name\n"},
        {"empty.LIB", soundDiver({}), ""},
        {"patch.L6T", line6Patch("Texas Flood", 2, 5, false), "0\t\tTexas Flood\n"},
        {"bundle.L6B", bundle, "0\t\tFirst\n1\t\tSecond\n"},
        {"collection.L6C", line6Bundle({line6Patch("Only", 3, 1, false)}, "L6CO"), "0\t\tOnly\n"},
        // Named after the path in 8-bit characters: what has none becomes '?'.
        {"Crème ☂ Lead.gpt", guitarPort(false, true), "0\t\tCrème ? Lead\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const Outcome r = run({"list", write(c.file, c.bytes)});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, c.listing);
        EXPECT_EQ(r.err, "");
    }
}

TEST_F(AmplixPatchTest, ShowGivesWhatThePanelShows) {
    const struct {
        Bytes patch;
        std::vector<std::string> lines, jsonLines;
        std::vector<std::string> absent; // controls of effects the patch does not use
    } cases[] = {
        {patch("Caf\xE9 \"Q\"\\", kChorus),
         {"name\tCafé \"Q\"\\", "EffectSel\tChorus 1", "Distortion\ton", "Delay\toff",
          "AmpModel\tBrit Hi Gain", "Drive\t96", "Drive2\t127", "GateThreshold\t114",
          "VolPosition\tPost-Tube Drive", "DelayTime\t350 ms", "CabSel\t1x12 Blackface Deluxe",
          "ChSpeed\t10"},
         {"{", "  \"name\": \"Café \\\"Q\\\"\\\\\",", "  \"EffectSel\": 3,", "  \"Distortion\": true,",
          "  \"Delay\": false,", "  \"AmpModel\": 12,", "  \"Drive2\": 127,", "  \"DelayTime\": 350,",
          "  \"ChPreDelay\": 0", "}"},
         {"CRatio", "TremSpeed", "RotarySpeed", "Swell"}},
        {patch("\x01\x7F\x85", {{8, 40}, {27, 0x0F}, {28, 0xFF}, {29, 0xFF}, {44, 0x0F}, {46, 11}, {48, 9}}),
         {"name\t\\x01\\x7F\\x85", "EffectSel\tCompressor", "AmpModel\t(none)", "DelayTime\t3150 ms",
          "CabSel\tNo Cab", "CRatio\t(none)"},
         {"  \"name\": \"\\u0001\\u007F\\u0085\",", "  \"AmpModel\": null,", "  \"DelayTime\": 3150,",
          "  \"CRatio\": null"},
         {"ChSpeed", "TremSpeed", "RotarySpeed", "Swell"}},
    };
    for (const auto& c : cases) {
        const std::string file = write("show.pod", c.patch);
        const Outcome text = run({"show", file}), json = run({"show", "--json", file});
        ASSERT_EQ(text.status + json.status, 0) << text.err << json.err;
        for (const std::string& line : c.lines)
            EXPECT_NE(("\n" + text.out).find("\n" + line + "\n"), std::string::npos) << line;
        for (const std::string& line : c.jsonLines)
            EXPECT_NE(("\n" + json.out).find("\n" + line + "\n"), std::string::npos) << line;
        for (const std::string& member : c.absent)
            EXPECT_EQ((text.out + json.out).find(member), std::string::npos) << member;
        // The same members both ways: a line each, and the braces.
        EXPECT_EQ(std::count(json.out.begin(), json.out.end(), '\n'),
                  std::count(text.out.begin(), text.out.end(), '\n') + 2);
    }
}

TEST_F(AmplixPatchTest, ConvertWritesTheDumpTheEditorSends) {
    const Bytes single = singlePatch(record("One", 4), 0x33);
    const Bytes banked = bank(0x4B);
    Bytes entry6(banked.begin(), banked.begin() + 151); // the bank's byte 7, then "2C"'s nibbles
    entry6[6] = 0x01;
    std::copy(banked.begin() + 860, banked.begin() + 1002, entry6.begin() + 8);
    entry6[150] = 0xF7;
    const Bytes both = guitarPort(true, true);
    const auto gpt = [&](int choice) {
        const auto dump = *convertGuitarPort(both, "Blues Lead.GPT", choice).dump;
        return Bytes(dump.begin(), dump.end());
    };
    ASSERT_NE(gpt(kLoadModulation), gpt(kLoadCompressor));
    const struct {
        std::string file;
        Bytes bytes;
        std::vector<std::string> options;
        Bytes expected;
    } cases[] = {
        {"a.pod", cat({single, Bytes(30, 0x55)}), {}, single},
        {"b.syx", banked, {"-i", "6"}, entry6},
        {"Blues Lead.GPT", both, {}, gpt(kLoadModulation)},
        {"Blues Lead.GPT", both, {"--effect=comp"}, gpt(kLoadCompressor)},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"convert", write(c.file, c.bytes), "out.syx"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        fs::remove("out.syx");
        const Outcome r = run(args);
        EXPECT_EQ(r.status, 0) << r.err;
        const std::string out = slurp("out.syx");
        EXPECT_EQ(Bytes(out.begin(), out.end()), c.expected) << c.file;
    }
}

TEST_F(AmplixPatchTest, DiffListsWhatDiffersAndSaysSoByItsStatus) {
    auto other = kChorus;
    other.insert(other.end(), {{9, 20}, {46, 11}, {48, 3}}); // Drive 40, the compressor at 3:1
    const std::string a = write("a.pod", patch("Caf\xE9", kChorus));
    Outcome r = run({"diff", a, write("b.pod", patch("Other", other))});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "name\tCafé\tOther\n"
                     "EffectSel\tChorus 1\tCompressor\n"
                     "Drive\t96\t40\n"
                     "ChSpeed\t10\t(not used)\n"
                     "ChDepth\t0\t(not used)\n"
                     "ChFeedback\t0\t(not used)\n"
                     "ChPreDelay\t0\t(not used)\n"
                     "CRatio\t(not used)\t3:1\n");
    r = run({"diff", a, a});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out + r.err, "");
    const std::string banked = write("bank.syx", bank(0));
    EXPECT_EQ(run({"diff", banked, banked, "-i", "7", "-j", "7"}).status, 0);
    r = run({"diff", banked, banked, "-j", "1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "name\tBank 0\tBank 1");
}

// The editor's own messages for what it refuses are compared with the editor in
// import_equivalence_qtest; these are the ones only the command line meets.
TEST_F(AmplixPatchTest, ErrorsGoToStandardErrorWithStatusTwo) {
    fs::create_directory("folder.pod");
    write("one.pod", singlePatch({}, 0));
    write("bank.syx", bank(0));
    write("tiny.gpt", cat({"FORM", Bytes(4), "L6GP"}));
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"list", "missing.pod"}, "Error: Couldn't open file."},
        {{"show", "folder.pod"}, "Error: Couldn't open file."},
        {{"list", "tiny.gpt"}, "Error reading from file!"},
        {{"show", "one.pod", "-i", "1"}, "There is no patch 1: one.pod lists 1 patch."},
        {{"convert", "bank.syx", "out", "-i", "36"}, "There is no patch 36: bank.syx lists 36 patches."},
        {{"convert", "one.pod", "no-such-folder/out"}, "Error writing to file!"},
    };
    for (const auto& [args, message] : cases) {
        const Outcome r = run(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out + r.err, message + "\n");
        EXPECT_FALSE(fs::exists("out"));
    }
}

TEST_F(AmplixPatchTest, CommandLineMistakesHelpAndVersion) {
    write("one.pod", singlePatch({}, 0));
    const std::vector<std::vector<std::string>> mistakes = {{},
                                                            {"play", "one.pod"},
                                                            {"list", "one.pod", "one.pod"},
                                                            {"list", "one.pod", "-i", "0"},
                                                            {"show", "one.pod", "--effect", "both"},
                                                            {"show", "one.pod", "-i", "-1"},
                                                            {"show", "one.pod", "-i"},
                                                            {"convert", "one.pod", "out", "--json"},
                                                            {"show", "one.pod", "--verbose"}};
    for (const auto& args : mistakes) {
        const Outcome r = run(args);
        EXPECT_EQ(r.status, 2) << ::testing::PrintToString(args);
        EXPECT_NE(r.err.find("Try 'amplix-patch --help'."), std::string::npos) << r.err;
    }
    for (const auto& args : std::vector<std::vector<std::string>>{{"--help"}, {"convert", "-h"}}) {
        const Outcome r = run(args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out.rfind("Usage: amplix-patch list FILE\n", 0), 0u);
    }
    const Outcome version = run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("amplix-patch (Amplix 32) ", 0), 0u);
    EXPECT_EQ(run({"list", "--", "--help"}).err, "Error: Couldn't open file.\n"); // a file after "--"
}

} // namespace
