// Chorus and flanger setup window.
#include "tone/DChorus.h"

#include "app/PanelControls.h"
#include "tone/ControlIds.h"
#include "tone/ToneControls.h"

#include <QLabel>
#include <QSlider>

using namespace amplix;

DChorus::DChorus(QWidget* parent, const QString& title) : DEffectWindow(parent, title, ToneWindow::Chorus) {
    ChSpeed = makePanelSlider(this, "ChSpeed", ID_CHSPEED);
    ChDepth = makePanelSlider(this, "ChDepth", ID_CHDEPTH);
    ChFeedback = makePanelSlider(this, "ChFeedback", ID_CHFEEDBACK);
    ChPreDelay = makePanelSlider(this, "ChPreDelay", ID_CHPREDELAY);
    StaticChPreDelay = makePanelStatic(this, "StaticChPreDelay", ID_STATICCHPREDELAY);
    StaticChSpeed = makePanelStatic(this, "StaticChSpeed", ID_STATICCHSPEED);
    StaticChDepth = makePanelStatic(this, "StaticChDepth", ID_STATICCHDEPTH);
    // Shows the sign of the feedback once the slider has been moved.
    StaticChFeedback = makePanelStatic(this, "StaticChFeedback", ID_STATICCHFEEDBACK);

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
