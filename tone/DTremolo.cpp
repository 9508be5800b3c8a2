// Tremolo setup window.
#include "tone/DTremolo.h"

#include "app/PanelControls.h"
#include "tone/ControlIds.h"

#include <QSlider>

using namespace amplix;

DTremolo::DTremolo(QWidget* parent, const QString& title)
    : DEffectWindow(parent, title, ToneWindow::Tremolo) {
    TremSpeed = makePanelSlider(this, "TremSpeed", ID_TREMSPEED);
    TremDepth = makePanelSlider(this, "TremDepth", ID_TREMDEPTH);
    StaticTremSpeed = makePanelStatic(this, "StaticTremSpeed", ID_STATICTREMSPEED);
    StaticTremDepth = makePanelStatic(this, "StaticTremDepth", ID_STATICTREMDEPTH);

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
