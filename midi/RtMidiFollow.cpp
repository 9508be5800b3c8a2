// RtMidiService following its devices: a device that goes away, a device that comes back, a
// JACK server that stops.
#include "midi/RtMidiEntries.h"

#include "midi/DeviceNames.h"
#include "midi/MidiTrace.h"

namespace amplix {

// Clients of a server that went away never work again, not even with a new server of the same
// name, and all of them are closed before a new one opens: libjack keeps one table of clients
// per process, and a dead client closed after a new one took its place in the table leaves a
// dangling entry that crashes the next close. The open ports stay open, without a client, and
// refuse to send until a listing finds their device again.
void RtMidiService::dropClientsOfGoneServer() {
    if (!listers_ || !listers_->jackWatch.serverGone())
        return;
    const auto drop = [this](MidiHandle handle, auto& entry) {
        entry.midi.reset();
        if (!entry.absent && listener_)
            listener_->deviceGone(handle, entry.device);
        entry.absent = true;
    };
    for (auto& [handle, entry] : inputs_)
        drop(handle, *entry);
    for (auto& [handle, entry] : outputs_)
        drop(handle, *entry);
    listers_.reset();
}

void RtMidiService::setDeviceListener(MidiDeviceListener* listener) {
    std::lock_guard lock(mutex_);
    listener_ = listener;
}

void RtMidiService::lookAtDevices() {
    std::lock_guard lock(mutex_);
    if (inputs_.empty() && outputs_.empty())
        return;
    try {
        ensureListers();
    } catch (...) {
        // A listing that throws finds nothing new; the next look asks again.
    }
}

// A connection ends for good when either end goes: an interface unplugged, a program with
// virtual ports that stopped, a JACK server that stopped. A port the editor holds open is
// connected again, by a new RtMidi object, once its device is listed again under its name (on
// ALSA the sequencer address at the end of the name may differ): the editor closes nothing and
// the user does nothing. While the device is not listed the port has no object and refuses to
// send, so a request fails at once instead of waiting for its time-out.
void RtMidiService::followDevices() {
    lastLook_ = Clock::now();
    const auto outputs = visiblePorts(*listers_->output);
    const auto inputs = visiblePorts(*listers_->input);
    for (auto& [handle, entry] : outputs_)
        follow(handle, *entry, outputs, kOutputPortName, [](RtMidiOut&) {});
    for (auto& [handle, entry] : inputs_)
        follow(handle, *entry, inputs, kInputPortName,
               [&port = entry->port](RtMidiIn& in) { prepareInput(in, port); });
}

template <typename Entry, typename Prepare>
void RtMidiService::follow(MidiHandle handle, Entry& entry, const std::vector<std::string>& names,
                           const char* portName, Prepare prepare) {
    const auto at = findDevice(entry.device, names);
    if (!at) {
        if (!entry.absent) {
            midiTrace("\"" + entry.device + "\" is gone; sending to it fails until it is back");
            if (listener_)
                listener_->deviceGone(handle, entry.device);
        }
        entry.absent = true;
        entry.midi.reset();
        return;
    }
    const std::string& listed = names[*at];
    if (!entry.absent && entry.midi && listed == entry.device && !listers_->lostConnection(listed, portName))
        return;
    using Midi = typename decltype(entry.midi)::element_type;
    auto midi = openOn<Midi>(listers_->api, listed, entry.trap, portName, prepare);
    if (!midi) {
        if (!entry.absent && listener_)
            listener_->deviceGone(handle, entry.device);
        entry.absent = true;
        return; // listed but refusing: tried again on the next look
    }
    std::swap(entry.midi, midi); // the old object goes here, its client with it
    entry.device = listed;
    const bool wasAbsent = entry.absent;
    entry.absent = false;
    midiTrace("\"" + listed + "\" is back; " + portName + " connected to it again");
    if (wasAbsent && listener_)
        listener_->deviceBack(handle, listed);
}

} // namespace amplix
