// The amp panel of the main window: its controls from the panel table, and their start-up state.
#include "app/DFrame.h"

#include "app/PanelControls.h"
#include "tone/ControlIds.h"
#include "tone/ToneLists.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSlider>

using namespace amplix;

namespace {

constexpr int kSliderMiddle = 64;
constexpr int kSliderTicks = 13;

template <std::size_t N> QStringList entries(const std::array<std::string_view, N>& names) {
    QStringList list;
    for (std::string_view name : names)
        list << QString::fromLatin1(name.data(), qsizetype(name.size()));
    return list;
}

// The knobs' labels take their texts when the panel is set up.
QLabel* makeKnobLabel(QWidget* parent, const char* member, int id) {
    return makeStatic(parent, member, id, panelPlace(member));
}

} // namespace

void DFrame::createPanel(QWidget* c) {
    Drive = makePanelSlider(c, "Drive", ID_DRIVE);
    StaticDrive = makeKnobLabel(c, "StaticDrive", ID_STATICDRIVE);
    Drive2 = makePanelSlider(c, "Drive2", ID_DRIVE2);
    StaticDrive2 = makeKnobLabel(c, "StaticDrive2", ID_STATICDRIVE2);
    Bass = makePanelSlider(c, "Bass", ID_BASS);
    StaticBass = makeKnobLabel(c, "StaticBass", ID_STATICBASS);
    Mid = makePanelSlider(c, "Mid", ID_MID);
    StaticMid = makeKnobLabel(c, "StaticMid", ID_STATICMID);
    Treble = makePanelSlider(c, "Treble", ID_TREBLE);
    StaticTreble = makeKnobLabel(c, "StaticTreble", ID_STATICTREBLE);
    Presence = makePanelSlider(c, "Presence", ID_PRESENCE);
    StaticPresence = makeKnobLabel(c, "StaticPresence", ID_STATICPRESENCE);
    ChVol = makePanelSlider(c, "ChVol", ID_CHVOL);
    StaticChVol = makeKnobLabel(c, "StaticChVol", ID_STATICCHVOL);
    Distortion = makePanelCheckBox(c, "Distortion", ID_DISTORTION);
    DriveBoost = makePanelCheckBox(c, "DriveBoost", ID_DRIVEBOOST);
    PresBoost = makePanelCheckBox(c, "PresBoost", ID_PRESBOOST);
    Bright = makePanelCheckBox(c, "Bright", ID_BRIGHT);
    AmpModel = makePanelDropDown(c, "AmpModel", ID_AMPMODEL);
    CabSel = makePanelDropDown(c, "CabSel", ID_CABSEL);
    StaticAmpModel = makePanelStatic(c, "StaticAmpModel", ID_STATICAMPMODEL);
    StaticCabSel = makePanelStatic(c, "StaticCabSel", ID_STATICCABSEL);
    Air = makePanelSlider(c, "Air", ID_AIR);
    StaticAir = makePanelStatic(c, "StaticAir", ID_STATICAIR);
    StaticAirMin = makePanelStatic(c, "StaticAirMin", ID_STATICAIRMIN);
    StaticAirMax = makePanelStatic(c, "StaticAirMax", ID_STATICAIRMAX);
    EffectSel = makePanelDropDown(c, "EffectSel", ID_EFFECTSEL);
    StaticEffectSel = makePanelStatic(c, "StaticEffectSel", ID_STATICEFFECTSEL);
    TremChor = makePanelCheckBox(c, "TremChor", ID_TREMCHOR);
    // "max" sits at the right end of the AIR slider.
    StaticAirMax->setAlignment(Qt::AlignRight | Qt::AlignTop);
}

void DFrame::setupPanel() {
    const std::pair<QSlider*, QLabel*> knobs[] = {
        {Drive, StaticDrive},   {Drive2, StaticDrive2},     {Bass, StaticBass},  {Mid, StaticMid},
        {Treble, StaticTreble}, {Presence, StaticPresence}, {ChVol, StaticChVol}};
    for (auto [knob, label] : knobs) {
        setupSlider(knob, 0, 127, kSliderTicks, kSliderMiddle);
        label->setText(panelText(label->objectName().toStdString()));
    }
    setupSlider(Air, 0, 127, kSliderTicks, kSliderMiddle);

    fillDropDown(AmpModel, entries(kAmpModelNames));
    fillDropDown(EffectSel, entries(kEffectNames));
    fillDropDown(CabSel, entries(kCabinetNames));

    const QSignalBlocker quiet(Bright);
    Bright->setChecked(true);
}
