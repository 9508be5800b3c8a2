// The file name a save proposes for a patch: what the patch is called, as far as a file system takes it.
#include "files/PatchFile.h"

#include <gtest/gtest.h>

using namespace amplix;

TEST(PatchFile, APatchNameBecomesAFileNameEverySystemTakes) {
    const std::pair<std::string, std::string> cases[] = {
        {"Clean Tone      ", "Clean Tone"},         // the padding goes, inner blanks stay
        {"AC/DC Back In", "AC_DC Back In"},         // a path separator would name a folder
        {"a\\b:c*d?e\"f<g>h|", "a_b_c_d_e_f_g_h_"}, // what other systems refuse
        {std::string("Tab\tBell\x07", 9), "Tab_Bell_"},
        {"..hidden", "hidden"},   // a leading dot would hide the file
        {"Cr\xE8me", "Cr\xE8me"}, // Latin-1 stays as it is
        {"                ", ""},
        {" . ", ""},
        {"", ""},
    };
    for (const auto& [name, file] : cases)
        EXPECT_EQ(fileNameForPatch(name), file) << name;
}
