// Volume swell setup window.
#include "tone/DSwell.h"

#include "app/PanelControls.h"
#include "tone/ControlIds.h"

#include <QSlider>

using namespace amplix;

DSwell::DSwell(QWidget* parent, const QString& title)
    : DEffectWindow(parent, title, QRect(0, 330, 250, 135)) {
    Swell = makeVerticalSlider(this, "Swell", ID_SWELL, sliderAt(60, 30));
    StaticSwell =
        makeStatic(this, "StaticSwell", ID_STATICSWELL, QRect(20, 10, 130, 17), "Swell Attack Speed");

    bindHandler("Swell", [this] { UpdateSwell(); });
}

void DSwell::SetupWindow() {
    setupFromToneMap(ToneWindow::Swell);
}

void DSwell::UpdateSwell(int) {
    sendParameter("Swell");
}
