// The USB MIDI interface's sequencer port, its two DIN cables and the POD at their far end.
#pragma once

#include "AlsaSeqModel.h"
#include "device/PodDevice.h"
#include "midi/CablePacing.h"

#include <alsa/asoundlib.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace amplix {
class MessageJoiner;
}

namespace amplix::alsaseq::detail {

// A SysEx and the like carry their bytes outside the event.
inline bool isVariable(const snd_seq_event_t& event) {
    return (event.flags & SND_SEQ_EVENT_LENGTH_MASK) == SND_SEQ_EVENT_LENGTH_VARIABLE;
}

// Behaves as the kernel's bridge between a sequencer port and a rawmidi device does: events
// sent to the port are written into a bounded output buffer or dropped whole, the buffer
// drains at cable speed, and bytes coming back are turned into events one byte at a time.
// Knows no locks: the model calls it under its own.
class InterfacePort {
public:
    using Clock = std::chrono::steady_clock;
    // Hands an event from the port to its subscribers.
    using Emit = std::function<void(snd_seq_event_t&)>;

    static constexpr Clock::duration kByteTime = kCableByteTime;
    // The kernel turns input into events with a 256-byte encoder, so SysEx comes in such pieces.
    static constexpr std::size_t kInputEventSize = 256;

    explicit InterfacePort(Emit emit);
    ~InterfacePort();
    InterfacePort(const InterfacePort&) = delete;
    InterfacePort& operator=(const InterfacePort&) = delete;

    // An event delivered to the port at time now.
    void take(const snd_seq_event_t& event, Clock::time_point now);
    // Moves every byte due by now along both cables, in the order they are due; returns when the
    // next byte is due, or time_point::max() when both cables are empty.
    Clock::time_point advance(Clock::time_point now);
    bool idle() const { return output_.empty() && returnCable_.empty(); }
    bool outputEmpty() const { return output_.empty(); }

    // The kernel opens the rawmidi output while someone is subscribed to write to the port, and
    // the input while someone reads from it. Without input, bytes from the device are lost.
    bool outputOpen() const { return outputOpen_; }
    bool inputOpen() const { return inputOpen_; }
    void openOutput();
    void closeOutput(); // drops what is still in the buffer
    void openInput();
    void closeInput() { inputOpen_ = false; }

    // The interface goes away: what is in flight is lost, a SysEx half received by the device is
    // broken off.
    void disconnect();
    void resetDevice();
    void setOutputBufferSize(std::size_t bytes) { outputCapacity_ = bytes; }
    void setSysexWriteChunk(std::size_t bytes) { sysexWriteChunk_ = bytes; }

    PodDevice& device() { return device_; }
    // What the device sends on its own, the user at it: onto the cable back at time now.
    void deviceSends(const std::vector<std::uint8_t>& message, Clock::time_point now) {
        toReturnCable(message, now);
    }
    const Stats& stats() const { return stats_; }
    const std::vector<std::vector<std::uint8_t>>& messages() const { return messages_; }
    void clearLog() { messages_.clear(); }
    // Appends to the file AMPLIX_ALSASEQ_LOG names, if any: what the device receives and every
    // overrun, a line each, for a test in another process.
    void openLog();
    // Counters, log and the report rate limit back to zero.
    void resetCounters();

private:
    void writeSysex(const std::uint8_t* bytes, std::size_t size, Clock::time_point now);
    void countEvent(std::size_t size);
    bool fits(std::size_t size) const;
    void append(const std::uint8_t* bytes, std::size_t size, Clock::time_point now);
    void reportOverrun(std::size_t size, Clock::time_point now);
    void deviceReceives(std::vector<std::uint8_t> message, Clock::time_point at);
    void toReturnCable(const std::vector<std::uint8_t>& message, Clock::time_point at);
    void sendBack(std::uint8_t byte);

    Emit emit_;
    snd_midi_event_t* decoder_ = nullptr;
    snd_midi_event_t* encoder_ = nullptr;

    bool outputOpen_ = false;
    bool inputOpen_ = false;
    std::size_t outputCapacity_ = kDefaultOutputBufferSize;
    std::size_t sysexWriteChunk_ = 0;
    std::deque<std::uint8_t> output_;
    Clock::time_point outputDue_{};  // when the byte at the front of output_ has crossed
    Clock::time_point outputFree_{}; // when the cable to the device finished its last byte

    std::deque<std::uint8_t> returnCable_;
    Clock::time_point returnDue_{};
    Clock::time_point returnFree_{};

    PodDevice device_;
    std::unique_ptr<MessageJoiner> inlet_;
    Clock::time_point inletTime_{}; // when the byte the inlet is parsing arrived
    std::size_t bytesSinceEvent_ = 0;
    std::vector<std::vector<std::uint8_t>> messages_;
    Stats stats_;

    std::FILE* log_ = nullptr;
    std::deque<Clock::time_point> overrunReports_;
};

} // namespace amplix::alsaseq::detail
