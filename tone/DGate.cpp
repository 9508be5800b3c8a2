// Noise gate setup window.
#include "tone/DGate.h"

#include "app/PanelControls.h"
#include "tone/ControlIds.h"

#include <QCheckBox>
#include <QSlider>

using namespace amplix;

DGate::DGate(QWidget* parent, const QString& title)
    : DEffectWindow(parent, title, QRect(250, 330, 170, 135)) {
    GateThreshold = makeVerticalSlider(this, "GateThreshold", ID_GATETHRESHOLD, sliderAt(25, 25));
    GateDecayTime = makeVerticalSlider(this, "GateDecayTime", ID_GATEDECAYTIME, sliderAt(110, 25));
    StaticGateThreshold =
        makeStatic(this, "StaticGateThreshold", ID_STATICGATETHRESHOLD, QRect(10, 7, 80, 17), "Threshold");
    StaticGateDecayTime =
        makeStatic(this, "StaticGateDecayTime", ID_STATICGATEDECAYTIME, QRect(105, 7, 60, 17), "Decay");
    NoiseGate = makeCheckBox(this, "NoiseGate", ID_NOISEGATE, QRect(40, 105, 100, 25), "Noise Gate");

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
