// The editor's texts by name: the table the page reads them from, and the rules the GUI and
// the page rely on when they fill and show them.
#include "app/UiTexts.h"

#include "midi/SimulatorMidiService.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using namespace amplix::text;

namespace {

// The names the header declares, in order: what the page is told it may look up.
std::vector<std::string> declaredNames() {
    std::ifstream in(AMPLIX_UI_TEXTS_HEADER);
    std::stringstream all;
    all << in.rdbuf();
    const std::string source = all.str();
    const std::regex declaration(R"(inline constexpr std::string_view k([A-Za-z0-9]+)\s*=)");
    std::vector<std::string> names;
    for (auto it = std::sregex_iterator(source.begin(), source.end(), declaration);
         it != std::sregex_iterator(); ++it)
        names.push_back((*it)[1]);
    return names;
}

// The placeholder numbers a text uses, or -1 for a "%" that is no placeholder.
std::set<int> placeholders(std::string_view text) {
    std::set<int> numbers;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%')
            continue;
        if (i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9')
            numbers.insert(text[++i] - '0');
        else
            numbers.insert(-1);
    }
    return numbers;
}

bool isMenuKey(std::string_view key) {
    return key.starts_with("Menu");
}

} // namespace

TEST(UiTexts, TheTableListsEveryDeclaredConstantOnceInOrder) {
    const std::vector<std::string> names = declaredNames();
    ASSERT_GT(names.size(), 100u) << "the header was not read: " << AMPLIX_UI_TEXTS_HEADER;
    std::vector<std::string> keys;
    for (const UiText& t : uiTexts())
        keys.emplace_back(t.key);
    EXPECT_EQ(keys, names);
    const std::set<std::string> unique(keys.begin(), keys.end());
    EXPECT_EQ(unique.size(), keys.size());
}

TEST(UiTexts, KeysFindTheirTexts) {
    // The page looks these up by name; each pair is the one the desktop shows.
    EXPECT_EQ(uiText("OverwriteTitle"), "Overwrite POD patches!");
    EXPECT_EQ(uiText("OverwriteLine1"), "WARNING! This operation will ");
    EXPECT_EQ(uiText("SaveToPodTitle"), "Save to POD...");
    EXPECT_EQ(uiText("RenameTitle"), "Change Patch Name");
    EXPECT_EQ(uiText("ImportCompressor"), "COMP");
    EXPECT_EQ(uiText("ImportModulation"), "MOD");
    EXPECT_EQ(uiText("MidiPortIn"), "in");
    EXPECT_EQ(uiText("MidiPortOut"), "out");
    EXPECT_EQ(uiText("StatusProgress"), "%1 of %2 bytes");
    EXPECT_EQ(uiText("LibraryReadFromPod"), "Read from POD");
    EXPECT_EQ(uiText("LibrarySendChanges"), "Send changes");
    EXPECT_EQ(uiText("LibraryColumnChanged"), "Not on the POD");
    EXPECT_EQ(uiText("LinkText"), "Link to this patch");
    EXPECT_EQ(uiText("kOverwriteTitle"), "");
    EXPECT_EQ(uiText("NoSuchText"), "");
    // The device lists name the simulator with the same words the page shows.
    EXPECT_EQ(uiText("SimulatorName"), std::string_view(amplix::SimulatorMidiService::kDeviceName));
}

TEST(UiTexts, OnlyIntendedKeysShareATextAndNoneIsEmpty) {
    // Those declared as one another: the captions and lines the choosers have in common, and the
    // strip's words the rename dialog repeats.
    const std::set<std::set<std::string>> intended = {
        {"OpenBankTitle", "ImportTitle"},
        {"OpenBankLine1", "ImportSoundDiverLine1", "ImportLine6EditLine1"},
        {"PatchNameChange", "RenameTitle"},
        {"PatchNameLabel", "RenameLabel"},
        {"MidiSetupNotConnected", "StatusDeviceGone"},
    };
    std::map<std::string, std::set<std::string>> keysOf;
    for (const UiText& t : uiTexts()) {
        EXPECT_FALSE(t.text.empty()) << t.key;
        keysOf[std::string(t.text)].insert(std::string(t.key));
    }
    std::set<std::set<std::string>> shared;
    for (const auto& [text, keys] : keysOf)
        if (keys.size() > 1)
            shared.insert(keys);
    EXPECT_EQ(shared, intended);
}

TEST(UiTexts, PlaceholdersAreNumberedFromOneWithoutGaps) {
    std::size_t filled = 0;
    for (const UiText& t : uiTexts()) {
        const std::set<int> used = placeholders(t.text);
        EXPECT_FALSE(used.contains(-1)) << t.key << ": a '%' that is no placeholder";
        int expected = 1;
        for (const int n : used)
            EXPECT_EQ(n, expected++) << t.key << ": placeholders skip a number";
        filled += used.empty() ? 0 : 1;
    }
    // Those the frame fills (a location, file names, ports, devices, counts, reasons), the page's
    // five, the four that name a control apart from its window, the Library window's 28, the
    // link's title, the three of Recent Files and dropped files, the MIDI monitor's eighteen, the
    // two that name the current location and the six about the simulator's files.
    EXPECT_EQ(filled, 95u);
    EXPECT_EQ(placeholders(kLibraryStoring), (std::set<int>{1, 2, 3}));
    EXPECT_EQ(placeholders(kLibraryDifferMany), (std::set<int>{1, 2, 3}));
    EXPECT_EQ(placeholders(kMenuPatchLocation), (std::set<int>{1, 2}));
    EXPECT_EQ(placeholders(kStatusProgress), (std::set<int>{1, 2}));
    EXPECT_EQ(placeholders(kControlInWindow), (std::set<int>{1, 2}));
}

TEST(UiTexts, TextsArePrintableAsciiWithoutStrayBlanks) {
    for (const UiText& t : uiTexts()) {
        for (const char c : t.text)
            EXPECT_TRUE(c >= 0x20 && c <= 0x7E) << t.key << ": byte " << int(static_cast<unsigned char>(c));
        EXPECT_NE(t.text.front(), ' ') << t.key;
        EXPECT_EQ(t.text.find("  "), std::string_view::npos) << t.key;
        // The one line the dialog has always shown with a blank at its end.
        if (t.key != "OverwriteLine1") {
            EXPECT_NE(t.text.back(), ' ') << t.key;
        }
    }
}

TEST(UiTexts, DialogLinesAreNumberedFromOneWithoutGaps) {
    // A line left out of the table would leave the page's dialog a line short.
    std::map<std::string, std::set<int>> lines;
    const std::regex line("(.+)Line([0-9]+)");
    for (const UiText& t : uiTexts()) {
        std::smatch m;
        const std::string key(t.key);
        if (std::regex_match(key, m, line))
            lines[m[1]].insert(std::stoi(m[2]));
    }
    EXPECT_EQ(lines.size(), 8u);
    for (const auto& [dialog, numbers] : lines) {
        int expected = 1;
        for (const int n : numbers)
            EXPECT_EQ(n, expected++) << dialog;
    }
}

TEST(UiTexts, MenuItemsHaveOneAccessLetterEachAndNoOtherTextHasOne) {
    // Qt takes an "&" for an access letter on buttons and menus alike: outside the menus one
    // would lose a character; inside, two items of a menu with one letter could not be told
    // apart from the keyboard.
    const std::vector<std::string> menus = {"MenuFile", "MenuEdit", "MenuPatch", "MenuOptions", "MenuHelp"};
    std::map<std::string, std::multiset<char>> letters;
    for (const UiText& t : uiTexts()) {
        const std::string_view text = t.text;
        if (!isMenuKey(t.key)) {
            EXPECT_EQ(text.find('&'), std::string_view::npos) << t.key;
            continue;
        }
        ASSERT_EQ(std::count(text.begin(), text.end(), '&'), 1) << t.key;
        const std::size_t at = text.find('&');
        ASSERT_LT(at + 1, text.size()) << t.key;
        const char letter = text[at + 1];
        EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(letter)) || letter == '%') << t.key;
        if (letter == '%')
            continue; // a bank's number, a location's letter: one of each in its menu
        // The menu bar's own entries, then each menu's items.
        const std::string key(t.key);
        const auto menu = std::find_if(menus.begin(), menus.end(), [&](const std::string& m) {
            return key.size() > m.size() && key.starts_with(m);
        });
        const bool isBarEntry = std::find(menus.begin(), menus.end(), key) != menus.end();
        ASSERT_TRUE(isBarEntry || menu != menus.end()) << t.key << " belongs to no menu";
        letters[isBarEntry ? std::string("bar") : *menu].insert(
            char(std::toupper(static_cast<unsigned char>(letter))));
    }
    EXPECT_EQ(letters.size(), menus.size() + 1);
    for (const auto& [menu, used] : letters)
        for (const char c : used)
            EXPECT_EQ(used.count(c), 1u) << menu << ": '" << c << "' twice";
}
