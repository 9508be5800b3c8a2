// The MIDI service: the editor's one interface to MIDI devices, whatever the backend.
#pragma once

#include "midi/MidiTypes.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace amplix {

// Receives what an open input delivers. Backends call these from their own threads (a JACK
// process thread, the simulator's wire thread), so an implementation only copies and posts.
class MidiInputSink {
public:
    virtual ~MidiInputSink() = default;
    // A complete short message, packed as status + data1 * 256 + data2 * 65536.
    virtual void midiData(MidiHandle input, std::uint32_t message) = 0;
    // The armed buffer comes back: a SysEx message ended, the buffer is full, or the input
    // was reset while the buffer was armed.
    virtual void midiLongData(MidiHandle input, std::shared_ptr<SysexBuffer> buffer) = 0;
    // Bytes that form no valid short message (a data byte with no status before it).
    virtual void midiError(MidiHandle input, std::uint32_t message) = 0;
    // A SysEx message broken off by a status byte; the armed buffer comes back with it.
    virtual void midiLongError(MidiHandle input, std::shared_ptr<SysexBuffer> buffer) = 0;
};

// Hears that the device of an open port went away or came back. Backends call these from
// whichever thread looked at the devices, so an implementation only copies and posts.
class MidiDeviceListener {
public:
    virtual ~MidiDeviceListener() = default;
    // device: the port's name as the device list shows it.
    virtual void deviceGone(MidiHandle port, const std::string& device) = 0;
    virtual void deviceBack(MidiHandle port, const std::string& device) = 0;
};

class MidiService {
public:
    virtual ~MidiService() = default;

    // Who hears of the open ports' devices; null for nobody. Once this returns, the listener
    // set before is never called again. A backend whose devices cannot go away never calls it.
    virtual void setDeviceListener(MidiDeviceListener* listener) { (void)listener; }
    // Looks at the system's devices now, as every listing does; what changed for an open port
    // reaches the listener. For a caller that wants to know without sending or listing.
    virtual void lookAtDevices() {}

    virtual unsigned inputCount() = 0;
    virtual std::string inputName(unsigned index) = 0;
    virtual unsigned outputCount() = 0;
    virtual std::string outputName(unsigned index) = 0;

    // Results: MidiResult::Ok, MidiResult::BadDeviceId (no such device), MidiResult::Allocated (device busy
    // or refused), MidiResult::NoMemory. On success the handle is set; otherwise it is kNoHandle.
    virtual MidiResult openOutput(unsigned index, MidiHandle& output) = 0;
    virtual MidiResult openInput(unsigned index, MidiInputSink& sink, MidiHandle& input) = 0;

    // Input delivers nothing until started.
    virtual MidiResult startInput(MidiHandle input) = 0;
    // Stops input and hands the armed buffer back through midiLongData with what it holds.
    virtual MidiResult resetInput(MidiHandle input) = 0;
    // After closeInput returns, the sink of that input is never called again.
    virtual MidiResult closeInput(MidiHandle input) = 0;
    // Drops output not yet sent.
    virtual MidiResult resetOutput(MidiHandle output) = 0;
    virtual MidiResult closeOutput(MidiHandle output) = 0;

    // Arms the one receive buffer of an input; it comes back through the sink.
    virtual MidiResult addBuffer(MidiHandle input, std::shared_ptr<SysexBuffer> buffer) = 0;

    virtual MidiResult sendShort(MidiHandle output, std::uint32_t message) = 0;
    // Returns once the message has been handed on whole; empty messages are refused.
    virtual MidiResult sendSysex(MidiHandle output, const std::uint8_t* data, std::size_t size) = 0;
};

} // namespace amplix
