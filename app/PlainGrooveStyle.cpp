// Sliders on a plain groove: the coloured part of the groove is left out.
#include "app/PlainGrooveStyle.h"

#include <QApplication>
#include <QPointer>
#include <QStyleOptionSlider>

PlainGrooveStyle::PlainGrooveStyle(const QString& baseKey) : QProxyStyle(baseKey) {}

void PlainGrooveStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                          QPainter* painter, const QWidget* widget) const {
    const auto* slider = qstyleoption_cast<const QStyleOptionSlider*>(option);
    if (control != CC_Slider || !slider || !(slider->subControls & SC_SliderGroove)) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    QStyleOptionSlider groove = *slider;
    groove.subControls = SC_SliderGroove;
    groove.sliderPosition = groove.sliderValue = slider->minimum;
    QProxyStyle::drawComplexControl(control, &groove, painter, widget);

    QStyleOptionSlider rest = *slider;
    rest.subControls &= ~SC_SliderGroove;
    if (rest.subControls != SC_None)
        QProxyStyle::drawComplexControl(control, &rest, painter, widget);
}

PlainGrooveStyle* PlainGrooveStyle::shared() {
    static QPointer<PlainGrooveStyle> style;
    if (!style) {
        style = new PlainGrooveStyle(QApplication::style()->name());
        style->setParent(qApp);
    }
    return style;
}
