// A window's frame fitted into the screen's free area: the size kept while it fits, the frame
// never past an edge, the title bar on the screen even when nothing fits.
#include "app/WindowFit.h"

#include <gtest/gtest.h>

using namespace amplix;

namespace {

// A window manager's frame: a thin border and a title bar.
constexpr FrameMargins kOpenbox{1, 23, 1, 5};
constexpr ScreenRect kScale1{0, 0, 1280, 1024};
constexpr ScreenRect kScale2{0, 0, 800, 600}; // 1600 x 1200 at a scale of 2
constexpr ScreenRect kBelowPanel{0, 30, 1280, 994};

struct Case {
    const char* what;
    ScreenRect area;
    FrameMargins margins;
    WindowPlace wanted;
    std::optional<ScreenRect> centreOver;
    WindowPlace expected;
    int minWidth = 600, minHeight = 400;
};

// A main window of 644 x 480 at 0,0, in its frame.
constexpr ScreenRect kMain{0, 0, 646, 508};

} // namespace

TEST(WindowFit, TheFrameLiesInTheAreaAndTheSizeShrinksOnlyWhereItMust) {
    // clang-format off
    const Case cases[] = {
        {"fits: centred over the main window, moved in from the left edge",
         kScale1, kOpenbox, {0, 0, 1000, 700}, kMain, {0, 0, 1000, 700}},
        {"fits: centred over a main window in the middle",
         kScale1, kOpenbox, {0, 0, 1000, 700}, ScreenRect{300, 250, 646, 508}, {122, 140, 1000, 700}},
        {"the bottom and the right would be cut: moved in, not shrunk",
         kScale1, kOpenbox, {280, 339, 1000, 700}, std::nullopt, {278, 296, 1000, 700}},
        {"too wide and too tall at scale 2: shrunk to the area less the frame",
         kScale2, kOpenbox, {0, 0, 1000, 700}, kMain, {0, 0, 798, 572}},
        {"a remembered size that fits is kept where it is",
         kScale2, kOpenbox, {40, 20, 700, 500}, std::nullopt, {40, 20, 700, 500}},
        {"exactly the area's size less the frame",
         kScale2, kOpenbox, {5, 5, 798, 572}, std::nullopt, {0, 0, 798, 572}},
        {"past the right edge: moved left",
         kScale1, kOpenbox, {900, 100, 1000, 700}, std::nullopt, {278, 100, 1000, 700}},
        {"above a panel at the top: moved down below it",
         kBelowPanel, kOpenbox, {10, 0, 1000, 700}, std::nullopt, {10, 30, 1000, 700}},
        {"taller than the area below the panel: shrunk to it",
         kBelowPanel, kOpenbox, {0, 0, 1000, 990}, std::nullopt, {0, 30, 1000, 966}},
        {"larger than the area even at its minimum: the title bar stays on",
         kScale2, kOpenbox, {100, 100, 1000, 700}, std::nullopt, {0, 0, 900, 650}, 900, 650},
        {"no frame known: the client area alone fits",
         kScale2, FrameMargins{}, {0, 0, 1000, 700}, std::nullopt, {0, 0, 800, 600}},
        {"a second screen to the right: the area's own origin",
         ScreenRect{1280, 0, 1024, 768}, kOpenbox, {0, 0, 1000, 700}, ScreenRect{1280, 0, 646, 508},
         {1280, 0, 1000, 700}},
    };
    // clang-format on
    for (const Case& c : cases) {
        const WindowPlace got = fitWindow(c.area, c.margins, c.wanted, c.minWidth, c.minHeight, c.centreOver);
        EXPECT_EQ(got, c.expected) << c.what << ": got " << got.frameX << "," << got.frameY << " "
                                   << got.width << " x " << got.height;
        // Whatever can fit lies wholly inside.
        const int right = got.frameX + got.width + c.margins.left + c.margins.right;
        const int bottom = got.frameY + got.height + c.margins.top + c.margins.bottom;
        if (c.minWidth + c.margins.left + c.margins.right <= c.area.width &&
            c.minHeight + c.margins.top + c.margins.bottom <= c.area.height) {
            EXPECT_GE(got.frameX, c.area.x) << c.what;
            EXPECT_GE(got.frameY, c.area.y) << c.what;
            EXPECT_LE(right, c.area.x + c.area.width) << c.what;
            EXPECT_LE(bottom, c.area.y + c.area.height) << c.what;
        }
    }
}

TEST(WindowFit, TheFirstOpeningGoesBesideTheMainWindowWhereItFits) {
    struct Beside {
        const char* what;
        ScreenRect area, mainFrame;
        WindowPlace expected;
    };
    constexpr ScreenRect kWide{0, 0, 1920, 1080}, kFrame{0, 0, 702, 578};
    // clang-format off
    const Beside cases[] = {
        {"room to the right: level with the main window's top", kWide, kFrame, {702, 0, 1000, 700}},
        {"no room to the right at 1280: centred on the screen", kScale1, kFrame, {139, 148, 1000, 700}},
        {"one pixel short of room: centred", {0, 0, 1703, 1080}, kFrame, {350, 176, 1000, 700}},
        {"exactly room", {0, 0, 1704, 1080}, kFrame, {702, 0, 1000, 700}},
        {"at scale 2 nothing is beside: shrunk, filling the area", kScale2, kFrame, {0, 0, 798, 572}},
        {"a main window low on the screen: the frame stays inside", kWide, {100, 700, 702, 578},
         {802, 352, 1000, 700}},
    };
    // clang-format on
    for (const Beside& c : cases)
        EXPECT_EQ(placeBeside(c.area, kOpenbox, c.mainFrame, 1000, 700, 600, 400), c.expected) << c.what;
}
