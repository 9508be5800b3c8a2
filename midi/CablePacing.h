// The pace of a MIDI cable: how long bytes take on it, and how a long SysEx is handed on in pieces.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <type_traits>
#include <vector>

namespace amplix {

// A transfer shorter than this shows no progress: only the bank takes long enough.
inline constexpr int kProgressDelayMs = 500;

// 31250 baud and ten bits on the wire for every byte.
inline constexpr std::chrono::microseconds kCableByteTime{320};
// A SysEx longer than this goes out in pieces of this size: ALSA's own size for a SysEx event,
// and small enough for the output buffer of every MIDI interface on the way.
inline constexpr std::size_t kSysexPieceSize = 256;

constexpr std::chrono::microseconds cableTime(std::size_t bytes) {
    return std::chrono::microseconds(kCableByteTime.count() * std::int64_t(bytes));
}

// How much of a message of total bytes the cable has carried `elapsed` after it began. A MIDI
// input hands on a SysEx only whole, so the cable is the only measure of a transfer's progress.
constexpr std::size_t bytesCarried(std::chrono::nanoseconds elapsed, std::size_t total) {
    if (elapsed.count() <= 0)
        return 0;
    return std::min(total, std::size_t(elapsed / kCableByteTime));
}

// Consecutive pieces of at most pieceSize bytes; 0 means the whole message in one piece.
std::vector<std::span<const std::uint8_t>> cablePieces(std::span<const std::uint8_t> message,
                                                       std::size_t pieceSize);

// The cable behind one output: when it has carried everything handed to it so far.
class CableClock {
public:
    using Clock = std::chrono::steady_clock;

    Clock::time_point freeAt() const { return freeAt_; }
    // Bytes handed on at `at` follow whatever the cable still carries.
    Clock::time_point carry(std::size_t bytes, Clock::time_point at) {
        freeAt_ = std::max(freeAt_, at) + cableTime(bytes);
        return freeAt_;
    }

private:
    Clock::time_point freeAt_{};
};

// When each piece of a message of `bytes` handed on at `now` may go, for a caller that hands a
// piece on with the time it is due (the browser's MIDI output takes a timestamp) instead of
// waiting for it: the same pace as sendPaced below. The cable carries the pieces from then on.
struct ScheduledPiece {
    std::size_t offset = 0;
    std::size_t size = 0;
    CableClock::Clock::time_point at;
};
std::vector<ScheduledPiece> cableSchedule(std::size_t bytes, std::size_t pieceSize, CableClock& cable,
                                          CableClock::Clock::time_point now);

// Hands a message on piece by piece, each no earlier than the cable has carried everything
// before it, so no buffer on the way ever holds more than the piece just handed on. Returns
// once the last byte is due at the far end of the cable, so a time-out started afterwards
// starts when the device has the whole message. hand(piece) returns a result whose value-
// initialised state means the piece went (0, MidiResult::Ok); the first other result stops the
// send and is returned (the cable still carries what went).
// now() and sleepUntil() are the clock, so tests can run on their own.
template <typename Now, typename SleepUntil, typename Hand,
          typename Result = std::invoke_result_t<Hand, std::span<const std::uint8_t>>>
Result sendPaced(std::span<const std::uint8_t> message, std::size_t pieceSize, CableClock& cable, Now now,
                 SleepUntil sleepUntil, Hand hand) {
    for (const auto piece : cablePieces(message, pieceSize)) {
        if (cable.freeAt() > now())
            sleepUntil(cable.freeAt());
        const auto handedAt = now();
        const Result result = hand(piece);
        if (result != Result{})
            return result;
        cable.carry(piece.size(), handedAt);
    }
    if (cable.freeAt() > now())
        sleepUntil(cable.freeAt());
    return Result{};
}

} // namespace amplix
