// Noise gate setup window.
#include "tone/DGate.h"

#include "app/PanelControls.h"
#include "tone/ControlIds.h"

#include <QCheckBox>
#include <QSlider>

using namespace amplix;

DGate::DGate(QWidget* parent, const QString& title) : DEffectWindow(parent, title, ToneWindow::Gate) {
    GateThreshold = makePanelSlider(this, "GateThreshold", ID_GATETHRESHOLD);
    GateDecayTime = makePanelSlider(this, "GateDecayTime", ID_GATEDECAYTIME);
    StaticGateThreshold = makePanelStatic(this, "StaticGateThreshold", ID_STATICGATETHRESHOLD);
    StaticGateDecayTime = makePanelStatic(this, "StaticGateDecayTime", ID_STATICGATEDECAYTIME);
    NoiseGate = makePanelCheckBox(this, "NoiseGate", ID_NOISEGATE);

    bindHandler("GateThreshold", [this] { UpdateGateThreshold(); });
    bindHandler("GateDecayTime", [this] { UpdateGateDecayTime(); });
    bindHandler("NoiseGate", [this] { UpdateNoiseGate(); });
}

void DGate::SetupWindow() {
    setupFromToneMap(ToneWindow::Gate);
}

void DGate::UpdateGateThreshold(int) {
    sendParameter("GateThreshold");
}
void DGate::UpdateGateDecayTime(int) {
    sendParameter("GateDecayTime");
}
void DGate::UpdateNoiseGate() {
    sendParameter("NoiseGate");
}
