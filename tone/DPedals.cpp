// Pedals setup window: volume pedal and wah.
#include "tone/DPedals.h"

#include "app/PanelControls.h"
#include "tone/ControlIds.h"
#include "tone/ToneControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QSlider>

using namespace amplix;

DPedals::DPedals(QWidget* parent, const QString& title) : DEffectWindow(parent, title, ToneWindow::Pedals) {
    VolLevel = makePanelSlider(this, "VolLevel", ID_VOLLEVEL);
    VolMin = makePanelSlider(this, "VolMin", ID_VOLMIN);
    VolPosition = makePanelDropDown(this, "VolPosition", ID_VOLPOSITION);
    WahLevel = makePanelSlider(this, "WahLevel", ID_WAHLEVEL);
    WahBottom = makePanelSlider(this, "WahBottom", ID_WAHBOTTOM);
    WahTop = makePanelSlider(this, "WahTop", ID_WAHTOP);
    Wah = makePanelCheckBox(this, "Wah", ID_WAH);
    StaticVolLevel = makePanelStatic(this, "StaticVolLevel", ID_STATICVOLLEVEL);
    StaticVolMin = makePanelStatic(this, "StaticVolMin", ID_STATICVOLMIN);
    StaticVolPosition = makePanelStatic(this, "StaticVolPosition", ID_STATICVOLPOSITION);
    StaticWahLevel = makePanelStatic(this, "StaticWahLevel", ID_STATICWAHLEVEL);
    StaticWahBottom = makePanelStatic(this, "StaticWahBottom", ID_STATICWAHBOTTOM);
    StaticWahTop = makePanelStatic(this, "StaticWahTop", ID_STATICWAHTOP);

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
