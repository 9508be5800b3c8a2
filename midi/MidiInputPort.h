// One open MIDI input: parses the incoming byte stream and fills the armed SysEx buffer.
#pragma once

#include "midi/MidiService.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

namespace amplix {

// Shared by every backend, so all of them cut, hand back and report input the same way.
// Thread-safe: bytes arrive on a backend thread while the user-interface thread arms,
// resets and closes.
class MidiInputPort {
public:
    MidiInputPort(MidiHandle handle, MidiInputSink& sink) : handle_(handle), sink_(&sink) {}

    MidiHandle handle() const { return handle_; }

    void start();
    // Stops delivery and hands the armed buffer back with what it holds.
    void reset();
    // No sink call is made once this returns.
    void close();
    MidiResult addBuffer(std::shared_ptr<SysexBuffer> buffer);
    bool hasBuffer() const;

    // Any slice of a MIDI byte stream: whole messages, parts of a SysEx, running status.
    void receive(const std::uint8_t* bytes, std::size_t size);

private:
    void handleByte(std::uint8_t byte);
    void beginSysex();
    void appendSysex(std::uint8_t byte);
    void giveBackBuffer(bool asError);
    static int dataBytesFor(std::uint8_t status);

    const MidiHandle handle_;
    MidiInputSink* sink_;
    mutable std::mutex mutex_;
    bool started_ = false;
    bool closed_ = false;

    std::shared_ptr<SysexBuffer> buffer_;
    bool inSysex_ = false;
    bool sysexToBuffer_ = false;

    std::uint8_t runningStatus_ = 0;
    std::uint8_t data_[2] = {0, 0};
    int dataCount_ = 0;
    int dataNeeded_ = 0;
};

} // namespace amplix
