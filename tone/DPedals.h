// Pedals setup window: volume pedal level, minimum and location; wah level, range and switch.
#pragma once

#include "tone/DEffectWindow.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QSlider;

class DPedals : public DEffectWindow {
    Q_OBJECT

public:
    DPedals(QWidget* parent, const QString& title);

    void SetupWindow() override;

    // What the user's changes send; a slider's notification code is ignored.
    void UpdateVolLevel(int code = 0);
    void UpdateVolMin(int code = 0);
    void UpdateVolPosition();
    void UpdateWahLevel(int code = 0);
    void UpdateWahBottom(int code = 0);
    void UpdateWahTop(int code = 0);
    void UpdateWah();

    // Controls, in declaration order.
    QSlider* VolLevel = nullptr;
    QSlider* VolMin = nullptr;
    QComboBox* VolPosition = nullptr;
    QSlider* WahLevel = nullptr;
    QSlider* WahBottom = nullptr;
    QSlider* WahTop = nullptr;
    QCheckBox* Wah = nullptr;
    QLabel* StaticVolLevel = nullptr;
    QLabel* StaticVolMin = nullptr;
    QLabel* StaticVolPosition = nullptr;
    QLabel* StaticWahLevel = nullptr;
    QLabel* StaticWahBottom = nullptr;
    QLabel* StaticWahTop = nullptr;
};
