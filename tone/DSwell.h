// Volume swell setup window: the attack speed.
#pragma once

#include "tone/DEffectWindow.h"

class QLabel;
class QSlider;

class DSwell : public DEffectWindow {
    Q_OBJECT

public:
    DSwell(QWidget* parent, const QString& title);

    void SetupWindow() override;

    // What the user's changes send; a slider's notification code is ignored.
    void UpdateSwell(int code = 0);

    // Controls, in declaration order.
    QSlider* Swell = nullptr;
    QLabel* StaticSwell = nullptr;
};
