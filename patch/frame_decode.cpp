// Showing a single-patch dump on the panel and in the effect windows, sending nothing.
#include "app/DFrame.h"

#include "patch/DPatchName.h"
#include "patch/PatchDecode.h"
#include "tone/DChorus.h"
#include "tone/DDelay.h"
#include "tone/ToneControls.h"
#include "tone/ToneLists.h"

#include <QLabel>
#include <QSlider>

using namespace amplix;

void DFrame::UpdateAmplixFromSysex() {
    const DecodedPatch patch = decodeSingleDump(sysEx);
    PatchWindow->StaticPatchNameData->setText(
        QString::fromLatin1(patch.name.data(), qsizetype(patch.name.size())));
    // The effect first: it presets the Delay and Trem/Chorus boxes, which the record then sets.
    PodChangedEffects(patch.effectCode);
    for (const DecodedControl& control : patch.controls) {
        const ToneParameter& p = *control.parameter;
        showControllerValue(p, toneControl(p.member), control.value);
        if (p.member == "AmpModel")
            Drive2->setVisible(control.value == kPodLayerAmpModel);
        else if (p.extra == ToneExtra::DelayTimeLabel) // the label shows the time even above the slider's end
            DelayWindow->showDelayTime(control.value);
        else if (p.extra == ToneExtra::FeedbackLabel)
            ChorusWindow->showFeedback(positionForValue(p, control.value));
    }
    rememberShownStates();
}
