// Common base of the nine effect setup windows.
#include "tone/DEffectWindow.h"

#include "app/PanelControls.h"

#include <QPalette>

DEffectWindow::DEffectWindow(QWidget* parent, const QString& title, const QRect& place) : QFrame(parent) {
    setWindowTitle(title);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    // Panels paint on the button-face colour; the role follows a change of the system palette.
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    setGeometry(place);
    hide();
}

DEffectWindow::~DEffectWindow() = default;

void DEffectWindow::setupStandardSlider(QSlider* slider, int position) {
    setupSlider(slider, 0, 127, 13, position);
}
