// Pedals setup window: volume pedal and wah.
#include "tone/DPedals.h"

#include "app/PanelControls.h"
#include "tone/ControlIds.h"
#include "tone/ToneControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QSlider>

using namespace amplix;

DPedals::DPedals(QWidget* parent, const QString& title)
    : DEffectWindow(parent, title, QRect(420, 165, 280, 165)) {
    VolLevel = makeVerticalSlider(this, "VolLevel", ID_VOLLEVEL, sliderAt(20, 30));
    VolMin = makeVerticalSlider(this, "VolMin", ID_VOLMIN, sliderAt(72, 30));
    VolPosition = makeDropDown(this, "VolPosition", ID_VOLPOSITION, QRect(20, 130, 150, 75));
    WahLevel = makeVerticalSlider(this, "WahLevel", ID_WAHLEVEL, sliderAt(124, 30));
    WahBottom = makeVerticalSlider(this, "WahBottom", ID_WAHBOTTOM, sliderAt(228, 30));
    WahTop = makeVerticalSlider(this, "WahTop", ID_WAHTOP, sliderAt(176, 30));
    Wah = makeCheckBox(this, "Wah", ID_WAH, QRect(200, 125, 50, 25), "Wah");
    StaticVolLevel = makeStatic(this, "StaticVolLevel", ID_STATICVOLLEVEL, QRect(22, 10, 40, 17), "Vol");
    StaticVolMin = makeStatic(this, "StaticVolMin", ID_STATICVOLMIN, QRect(74, 10, 40, 17), "Min");
    StaticVolPosition = makeStatic(this, "StaticVolPosition", ID_STATICVOLPOSITION, QRect(15, 110, 160, 17),
                                   "Volume Pedal Location:");
    StaticWahLevel = makeStatic(this, "StaticWahLevel", ID_STATICWAHLEVEL, QRect(126, 10, 40, 17), "Wah");
    StaticWahBottom =
        makeStatic(this, "StaticWahBottom", ID_STATICWAHBOTTOM, QRect(224, 10, 50, 17), "Bottom");
    StaticWahTop = makeStatic(this, "StaticWahTop", ID_STATICWAHTOP, QRect(179, 10, 40, 17), "Top");

    bindHandler("VolLevel", [this] { UpdateVolLevel(); });
    bindHandler("VolMin", [this] { UpdateVolMin(); });
    bindHandler("VolPosition", [this] { UpdateVolPosition(); });
    bindHandler("WahLevel", [this] { UpdateWahLevel(); });
    bindHandler("WahBottom", [this] { UpdateWahBottom(); });
    bindHandler("WahTop", [this] { UpdateWahTop(); });
    bindHandler("Wah", [this] { UpdateWah(); });
}

void DPedals::SetupWindow() {
    setupFromToneMap(ToneWindow::Pedals);
}

void DPedals::UpdateVolLevel(int) {
    sendParameter("VolLevel");
}
void DPedals::UpdateVolMin(int) {
    sendParameter("VolMin");
}
void DPedals::UpdateVolPosition() {
    sendParameter("VolPosition");
}
void DPedals::UpdateWahBottom(int) {
    sendParameter("WahBottom");
}
void DPedals::UpdateWahTop(int) {
    sendParameter("WahTop");
}
void DPedals::UpdateWah() {
    sendParameter("Wah");
}

// A wah the user is rocking is one to be heard: the box shows it on, without a send of its own.
void DPedals::UpdateWahLevel(int) {
    sendParameter("WahLevel");
    setControlState(Wah, 1);
}
