// Compressor setup window.
#include "tone/DCompressor.h"

#include "app/PanelControls.h"
#include "tone/ControlIds.h"

#include <QComboBox>

using namespace amplix;

DCompressor::DCompressor(QWidget* parent, const QString& title)
    : DEffectWindow(parent, title, QRect(0, 330, 250, 135)) {
    CRatio = makeDropDown(this, "CRatio", ID_CRATIO, QRect(30, 50, 100, 140));
    StaticCRatio =
        makeStatic(this, "StaticCRatio", ID_STATICCRATIO, QRect(20, 30, 140, 17), "Compression Ratio");
}

void DCompressor::SetupWindow() {
    fillDropDown(CRatio, {"off", "1.4:1", "2:1", "3:1", "6:1", "infinity:1"});
}
