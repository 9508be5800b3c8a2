// Volume swell setup window.
#include "tone/DSwell.h"

#include "app/PanelControls.h"
#include "tone/ControlIds.h"

#include <QSlider>

using namespace amplix;

DSwell::DSwell(QWidget* parent, const QString& title) : DEffectWindow(parent, title, ToneWindow::Swell) {
    Swell = makePanelSlider(this, "Swell", ID_SWELL);
    StaticSwell = makePanelStatic(this, "StaticSwell", ID_STATICSWELL);

    bindHandler("Swell", [this] { UpdateSwell(); });
}

void DSwell::SetupWindow() {
    setupFromToneMap(ToneWindow::Swell);
}

void DSwell::UpdateSwell(int) {
    sendParameter("Swell");
}
