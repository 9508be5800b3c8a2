// What RtMidiService keeps for each open port and for listing, and the RtMidi steps its files share.
#pragma once

#include "midi/AlsaWatch.h"
#include "midi/CablePacing.h"
#include "midi/JackWatch.h"
#include "midi/MidiInputPort.h"
#include "midi/RtMidiService.h"

#include <RtMidi.h>

#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

namespace amplix {

inline constexpr const char* kInputPortName = "MIDI In";
inline constexpr const char* kOutputPortName = "MIDI Out";

// RtMidi's own errors, caught by its error callback instead of printed or thrown.
struct ErrorTrap {
    bool failed = false;
    bool outOfMemory = false;
    void clear() { failed = outOfMemory = false; }
};
void trapRtMidiError(RtMidiError::Type type, const std::string& text, void* trap);
MidiResult openFailure(const ErrorTrap& trap);
MidiResult openFailure(const RtMidiError& error);
// Runs an open; what it throws becomes its result: memory, RtMidi's own errors, and anything
// else as a busy device.
template <typename Open> MidiResult guardedOpen(Open open) {
    try {
        return open();
    } catch (const std::bad_alloc&) {
        return MidiResult::NoMemory;
    } catch (const RtMidiError& error) {
        return openFailure(error);
    } catch (...) {
        return MidiResult::Allocated;
    }
}

struct RtMidiService::Listers {
    ErrorTrap trap;
    std::unique_ptr<RtMidiIn> input;
    std::unique_ptr<RtMidiOut> output;
    JackWatch jackWatch; // JACK only
    AlsaWatch alsaWatch; // ALSA only
    RtMidi::Api api = RtMidi::UNSPECIFIED;

    // Windows MM has no connections to lose: a device that went away is no longer listed.
    bool lostConnection(const std::string& device, const char* ownPort) const {
        if (api == RtMidi::LINUX_ALSA)
            return alsaWatch.lostConnection(device, ownPort);
        return api == RtMidi::UNIX_JACK && jackWatch.lostConnection(device, ownPort);
    }
};

struct RtMidiService::InputEntry {
    InputEntry(MidiHandle handle, MidiInputSink& sink) : port(handle, sink) {}
    MidiInputPort port;
    ErrorTrap trap;
    std::string device;  // the listed name it was opened by, or found again by
    bool absent = false; // the device is not listed at the moment
    // Declared last, so it is destroyed first: its thread has stopped before the port goes.
    std::unique_ptr<RtMidiIn> midi;
};

struct RtMidiService::OutputEntry {
    ErrorTrap trap;
    std::string device;
    bool absent = false;
    CableClock cable; // touched only under the service's send lock
    std::unique_ptr<RtMidiOut> midi;
};

// The listed ports, without our own (which would shift the device numbers).
std::vector<std::string> visiblePorts(RtMidi& midi);
// RtMidi's number of the port listed under name; RtMidi counts our own ports too.
std::optional<unsigned> rtMidiPortNumber(RtMidi& midi, const std::string& name);
// What every input needs before its port opens: the ALSA reader sizes its buffer then, and
// JACK may deliver in the very next period.
void prepareInput(RtMidiIn& midi, MidiInputPort& port);

// A new RtMidi object on the device listed under name; null when it is not there or refuses.
template <typename Midi, typename Prepare>
std::unique_ptr<Midi> openOn(RtMidi::Api api, const std::string& device, ErrorTrap& trap,
                             const char* portName, Prepare prepare) {
    try {
        auto midi = std::make_unique<Midi>(api, kClientName);
        midi->setErrorCallback(&trapRtMidiError, &trap);
        const auto number = rtMidiPortNumber(*midi, device);
        if (!number)
            return nullptr;
        prepare(*midi);
        trap.clear();
        midi->openPort(*number, portName);
        if (trap.failed || !midi->isPortOpen())
            return nullptr;
        return midi;
    } catch (...) {
        return nullptr;
    }
}

} // namespace amplix
