// amplix-patch run on files written here: list, show, JSON, convert's bytes, diff, errors, help.
#include "TestPatchFiles.h"

#include "import/GuitarPort.h"
#include "import/Line6Edit.h"
#include "import/Line6EditConvert.h"

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

std::string quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

Bytes bytesOf(const fs::path& path) {
    const std::string s = slurp(path);
    return Bytes(s.begin(), s.end());
}

Bytes dumpBytes(const ImportResult& r) {
    EXPECT_TRUE(r.ok()) << r.failure.text;
    return r.ok() ? Bytes(r.dump->begin(), r.dump->end()) : Bytes{};
}

// "1A" .. "9D".
std::string label(std::size_t n) {
    return std::string{char('1' + n / 4), char('A' + n % 4)};
}

// The record bytes a show test sets, beside a name.
struct RecordBytes {
    std::string name;
    std::vector<std::pair<std::size_t, std::uint8_t>> bytes;
};
PatchRecord makeRecord(const RecordBytes& spec) {
    PatchRecord r{};
    for (std::size_t k = 0; k < spec.name.size(); ++k)
        r[kNameOffset + k] = std::uint8_t(spec.name[k]);
    for (const auto& [k, v] : spec.bytes)
        r[k] = v;
    return r;
}

// A chorus patch: Distortion on, Brit Hi Gain, Drive 48 (96), Drive2 100 (200: the slider's
// end), gate threshold 10 (114), 350 ms, cabinet 3, Chorus 1 at speed 500 (10).
const RecordBytes kChorusPatch{"Caf\xE9 \"Q\"\\",
                               {{0, 1},
                                {8, 12},
                                {9, 48},
                                {10, 100},
                                {16, 10},
                                {24, 1},
                                {28, 0x2A},
                                {29, 0xA8},
                                {44, 0x13},
                                {46, 8},
                                {48, 0x01},
                                {49, 0xF4}}};

class AmplixPatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("amplix_patch_test_" + std::to_string(getpid()) + "_" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string write(const std::string& name, const Bytes& bytes) {
        const fs::path path = dir_ / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return path.string();
    }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    Outcome run(const std::vector<std::string>& args) {
        std::string command = quoted(AMPLIX_PATCH);
        for (const std::string& a : args)
            command += " " + quoted(a);
        const fs::path out = dir_ / "stdout", err = dir_ / "stderr";
        command += " >" + quoted(out.string()) + " 2>" + quoted(err.string());
        const int raw = std::system(command.c_str());
        Outcome r{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(out), slurp(err)};
        fs::remove(out);
        fs::remove(err);
        return r;
    }

    fs::path dir_;
};

TEST_F(AmplixPatchTest, ListsEveryFormatAsItsChooserDoes) {
    std::string bankListing;
    for (std::size_t n = 0; n < kPatchLocations; ++n)
        bankListing += std::to_string(n) + "\t" + label(n) + "\tBank " + std::to_string(n) + "\n";
    const struct {
        std::string file;
        Bytes bytes;
        std::string listing;
    } cases[] = {
        {"single.pod", join(singlePatch(record("Caf\xE9 Lead", 1), 0x33), text("junk")), "0\t\tCafé Lead\n"},
        {"bank.syx", bank(0x4B), bankListing},
        {"library.LIB",
         soundDiver({{"Clean", soundDiverTail(1)},
                     {"Hidden", soundDiverTail(2), 0},
                     {"Tab\tName", soundDiverTail(3)}}),
         "0\t\tClean\n1\t\tTab\\x09Name\n"},
        {"empty.LIB", soundDiver({}), ""},
        {"patch.L6T", line6Patch("Texas Flood", 2, 5, false), "0\t\tTexas Flood\n"},
        {"bundle.L6B",
         line6Bundle({line6Patch("First", 2, 5, false), line6Patch("Vetta", 5, 5, false),
                      line6Patch("Second", 4, 9, true)},
                     "L6BA"),
         "0\t\tFirst\n1\t\tSecond\n"},
        {"collection.L6C", line6Bundle({line6Patch("Only", 3, 1, false)}, "L6CO"), "0\t\tOnly\n"},
        {"Blues Lead.GPT", guitarPort(true, true), "0\t\tBlues Lead\n"},
        // The editor names it after its path in 8-bit characters: what has none becomes '?'.
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
        const char* what;
        RecordBytes patch;
        std::vector<std::string> lines;     // "MEMBER\tTEXT" lines of the text output
        std::vector<std::string> jsonLines; // lines of the JSON object
        std::vector<std::string> absent;    // members of layouts the patch does not use
    } cases[] = {
        {"chorus",
         kChorusPatch,
         {"name\tCafé \"Q\"\\", "EffectSel\tChorus 1", "Distortion\ton", "Delay\toff",
          "AmpModel\tBrit Hi Gain", "Drive\t96", "Drive2\t127", "GateThreshold\t114",
          "VolPosition\tPost-Tube Drive", "DelayTime\t350 ms", "CabSel\t1x12 Blackface Deluxe",
          "ChSpeed\t10"},
         {"  \"name\": \"Café \\\"Q\\\"\\\\\",", "  \"EffectSel\": 3,", "  \"Distortion\": true,",
          "  \"Delay\": false,", "  \"AmpModel\": 12,", "  \"Drive2\": 127,", "  \"DelayTime\": 350,",
          "  \"CabSel\": 3,", "  \"ChPreDelay\": 0"},
         {"CRatio", "TremSpeed", "RotarySpeed", "Swell"}},
        {"out of range",
         {"\x01\x7F\x85", {{8, 40}, {27, 0x0F}, {28, 0xFF}, {29, 0xFF}, {44, 0x0F}, {46, 11}, {48, 9}}},
         {"name\t\\x01\\x7F\\x85", "EffectSel\tCompressor", "AmpModel\t(none)", "DelayTime\t3150 ms",
          "CabSel\tNo Cab", "CRatio\t(none)"},
         {"  \"name\": \"\\u0001\\u007F\\u0085\",", "  \"AmpModel\": null,", "  \"DelayTime\": 3150,",
          "  \"CRatio\": null"},
         {"ChSpeed", "TremSpeed", "RotarySpeed", "Swell"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string file = write("show.pod", singlePatch(makeRecord(c.patch), 0));
        const Outcome text = run({"show", file});
        ASSERT_EQ(text.status, 0) << text.err;
        const Outcome json = run({"show", "--json", file});
        ASSERT_EQ(json.status, 0) << json.err;
        for (const std::string& line : c.lines)
            EXPECT_NE(("\n" + text.out).find("\n" + line + "\n"), std::string::npos) << line;
        for (const std::string& line : c.jsonLines)
            EXPECT_NE(json.out.find("\n" + line + "\n"), std::string::npos) << line;
        for (const std::string& member : c.absent) {
            EXPECT_EQ(text.out.find("\n" + member + "\t"), std::string::npos) << member;
            EXPECT_EQ(json.out.find("\"" + member + "\""), std::string::npos) << member;
        }
        // One key per shown line, in one object.
        EXPECT_EQ(json.out.substr(0, 2), "{\n");
        EXPECT_EQ(json.out.substr(json.out.size() - 3), "\n}\n");
        EXPECT_EQ(std::count(json.out.begin(), json.out.end(), '\n') - 2,
                  std::count(text.out.begin(), text.out.end(), '\n'));
    }
}

TEST_F(AmplixPatchTest, ConvertWritesTheDumpTheEditorSends) {
    const Bytes single = singlePatch(record("One", 4), 0x33);
    const Bytes bankFile = bank(0x4B);
    Bytes bankEntry6(bankFile.begin(), bankFile.begin() + 151);
    bankEntry6[6] = 0x01; // the single-patch header, the bank's byte 7, then "2C"'s nibbles
    std::copy(bankFile.begin() + 860, bankFile.begin() + 1002, bankEntry6.begin() + 8);
    bankEntry6[150] = 0xF7;

    const Bytes library =
        soundDiver({{"Hidden", soundDiverTail(1), 0},
                    {"Clean", soundDiverTail(2)},
                    {"Crunch", join({0x10, 0x81, 0x05}, join(Bytes(133, 0xEE), soundDiverTail(3)))}});
    PatchRecord crunch{};
    for (std::size_t k = 0; k < kRecordParameterBytes; ++k)
        crunch[k] = std::uint8_t(3 + 3 * k);
    fillPatchName(crunch, "Crunch"); // spaces after the name

    const Bytes bundle =
        line6Bundle({line6Patch("First", 2, 5, false), line6Patch("Second", 4, 9, true)}, "L6BA");
    const Bytes secondOfBundle = dumpBytes(
        convertLine6EditPatch(bundle, listLine6EditFile(bundle, kLine6EditBundleType).entries.at(1)));
    const Bytes both = guitarPort(true, true);
    const Bytes compressorOnly = guitarPort(true, false);
    const std::string gpt = path("Blues Lead.GPT");
    const Bytes mod = dumpBytes(convertGuitarPort(both, gpt, kLoadModulation));
    const Bytes comp = dumpBytes(convertGuitarPort(both, gpt, kLoadCompressor));
    ASSERT_NE(mod, comp);

    const struct {
        const char* what;
        std::string file;
        Bytes bytes;
        std::vector<std::string> options;
        Bytes expected;
    } cases[] = {
        {"single: the first 151 bytes", "a.pod", join(single, Bytes(30, 0x55)), {}, single},
        {"bank entry 2C keeps byte 7", "b.syx", bankFile, {"-i", "6"}, bankEntry6},
        {"library entry past a skip", "c.LIB", library, {"-i", "1"}, singlePatch(crunch, 0)},
        {"second patch of a bundle", "d.L6B", bundle, {"-i", "1"}, secondOfBundle},
        {"GuitarPort: MOD by default", "Blues Lead.GPT", both, {}, mod},
        {"GuitarPort: --effect mod", "Blues Lead.GPT", both, {"--effect", "mod"}, mod},
        {"GuitarPort: --effect=comp", "Blues Lead.GPT", both, {"--effect=comp"}, comp},
        {"GuitarPort not asked: --effect ignored",
         "Blues Lead.GPT",
         compressorOnly,
         {"--effect", "mod"},
         dumpBytes(convertGuitarPort(compressorOnly, gpt, kNoEffectChoice))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string out = path("out.syx");
        std::vector<std::string> args = {"convert", write(c.file, c.bytes), out};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const Outcome r = run(args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out + r.err, "");
        EXPECT_EQ(bytesOf(out), c.expected);
        fs::remove(out);
    }
}

TEST_F(AmplixPatchTest, DiffListsWhatDiffersAndSaysSoByItsStatus) {
    RecordBytes other = kChorusPatch;
    other.name = "Other";
    other.bytes.push_back({9, 20});  // Drive 40
    other.bytes.push_back({46, 11}); // Compressor
    other.bytes.push_back({48, 3});  // 3:1
    const std::string a = write("a.pod", singlePatch(makeRecord(kChorusPatch), 0));
    const std::string b = write("b.pod", singlePatch(makeRecord(other), 0x7F));
    const std::string banked = write("bank.syx", bank(0));

    Outcome r = run({"diff", a, b});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "name\tCafé \"Q\"\\\tOther\n"
                     "EffectSel\tChorus 1\tCompressor\n"
                     "Drive\t96\t40\n"
                     "ChSpeed\t10\t(not used)\n"
                     "ChDepth\t0\t(not used)\n"
                     "ChFeedback\t0\t(not used)\n"
                     "ChPreDelay\t0\t(not used)\n"
                     "CRatio\t(not used)\t3:1\n");

    r = run({"diff", a,
             write("copy.pod", singlePatch(makeRecord(kChorusPatch), 0x55))}); // byte 7 is no parameter
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out + r.err, "");

    r = run({"diff", banked, banked, "-i", "7", "-j", "7"});
    EXPECT_EQ(r.status, 0);
    r = run({"diff", banked, banked, "-j", "1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "name\tBank 0\tBank 1");
}

TEST_F(AmplixPatchTest, ErrorsAreTheEditorsMessagesWithStatusTwo) {
    fs::create_directories(dir_ / "folder.pod");
    Bytes cutBank = bank(0);
    cutBank.resize(200);
    Bytes oldVersion = guitarPort(true, true);
    oldVersion[23] = 0x62;
    Bytes shortSingle = singlePatch({}, 0);
    shortSingle.pop_back();
    const struct {
        std::string file; // empty bytes and no file: written only when bytes are given
        Bytes bytes;
        std::vector<std::string> command; // FILE goes after the first word
        std::string message;
    } cases[] = {
        {"missing.pod", {}, {"list"}, "Error: Couldn't open file."},
        {"folder.pod", {}, {"show"}, "Error: Couldn't open file."},
        {"short.pod", shortSingle, {"list"}, "Error reading from file!"},
        {"cut.syx", cutBank, {"list"}, "Error reading from file!"},
        {"junk.pod", Bytes(200, 'x'), {"list"}, "Error!  Invalid File format."},
        {"junk.LIB", Bytes(200, 'x'), {"list"}, "Not a valid patch file."},
        {"tiny.gpt", text(std::string_view("FORM\0\0\0\0L6GP", 12)), {"list"}, "Error reading from file!"},
        {"vetta.L6T", line6Patch("Vetta", 5, 1, false), {"list"}, kIncompatiblePatch.text},
        {"old.GPT", oldVersion, {"show"}, "AMPLIX 32 doesn't recognize this patch file."},
        {"bad.LIB",
         soundDiver({{"Bad", soundDiverTail(1, 0x38)}}),
         {"convert", "out"},
         "Error, invalid patch data."},
        {"one.pod", singlePatch({}, 0), {"show", "-i", "1"}, "There is no patch 1: one.pod lists 1 patch."},
        {"bank.syx",
         bank(0),
         {"convert", "out", "-i", "36"},
         "There is no patch 36: bank.syx lists 36 patches."},
        {"one.pod", singlePatch({}, 0), {"convert", "no-such-folder/out"}, "Error writing to file!"},
    };
    const fs::path previous = fs::current_path();
    fs::current_path(dir_); // the messages name files as given
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file + " " + c.command[0]);
        if (!c.bytes.empty())
            write(c.file, c.bytes);
        std::vector<std::string> args = c.command;
        args.insert(args.begin() + 1, c.file);
        const Outcome r = run(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, c.message + "\n");
        EXPECT_EQ(r.out, "");
        EXPECT_FALSE(fs::exists(dir_ / "out"));
    }
    fs::current_path(previous);
}

TEST_F(AmplixPatchTest, CommandLineMistakesAndHelpAndVersion) {
    const std::string file = write("one.pod", singlePatch({}, 0));
    const std::vector<std::vector<std::string>> mistakes = {
        {},
        {"play", file},
        {"list"},
        {"list", file, file},
        {"list", file, "-i", "0"},
        {"show", file, "--effect", "both"},
        {"show", file, "-i", "-1"},
        {"show", file, "-i"},
        {"convert", file, "out", "--json"},
        {"diff", file, "-j", "x", file},
        {"show", file, "--verbose"},
    };
    for (const auto& args : mistakes) {
        const Outcome r = run(args);
        EXPECT_EQ(r.status, 2) << ::testing::PrintToString(args);
        EXPECT_NE(r.err.find("amplix-patch --help"), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"--help"}, {"-h"}, {"convert", "--help"}}) {
        const Outcome r = run(args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out.rfind("Usage: amplix-patch list FILE\n", 0), 0u);
        EXPECT_NE(r.out.find("--effect comp|mod"), std::string::npos);
        EXPECT_EQ(r.err, "");
    }
    const Outcome version = run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("amplix-patch (Amplix 32) ", 0), 0u);
    EXPECT_EQ(version.out.find('\n'), version.out.size() - 1);
    // After "--" a name that looks like an option is a file.
    EXPECT_EQ(run({"list", "--", "--help"}).err, "Error: Couldn't open file.\n");
}

} // namespace
