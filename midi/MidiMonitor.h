// The MIDI monitor's core: what each message in or out means, and the log the frame's MIDI
// paths write into while the monitor window is open.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <vector>

namespace amplix {

enum class MidiDirection : std::uint8_t { In, Out };

// "out CC 13 Drive 100", "in Program 9 (3A)", "in SysEx 151 bytes: patch 'Brit Crunch'": the
// direction, then what the bytes mean to the device. Patch names are Latin-1, as the device
// keeps them; everything else is ASCII.
std::string describeMidi(MidiDirection direction, std::span<const std::uint8_t> bytes);

// "hh:mm:ss.mmm " for the milliseconds since midnight, then describeMidi.
std::string monitorLine(std::int64_t msOfDay, MidiDirection direction, std::span<const std::uint8_t> bytes);

struct MonitorEntry {
    std::int64_t msSinceEpoch = 0; // when the message was handed over or arrived
    MidiDirection direction = MidiDirection::In;
    std::vector<std::uint8_t> bytes;
};

// Written from the user-interface thread (sends) and the backends' threads (input), read by the
// monitor window on the user-interface thread. While nobody listens a note costs one relaxed load.
class MidiMonitorLog {
public:
    // Entries not yet taken beyond this are dropped, oldest first.
    static constexpr std::size_t kMaxPending = 10000;

    bool listening() const noexcept { return listening_.load(std::memory_order_relaxed); }
    // From now on messages are kept; wake is called (on whichever thread noted one) when the
    // first entry waits after a take().
    void listen(std::function<void()> wake);
    // Nothing more is kept, and what waits is dropped.
    void stop();

    void note(MidiDirection direction, const std::uint8_t* data, std::size_t size) {
        if (listening())
            add(direction, data, size);
    }
    // A short message packed as the MIDI service carries it.
    void noteShort(MidiDirection direction, std::uint32_t message) {
        if (listening())
            addShort(direction, message);
    }

    std::vector<MonitorEntry> take();
    // How many entries were dropped because nobody took them in time, since the last call.
    std::size_t takeDropped();

private:
    void add(MidiDirection direction, const std::uint8_t* data, std::size_t size);
    void addShort(MidiDirection direction, std::uint32_t message);

    std::atomic<bool> listening_{false};
    std::mutex mutex_;
    std::deque<MonitorEntry> pending_;
    std::size_t dropped_ = 0;
    bool woken_ = false;
    std::function<void()> wake_;
};

} // namespace amplix
