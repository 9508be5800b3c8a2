// Rotary speaker setup window: fast and slow rotor speeds, depth and the speed switch.
#pragma once

#include "tone/DEffectWindow.h"

class QComboBox;
class QLabel;
class QSlider;

class DRotary : public DEffectWindow {
    Q_OBJECT

public:
    DRotary(QWidget* parent, const QString& title);

    void SetupWindow() override;

    // What the user's changes send; a slider's notification code is ignored.
    void UpdateRotaryMax(int code = 0);
    void UpdateRotaryMin(int code = 0);
    void UpdateRotaryDepth(int code = 0);
    void UpdateRotarySpeed();

    // Controls, in declaration order.
    QSlider* RotaryMax = nullptr;
    QSlider* RotaryMin = nullptr;
    QSlider* RotaryDepth = nullptr;
    QComboBox* RotarySpeed = nullptr;
    QLabel* StaticRotarySpeed = nullptr;
    QLabel* StaticRotaryMax = nullptr;
    QLabel* StaticRotaryMin = nullptr;
    QLabel* StaticRotaryDepth = nullptr;

private:
    void keepFastNotAboveSlow(QSlider* moved, QSlider* other, std::string_view member);
};
