// Delay setup window.
#include "tone/DDelay.h"

#include "app/PanelControls.h"
#include "tone/ControlIds.h"
#include "tone/ToneControls.h"

#include <QCheckBox>
#include <QLabel>
#include <QSlider>

using namespace amplix;

DDelay::DDelay(QWidget* parent, const QString& title)
    : DEffectWindow(parent, title, QRect(420, 330, 280, 135)) {
    DelayLevel = makeVerticalSlider(this, "DelayLevel", ID_DELAYLEVEL, QRect(20, 30, 32, 80));
    DelayFeedback = makeHorizontalSlider(this, "DelayFeedback", ID_DELAYFEEDBACK, QRect(72, 90, 115, 32));
    DelayTime = makeHorizontalSlider(this, "DelayTime", ID_DELAYTIME, QRect(72, 30, 188, 32));
    Delay = makeCheckBox(this, "Delay", ID_DELAY, QRect(200, 87, 60, 25), "Delay");
    StaticDelayLevel =
        makeStatic(this, "StaticDelayLevel", ID_STATICDELAYLEVEL, QRect(18, 10, 50, 17), "Level");
    StaticDelayFeedback = makeStatic(this, "StaticDelayFeedback", ID_STATICDELAYFEEDBACK,
                                     QRect(75, 70, 120, 17), "Delay Feedback");
    // Shows the time in milliseconds once the slider has been moved.
    StaticDelayTime =
        makeStatic(this, "StaticDelayTime", ID_STATICDELAYTIME, QRect(75, 10, 150, 17), "Delay Time:");

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
