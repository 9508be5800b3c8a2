// What the status line's left part says besides the ports: a device gone or back, a channel the
// device does not listen on.
#pragma once

#include "midi/MidiService.h"

#include <QMap>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <optional>

// Hears the MIDI service on any thread and acts on the user-interface thread alone; looks at
// the devices now and then while ports are open, so a device that goes is noticed without the
// user doing anything. changed runs whenever notice() may say something else.
class DeviceWatch : public QObject, public amplix::MidiDeviceListener {
    Q_OBJECT

public:
    // A look lists the devices of both directions: well under a millisecond on JACK.
    static constexpr int kLookIntervalMs = 1000;
    // How long "... is back." stays before the ports are shown again.
    static constexpr int kBackShownMs = 4000;

    DeviceWatch(amplix::MidiService& midi, QObject* parent, std::function<void()> changed);
    ~DeviceWatch() override;

    // Ports opened: nothing is known against them yet. Ports closed: nothing is watched.
    void start(amplix::MidiHandle input, amplix::MidiHandle output);
    void stop();
    // A controller or program change of the device came on channel (0..15).
    void heardOnChannel(int channel);
    // Empty while there is nothing to say but the ports; editorChannel 0..15.
    QString notice(int editorChannel) const;

    void deviceGone(amplix::MidiHandle port, const std::string& device) override;
    void deviceBack(amplix::MidiHandle port, const std::string& device) override;

private:
    void gone(amplix::MidiHandle port, const QString& label);
    void back(amplix::MidiHandle port, const QString& label);

    amplix::MidiService& midi_;
    std::function<void()> changed_;
    QTimer look_;
    QTimer backShown_;
    amplix::MidiHandle input_ = amplix::kNoHandle, output_ = amplix::kNoHandle;
    QMap<amplix::MidiHandle, QString> gone_; // port labels, by the port's handle
    QString back_;
    std::optional<int> heardChannel_;
};
