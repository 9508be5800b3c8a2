// File > Recent Files' rules: order, repeats, the limit, removal, stored lists, the items' texts,
// and which command a file from the list or a drop goes to.
#include "files/RecentFiles.h"
#include "import/PatchSource.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace amplix;
using Paths = std::vector<std::string>;

namespace {

RecentFiles added(const Paths& inOrder) {
    RecentFiles files;
    for (const std::string& path : inOrder)
        files.add(path);
    return files;
}

std::vector<std::uint8_t> bytesOf(std::string_view text) {
    return {text.begin(), text.end()};
}

} // namespace

TEST(RecentFiles, AddingKeepsTheMostRecentFirstEachOnceAndEightAtMost) {
    const struct {
        const char* what;
        Paths added;
        Paths listed;
    } cases[] = {
        {"nothing yet", {}, {}},
        {"newest first", {"/p/a.pod", "/p/b.syx", "/p/c.lib"}, {"/p/c.lib", "/p/b.syx", "/p/a.pod"}},
        {"a repeat moves to the top",
         {"/p/a.pod", "/p/b.syx", "/p/c.lib", "/p/a.pod"},
         {"/p/a.pod", "/p/c.lib", "/p/b.syx"}},
        {"the top again changes nothing", {"/p/a.pod", "/p/b.syx", "/p/b.syx"}, {"/p/b.syx", "/p/a.pod"}},
        {"names differing in case are two files", {"/p/A.pod", "/p/a.pod"}, {"/p/a.pod", "/p/A.pod"}},
        {"one name in two folders is two files", {"/p/a.pod", "/q/a.pod"}, {"/q/a.pod", "/p/a.pod"}},
        {"an empty path is no file", {"/p/a.pod", ""}, {"/p/a.pod"}},
        {"the ninth pushes out the oldest",
         {"/1", "/2", "/3", "/4", "/5", "/6", "/7", "/8", "/9"},
         {"/9", "/8", "/7", "/6", "/5", "/4", "/3", "/2"}},
        {"a repeat of the oldest of eight pushes nothing out",
         {"/1", "/2", "/3", "/4", "/5", "/6", "/7", "/8", "/1"},
         {"/1", "/8", "/7", "/6", "/5", "/4", "/3", "/2"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(added(c.added).paths(), c.listed) << c.what;
}

TEST(RecentFiles, RemovingTakesOnlyThatFileAndSaysWhetherItWasListed) {
    RecentFiles files = added({"/p/a.pod", "/p/b.syx", "/p/c.lib"});
    EXPECT_TRUE(files.remove("/p/b.syx"));
    EXPECT_EQ(files.paths(), (Paths{"/p/c.lib", "/p/a.pod"}));
    EXPECT_FALSE(files.remove("/p/b.syx"));
    EXPECT_FALSE(files.remove("/p/A.pod"));
    EXPECT_FALSE(files.remove(""));
    EXPECT_EQ(files.paths(), (Paths{"/p/c.lib", "/p/a.pod"}));
    // A place freed is taken by the next file without pushing one out.
    RecentFiles full = added({"/1", "/2", "/3", "/4", "/5", "/6", "/7", "/8"});
    EXPECT_TRUE(full.remove("/5"));
    full.add("/9");
    EXPECT_EQ(full.paths(), (Paths{"/9", "/8", "/7", "/6", "/4", "/3", "/2", "/1"}));
}

TEST(RecentFiles, AStoredListIsTakenUnderTheSameRules) {
    const struct {
        const char* what;
        Paths stored;
        Paths listed;
    } cases[] = {
        {"as stored", {"/p/c.lib", "/p/b.syx"}, {"/p/c.lib", "/p/b.syx"}},
        {"empty entries dropped", {"", "/p/c.lib", "", "/p/b.syx"}, {"/p/c.lib", "/p/b.syx"}},
        {"a repeat keeps its more recent place",
         {"/p/c.lib", "/p/b.syx", "/p/c.lib"},
         {"/p/c.lib", "/p/b.syx"}},
        // Repeats take no place: eight different files are kept from a longer list.
        {"only the first eight different ones",
         {"/1", "/1", "/2", "/3", "", "/4", "/5", "/6", "/7", "/8", "/9", "/10"},
         {"/1", "/2", "/3", "/4", "/5", "/6", "/7", "/8"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RecentFiles(c.stored).paths(), c.listed) << c.what;
}

TEST(RecentFiles, ItemsShowTheirNumberAsAccessKeyAndTheFileNameAsItIs) {
    const struct {
        std::size_t index;
        const char* path;
        const char* text;
    } cases[] = {
        {0, "/home/me/POD/bank1.syx", "&1 bank1.syx"},
        {7, "/home/me/POD/Lead.pod", "&8 Lead.pod"},
        // Shown as "Rock & Roll.pod": a single '&' would underline the blank after it.
        {1, "/home/me/Rock & Roll.pod", "&2 Rock && Roll.pod"},
        {2, "/home/me/&&.pod", "&3 &&&&.pod"},
        // The name goes in as it is, a placeholder-like part included.
        {3, "/home/me/100%1 tone.l6t", "&4 100%1 tone.l6t"},
        {4, "C:\\Patches\\Clean.POD", "&5 Clean.POD"},
        {5, "relative.lib", "&6 relative.lib"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(recentFileItemText(c.index, c.path), c.text) << c.path;
}

TEST(RecentFiles, StatusTextsNameTheFile) {
    EXPECT_EQ(recentFileGoneText("/home/me/POD/bank1.syx"),
              "bank1.syx is not there any more: removed from Recent Files");
    EXPECT_EQ(firstOfDroppedText(3, "/home/me/a & b.pod"),
              "3 files dropped: only the first, a & b.pod, is opened");
}

TEST(RecentFiles, AFileGoesToTheCommandItsContentSays) {
    const std::vector<std::uint8_t> single{0xF0, 0x00, 0x01, 0x0C, 0x01, 0x01, 0x01, 0x42};
    const std::vector<std::uint8_t> bank{0xF0, 0x00, 0x01, 0x0C, 0x01, 0x01, 0x02, 0x42};
    // The first twenty bytes of an IFF file of that form type.
    auto iff = [](std::string_view type) {
        std::string header("FORM\0\0\0\x20", 8);
        header += type;
        header.resize(20, '\0');
        return bytesOf(header);
    };
    const struct {
        const char* what;
        std::vector<std::uint8_t> head;
        const char* path;
        bool import;
    } cases[] = {
        {"a patch", single, "/p/lead.pod", false},
        {"a patch named as an import file", single, "/p/lead.l6t", false},
        {"a bank", bank, "/p/all.SYX", false},
        {"a Line 6 Edit patch", iff("L6PA"), "/p/one.l6t", true},
        {"a Line 6 Edit patch under a patch file's name", iff("L6PA"), "/p/one.pod", true},
        {"a GuitarPort patch", iff("L6GP"), "/p/Blues.gpt", true},
        {"a SoundDiver library", iff("SSLBLHDR"), "/p/lib.LIB", true},
        // Unknown content: the command whose dialog offers the file's extension tells why not.
        {"unknown, an import file's name", bytesOf("hello world"), "/p/x.L6C", true},
        {"unknown, a patch file's name", bytesOf("hello world"), "/p/x.pod", false},
        {"unknown, no extension", bytesOf("hello world"), "/p.l6t/x", false},
        {"empty, an import file's name", {}, "/p/x.gpt", true},
        {"empty, any other name", {}, "/p/x.txt", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(takenByImport(c.head, c.path), c.import) << c.what;
}
