// Dialog units from the average character size of the dialog's font.
#include "app/DialogUnits.h"

#include <QFontMetrics>
#include <QWidget>

#include <cmath>

DialogUnits::DialogUnits(const QWidget* dialog) {
    QFontMetrics metrics(dialog->font());
    int width =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    // The exact average, not the rounded one: rounding down costs a few pixels per line and
    // clips the longer texts of a template drawn for a narrower font.
    baseX_ = width / 52.0;
    baseY_ = metrics.height();
}

int DialogUnits::x(int units) const {
    return int(std::lround(units * baseX_ / 4.0));
}
int DialogUnits::y(int units) const {
    return int(std::lround(units * baseY_ / 8.0));
}

QRect DialogUnits::rect(int x, int y, int w, int h) const {
    return QRect(this->x(x), this->y(y), this->x(w), this->y(h));
}
