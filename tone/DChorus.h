// Chorus and flanger setup window: speed, depth, feedback and pre-delay.
#pragma once

#include "tone/DEffectWindow.h"

class QLabel;
class QSlider;

class DChorus : public DEffectWindow {
    Q_OBJECT

public:
    DChorus(QWidget* parent, const QString& title);

    void SetupWindow() override;

    // What the user's changes send; a slider's notification code is ignored.
    void UpdateChSpeed(int code = 0);
    void UpdateChDepth(int code = 0);
    void UpdateChFeedback(int code = 0);
    void UpdateChPreDelay(int code = 0);
    // The feedback label for a slider position: its sign, or no feedback in the middle.
    void showFeedback(int position);

    // Controls, in declaration order.
    QSlider* ChSpeed = nullptr;
    QSlider* ChDepth = nullptr;
    QSlider* ChFeedback = nullptr;
    QSlider* ChPreDelay = nullptr;
    QLabel* StaticChPreDelay = nullptr;
    QLabel* StaticChSpeed = nullptr;
    QLabel* StaticChDepth = nullptr;
    QLabel* StaticChFeedback = nullptr;
};
