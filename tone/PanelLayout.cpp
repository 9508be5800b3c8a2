// The one table of the panel's geometry and set-up texts, read by the desktop windows and the page.
#include "tone/PanelLayout.h"

#include "app/UiTexts.h"

#include <algorithm>

namespace amplix {

namespace {

using W = ToneWindow;
using K = PanelItemKind;

// Most sliders of the effect windows are 32 by 75 pixels.
constexpr PanelRect sliderAt(int x, int y) {
    return {x, y, 32, 75};
}

// clang-format off
constexpr PanelWindow kWindows[] = {
    {W::Frame,      {0, 0, kPanelWidth, kPanelHeight}, ""},
    {W::Pedals,     {420, 165, 280, 165},              text::kWindowPedals},
    {W::Gate,       {250, 330, 170, 135},              text::kWindowGate},
    {W::Reverb,     {420, 0, 280, 165},                text::kWindowReverb},
    {W::Delay,      {420, 330, 280, 135},              text::kWindowDelay},
    // The modulation slot: one window at a time, the one of the chosen effect.
    {W::Compressor, {0, 330, 250, 135},                text::kWindowCompressor},
    {W::Swell,      {0, 330, 250, 135},                text::kWindowSwell},
    {W::Tremolo,    {0, 330, 250, 135},                text::kWindowTremolo},
    {W::Rotary,     {0, 330, 250, 135},                text::kWindowRotary},
    {W::Chorus,     {0, 330, 250, 135},                text::kWindowChorus},
};

constexpr PanelItem kItems[] = {
//   window          kind                 name                     member            place                 text
    // The amp panel: seven knobs with their labels above, four switches, the lists, AIR.
    {W::Frame,      K::VerticalSlider,   "Drive",                 "Drive",          {20, 30, 32, 136},    ""},
    {W::Frame,      K::Static,           "StaticDrive",           "",               {20, 10, 55, 17},     "Drive"},
    {W::Frame,      K::VerticalSlider,   "Drive2",                "Drive2",         {77, 30, 32, 136},    ""},
    {W::Frame,      K::Static,           "StaticDrive2",          "",               {72, 10, 55, 17},     "Drive2"},
    {W::Frame,      K::VerticalSlider,   "Bass",                  "Bass",           {134, 30, 32, 136},   ""},
    {W::Frame,      K::Static,           "StaticBass",            "",               {134, 10, 55, 17},    "Bass"},
    {W::Frame,      K::VerticalSlider,   "Mid",                   "Mid",            {191, 30, 32, 136},   ""},
    {W::Frame,      K::Static,           "StaticMid",             "",               {185, 10, 55, 17},    "Middle"},
    {W::Frame,      K::VerticalSlider,   "Treble",                "Treble",         {248, 30, 32, 136},   ""},
    {W::Frame,      K::Static,           "StaticTreble",          "",               {241, 10, 55, 17},    "Treble"},
    {W::Frame,      K::VerticalSlider,   "Presence",              "Presence",       {305, 30, 32, 136},   ""},
    {W::Frame,      K::Static,           "StaticPresence",        "",               {290, 10, 80, 17},    "Presence"},
    {W::Frame,      K::VerticalSlider,   "ChVol",                 "ChVol",          {362, 30, 32, 136},   ""},
    {W::Frame,      K::Static,           "StaticChVol",           "",               {356, 10, 60, 17},    "Volume"},
    {W::Frame,      K::CheckBox,         "Distortion",            "Distortion",     {20, 170, 90, 25},    "Distortion"},
    {W::Frame,      K::CheckBox,         "DriveBoost",            "DriveBoost",     {125, 170, 90, 25},   "Vol Boost"},
    {W::Frame,      K::CheckBox,         "PresBoost",             "PresBoost",      {230, 170, 90, 25},   "Presence"},
    {W::Frame,      K::CheckBox,         "Bright",                "Bright",         {335, 170, 70, 25},   "Bright"},
    {W::Frame,      K::DropDown,         "AmpModel",              "AmpModel",       {20, 220, 150, 150},  ""},
    {W::Frame,      K::DropDown,         "CabSel",                "CabSel",         {220, 220, 175, 150}, ""},
    {W::Frame,      K::Static,           "StaticAmpModel",        "",               {20, 202, 160, 17},   text::kAmpModelLinked},
    {W::Frame,      K::Static,           "StaticCabSel",          "",               {220, 202, 120, 17},  "Cabinet Type:"},
    {W::Frame,      K::HorizontalSlider, "Air",                   "Air",            {230, 270, 160, 32},  ""},
    {W::Frame,      K::Static,           "StaticAir",             "",               {230, 252, 100, 17},  "AIR Level"},
    {W::Frame,      K::Static,           "StaticAirMin",          "",               {230, 303, 40, 17},   "min"},
    {W::Frame,      K::Static,           "StaticAirMax",          "",               {360, 303, 40, 17},   "max"},
    {W::Frame,      K::DropDown,         "EffectSel",             "EffectSel",      {20, 270, 150, 150},  ""},
    {W::Frame,      K::Static,           "StaticEffectSel",       "",               {20, 252, 80, 17},    "Effects:"},
    {W::Frame,      K::CheckBox,         "TremChor",              "TremChor",       {20, 300, 110, 25},   "Trem/Chorus"},

    {W::Pedals,     K::VerticalSlider,   "VolLevel",              "VolLevel",       sliderAt(20, 30),     ""},
    {W::Pedals,     K::VerticalSlider,   "VolMin",                "VolMin",         sliderAt(72, 30),     ""},
    {W::Pedals,     K::DropDown,         "VolPosition",           "VolPosition",    {20, 130, 150, 75},   ""},
    {W::Pedals,     K::VerticalSlider,   "WahLevel",              "WahLevel",       sliderAt(124, 30),    ""},
    {W::Pedals,     K::VerticalSlider,   "WahBottom",             "WahBottom",      sliderAt(228, 30),    ""},
    {W::Pedals,     K::VerticalSlider,   "WahTop",                "WahTop",         sliderAt(176, 30),    ""},
    {W::Pedals,     K::CheckBox,         "Wah",                   "Wah",            {200, 125, 50, 25},   "Wah"},
    {W::Pedals,     K::Static,           "StaticVolLevel",        "",               {22, 10, 40, 17},     "Vol"},
    {W::Pedals,     K::Static,           "StaticVolMin",          "",               {74, 10, 40, 17},     "Min"},
    {W::Pedals,     K::Static,           "StaticVolPosition",     "",               {15, 110, 160, 17},   "Volume Pedal Location:"},
    {W::Pedals,     K::Static,           "StaticWahLevel",        "",               {126, 10, 40, 17},    "Wah"},
    {W::Pedals,     K::Static,           "StaticWahBottom",       "",               {224, 10, 50, 17},    "Bottom"},
    {W::Pedals,     K::Static,           "StaticWahTop",          "",               {179, 10, 40, 17},    "Top"},

    {W::Gate,       K::VerticalSlider,   "GateThreshold",         "GateThreshold",  sliderAt(25, 25),     ""},
    {W::Gate,       K::VerticalSlider,   "GateDecayTime",         "GateDecayTime",  sliderAt(110, 25),    ""},
    {W::Gate,       K::Static,           "StaticGateThreshold",   "",               {10, 7, 80, 17},      "Threshold"},
    {W::Gate,       K::Static,           "StaticGateDecayTime",   "",               {105, 7, 60, 17},     "Decay"},
    {W::Gate,       K::CheckBox,         "NoiseGate",             "NoiseGate",      {40, 105, 100, 25},   "Noise Gate"},

    {W::Reverb,     K::VerticalSlider,   "ReverbDecay",           "ReverbDecay",    sliderAt(124, 30),    ""},
    {W::Reverb,     K::VerticalSlider,   "ReverbTone",            "ReverbTone",     sliderAt(72, 30),     ""},
    {W::Reverb,     K::DropDown,         "ReverbType",            "ReverbType",     {20, 130, 150, 75},   ""},
    {W::Reverb,     K::VerticalSlider,   "ReverbDiffusion",       "ReverbDiffusion", sliderAt(176, 30),   ""},
    {W::Reverb,     K::VerticalSlider,   "ReverbDensity",         "ReverbDensity",  sliderAt(228, 30),    ""},
    {W::Reverb,     K::VerticalSlider,   "ReverbLevel",           "ReverbLevel",    sliderAt(20, 30),     ""},
    {W::Reverb,     K::Static,           "StaticReverbLevel",     "",               {10, 10, 50, 17},     "Reverb"},
    {W::Reverb,     K::Static,           "StaticReverbTone",      "",               {70, 10, 40, 17},     "Tone"},
    {W::Reverb,     K::Static,           "StaticReverbDecay",     "",               {119, 10, 40, 17},    "Decay"},
    {W::Reverb,     K::Static,           "StaticReverbDiffusion", "",               {180, 10, 40, 17},    "Diff"},
    {W::Reverb,     K::Static,           "StaticReverbDensity",   "",               {226, 10, 40, 17},    "Dens"},
    {W::Reverb,     K::Static,           "StaticReverbType",      "",               {20, 110, 140, 17},   "Reverb Type:"},
    {W::Reverb,     K::CheckBox,         "Reverb",                "Reverb",         {200, 125, 65, 25},   "Reverb"},

    {W::Delay,      K::VerticalSlider,   "DelayLevel",            "DelayLevel",     {20, 30, 32, 80},     ""},
    {W::Delay,      K::HorizontalSlider, "DelayFeedback",         "DelayFeedback",  {72, 90, 115, 32},    ""},
    {W::Delay,      K::HorizontalSlider, "DelayTime",             "DelayTime",      {72, 30, 188, 32},    ""},
    {W::Delay,      K::CheckBox,         "Delay",                 "Delay",          {200, 87, 60, 25},    "Delay"},
    {W::Delay,      K::Static,           "StaticDelayLevel",      "",               {18, 10, 50, 17},     "Level"},
    {W::Delay,      K::Static,           "StaticDelayFeedback",   "",               {75, 70, 120, 17},    "Delay Feedback"},
    // Shows the time in milliseconds once the slider has been moved.
    {W::Delay,      K::Static,           "StaticDelayTime",       "",               {75, 10, 150, 17},    "Delay Time:"},

    {W::Compressor, K::DropDown,         "CRatio",                "CRatio",         {30, 50, 100, 140},   ""},
    {W::Compressor, K::Static,           "StaticCRatio",          "",               {20, 30, 140, 17},    "Compression Ratio"},

    {W::Swell,      K::VerticalSlider,   "Swell",                 "Swell",          sliderAt(60, 30),     ""},
    {W::Swell,      K::Static,           "StaticSwell",           "",               {20, 10, 130, 17},    "Swell Attack Speed"},

    {W::Tremolo,    K::VerticalSlider,   "TremSpeed",             "TremSpeed",      sliderAt(25, 30),     ""},
    {W::Tremolo,    K::VerticalSlider,   "TremDepth",             "TremDepth",      sliderAt(110, 30),    ""},
    {W::Tremolo,    K::Static,           "StaticTremSpeed",       "",               {20, 10, 50, 17},     "Speed"},
    {W::Tremolo,    K::Static,           "StaticTremDepth",       "",               {107, 10, 50, 17},    "Depth"},

    {W::Rotary,     K::VerticalSlider,   "RotaryMax",             "RotaryMax",      sliderAt(20, 30),     ""},
    {W::Rotary,     K::VerticalSlider,   "RotaryMin",             "RotaryMin",      sliderAt(70, 30),     ""},
    {W::Rotary,     K::VerticalSlider,   "RotaryDepth",           "RotaryDepth",    sliderAt(120, 30),    ""},
    {W::Rotary,     K::DropDown,         "RotarySpeed",           "RotarySpeed",    {170, 50, 60, 75},    ""},
    {W::Rotary,     K::Static,           "StaticRotarySpeed",     "",               {170, 30, 60, 17},    "Speed:"},
    {W::Rotary,     K::Static,           "StaticRotaryMax",       "",               {20, 10, 50, 17},     "Fast"},
    {W::Rotary,     K::Static,           "StaticRotaryMin",       "",               {70, 10, 50, 17},     "Slow"},
    {W::Rotary,     K::Static,           "StaticRotaryDepth",     "",               {117, 10, 50, 17},    "Depth"},

    {W::Chorus,     K::VerticalSlider,   "ChSpeed",               "ChSpeed",        sliderAt(20, 30),     ""},
    {W::Chorus,     K::VerticalSlider,   "ChDepth",               "ChDepth",        sliderAt(79, 30),     ""},
    {W::Chorus,     K::VerticalSlider,   "ChFeedback",            "ChFeedback",     sliderAt(138, 30),    ""},
    {W::Chorus,     K::VerticalSlider,   "ChPreDelay",            "ChPreDelay",     sliderAt(197, 30),    ""},
    {W::Chorus,     K::Static,           "StaticChPreDelay",      "",               {197, 10, 50, 17},    "Delay"},
    {W::Chorus,     K::Static,           "StaticChSpeed",         "",               {15, 10, 50, 17},     "Speed"},
    {W::Chorus,     K::Static,           "StaticChDepth",         "",               {72, 10, 45, 17},     "Depth"},
    // Shows the sign of the feedback once the slider has been moved.
    {W::Chorus,     K::Static,           "StaticChFeedback",      "",               {116, 10, 78, 17},    "Feedback"},
};
// clang-format on

constexpr std::string_view kStaticPrefix = "Static";

// A text with its "%1" and "%2" filled in.
std::string filled(std::string_view format, std::string_view first, std::string_view second = {}) {
    std::string out;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size() && (format[i + 1] == '1' || format[i + 1] == '2')) {
            out += format[++i] == '1' ? first : second;
            continue;
        }
        out += format[i];
    }
    return out;
}

std::string_view kindFormat(PanelItemKind kind) {
    switch (kind) {
    case K::CheckBox:
        return text::kControlCheckBox;
    case K::DropDown:
        return text::kControlList;
    default:
        return text::kControlSlider;
    }
}

} // namespace

std::span<const PanelItem> panelItems() {
    return kItems;
}

std::span<const PanelWindow> panelWindows() {
    return kWindows;
}

const PanelItem* findPanelItem(std::string_view name) {
    const auto* it = std::find_if(std::begin(kItems), std::end(kItems),
                                  [name](const PanelItem& item) { return item.name == name; });
    return it == std::end(kItems) ? nullptr : it;
}

const PanelWindow& panelWindow(ToneWindow window) {
    const auto* it = std::find_if(std::begin(kWindows), std::end(kWindows),
                                  [window](const PanelWindow& w) { return w.window == window; });
    // Every ToneWindow has its row (the layout test holds the table to it).
    return it == std::end(kWindows) ? kWindows[0] : *it;
}

std::string_view labelName(std::string_view text) {
    return text.substr(0, text.find(':'));
}

std::string_view controlLabel(std::string_view member) {
    const PanelItem* control = member.empty() ? nullptr : findPanelItem(member);
    if (!control || control->kind == K::Static)
        return {};
    if (control->kind == K::CheckBox)
        return control->text;
    const PanelItem* label = findPanelItem(std::string(kStaticPrefix) + std::string(member));
    return label ? labelName(label->text) : std::string_view();
}

std::string controlName(std::string_view member) {
    const std::string_view label = controlLabel(member);
    if (label.empty())
        return {};
    const PanelItem& control = *findPanelItem(member);
    std::string name(label);
    const bool labelledAlike = std::any_of(std::begin(kItems), std::end(kItems), [&](const PanelItem& other) {
        return other.window == control.window && other.kind != K::Static && other.name != member &&
               controlLabel(other.member) == label;
    });
    if (labelledAlike)
        name = filled(kindFormat(control.kind), name);
    const std::string_view window = panelWindow(control.window).name;
    return window.empty() ? name : filled(text::kControlInWindow, window, name);
}

std::string namedValueText(const ToneParameter& p, int state) {
    return controlName(p.member) + ": " + valueText(p, state);
}

} // namespace amplix
