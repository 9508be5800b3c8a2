// Chorus and flanger setup window.
#include "tone/DChorus.h"

#include "app/PanelControls.h"
#include "tone/ControlIds.h"
#include "tone/ToneControls.h"

#include <QLabel>
#include <QSlider>

using namespace amplix;

DChorus::DChorus(QWidget* parent, const QString& title)
    : DEffectWindow(parent, title, QRect(0, 330, 250, 135)) {
    ChSpeed = makeVerticalSlider(this, "ChSpeed", ID_CHSPEED, sliderAt(20, 30));
    ChDepth = makeVerticalSlider(this, "ChDepth", ID_CHDEPTH, sliderAt(79, 30));
    ChFeedback = makeVerticalSlider(this, "ChFeedback", ID_CHFEEDBACK, sliderAt(138, 30));
    ChPreDelay = makeVerticalSlider(this, "ChPreDelay", ID_CHPREDELAY, sliderAt(197, 30));
    StaticChPreDelay =
        makeStatic(this, "StaticChPreDelay", ID_STATICCHPREDELAY, QRect(197, 10, 50, 17), "Delay");
    StaticChSpeed = makeStatic(this, "StaticChSpeed", ID_STATICCHSPEED, QRect(15, 10, 50, 17), "Speed");
    StaticChDepth = makeStatic(this, "StaticChDepth", ID_STATICCHDEPTH, QRect(72, 10, 45, 17), "Depth");
    // Shows the sign of the feedback once the slider has been moved.
    StaticChFeedback =
        makeStatic(this, "StaticChFeedback", ID_STATICCHFEEDBACK, QRect(116, 10, 78, 17), "Feedback");

    bindHandler("ChSpeed", [this] { UpdateChSpeed(); });
    bindHandler("ChDepth", [this] { UpdateChDepth(); });
    bindHandler("ChFeedback", [this] { UpdateChFeedback(); });
    bindHandler("ChPreDelay", [this] { UpdateChPreDelay(); });
}

void DChorus::SetupWindow() {
    setupFromToneMap(ToneWindow::Chorus);
}

void DChorus::UpdateChSpeed(int) {
    sendParameter("ChSpeed");
}
void DChorus::UpdateChDepth(int) {
    sendParameter("ChDepth");
}
void DChorus::UpdateChPreDelay(int) {
    sendParameter("ChPreDelay");
}

void DChorus::UpdateChFeedback(int) {
    sendParameter("ChFeedback");
    showFeedback(controlState(ChFeedback));
}

void DChorus::showFeedback(int position) {
    StaticChFeedback->setText(QString::fromStdString(chorusFeedbackLabel(position)));
}
