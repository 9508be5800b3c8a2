// Values the user can read on the tone map's controls, as the device counts them.
#pragma once

class QWidget;

// The label beside a slider the user moves (found by this object name) and how long it stays
// after the last change, or after the mouse button lets go of the thumb.
inline constexpr const char* kValueTipName = "ValueTip";
inline constexpr int kValueTipHideMs = 1000;
inline constexpr int kValueTipReleaseHideMs = 300;

// Finds every tone-map control among frame's descendants by its member name. While the user
// drags, wheels or steps a slider, its value shows in a small label beside the thumb inside
// frame; resting the mouse on any of the controls shows its name and value ("Bass: 127"),
// current also after the program changed it. Sends nothing and changes no control.
void attachValueTips(QWidget* frame);
