// Compressor setup window.
#include "tone/DCompressor.h"

#include "app/PanelControls.h"
#include "tone/ControlIds.h"
#include "tone/ToneLists.h"
#include "tone/ToneMap.h"

#include <QComboBox>

using namespace amplix;

static_assert(kCompressionRatioNames.size() == kCompressionRatioValues.size(),
              "every compression ratio entry sends its own value");

DCompressor::DCompressor(QWidget* parent, const QString& title)
    : DEffectWindow(parent, title, QRect(0, 330, 250, 135)) {
    CRatio = makeDropDown(this, "CRatio", ID_CRATIO, QRect(30, 50, 100, 140));
    StaticCRatio =
        makeStatic(this, "StaticCRatio", ID_STATICCRATIO, QRect(20, 30, 140, 17), "Compression Ratio");

    bindHandler("CRatio", [this] { UpdateCRatio(); });
}

void DCompressor::SetupWindow() {
    setupFromToneMap(ToneWindow::Compressor);
}

void DCompressor::UpdateCRatio() {
    sendParameter("CRatio");
}
