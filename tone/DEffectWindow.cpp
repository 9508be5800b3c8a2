// Common base of the nine effect setup windows.
#include "tone/DEffectWindow.h"

#include "app/PanelControls.h"
#include "tone/ToneControls.h"
#include "tone/ToneLists.h"
#include "tone/ToneMap.h"

#include <QComboBox>
#include <QPalette>
#include <QSlider>

namespace {

// The delay-time slider counts milliseconds; its ruler marks every tenth of the range.
constexpr int kDelayTimeTickMs = 315;

QStringList entries(std::span<const std::string_view> names) {
    QStringList list;
    for (std::string_view name : names)
        list << QString::fromLatin1(name.data(), qsizetype(name.size()));
    return list;
}

} // namespace

DEffectWindow::DEffectWindow(QWidget* parent, const QString& title, amplix::ToneWindow window)
    : QFrame(parent) {
    setWindowTitle(title);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    // Panels paint on the button-face colour; the role follows a change of the system palette.
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    setGeometry(panelPlace(window));
    hide();
}

DEffectWindow::~DEffectWindow() = default;

void DEffectWindow::setupStandardSlider(QSlider* slider, int position) {
    setupSlider(slider, 0, 127, 13, position);
}

QWidget* DEffectWindow::control(std::string_view member) const {
    return findChild<QWidget*>(QString::fromLatin1(member.data(), qsizetype(member.size())),
                               Qt::FindDirectChildrenOnly);
}

void DEffectWindow::sendParameter(std::string_view member) {
    const amplix::ToneParameter* parameter = amplix::findParameter(member);
    QWidget* widget = control(member);
    if (!parameter || !widget)
        return;
    for (auto [controller, value] : amplix::controllerMessages(*parameter, controlState(widget)))
        emit controllerChanged(controller, value);
}

void DEffectWindow::bindHandler(std::string_view member, std::function<void()> handler) {
    if (QWidget* widget = control(member))
        onUserChange(widget, this, std::move(handler));
}

void DEffectWindow::setupFromToneMap(amplix::ToneWindow window) {
    for (const amplix::ToneParameter& parameter : amplix::toneMap()) {
        if (parameter.window != window)
            continue;
        QWidget* widget = control(parameter.member);
        if (auto* slider = qobject_cast<QSlider*>(widget)) {
            if (parameter.kind == amplix::ControlKind::DelayTime)
                setupSlider(slider, 0, amplix::kDelayTimeMaxMs, kDelayTimeTickMs, parameter.initial);
            else
                setupStandardSlider(slider, parameter.initial);
        } else if (auto* list = qobject_cast<QComboBox*>(widget)) {
            fillDropDown(list, entries(amplix::listEntries(parameter.member)));
        }
        if (widget)
            setControlState(widget, parameter.initial);
    }
}
