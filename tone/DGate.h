// Noise gate setup window: threshold, decay time and the gate switch.
#pragma once

#include "tone/DEffectWindow.h"

class QCheckBox;
class QLabel;
class QSlider;

class DGate : public DEffectWindow {
    Q_OBJECT

public:
    DGate(QWidget* parent, const QString& title);

    void SetupWindow() override;

    // What the user's changes send; a slider's notification code is ignored.
    void UpdateGateThreshold(int code = 0);
    void UpdateGateDecayTime(int code = 0);
    void UpdateNoiseGate();

    // Controls, in declaration order.
    QSlider* GateThreshold = nullptr;
    QSlider* GateDecayTime = nullptr;
    QLabel* StaticGateThreshold = nullptr;
    QLabel* StaticGateDecayTime = nullptr;
    QCheckBox* NoiseGate = nullptr;
};
