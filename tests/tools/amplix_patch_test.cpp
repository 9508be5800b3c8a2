// amplix-patch run on files written here: list, show, JSON, diff, errors, help. (What convert
// writes and the messages it shares with the editor: import_equivalence_qtest.)
#include "tests/support/RunProgram.h"
#include "tests/support/TestPatchFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

using namespace amplix;
using namespace patchfiles;
namespace fs = std::filesystem;

namespace {

struct Outcome {
    int status = -1;
    std::string out, err;
};

// Names as the tool takes them, in UTF-8 on every system.
fs::path utf8Path(const std::string& name) {
    return fs::path(std::u8string(name.begin(), name.end()));
}

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

Bytes patch(const std::string& name, const std::vector<std::pair<std::size_t, std::uint8_t>>& bytes) {
    PatchRecord r{};
    std::copy(name.begin(), name.end(), r.begin() + kNameOffset);
    for (const auto& [k, v] : bytes)
        r[k] = v;
    return singlePatch(r, 0);
}

class AmplixPatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("amplix_patch_test_" + std::to_string(std::random_device()()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        previous_ = fs::current_path();
        program_ =
            fs::absolute(AMPLIX_PATCH); // a Windows path names its drive, the folder below may not be on it
        fs::current_path(dir_);         // messages name the files as given
    }
    void TearDown() override {
        fs::current_path(previous_);
        fs::remove_all(dir_);
    }

    static std::string write(const std::string& name, const Bytes& bytes) {
        std::ofstream(utf8Path(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return name;
    }
    Outcome run(const std::vector<std::string>& args) const {
        const int status = amplix::testing::runProgram(program_, args, "stdout", "stderr");
        return {status, amplix::testing::unixLineEnds(slurp("stdout")),
                amplix::testing::unixLineEnds(slurp("stderr"))};
    }

    fs::path dir_, previous_, program_;
};

// Names in UTF-8, control characters escaped; a bank's entries by their locations; entries a
// chooser would not list left out.
TEST_F(AmplixPatchTest, ListsEveryFormatAsItsChooserDoes) {
    std::string banked;
    for (std::size_t n = 0; n < kPatchLocations; ++n)
        banked += std::to_string(n) + "\t" + char('1' + n / 4) + char('A' + n % 4) + "\tBank " +
                  std::to_string(n) + "\n";
    const std::tuple<std::string, Bytes, std::string> cases[] = {
        {"single.pod", cat({singlePatch(record("Caf\xE9 Lead", 1), 0x33), "junk"}), "0\t\tCafé Lead\n"},
        {"bank.syx", bank(0x4B), banked},
        {"library.LIB",
         soundDiver({{"Clean", soundDiverTail(1)},
                     {"Hidden", soundDiverTail(2), 0},
                     {"Tab\tName", soundDiverTail(3)}}),
         "0\t\tClean\n1\t\tTab\\x09Name\n"},
        {"empty.LIB", soundDiver({}), ""},
        {"bundle.L6B", line6Bundle({line6Patch("First", 2, 5, false), line6Patch("Vetta", 5, 5, false)}),
         "0\t\tFirst\n"},
        {"Crème ☂ Lead.gpt", guitarPort(false, true), "0\t\tCrème ? Lead\n"}, // '?': not in 8 bits
    };
    for (const auto& [file, bytes, listing] : cases) {
        const Outcome r = run({"list", write(file, bytes)});
        EXPECT_EQ(std::tuple(r.status, r.out, r.err), std::tuple(0, listing, "")) << file;
    }
}

// Each control as the panel shows it, in text and in JSON with the same members; nothing of
// an effect the patch does not use; values past their ranges shown as none.
TEST_F(AmplixPatchTest, ShowGivesWhatThePanelShows) {
    const std::tuple<Bytes, std::vector<std::string>, std::vector<std::string>, std::vector<std::string>>
        cases[] = {
            {patch("Caf\xE9 \"Q\"\\", kChorus),
             {"name\tCafé \"Q\"\\", "EffectSel\tChorus 1", "Distortion\ton", "Delay\toff",
              "AmpModel\tBrit Hi Gain", "Drive\t96", "Drive2\t127", "GateThreshold\t114",
              "VolPosition\tPost-Tube Drive", "DelayTime\t350 ms", "CabSel\t1x12 Blackface Deluxe",
              "ChSpeed\t10"},
             {"{", "  \"name\": \"Café \\\"Q\\\"\\\\\",", "  \"EffectSel\": 3,", "  \"Distortion\": true,",
              "  \"Delay\": false,", "  \"AmpModel\": 12,", "  \"Drive2\": 127,", "  \"DelayTime\": 350,",
              "  \"ChPreDelay\": 0", "}"},
             {"CRatio", "TremSpeed", "RotarySpeed", "Swell"}},
            {patch("\x01\x7F\x85",
                   {{8, 40}, {27, 0x0F}, {28, 0xFF}, {29, 0xFF}, {44, 0x0F}, {46, 11}, {48, 9}}),
             {"name\t\\x01\\x7F\\x85", "EffectSel\tCompressor", "AmpModel\t(none)", "DelayTime\t3150 ms",
              "CabSel\tNo Cab", "CRatio\t(none)"},
             {"  \"name\": \"\\u0001\\u007F\\u0085\",", "  \"AmpModel\": null,", "  \"DelayTime\": 3150,",
              "  \"CRatio\": null"},
             {"ChSpeed", "TremSpeed", "RotarySpeed", "Swell"}},
        };
    for (const auto& [bytes, lines, jsonLines, absent] : cases) {
        const std::string file = write("show.pod", bytes);
        const Outcome text = run({"show", file}), json = run({"show", "--json", file});
        ASSERT_EQ(text.status + json.status, 0) << text.err << json.err;
        for (const std::string& line : lines)
            EXPECT_NE(("\n" + text.out).find("\n" + line + "\n"), std::string::npos) << line;
        for (const std::string& line : jsonLines)
            EXPECT_NE(("\n" + json.out).find("\n" + line + "\n"), std::string::npos) << line;
        for (const std::string& member : absent)
            EXPECT_EQ((text.out + json.out).find(member), std::string::npos) << member;
        // The same members both ways: a line each, and the braces.
        EXPECT_EQ(std::count(json.out.begin(), json.out.end(), '\n'),
                  std::count(text.out.begin(), text.out.end(), '\n') + 2);
    }
}

// Named as the Library's compare list names them: by the panel's labels, under their windows.
TEST_F(AmplixPatchTest, DiffListsWhatDiffersAndSaysSoByItsStatus) {
    auto other = kChorus;
    // Drive 40, the compressor at 3:1, and a second drive that Brit Hi Gain does not have.
    other.insert(other.end(), {{9, 20}, {10, 20}, {46, 11}, {48, 3}});
    const std::string a = write("a.pod", patch("Caf\xE9", kChorus)), banked = write("bank.syx", bank(0));
    const Outcome differ = run({"diff", a, write("b.pod", patch("Other", other))});
    EXPECT_EQ(std::tuple(differ.status, differ.out),
              std::tuple(1, "Patch Name\tCafé\tOther\nEffects\tChorus 1\tCompressor\nDrive\t96\t40\n"
                            "Chorus > Speed\t10\t(not used)\nChorus > Depth\t0\t(not used)\n"
                            "Chorus > Feedback\t0\t(not used)\nChorus > Delay\t0\t(not used)\n"
                            "Compressor > Compression Ratio\t(not used)\t3:1\n"));
    // With POD Layer on one side the second drive is part of the sound.
    other.push_back({8, 4});
    const Outcome layer = run({"diff", a, write("c.pod", patch("Caf\xE9", other))});
    EXPECT_EQ(layer.out.substr(0, layer.out.find("Chorus >")),
              "Effects\tChorus 1\tCompressor\nAmp Model\tBrit Hi Gain\tPOD Layer\nDrive\t96\t40\n"
              "Drive2\t127\t40\n");
    const Outcome same = run({"diff", a, a});
    EXPECT_EQ(std::tuple(same.status, same.out + same.err), std::tuple(0, ""));
    EXPECT_EQ(run({"diff", banked, banked, "-i", "7", "-j", "7"}).status, 0);
    const Outcome entries = run({"diff", banked, banked, "-j", "1"});
    EXPECT_EQ(std::tuple(entries.status, entries.out.substr(0, entries.out.find('\n'))),
              std::tuple(1, "Patch Name\tBank 0\tBank 1"));
}

// Status 2 and the message alone on standard error; nothing written. A mistake in the command
// line itself points to the help, which goes to standard output with status 0.
TEST_F(AmplixPatchTest, ErrorsGoToStandardErrorWithStatusTwo) {
    fs::create_directory("folder.pod");
    write("one.pod", singlePatch({}, 0));
    write("bank.syx", bank(0));
    const std::string help = "Try 'amplix-patch --help'.";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"show", "folder.pod"}, "Error: Couldn't open file."},
        {{"list", "--", "--help"}, "Error: Couldn't open file."}, // a file after "--"
        {{"show", "one.pod", "-i", "1"}, "There is no patch 1: one.pod lists 1 patch."},
        {{"convert", "bank.syx", "out", "-i", "36"}, "There is no patch 36: bank.syx lists 36 patches."},
        {{"convert", "one.pod", "no-such-folder/out"}, "Error writing to file!"},
        {{}, help},
        {{"play", "one.pod"}, help},
        {{"list", "one.pod", "one.pod"}, help},
        {{"list", "one.pod", "-i", "0"}, help},
        {{"show", "one.pod", "--effect", "both"}, help},
        {{"show", "one.pod", "-i", "-1"}, help},
        {{"show", "one.pod", "-i"}, help},
        {{"convert", "one.pod", "out", "--json"}, help},
        {{"show", "one.pod", "--verbose"}, help},
    };
    for (const auto& [args, message] : cases) {
        const Outcome r = run(args);
        EXPECT_EQ(r.status, 2) << ::testing::PrintToString(args);
        EXPECT_EQ(r.out, "");
        EXPECT_TRUE(message == help ? r.err.find(help) != std::string::npos : r.err == message + "\n")
            << r.err;
        EXPECT_FALSE(fs::exists("out"));
    }
    const std::string usage = "Usage: amplix-patch list FILE\n";
    for (const auto& [args, start] : {std::pair<std::vector<std::string>, std::string>{{"--help"}, usage},
                                      {{"convert", "-h"}, usage},
                                      {{"--version"}, "amplix-patch (Amplix 32) "}}) {
        const Outcome r = run(args);
        EXPECT_EQ(std::pair(r.status, r.out.rfind(start, 0)), std::pair(0, std::size_t(0))) << args.back();
    }
}

// The editor's own file with a byte no device sends: the editor's message, then where that byte
// is, for every command; nothing on standard output, nothing written. A second dump right after
// the first (two banks joined) is refused too; stray bytes after a dump are not read.
TEST_F(AmplixPatchTest, AByteNoDeviceSendsIsNamedByItsOffset) {
    Bytes corrupt = bank(0x01), unended = singlePatch(record("Lead", 2), 0x7F), status = unended;
    corrupt[301] = 0x55;
    corrupt[302] = 0x99;
    unended[150] = 0x00;
    status[7] = 0xC0;
    write("corrupt.syx", corrupt);
    write("unended.pod", unended);
    write("status.pod", status);
    write("good.pod", singlePatch(record("Good", 1), 0));
    const std::string invalid = "Error!  Invalid File format.\n";
    const std::string atNibble =
        invalid + "corrupt.syx: the byte at offset 301 is 0x55, more than a nibble (0x0F) holds.\n";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"list", "corrupt.syx"}, atNibble},
        {{"show", "corrupt.syx", "-i", "5"}, atNibble},
        {{"convert", "corrupt.syx", "out"}, atNibble},
        {{"diff", "good.pod", "corrupt.syx"}, atNibble},
        {{"bank", "corrupt.syx", "out", "swap", "1A", "1B"}, atNibble},
        {{"list", "unended.pod"},
         invalid + "unended.pod: the byte at offset 150 is 0x00, not the closing 0xF7.\n"},
        {{"diff", "status.pod", "good.pod"},
         invalid + "status.pod: the byte at offset 7 is 0xC0, a status byte inside the SysEx.\n"},
    };
    for (const auto& [args, message] : cases) {
        const Outcome r = run(args);
        EXPECT_EQ(std::tuple(r.status, r.out, r.err), std::tuple(2, "", message))
            << ::testing::PrintToString(args);
        EXPECT_FALSE(fs::exists("out"));
    }

    std::array<PatchRecord, kPatchLocations> second{};
    second.fill(record("Second", 9));
    write("joined.syx", cat({bank(0x01), bank(0x02, second)}));
    write("two.pod", cat({singlePatch(record("A", 1), 0), singlePatch(record("B", 2), 0)}));
    for (const auto& [file, offset] : {std::pair{"joined.syx", 5121}, {"two.pod", 151}}) {
        const Outcome r = run({"list", file});
        EXPECT_EQ(std::tuple(r.status, r.out, r.err),
                  std::tuple(2, "",
                             invalid + file + ": a second message begins at offset " +
                                 std::to_string(offset) + "; a patch or bank file holds one dump.\n"))
            << file;
    }
    // Every file that was read and refused: the editor's message, then the file and why.
    Bytes shortBank = bank(0x01);
    shortBank.resize(100);
    write("bank1.syx", shortBank);
    write("notes.txt", Bytes(200, 'x'));
    write("notes.lib", Bytes(200, 'x'));
    write("empty.pod", Bytes{});
    const std::pair<std::string, std::string> refused[] = {
        {"bank1.syx", "Error reading from file!\nbank1.syx: 100 bytes; a bank has 5121.\n"},
        {"notes.txt", invalid + "notes.txt: not a patch or bank file.\n"},
        {"notes.lib",
         "Not a valid patch file.\nnotes.lib: not a SoundDiver, Line 6 Edit or GuitarPort file.\n"},
        {"empty.pod", "Error reading from file!\nempty.pod: the file is empty.\n"},
    };
    for (const auto& [file, message] : refused) {
        const Outcome r = run({"list", file});
        EXPECT_EQ(std::tuple(r.status, r.out, r.err), std::tuple(2, "", message)) << file;
    }

    write("stray.syx", cat({bank(0x01), Bytes{0x55, 0x00}}));
    const Outcome stray = run({"list", "stray.syx"}), first = run({"list", write("first.syx", bank(0x01))});
    EXPECT_EQ(std::tuple(stray.status, stray.out, stray.err), std::tuple(0, first.out, ""));
}

} // namespace

// A bank rearranged step by step into a new file, each location as the steps leave it and byte 7
// as the bank had it; the locations that changed are printed. Bad steps change no file.
TEST_F(AmplixPatchTest, BankRearrangesABankFileStepByStep) {
    const auto records = bankRecords();
    write("in.syx", bank(0x4B, records));
    const Outcome done =
        run({"bank", "in.syx", "out.syx", "swap", "1A", "9d", "copy", "2B", "3C", "rename", "1B", "Crème"});
    ASSERT_EQ(done.status, 0) << done.err;
    EXPECT_EQ(done.out, "1A\tBank 35\n1B\tCrème           \n3C\tBank 5\n9D\tBank 0\n");
    auto expected = records;
    std::swap(expected[0], expected[35]);
    expected[10] = records[5];
    auto renamed = singlePatch(expected[1], 0);
    writeDumpName(renamed, "Cr\xE8me");
    expected[1] = readRecord(renamed, kDumpDataOffset);
    const std::string out = slurp("out.syx");
    EXPECT_EQ(Bytes(out.begin(), out.end()), bank(0x4B, expected));

    for (const auto& [args, message] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"bank", "in.syx", "bad.syx", "swap", "1A", "0A"}, "a location is 1A to 9D, not '0A'"},
             {{"bank", "in.syx", "bad.syx", "copy", "1A"}, "copy wants two more words"},
             {{"bank", "in.syx", "bad.syx", "move", "1A", "2A"}, "unknown step move (swap, copy or rename)"},
             // Refused rather than cut, even after steps that went well.
             {{"bank", "in.syx", "bad.syx", "swap", "1A", "1B", "rename", "1B", "Seventeen letters"},
              "amplix-patch: a name has at most 16 characters, not 'Seventeen letters'\nTry 'amplix-patch "
              "--help'.\n"},
         }) {
        const Outcome refused = run(args);
        EXPECT_EQ(refused.status, 2);
        EXPECT_NE(refused.err.find(message), std::string::npos) << refused.err;
        EXPECT_FALSE(fs::exists("bad.syx"));
    }
    // Sixteen characters are counted as the record holds them, not as UTF-8 bytes (20 here).
    const Outcome sixteen = run({"bank", "in.syx", "16.syx", "rename", "1C", "Crème brûlée à l"});
    EXPECT_EQ(std::tuple(sixteen.status, sixteen.out, sixteen.err),
              std::tuple(0, "1C\tCrème brûlée à l\n", ""));

    // Quotes, spaces and backslashes reach the tool as given, through Windows's command line too.
    const Outcome quoted = run({"bank", "in.syx", "q.syx", "rename", "2A", "say \"hi\" \\ x\\"});
    EXPECT_EQ(std::tuple(quoted.status, quoted.out, quoted.err),
              std::tuple(0, "2A\tsay \"hi\" \\ x\\   \n", ""));

    write("one.pod", singlePatch(records[0], 0));
    const Outcome single = run({"bank", "one.pod", "bad.syx", "swap", "1A", "1B"});
    EXPECT_EQ(single.status, 2);
    EXPECT_EQ(single.err, "one.pod is not a bank file.\n");
}
