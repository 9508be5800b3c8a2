// Options > MIDI Monitor: every message in and out of the editor's ports, live, one per line.
#pragma once

#include "midi/MidiMonitor.h"

#include <QWidget>

class QPlainTextEdit;
class QPushButton;

class DMidiMonitor : public QWidget {
    Q_OBJECT

public:
    // The lines kept; older ones go as new ones come.
    static constexpr int kMaxLines = 10000;

    DMidiMonitor(QWidget* parent, amplix::MidiMonitorLog& log);
    ~DMidiMonitor() override;

    // Everything the window shows, one message per line.
    QString text() const;
    bool paused() const;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void listen();
    void showWaiting();

    amplix::MidiMonitorLog& log_;
    QPlainTextEdit* lines_ = nullptr;
    QPushButton* pause_ = nullptr;
};
