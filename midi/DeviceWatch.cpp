// The status line's word on the device: gone, back, or on another channel.
#include "midi/DeviceWatch.h"

#include "app/UiTextsQt.h"
#include "midi/DeviceNames.h"

#include <QStringList>

using namespace amplix;

DeviceWatch::DeviceWatch(MidiService& midi, QObject* parent, std::function<void()> changed)
    : QObject(parent), midi_(midi), changed_(std::move(changed)) {
    look_.setInterval(kLookIntervalMs);
    connect(&look_, &QTimer::timeout, this, [this] { midi_.lookAtDevices(); });
    backShown_.setSingleShot(true);
    backShown_.setInterval(kBackShownMs);
    connect(&backShown_, &QTimer::timeout, this, [this] {
        back_.clear();
        changed_();
    });
    midi_.setDeviceListener(this);
}

DeviceWatch::~DeviceWatch() {
    midi_.setDeviceListener(nullptr);
}

void DeviceWatch::start(MidiHandle input, MidiHandle output) {
    stop();
    input_ = input;
    output_ = output;
    look_.start();
}

void DeviceWatch::stop() {
    input_ = output_ = kNoHandle;
    look_.stop();
    backShown_.stop();
    gone_.clear();
    back_.clear();
    heardChannel_.reset();
}

void DeviceWatch::heardOnChannel(int channel) {
    if (heardChannel_ == channel)
        return;
    heardChannel_ = channel;
    changed_();
}

QString DeviceWatch::notice(int editorChannel) const {
    if (!gone_.isEmpty()) {
        QStringList texts;
        for (const QString& label : gone_) {
            const QString text = qtText(text::kStatusDeviceGone).arg(label);
            if (!texts.contains(text))
                texts << text;
        }
        return texts.join(QLatin1Char(' '));
    }
    if (!back_.isEmpty())
        return back_;
    if (heardChannel_ && *heardChannel_ != editorChannel)
        return qtText(text::kStatusWrongChannel).arg(*heardChannel_ + 1).arg(editorChannel + 1);
    return {};
}

// The service may call from a thread of its own: the label is made there, the rest posted.
void DeviceWatch::deviceGone(MidiHandle port, const std::string& device) {
    const QString label = QString::fromStdString(portLabel(device));
    QMetaObject::invokeMethod(
        this, [this, port, label] { gone(port, label); }, Qt::QueuedConnection);
}

void DeviceWatch::deviceBack(MidiHandle port, const std::string& device) {
    const QString label = QString::fromStdString(portLabel(device));
    QMetaObject::invokeMethod(
        this, [this, port, label] { back(port, label); }, Qt::QueuedConnection);
}

void DeviceWatch::gone(MidiHandle port, const QString& label) {
    if (port == kNoHandle || (port != input_ && port != output_))
        return; // a port closed meanwhile
    gone_.insert(port, label);
    heardChannel_.reset(); // what comes back may be set otherwise
    back_.clear();
    backShown_.stop();
    changed_();
}

void DeviceWatch::back(MidiHandle port, const QString& label) {
    if (!gone_.remove(port))
        return;
    if (gone_.isEmpty()) {
        back_ = qtText(text::kStatusDeviceBack).arg(label);
        backShown_.start();
    }
    changed_();
}
