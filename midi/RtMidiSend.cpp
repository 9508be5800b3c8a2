// RtMidiService's sending: short messages at once, SysEx at the pace of the cable.
#include "midi/RtMidiEntries.h"

#include "midi/MidiTrace.h"

#include <new>
#include <thread>

namespace amplix {

namespace {

// RtMidi's JACK output queues each message with an int length in front in a ring buffer of
// 16384 bytes, one of which always stays free. A longer message is dropped without a word,
// so it is refused here instead.
constexpr std::size_t kJackRingBufferSize = 16384;
constexpr std::size_t kJackLargestMessage = kJackRingBufferSize - 1 - sizeof(int);

} // namespace

MidiResult RtMidiService::sendShort(MidiHandle output, std::uint32_t message) {
    const std::uint8_t bytes[] = {shortStatus(message), shortData1(message), shortData2(message)};
    const std::size_t length = shortMessageLength(bytes[0]);
    std::lock_guard sending(sendMutex_);
    std::lock_guard lock(mutex_);
    auto it = outputs_.find(output);
    if (it == outputs_.end())
        return MidiResult::InvalidHandle;
    if (length == 0)
        return MidiResult::Error;
    if (Clock::now() - lastLook_ >= kShortSendLookInterval)
        ensureListers();
    OutputEntry& entry = *it->second;
    const MidiResult result = sendBytes(entry, bytes, length);
    if (result == MidiResult::Ok)
        entry.cable.carry(length, Clock::now());
    return result;
}

MidiResult RtMidiService::sendSysex(MidiHandle output, const std::uint8_t* data, std::size_t size) {
    std::lock_guard sending(sendMutex_);
    std::shared_ptr<OutputEntry> entry;
    std::size_t pieceSize = 0;
    {
        std::lock_guard lock(mutex_);
        auto it = outputs_.find(output);
        if (it == outputs_.end())
            return MidiResult::InvalidHandle;
        if (!data || size == 0) // RtMidi throws std::out_of_range on an empty message
            return MidiResult::Error;
        if (system_ == System::Jack && size > kJackLargestMessage)
            return MidiResult::Error;
        entry = it->second;
        // The kernel hands a sequencer event to a hardware port only when all of it fits into the
        // port's buffer (4096 bytes by default) and drops it silently otherwise: on ALSA a long
        // SysEx goes in pieces, which RtMidi's encoder turns into one SysEx event each. That holds
        // only while nothing longer than a piece ever went through the RtMidiOut: its encoder grows
        // to the longest message sent and holds back pieces that do not fill it. JACK carries a
        // whole message in one period, and its receivers take it whole. Windows MM takes a SysEx
        // whole too (RtMidi's send returns once the driver has played it) and only whole: RtMidi
        // hands a piece that does not start with F0 to the driver as a short message.
        pieceSize = system_ == System::Alsa ? kSysexPieceSize : 0;
    }

    // Every piece looks at the device first. One that went away half-way, even one already back,
    // has a broken message: the send fails instead of reporting what never arrived.
    const RtMidiOut* connection = nullptr;
    bool firstPiece = true;
    const auto hand = [&](std::span<const std::uint8_t> piece) -> MidiResult {
        std::lock_guard lock(mutex_);
        if (!outputs_.count(output))
            return MidiResult::InvalidHandle;
        ensureListers(true);
        if (firstPiece)
            connection = entry->midi.get();
        else if (entry->midi.get() != connection) {
            midiTrace("the device went away in the middle of a message");
            return MidiResult::Error;
        }
        firstPiece = false;
        return sendBytes(*entry, piece.data(), piece.size());
    };
    return sendPaced(
        std::span(data, size), pieceSize, entry->cable, [] { return Clock::now(); },
        [](Clock::time_point until) {
            // A sleep can end before its time where the system's timer counts in coarser steps
            // (Windows rounds to milliseconds): sleep again until the time has come.
            while (Clock::now() < until)
                std::this_thread::sleep_until(until);
        },
        hand);
}

MidiResult RtMidiService::sendBytes(OutputEntry& entry, const std::uint8_t* data, std::size_t size) {
    dropClientsOfGoneServer();
    if (!entry.midi || entry.absent)
        return MidiResult::Error; // its device or its server went away
    try {
        entry.trap.clear();
        // On JACK this waits while RtMidi's queue is full and returns once the message is
        // queued whole; the next process period puts it on the wire. On ALSA the sequencer
        // delivers it at once.
        entry.midi->sendMessage(data, size);
        return entry.trap.failed ? MidiResult::Error : MidiResult::Ok;
    } catch (const std::bad_alloc&) {
        return MidiResult::NoMemory;
    } catch (...) {
        return MidiResult::Error;
    }
}

} // namespace amplix
