// Control state as the tone map sees it, set from code without a sound and watched for the user.
#include "tone/ToneControls.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QSlider>

int controlState(const QWidget* control) {
    if (auto* slider = qobject_cast<const QAbstractSlider*>(control))
        return slider->sliderPosition(); // during a user's action the position leads the value
    if (auto* box = qobject_cast<const QAbstractButton*>(control))
        return box->isChecked() ? 1 : 0;
    if (auto* list = qobject_cast<const QComboBox*>(control))
        return list->currentIndex();
    return 0;
}

void setControlState(QWidget* control, int state) {
    const QSignalBlocker quiet(control);
    if (auto* slider = qobject_cast<QAbstractSlider*>(control)) {
        slider->setValue(state); // clamps to the range
    } else if (auto* box = qobject_cast<QAbstractButton*>(control)) {
        box->setChecked(state != 0);
    } else if (auto* list = qobject_cast<QComboBox*>(control)) {
        list->setCurrentIndex(state >= 0 && state < list->count() ? state : -1);
    }
}

void showControllerValue(const amplix::ToneParameter& parameter, QWidget* control, int value) {
    setControlState(control, amplix::controlStateForValue(parameter, value));
}

void onUserChange(QWidget* control, QObject* context, std::function<void()> handler) {
    if (auto* slider = qobject_cast<QAbstractSlider*>(control)) {
        QObject::connect(slider, &QAbstractSlider::actionTriggered, context, [handler](int) { handler(); });
        QObject::connect(slider, &QAbstractSlider::sliderReleased, context, handler);
    } else if (auto* box = qobject_cast<QAbstractButton*>(control)) {
        QObject::connect(box, &QAbstractButton::clicked, context, handler);
    } else if (auto* list = qobject_cast<QComboBox*>(control)) {
        QObject::connect(list, &QComboBox::activated, context, handler);
    }
}
