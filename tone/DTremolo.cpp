// Tremolo setup window.
#include "tone/DTremolo.h"

#include "app/PanelControls.h"
#include "tone/ControlIds.h"

#include <QSlider>

using namespace amplix;

DTremolo::DTremolo(QWidget* parent, const QString& title)
    : DEffectWindow(parent, title, QRect(0, 330, 250, 135)) {
    TremSpeed = makeVerticalSlider(this, "TremSpeed", ID_TREMSPEED, sliderAt(25, 30));
    TremDepth = makeVerticalSlider(this, "TremDepth", ID_TREMDEPTH, sliderAt(110, 30));
    StaticTremSpeed = makeStatic(this, "StaticTremSpeed", ID_STATICTREMSPEED, QRect(20, 10, 50, 17), "Speed");
    StaticTremDepth =
        makeStatic(this, "StaticTremDepth", ID_STATICTREMDEPTH, QRect(107, 10, 50, 17), "Depth");

    bindHandler("TremSpeed", [this] { UpdateTremSpeed(); });
    bindHandler("TremDepth", [this] { UpdateTremDepth(); });
}

void DTremolo::SetupWindow() {
    setupFromToneMap(ToneWindow::Tremolo);
}

void DTremolo::UpdateTremSpeed(int) {
    sendParameter("TremSpeed");
}
void DTremolo::UpdateTremDepth(int) {
    sendParameter("TremDepth");
}
