// Delay setup window: level, feedback, time in milliseconds and the delay switch.
#pragma once

#include "tone/DEffectWindow.h"

class QCheckBox;
class QLabel;
class QSlider;

class DDelay : public DEffectWindow {
    Q_OBJECT

public:
    DDelay(QWidget* parent, const QString& title);

    void SetupWindow() override;

    // What the user's changes send; a slider's notification code is ignored.
    void UpdateDelayLevel(int code = 0);
    void UpdateDelayFeedback(int code = 0);
    void UpdateDelayTime(int code = 0);
    void UpdateDelay();
    // The time label for a value of the delay time; a patch may hold more than the slider reaches.
    void showDelayTime(int value);

    // Controls, in declaration order.
    QSlider* DelayLevel = nullptr;
    QSlider* DelayFeedback = nullptr;
    QSlider* DelayTime = nullptr;
    QCheckBox* Delay = nullptr;
    QLabel* StaticDelayLevel = nullptr;
    QLabel* StaticDelayFeedback = nullptr;
    QLabel* StaticDelayTime = nullptr;
};
