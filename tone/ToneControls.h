// Reading, setting and watching the controls that stand for device parameters.
#pragma once

#include "tone/ToneMap.h"

#include <functional>

class QObject;
class QWidget;

// A control's state as the tone map counts it: a slider's position, a box's 0 or 1, a list's
// selected index (-1 for none).
int controlState(const QWidget* control);

// Sets a control from code: its handler does not run and nothing is sent. Sliders clamp the
// position to their range; a list index outside the entries leaves no selection.
void setControlState(QWidget* control, int state);

// Shows a controller value on the control that stands for it (a reversed slider at 127 - value).
void showControllerValue(const amplix::ToneParameter& parameter, QWidget* control, int value);

// Runs handler on every change the user makes to the control, and only then: each step of a
// slider moved by mouse, keyboard or wheel and once more when a drag ends, each click of a
// box (after it toggled), each choice in a list.
void onUserChange(QWidget* control, QObject* context, std::function<void()> handler);
