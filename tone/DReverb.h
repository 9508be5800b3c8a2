// Reverb setup window: level, tone, decay, diffusion, density, type and the reverb switch.
#pragma once

#include "tone/DEffectWindow.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QSlider;

class DReverb : public DEffectWindow {
    Q_OBJECT

public:
    DReverb(QWidget* parent, const QString& title);

    void SetupWindow() override;

    // Controls, in declaration order.
    QSlider* ReverbDecay = nullptr;
    QSlider* ReverbTone = nullptr;
    QComboBox* ReverbType = nullptr;
    QSlider* ReverbDiffusion = nullptr;
    QSlider* ReverbDensity = nullptr;
    QSlider* ReverbLevel = nullptr;
    QLabel* StaticReverbLevel = nullptr;
    QLabel* StaticReverbTone = nullptr;
    QLabel* StaticReverbDecay = nullptr;
    QLabel* StaticReverbDiffusion = nullptr;
    QLabel* StaticReverbDensity = nullptr;
    QLabel* StaticReverbType = nullptr;
    QCheckBox* Reverb = nullptr;
};
