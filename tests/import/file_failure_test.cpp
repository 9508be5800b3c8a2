// The line that says which file was not taken and why: one per way a file can be refused.
#include "import/FileFailure.h"

#include "tests/support/TestPatchFiles.h"

#include <gtest/gtest.h>

#include <string>

using namespace amplix;
using namespace patchfiles;

namespace {

Bytes text(std::string_view words) {
    return Bytes(words.begin(), words.end());
}

Bytes firstBytes(Bytes bytes, std::size_t n) {
    bytes.resize(n);
    return bytes;
}

} // namespace

TEST(FileFailure, FillTextPutsEachValueAtItsNumber) {
    EXPECT_EQ(fillText("%1: %2 bytes; a bank has %3", {"a.syx", "100", "5121"}),
              "a.syx: 100 bytes; a bank has 5121");
    EXPECT_EQ(fillText("%2 then %1", {"one", "two"}), "two then one");
    // A placeholder with no value, and a "%" at the end, stay as they are.
    EXPECT_EQ(fillText("%1 %3 100%", {"x", "y"}), "x %3 100%");
}

TEST(FileFailure, FileOpenSaysWhatTheFileLacks) {
    Bytes status = singlePatch(record("Lead", 3), 0x7F), nibble = bank(0x7F), unended = status;
    status[7] = 0xC0;
    nibble[301] = 0x55;
    unended[150] = 0x00;
    const struct {
        const char* name;
        Bytes bytes;
        const char* reason;
    } cases[] = {
        {"bank1.syx", firstBytes(bank(0x7F), 100), "bank1.syx: 100 bytes; a bank has 5121"},
        {"half.syx", firstBytes(bank(0x7F), 2668), "half.syx: 2668 bytes; a bank has 5121"},
        {"cut.pod", firstBytes(singlePatch(record("Lead", 3), 0), 150),
         "cut.pod: 150 bytes; a patch has 151"},
        {"notes.txt", text("Amp: Brit Hi Gain, Drive 7"), "notes.txt: not a patch or bank file"},
        {"long.txt", Bytes(400, 'x'), "long.txt: not a patch or bank file"},
        {"empty.pod", {}, "empty.pod: the file is empty"},
        {"status.pod", status, "status.pod: the byte at offset 7 is 0xC0, a status byte inside the SysEx"},
        {"bank.syx", nibble, "bank.syx: the byte at offset 301 is 0x55, more than a nibble (0x0F) holds"},
        {"unended.pod", unended, "unended.pod: the byte at offset 150 is 0x00, not the closing 0xF7"},
    };
    for (const auto& c : cases) {
        const PatchSource source = openPatchFile(c.bytes);
        ASSERT_FALSE(source.ok()) << c.name;
        EXPECT_EQ(fileFailureReason(c.name, c.bytes, source), c.reason);
    }
    const Bytes good = bank(0x7F);
    EXPECT_EQ(fileFailureReason("good.syx", good, openPatchFile(good)), "");
}

TEST(FileFailure, ImportSaysWhichFormatsItReadsOrWhatTheImporterFound) {
    Bytes cutGuitarPort = guitarPort(false, true), laterGuitarPort = cutGuitarPort;
    cutGuitarPort.resize(100);
    laterGuitarPort[23] = 0x64; // version 100, not 99
    const struct {
        const char* name;
        Bytes bytes;
        const char* reason;
    } cases[] = {
        {"empty.lib", {}, "empty.lib: the file is empty"},
        {"short.lib", text("FORM"),
         "short.lib: 4 bytes; too short for a SoundDiver, Line 6 Edit or GuitarPort file"},
        {"notes.txt", text("These are my patches for Friday night."),
         "notes.txt: not a SoundDiver, Line 6 Edit or GuitarPort file"},
        {"xt.l6t", line6Patch("Vetta", 0x20, 5, false),
         "xt.l6t: AMLPIX 32 can only open patches created for POD 2, Flextone II, or the original POD Pro. "
         "Line 6 Edit patches created for Vetta II, Flextone III, HD 147, or the POD XT series are not "
         "compatible with AMPLIX 32."},
        {"later.gpt", laterGuitarPort, "later.gpt: AMPLIX 32 doesn't recognize this patch file."},
        {"cut.gpt", cutGuitarPort, "cut.gpt: 100 bytes; the file ends too soon"},
    };
    for (const auto& c : cases) {
        const PatchSource source = openImportFile(c.bytes, c.name);
        ASSERT_FALSE(source.ok()) << c.name;
        EXPECT_EQ(fileFailureReason(c.name, c.bytes, source), c.reason);
    }
}

TEST(FileFailure, TheSystemsWordsFollowTheName) {
    EXPECT_EQ(unreadableReason("a.pod", "No such file or directory"),
              "a.pod: cannot be read: No such file or directory");
    EXPECT_EQ(unwritableReason("b.syx", "Permission denied"), "b.syx: cannot be written: Permission denied");
    EXPECT_EQ(importerReason("c.lib", ImportFailure{"Corrupt patch file!", ""}),
              "c.lib: Corrupt patch file!");
}
