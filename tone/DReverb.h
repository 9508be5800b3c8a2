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

    // What the user's changes send; a slider's notification code is ignored.
    void UpdateReverbDecay(int code = 0);
    void UpdateReverbTone(int code = 0);
    void UpdateReverbType();
    void UpdateReverbDiffusion(int code = 0);
    void UpdateReverbDensity(int code = 0);
    void UpdateReverbLevel(int code = 0);
    void UpdateReverb();

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
