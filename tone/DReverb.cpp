// Reverb setup window.
#include "tone/DReverb.h"

#include "app/PanelControls.h"
#include "tone/ControlIds.h"
#include "tone/ToneControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QSlider>

using namespace amplix;

DReverb::DReverb(QWidget* parent, const QString& title) : DEffectWindow(parent, title, ToneWindow::Reverb) {
    ReverbDecay = makePanelSlider(this, "ReverbDecay", ID_REVERBDECAY);
    ReverbTone = makePanelSlider(this, "ReverbTone", ID_REVERBTONE);
    ReverbType = makePanelDropDown(this, "ReverbType", ID_REVERBTYPE);
    ReverbDiffusion = makePanelSlider(this, "ReverbDiffusion", ID_REVERBDIFFUSION);
    ReverbDensity = makePanelSlider(this, "ReverbDensity", ID_REVERBDENSITY);
    ReverbLevel = makePanelSlider(this, "ReverbLevel", ID_REVERBLEVEL);
    StaticReverbLevel = makePanelStatic(this, "StaticReverbLevel", ID_STATICREVERBLEVEL);
    StaticReverbTone = makePanelStatic(this, "StaticReverbTone", ID_STATICREVERBTONE);
    StaticReverbDecay = makePanelStatic(this, "StaticReverbDecay", ID_STATICREVERBDECAY);
    StaticReverbDiffusion = makePanelStatic(this, "StaticReverbDiffusion", ID_STATICREVERBDIFFUSION);
    StaticReverbDensity = makePanelStatic(this, "StaticReverbDensity", ID_STATICREVERBDENSITY);
    StaticReverbType = makePanelStatic(this, "StaticReverbType", ID_STATICREVERBTYPE);
    Reverb = makePanelCheckBox(this, "Reverb", ID_REVERB);

    bindHandler("ReverbDecay", [this] { UpdateReverbDecay(); });
    bindHandler("ReverbTone", [this] { UpdateReverbTone(); });
    bindHandler("ReverbType", [this] { UpdateReverbType(); });
    bindHandler("ReverbDiffusion", [this] { UpdateReverbDiffusion(); });
    bindHandler("ReverbDensity", [this] { UpdateReverbDensity(); });
    bindHandler("ReverbLevel", [this] { UpdateReverbLevel(); });
    bindHandler("Reverb", [this] { UpdateReverb(); });
}

void DReverb::SetupWindow() {
    setupFromToneMap(ToneWindow::Reverb);
}

void DReverb::UpdateReverbDecay(int) {
    sendParameter("ReverbDecay");
}
void DReverb::UpdateReverbTone(int) {
    sendParameter("ReverbTone");
}
void DReverb::UpdateReverbType() {
    sendParameter("ReverbType");
}
void DReverb::UpdateReverbDiffusion(int) {
    sendParameter("ReverbDiffusion");
}
void DReverb::UpdateReverbDensity(int) {
    sendParameter("ReverbDensity");
}
void DReverb::UpdateReverb() {
    sendParameter("Reverb");
}

// A reverb the user is adjusting is one to be heard: the box shows it on, without a send of its own.
void DReverb::UpdateReverbLevel(int) {
    sendParameter("ReverbLevel");
    setControlState(Reverb, 1);
}
