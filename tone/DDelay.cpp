// Delay setup window.
#include "tone/DDelay.h"

#include "app/PanelControls.h"
#include "tone/ControlIds.h"

#include <QCheckBox>
#include <QSlider>

using namespace amplix;

namespace {
// The time slider holds milliseconds.
constexpr int kDelayTimeMaxMs = 3150;
constexpr int kDelayTimeTickMs = 315;
} // namespace

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
}

void DDelay::SetupWindow() {
    setupStandardSlider(DelayLevel, 127);
    setupStandardSlider(DelayFeedback, 0);
    setupSlider(DelayTime, 0, kDelayTimeMaxMs, kDelayTimeTickMs, 0);
    Delay->setChecked(false);
}
