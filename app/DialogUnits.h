// Converts dialog-template units into pixels for the dialog's own font.
#pragma once

#include <QRect>

class QWidget;

// Dialog geometry is given in dialog units: a quarter of the font's average character
// width across, an eighth of its height down. Converting from the font in use keeps every
// text inside its control at any font size or scale.
class DialogUnits {
public:
    explicit DialogUnits(const QWidget* dialog);
    int x(int units) const;
    int y(int units) const;
    QRect rect(int x, int y, int w, int h) const;

private:
    double baseX_;
    double baseY_;
};
