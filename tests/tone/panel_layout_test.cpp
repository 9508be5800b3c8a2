// The panel's geometry: every control of the tone map placed once, in its window, clear of the others.
#include "tone/PanelLayout.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

using namespace amplix;

namespace {

// A closed drop-down is as tall as its style makes it (24 pixels at the desktop's default font);
// it needs this much room below its top, whatever height its opened list has.
constexpr int kClosedListRoom = 25;

PanelRect closedPlace(const PanelItem& item) {
    PanelRect r = item.place;
    if (item.kind == PanelItemKind::DropDown)
        r.h = std::min(r.h, kClosedListRoom);
    return r;
}

bool overlap(const PanelRect& a, const PanelRect& b) {
    return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}

bool inside(const PanelRect& inner, const PanelRect& outer) {
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.w <= outer.x + outer.w &&
           inner.y + inner.h <= outer.y + outer.h;
}

std::string describe(const PanelRect& r) {
    return "{" + std::to_string(r.x) + ", " + std::to_string(r.y) + ", " + std::to_string(r.w) + ", " +
           std::to_string(r.h) + "}";
}

bool fits(ControlKind control, PanelItemKind item) {
    switch (control) {
    case ControlKind::ReversedSlider:
    case ControlKind::DirectSlider:
    case ControlKind::DelayTime:
        return item == PanelItemKind::VerticalSlider || item == PanelItemKind::HorizontalSlider;
    case ControlKind::Switch:
        return item == PanelItemKind::CheckBox;
    case ControlKind::IndexedList:
    case ControlKind::MappedList:
        return item == PanelItemKind::DropDown;
    case ControlKind::None:
        return false;
    }
    return false;
}

// The windows of the modulation slot: they share one place and only the chosen effect's shows.
std::set<ToneWindow> modulationSlot() {
    std::set<ToneWindow> slot;
    for (const EffectRow& effect : effectTable())
        if (effect.window != ToneWindow::Frame)
            slot.insert(effect.window);
    return slot;
}

} // namespace

TEST(PanelLayout, EveryToneMapControlHasOneItemOfItsKindInItsWindow) {
    int controls = 0;
    for (const ToneParameter& p : toneMap()) {
        if (p.kind == ControlKind::None)
            continue;
        ++controls;
        int found = 0;
        for (const PanelItem& item : panelItems()) {
            if (item.member != p.member)
                continue;
            ++found;
            EXPECT_EQ(item.name, p.member);
            EXPECT_EQ(item.window, p.window) << p.member;
            EXPECT_TRUE(fits(p.kind, item.kind)) << p.member;
        }
        EXPECT_EQ(found, 1) << p.member;
    }
    // And nothing else: every item but the labels stands for one of those rows.
    int items = 0;
    for (const PanelItem& item : panelItems()) {
        if (item.kind == PanelItemKind::Static) {
            EXPECT_TRUE(item.member.empty()) << item.name;
            EXPECT_TRUE(item.name.starts_with("Static")) << item.name;
            continue;
        }
        ++items;
        const ToneParameter* p = findParameter(item.member);
        ASSERT_NE(p, nullptr) << item.name;
        EXPECT_NE(p->kind, ControlKind::None) << item.name;
    }
    EXPECT_EQ(items, controls);
}

TEST(PanelLayout, NamesAreUniqueAndFoundByName) {
    std::set<std::string_view> names;
    for (const PanelItem& item : panelItems()) {
        EXPECT_FALSE(item.name.empty());
        EXPECT_TRUE(names.insert(item.name).second) << item.name;
        EXPECT_EQ(findPanelItem(item.name), &item);
    }
    for (std::string_view unknown : {"", "drive", "Drive ", "StaticPatchName", "Tap"})
        EXPECT_EQ(findPanelItem(unknown), nullptr) << unknown;
}

TEST(PanelLayout, OnlyBoxesAndLabelsCarryText) {
    for (const PanelItem& item : panelItems()) {
        const bool captioned = item.kind == PanelItemKind::CheckBox || item.kind == PanelItemKind::Static;
        EXPECT_EQ(item.text.empty(), !captioned) << item.name;
    }
}

TEST(PanelLayout, FrameItemsComeFirstThenEachWindowInTurn) {
    std::vector<ToneWindow> order;
    for (const PanelItem& item : panelItems())
        if (order.empty() || order.back() != item.window)
            order.push_back(item.window);
    std::vector<ToneWindow> expected;
    for (const PanelWindow& w : panelWindows())
        expected.push_back(w.window);
    // One run per window, in the windows' order: a window's items are never split.
    EXPECT_EQ(order, expected);
}

TEST(PanelLayout, EveryWindowHasOnePlaceInsideThePanel) {
    const auto windows = panelWindows();
    ASSERT_EQ(windows.size(), 1 + kEffectWindows.size());
    EXPECT_EQ(windows[0].window, ToneWindow::Frame);
    const PanelRect panel = windows[0].place;
    EXPECT_EQ(describe(panel), describe({0, 0, kPanelWidth, kPanelHeight}));

    std::set<ToneWindow> seen;
    for (const PanelWindow& w : windows) {
        EXPECT_TRUE(seen.insert(w.window).second) << int(w.window);
        EXPECT_EQ(&panelWindow(w.window), &w);
        EXPECT_GT(w.place.w, 0);
        EXPECT_GT(w.place.h, 0);
        EXPECT_TRUE(inside(w.place, panel)) << int(w.window) << " at " << describe(w.place);
    }
    for (ToneWindow effect : kEffectWindows)
        EXPECT_TRUE(seen.contains(effect)) << int(effect);
}

TEST(PanelLayout, EffectWindowsShownTogetherDoNotCoverEachOtherNorThePanelsControls) {
    const std::set<ToneWindow> slot = modulationSlot();
    ASSERT_EQ(slot.size(), 5u); // compressor, tremolo, chorus, rotary, swell
    const auto windows = panelWindows().subspan(1);
    for (std::size_t i = 0; i < windows.size(); ++i) {
        for (std::size_t j = i + 1; j < windows.size(); ++j) {
            const PanelWindow& a = windows[i];
            const PanelWindow& b = windows[j];
            if (slot.contains(a.window) && slot.contains(b.window)) {
                // Only one of them shows, in the slot's one place.
                EXPECT_EQ(describe(a.place), describe(b.place));
                continue;
            }
            EXPECT_FALSE(overlap(a.place, b.place)) << int(a.window) << " " << describe(a.place) << " and "
                                                    << int(b.window) << " " << describe(b.place);
        }
    }
    // A frame control under an effect window could not be seen or clicked.
    for (const PanelItem& item : panelItems()) {
        if (item.window != ToneWindow::Frame)
            continue;
        for (const PanelWindow& w : windows)
            EXPECT_FALSE(overlap(closedPlace(item), w.place)) << item.name << " under " << int(w.window);
    }
}

TEST(PanelLayout, ItemsLieInsideTheirWindowAndControlsClearOfEachOther) {
    std::map<ToneWindow, std::vector<const PanelItem*>> byWindow;
    for (const PanelItem& item : panelItems()) {
        const PanelRect window = panelWindow(item.window).place;
        const PanelRect own = closedPlace(item);
        EXPECT_GT(own.w, 0) << item.name;
        EXPECT_GT(own.h, 0) << item.name;
        EXPECT_TRUE(inside(own, {0, 0, window.w, window.h})) << item.name << " at " << describe(own);
        if (item.kind == PanelItemKind::DropDown) {
            EXPECT_GE(item.place.h, kClosedListRoom) << item.name << ": its opened list shows no entry";
        }
        byWindow[item.window].push_back(&item);
    }
    // Labels may share their margins; a control on top of anything would hide it or take its clicks.
    for (const auto& [window, items] : byWindow) {
        for (std::size_t i = 0; i < items.size(); ++i) {
            for (std::size_t j = i + 1; j < items.size(); ++j) {
                const PanelItem& a = *items[i];
                const PanelItem& b = *items[j];
                if (a.kind == PanelItemKind::Static && b.kind == PanelItemKind::Static)
                    continue;
                EXPECT_FALSE(overlap(closedPlace(a), closedPlace(b))) << a.name << " and " << b.name;
            }
        }
    }
}
