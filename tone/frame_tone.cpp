// Live editing on the main panel: what each control sends, amp model, cabinet and effect choice.
#include "app/DFrame.h"

#include "tone/DChorus.h"
#include "tone/DCompressor.h"
#include "tone/DDelay.h"
#include "tone/DEffectWindow.h"
#include "tone/DGate.h"
#include "tone/DPedals.h"
#include "tone/DReverb.h"
#include "tone/DRotary.h"
#include "tone/DSwell.h"
#include "tone/DTremolo.h"
#include "tone/PanelLayout.h"
#include "tone/ToneControls.h"
#include "tone/ToneLists.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QSlider>
#include <QTimer>

#include <algorithm>

using namespace amplix;

namespace {
const ToneParameter& row(std::string_view member) {
    return *findParameter(member);
}
} // namespace

void DFrame::collectToneControls() {
    for (const ToneParameter& p : toneMap()) {
        if (p.member.empty())
            continue;
        const QString name = QString::fromLatin1(p.member.data(), qsizetype(p.member.size()));
        if (auto* widget = findChild<QWidget*>(name)) {
            toneControls_.insert(name, widget);
            if (qobject_cast<QSlider*>(widget))
                widget->installEventFilter(this); // the press and release of a gesture
        }
    }
}

QWidget* DFrame::toneControl(std::string_view member) const {
    return toneControls_.value(QString::fromLatin1(member.data(), qsizetype(member.size())));
}

DEffectWindow* DFrame::effectWindow(ToneWindow window) const {
    switch (window) {
    case ToneWindow::Chorus:
        return ChorusWindow;
    case ToneWindow::Rotary:
        return RotaryWindow;
    case ToneWindow::Tremolo:
        return TremoloWindow;
    case ToneWindow::Swell:
        return SwellWindow;
    case ToneWindow::Compressor:
        return CompressorWindow;
    case ToneWindow::Delay:
        return DelayWindow;
    case ToneWindow::Reverb:
        return ReverbWindow;
    case ToneWindow::Gate:
        return GateWindow;
    case ToneWindow::Pedals:
        return PedalsWindow;
    case ToneWindow::Frame:
        return nullptr;
    }
    return nullptr;
}

std::array<DEffectWindow*, kEffectWindows.size()> DFrame::effectWindows() const {
    std::array<DEffectWindow*, kEffectWindows.size()> windows{};
    std::ranges::transform(kEffectWindows, windows.begin(), [this](ToneWindow w) { return effectWindow(w); });
    return windows;
}

void DFrame::SendParameter(const ToneParameter& parameter) {
    QWidget* widget = toneControl(parameter.member);
    if (!widget)
        return;
    for (auto [controller, value] : controllerMessages(parameter, controlState(widget)))
        SendControlChange(controller, value);
}

void DFrame::connectPanelHandlers() {
    const std::pair<std::string_view, void (DFrame::*)()> handlers[] = {
        {"AmpModel", &DFrame::UpdateAmpModel},     {"EffectSel", &DFrame::UpdateEffectSel},
        {"CabSel", &DFrame::UpdateCabSel},         {"DriveBoost", &DFrame::UpdateDriveBoost},
        {"Distortion", &DFrame::UpdateDistortion}, {"PresBoost", &DFrame::UpdatePresBoost},
        {"Bright", &DFrame::UpdateBright},         {"TremChor", &DFrame::UpdateTremChor},
    };
    for (const auto& [member, handler] : handlers)
        onUserChange(toneControl(member), this, [this, update = handler] { (this->*update)(); });
    const std::pair<std::string_view, void (DFrame::*)(int)> sliders[] = {
        {"Drive", &DFrame::UpdateDrive},   {"Drive2", &DFrame::UpdateDrive2},
        {"Bass", &DFrame::UpdateBass},     {"Mid", &DFrame::UpdateMid},
        {"Treble", &DFrame::UpdateTreble}, {"Presence", &DFrame::UpdatePresence},
        {"ChVol", &DFrame::UpdateChVol},   {"Air", &DFrame::UpdateAir},
    };
    for (const auto& [member, handler] : sliders)
        onUserChange(toneControl(member), this, [this, update = handler] { (this->*update)(0); });

    for (DEffectWindow* window : effectWindows())
        connect(window, &DEffectWindow::controllerChanged, this, [this](int controller, int value) {
            SendControlChange(std::uint8_t(controller), std::uint8_t(value));
        });
}

// With "POD Layer" the device has a second drive, and the first knob moves both.
void DFrame::UpdateDrive(int) {
    SendParameter(row("Drive"));
    if (AmpModel->currentIndex() == kPodLayerAmpModel)
        SendParameter(row("Drive2"));
}
void DFrame::UpdateDrive2(int) {
    SendParameter(row("Drive2"));
}
void DFrame::UpdateBass(int) {
    SendParameter(row("Bass"));
}
void DFrame::UpdateMid(int) {
    SendParameter(row("Mid"));
}
void DFrame::UpdateTreble(int) {
    SendParameter(row("Treble"));
}
void DFrame::UpdatePresence(int) {
    SendParameter(row("Presence"));
}
void DFrame::UpdateChVol(int) {
    SendParameter(row("ChVol"));
}
void DFrame::UpdateAir(int) {
    SendParameter(row("Air"));
}
void DFrame::UpdateCabSel() {
    SendParameter(row("CabSel"));
}
void DFrame::UpdateDriveBoost() {
    SendParameter(row("DriveBoost"));
}
void DFrame::UpdateDistortion() {
    SendParameter(row("Distortion"));
}
void DFrame::UpdatePresBoost() {
    SendParameter(row("PresBoost"));
}
void DFrame::UpdateBright() {
    SendParameter(row("Bright"));
}
void DFrame::UpdateTremChor() {
    SendParameter(row("TremChor"));
}

void DFrame::showAmpModel(int index) {
    setControlState(AmpModel, index);
    Drive2->setVisible(index == kPodLayerAmpModel);
}

// Unlinked, the amp model goes into the device's patch by a read-modify-write round trip, so
// every other setting of the patch stays as it was.
void DFrame::UpdateAmpModel() {
    const int index = AmpModel->currentIndex();
    Drive2->setVisible(index == kPodLayerAmpModel);
    if (AmpModel_linked)
        SendParameter(row("AmpModel"));
    else {
        noteUserReload(namedValueText(row("AmpModel"), index));
        AmpModel_flag = index;
    }
    CmFileRead();
}

void DFrame::showEffect(const EffectRow& effect) {
    // Only one window of the modulation slot shows: the one of the effect chosen.
    for (const EffectRow& slot : effectTable())
        if (DEffectWindow* window = effectWindow(slot.window))
            window->hide();
    setControlState(toneControl("Delay"), effect.delay ? 1 : 0);
    setControlState(TremChor, effect.tremChor ? 1 : 0);
    TremChor->setEnabled(effect.tremChor);
    if (DEffectWindow* window = effectWindow(effect.window))
        window->show();
}

void DFrame::UpdateEffectSel() {
    const EffectRow* effect = effectForIndex(EffectSel->currentIndex());
    if (!effect)
        return;
    showEffect(*effect);
    SendParameter(row("EffectSel"));
    CmFileRead();
}

void DFrame::PodChangedEffects(int controller_value) {
    const EffectRow* effect = effectForCode(controller_value);
    if (!effect)
        return;
    showEffect(*effect);
    setControlState(EffectSel, effect->index);
}

void DFrame::PodChangedAmp(int amp_index) {
    showAmpModel(amp_index);
    CmFileRead();
}

int DFrame::WmChkTremChor() {
    setControlState(TremChor, 1);
    return 0;
}

void DFrame::startReadTimer(int ms) {
    QTimer::singleShot(ms, this,
                       [this] { QCoreApplication::postEvent(this, new FrameMessage(WM_GETTAPTEMPO)); });
}
