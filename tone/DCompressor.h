// Compressor setup window: the compression ratio list.
#pragma once

#include "tone/DEffectWindow.h"

class QComboBox;
class QLabel;

class DCompressor : public DEffectWindow {
    Q_OBJECT

public:
    DCompressor(QWidget* parent, const QString& title);

    void SetupWindow() override;

    // What the user's changes send; a slider's notification code is ignored.
    void UpdateCRatio();

    // Controls, in declaration order.
    QComboBox* CRatio = nullptr;
    QLabel* StaticCRatio = nullptr;
};
