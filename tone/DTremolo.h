// Tremolo setup window: speed and depth.
#pragma once

#include "tone/DEffectWindow.h"

class QLabel;
class QSlider;

class DTremolo : public DEffectWindow {
    Q_OBJECT

public:
    DTremolo(QWidget* parent, const QString& title);

    void SetupWindow() override;

    // What the user's changes send; a slider's notification code is ignored.
    void UpdateTremSpeed(int code = 0);
    void UpdateTremDepth(int code = 0);

    // Controls, in declaration order.
    QSlider* TremSpeed = nullptr;
    QSlider* TremDepth = nullptr;
    QLabel* StaticTremSpeed = nullptr;
    QLabel* StaticTremDepth = nullptr;
};
