// Rotary speaker setup window.
#include "tone/DRotary.h"

#include "app/PanelControls.h"
#include "tone/ControlIds.h"

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
}

void DRotary::SetupWindow() {
    for (QSlider* slider : {RotaryMax, RotaryMin, RotaryDepth})
        setupStandardSlider(slider, 127);
    fillDropDown(RotarySpeed, {"Slow", "Fast"});
}
