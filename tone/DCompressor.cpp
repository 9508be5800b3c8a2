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
    : DEffectWindow(parent, title, ToneWindow::Compressor) {
    CRatio = makePanelDropDown(this, "CRatio", ID_CRATIO);
    StaticCRatio = makePanelStatic(this, "StaticCRatio", ID_STATICCRATIO);

    bindHandler("CRatio", [this] { UpdateCRatio(); });
}

void DCompressor::SetupWindow() {
    setupFromToneMap(ToneWindow::Compressor);
}

void DCompressor::UpdateCRatio() {
    sendParameter("CRatio");
}
