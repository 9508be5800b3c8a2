// The busy cursor of a wait, shown only once the wait has lasted a moment.
#include "app/BusyCursor.h"

#include <QApplication>

BusyCursor::BusyCursor() {
    delay_.setSingleShot(true);
    delay_.setInterval(kDelayMs);
    connect(&delay_, &QTimer::timeout, this, [this] {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        shown_ = true;
    });
}

BusyCursor::~BusyCursor() {
    end();
}

void BusyCursor::begin() {
    if (!shown_ && !delay_.isActive())
        delay_.start();
}

void BusyCursor::end() {
    delay_.stop();
    if (shown_)
        QApplication::restoreOverrideCursor();
    shown_ = false;
}

BusyNow::BusyNow() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyNow::~BusyNow() {
    QApplication::restoreOverrideCursor();
}
