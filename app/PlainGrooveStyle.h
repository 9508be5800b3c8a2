// The editor's slider look: a plain groove, the thumb alone showing where the slider stands.
#pragma once

#include <QProxyStyle>

// Most of the panel's sliders send 127 minus their position, so a groove coloured from the
// range's minimum up to the thumb would look empty at the device's maximum. As on the original
// platform the groove stays plain: it is drawn as with the thumb at the minimum, where no part
// is coloured, and the ticks and the thumb then at the real position. Nothing else changes.
class PlainGrooveStyle : public QProxyStyle {
    Q_OBJECT

public:
    // baseKey names the style to draw with; the application's own when it names none known.
    explicit PlainGrooveStyle(const QString& baseKey);

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget = nullptr) const override;

    // One instance on the application's style for every slider, deleted with the application.
    static PlainGrooveStyle* shared();
};
