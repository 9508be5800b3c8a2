// The busy cursor of a wait: it shows only once the wait has lasted a moment, so short waits
// do not flicker.
#pragma once

#include <QObject>
#include <QTimer>

class BusyCursor : public QObject {
    Q_OBJECT

public:
    // A store takes 49 ms on the cable and a patch read about as long: neither shows it.
    static constexpr int kDelayMs = 150;

    BusyCursor();
    ~BusyCursor() override;

    // The wait begins (again): the cursor shows after the delay. A second begin changes nothing.
    void begin();
    // The wait is over: the cursor is restored, or never shows.
    void end();
    bool shown() const { return shown_; }

private:
    QTimer delay_;
    bool shown_ = false;
};

// The busy cursor at once, for as long as the object lives: for work that holds the event loop,
// where a delayed cursor could never show.
class BusyNow {
public:
    BusyNow();
    ~BusyNow();
    BusyNow(const BusyNow&) = delete;
    BusyNow& operator=(const BusyNow&) = delete;
};
