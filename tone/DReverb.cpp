// Reverb setup window.
#include "tone/DReverb.h"

#include "app/PanelControls.h"
#include "tone/ControlIds.h"
#include "tone/ToneControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QSlider>

using namespace amplix;

DReverb::DReverb(QWidget* parent, const QString& title)
    : DEffectWindow(parent, title, QRect(420, 0, 280, 165)) {
    ReverbDecay = makeVerticalSlider(this, "ReverbDecay", ID_REVERBDECAY, sliderAt(124, 30));
    ReverbTone = makeVerticalSlider(this, "ReverbTone", ID_REVERBTONE, sliderAt(72, 30));
    ReverbType = makeDropDown(this, "ReverbType", ID_REVERBTYPE, QRect(20, 130, 150, 75));
    ReverbDiffusion = makeVerticalSlider(this, "ReverbDiffusion", ID_REVERBDIFFUSION, sliderAt(176, 30));
    ReverbDensity = makeVerticalSlider(this, "ReverbDensity", ID_REVERBDENSITY, sliderAt(228, 30));
    ReverbLevel = makeVerticalSlider(this, "ReverbLevel", ID_REVERBLEVEL, sliderAt(20, 30));
    StaticReverbLevel =
        makeStatic(this, "StaticReverbLevel", ID_STATICREVERBLEVEL, QRect(10, 10, 50, 17), "Reverb");
    StaticReverbTone =
        makeStatic(this, "StaticReverbTone", ID_STATICREVERBTONE, QRect(70, 10, 40, 17), "Tone");
    StaticReverbDecay =
        makeStatic(this, "StaticReverbDecay", ID_STATICREVERBDECAY, QRect(119, 10, 40, 17), "Decay");
    StaticReverbDiffusion =
        makeStatic(this, "StaticReverbDiffusion", ID_STATICREVERBDIFFUSION, QRect(180, 10, 40, 17), "Diff");
    StaticReverbDensity =
        makeStatic(this, "StaticReverbDensity", ID_STATICREVERBDENSITY, QRect(226, 10, 40, 17), "Dens");
    StaticReverbType =
        makeStatic(this, "StaticReverbType", ID_STATICREVERBTYPE, QRect(20, 110, 140, 17), "Reverb Type:");
    Reverb = makeCheckBox(this, "Reverb", ID_REVERB, QRect(200, 125, 65, 25), "Reverb");

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
