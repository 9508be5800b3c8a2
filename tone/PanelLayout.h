// The panel's geometry: where every control and label of the main window and the effect windows stands.
#pragma once

#include "tone/ToneMap.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace amplix {

enum class PanelItemKind : std::uint8_t { VerticalSlider, HorizontalSlider, CheckBox, DropDown, Static };

// Pixels at scale 1, relative to the owning window.
struct PanelRect {
    int x, y, w, h;
};

// One control or label. A drop-down's h is the height of its opened list; the closed box takes
// the height its style gives it.
struct PanelItem {
    ToneWindow window;
    PanelItemKind kind;
    std::string_view name;   // object name, "Drive", "StaticDrive"
    std::string_view member; // the tone-map member the control stands for (same as name for controls),
                             // empty for a Static
    PanelRect place;
    std::string_view text; // a check box's caption or a Static's text at set-up, else empty
};

struct PanelWindow {
    ToneWindow window;
    PanelRect place;       // effect windows: their place in the main window; the frame: its panel area
    std::string_view name; // how help and the lists of controls name it; empty for the frame
};

// The main window's panel area; the status line adds its own height below it.
inline constexpr int kPanelWidth = 700;
inline constexpr int kPanelHeight = 515;

// The frame's items first, then each effect window's, in the order the windows make them.
std::span<const PanelItem> panelItems();
// The frame first, then the nine effect windows in the order the frame makes them.
std::span<const PanelWindow> panelWindows();
// nullptr for a name the panel does not have.
const PanelItem* findPanelItem(std::string_view name);
const PanelWindow& panelWindow(ToneWindow window);

// What a label says a control is: its text up to a colon ("Cabinet Type:" is "Cabinet Type").
std::string_view labelName(std::string_view text);
// The control's name as the panel shows it beside the control at set-up: a check box's caption,
// else its label's name ("Middle", "Amp Model"). Empty for a member the panel has no control of.
std::string_view controlLabel(std::string_view member);
// The control's name where it is listed apart from its window: in an effect window the window's
// name first ("Chorus > Depth"); where its window labels another control alike, the kind of
// control after it ("Presence (check box)"). Unique over the panel.
std::string controlName(std::string_view member);
// controlName and the control's state as valueText reads it: "Rotary > Speed: Fast".
std::string namedValueText(const ToneParameter& p, int state);

} // namespace amplix
