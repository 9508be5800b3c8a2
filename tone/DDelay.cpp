// Delay setup window.
#include "tone/DDelay.h"

#include "app/PanelControls.h"
#include "tone/ControlIds.h"
#include "tone/ToneControls.h"

#include <QCheckBox>
#include <QLabel>
#include <QSlider>

using namespace amplix;

DDelay::DDelay(QWidget* parent, const QString& title) : DEffectWindow(parent, title, ToneWindow::Delay) {
    DelayLevel = makePanelSlider(this, "DelayLevel", ID_DELAYLEVEL);
    DelayFeedback = makePanelSlider(this, "DelayFeedback", ID_DELAYFEEDBACK);
    DelayTime = makePanelSlider(this, "DelayTime", ID_DELAYTIME);
    Delay = makePanelCheckBox(this, "Delay", ID_DELAY);
    StaticDelayLevel = makePanelStatic(this, "StaticDelayLevel", ID_STATICDELAYLEVEL);
    StaticDelayFeedback = makePanelStatic(this, "StaticDelayFeedback", ID_STATICDELAYFEEDBACK);
    // Shows the time in milliseconds once the slider has been moved.
    StaticDelayTime = makePanelStatic(this, "StaticDelayTime", ID_STATICDELAYTIME);

    bindHandler("DelayLevel", [this] { UpdateDelayLevel(); });
    bindHandler("DelayFeedback", [this] { UpdateDelayFeedback(); });
    bindHandler("DelayTime", [this] { UpdateDelayTime(); });
    bindHandler("Delay", [this] { UpdateDelay(); });
}

void DDelay::SetupWindow() {
    setupFromToneMap(ToneWindow::Delay);
}

void DDelay::UpdateDelayLevel(int) {
    sendParameter("DelayLevel");
}
void DDelay::UpdateDelayFeedback(int) {
    sendParameter("DelayFeedback");
}
void DDelay::UpdateDelay() {
    sendParameter("Delay");
}

void DDelay::UpdateDelayTime(int) {
    showDelayTime(controlState(DelayTime));
    sendParameter("DelayTime");
}

void DDelay::showDelayTime(int value) {
    StaticDelayTime->setText(QString::fromStdString(delayTimeLabel(value)));
}
