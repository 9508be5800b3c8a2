// The amp panel of the main window: every control at its place, and its start-up state.
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

} // namespace

void DFrame::createPanel(QWidget* c) {
    Drive = makeVerticalSlider(c, "Drive", ID_DRIVE, {20, 30, 32, 136});
    StaticDrive = makeStatic(c, "StaticDrive", ID_STATICDRIVE, {20, 10, 55, 17});
    Drive2 = makeVerticalSlider(c, "Drive2", ID_DRIVE2, {77, 30, 32, 136});
    StaticDrive2 = makeStatic(c, "StaticDrive2", ID_STATICDRIVE2, {72, 10, 55, 17});
    Bass = makeVerticalSlider(c, "Bass", ID_BASS, {134, 30, 32, 136});
    StaticBass = makeStatic(c, "StaticBass", ID_STATICBASS, {134, 10, 55, 17});
    Mid = makeVerticalSlider(c, "Mid", ID_MID, {191, 30, 32, 136});
    StaticMid = makeStatic(c, "StaticMid", ID_STATICMID, {185, 10, 55, 17});
    Treble = makeVerticalSlider(c, "Treble", ID_TREBLE, {248, 30, 32, 136});
    StaticTreble = makeStatic(c, "StaticTreble", ID_STATICTREBLE, {241, 10, 55, 17});
    Presence = makeVerticalSlider(c, "Presence", ID_PRESENCE, {305, 30, 32, 136});
    StaticPresence = makeStatic(c, "StaticPresence", ID_STATICPRESENCE, {290, 10, 80, 17});
    ChVol = makeVerticalSlider(c, "ChVol", ID_CHVOL, {362, 30, 32, 136});
    StaticChVol = makeStatic(c, "StaticChVol", ID_STATICCHVOL, {356, 10, 60, 17});
    Distortion =
        makeCheckBox(c, "Distortion", ID_DISTORTION, {20, 170, 90, 25}, QStringLiteral("Distortion"));
    DriveBoost =
        makeCheckBox(c, "DriveBoost", ID_DRIVEBOOST, {125, 170, 90, 25}, QStringLiteral("Vol Boost"));
    PresBoost = makeCheckBox(c, "PresBoost", ID_PRESBOOST, {230, 170, 90, 25}, QStringLiteral("Presence"));
    Bright = makeCheckBox(c, "Bright", ID_BRIGHT, {335, 170, 70, 25}, QStringLiteral("Bright"));
    AmpModel = makeDropDown(c, "AmpModel", ID_AMPMODEL, {20, 220, 150, 150});
    CabSel = makeDropDown(c, "CabSel", ID_CABSEL, {220, 220, 175, 150});
    StaticAmpModel = makeStatic(c, "StaticAmpModel", ID_STATICAMPMODEL, {20, 202, 160, 17},
                                QStringLiteral("Amp Model: (Linked)"));
    StaticCabSel =
        makeStatic(c, "StaticCabSel", ID_STATICCABSEL, {220, 202, 120, 17}, QStringLiteral("Cabinet Type:"));
    Air = makeHorizontalSlider(c, "Air", ID_AIR, {230, 270, 160, 32});
    StaticAir = makeStatic(c, "StaticAir", ID_STATICAIR, {230, 252, 100, 17}, QStringLiteral("AIR Level"));
    StaticAirMin = makeStatic(c, "StaticAirMin", ID_STATICAIRMIN, {230, 303, 40, 17}, QStringLiteral("min"));
    StaticAirMax = makeStatic(c, "StaticAirMax", ID_STATICAIRMAX, {360, 303, 40, 17}, QStringLiteral("max"));
    EffectSel = makeDropDown(c, "EffectSel", ID_EFFECTSEL, {20, 270, 150, 150});
    StaticEffectSel =
        makeStatic(c, "StaticEffectSel", ID_STATICEFFECTSEL, {20, 252, 80, 17}, QStringLiteral("Effects:"));
    TremChor = makeCheckBox(c, "TremChor", ID_TREMCHOR, {20, 300, 110, 25}, QStringLiteral("Trem/Chorus"));
    // "max" sits at the right end of the AIR slider.
    StaticAirMax->setAlignment(Qt::AlignRight | Qt::AlignTop);
}

void DFrame::setupPanel() {
    const std::pair<QSlider*, QLabel*> knobs[] = {
        {Drive, StaticDrive},   {Drive2, StaticDrive2},     {Bass, StaticBass},  {Mid, StaticMid},
        {Treble, StaticTreble}, {Presence, StaticPresence}, {ChVol, StaticChVol}};
    const char* labels[] = {"Drive", "Drive2", "Bass", "Middle", "Treble", "Presence", "Volume"};
    for (std::size_t i = 0; i < std::size(knobs); ++i) {
        setupSlider(knobs[i].first, 0, 127, kSliderTicks, kSliderMiddle);
        knobs[i].second->setText(QString::fromLatin1(labels[i]));
    }
    setupSlider(Air, 0, 127, kSliderTicks, kSliderMiddle);

    fillDropDown(AmpModel, entries(kAmpModelNames));
    fillDropDown(EffectSel, entries(kEffectNames));
    fillDropDown(CabSel, entries(kCabinetNames));

    const QSignalBlocker quiet(Bright);
    Bright->setChecked(true);
}
