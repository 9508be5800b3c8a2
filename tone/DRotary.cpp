// Rotary speaker setup window.
#include "tone/DRotary.h"

#include "app/PanelControls.h"
#include "midi/PostToParentWindow.h"
#include "tone/ControlIds.h"
#include "tone/ToneControls.h"

#include <QComboBox>
#include <QSlider>

using namespace amplix;

DRotary::DRotary(QWidget* parent, const QString& title)
    : DEffectWindow(parent, title, QRect(0, 330, 250, 135)) {
    RotaryMax = makeVerticalSlider(this, "RotaryMax", ID_ROTARYMAX, sliderAt(20, 30));
    RotaryMin = makeVerticalSlider(this, "RotaryMin", ID_ROTARYMIN, sliderAt(70, 30));
    RotaryDepth = makeVerticalSlider(this, "RotaryDepth", ID_ROTARYDEPTH, sliderAt(120, 30));
    RotarySpeed = makeDropDown(this, "RotarySpeed", ID_ROTARYSPEED, QRect(170, 50, 60, 75));
    StaticRotarySpeed =
        makeStatic(this, "StaticRotarySpeed", ID_STATICROTARYSPEED, QRect(170, 30, 60, 17), "Speed:");
    StaticRotaryMax = makeStatic(this, "StaticRotaryMax", ID_STATICROTARYMAX, QRect(20, 10, 50, 17), "Fast");
    StaticRotaryMin = makeStatic(this, "StaticRotaryMin", ID_STATICROTARYMIN, QRect(70, 10, 50, 17), "Slow");
    StaticRotaryDepth =
        makeStatic(this, "StaticRotaryDepth", ID_STATICROTARYDEPTH, QRect(117, 10, 50, 17), "Depth");

    bindHandler("RotaryMax", [this] { UpdateRotaryMax(); });
    bindHandler("RotaryMin", [this] { UpdateRotaryMin(); });
    bindHandler("RotaryDepth", [this] { UpdateRotaryDepth(); });
    bindHandler("RotarySpeed", [this] { UpdateRotarySpeed(); });
}

void DRotary::SetupWindow() {
    setupFromToneMap(ToneWindow::Rotary);
}

void DRotary::UpdateRotaryMax(int) {
    keepFastNotAboveSlow(RotaryMax, RotaryMin, "RotaryMax");
}
void DRotary::UpdateRotaryMin(int) {
    keepFastNotAboveSlow(RotaryMin, RotaryMax, "RotaryMin");
}

// A rotary the user is adjusting is one to be heard; its box, Trem/Chorus, is on the frame's panel.
void DRotary::UpdateRotaryDepth(int) {
    sendParameter("RotaryDepth");
    PostToParentWindow(window(), kChkTremChorRequest);
}

void DRotary::UpdateRotarySpeed() {
    sendParameter("RotarySpeed");
}

// A move that takes "Fast" above "Slow" stops where the other slider stands. The put-back
// goes through value(), so it holds both for a key press and during a drag. A jump past the
// other slider (page step, End, a quick drag) still leaves the moved one somewhere new, and
// then that position is sent, or the device would keep a value the screen no longer shows.
void DRotary::keepFastNotAboveSlow(QSlider* moved, QSlider* other, std::string_view member) {
    if (controlState(RotaryMax) <= controlState(RotaryMin)) {
        sendParameter(member);
        return;
    }
    const int before = moved->value(); // during the user's action the last position committed
    setControlState(moved, controlState(other));
    if (moved->value() != before)
        sendParameter(member);
}
