// Whole MIDI messages out of a byte stream, for a receiver that takes one complete message at a time.
#pragma once

#include "midi/MidiInputPort.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace amplix {

// The editor's own input parser does the joining: short messages with running status, real-time
// bytes anywhere, a SysEx of any number of pieces. A SysEx that is broken off, or longer than
// the receive buffer, never gets through; its size so far is reported instead. Stray data bytes
// are passed over. The callbacks run inside feed(), which they must not call.
class MessageJoiner : private MidiInputSink {
public:
    using Message = std::vector<std::uint8_t>;
    using OnMessage = std::function<void(Message)>;
    using OnDropped = std::function<void(std::size_t)>;

    explicit MessageJoiner(OnMessage onMessage, OnDropped onDropped = {});
    ~MessageJoiner() override;
    MessageJoiner(const MessageJoiner&) = delete;
    MessageJoiner& operator=(const MessageJoiner&) = delete;

    void feed(std::span<const std::uint8_t> bytes);

private:
    void midiData(MidiHandle, std::uint32_t message) override;
    void midiLongData(MidiHandle, std::shared_ptr<SysexBuffer> buffer) override;
    void midiError(MidiHandle, std::uint32_t) override {}
    void midiLongError(MidiHandle, std::shared_ptr<SysexBuffer> buffer) override;

    OnMessage onMessage_;
    OnDropped onDropped_;
    MidiInputPort port_;
    std::shared_ptr<SysexBuffer> spare_; // the buffer back from the port, armed again after each byte
};

} // namespace amplix
