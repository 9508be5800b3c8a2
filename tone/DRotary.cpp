// Rotary speaker setup window.
#include "tone/DRotary.h"

#include "app/PanelControls.h"
#include "midi/PostToParentWindow.h"
#include "tone/ControlIds.h"
#include "tone/ToneControls.h"

#include <QComboBox>
#include <QSlider>

using namespace amplix;

DRotary::DRotary(QWidget* parent, const QString& title) : DEffectWindow(parent, title, ToneWindow::Rotary) {
    RotaryMax = makePanelSlider(this, "RotaryMax", ID_ROTARYMAX);
    RotaryMin = makePanelSlider(this, "RotaryMin", ID_ROTARYMIN);
    RotaryDepth = makePanelSlider(this, "RotaryDepth", ID_ROTARYDEPTH);
    RotarySpeed = makePanelDropDown(this, "RotarySpeed", ID_ROTARYSPEED);
    StaticRotarySpeed = makePanelStatic(this, "StaticRotarySpeed", ID_STATICROTARYSPEED);
    StaticRotaryMax = makePanelStatic(this, "StaticRotaryMax", ID_STATICROTARYMAX);
    StaticRotaryMin = makePanelStatic(this, "StaticRotaryMin", ID_STATICROTARYMIN);
    StaticRotaryDepth = makePanelStatic(this, "StaticRotaryDepth", ID_STATICROTARYDEPTH);

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
