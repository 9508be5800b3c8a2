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
