// Joining a MIDI byte stream into whole messages with the shared input parser.
#include "midi/MessageJoiner.h"

namespace amplix {

MessageJoiner::MessageJoiner(OnMessage onMessage, OnDropped onDropped)
    : onMessage_(std::move(onMessage)), onDropped_(std::move(onDropped)), port_(nextMidiHandle(), *this) {
    port_.start();
    port_.addBuffer(std::make_shared<SysexBuffer>());
}

MessageJoiner::~MessageJoiner() {
    port_.close();
}

void MessageJoiner::feed(std::span<const std::uint8_t> bytes) {
    for (const std::uint8_t byte : bytes) {
        port_.receive(&byte, 1);
        // The port calls back under its own lock, so the buffer it handed back is armed again
        // only afterwards: one byte at a time, that is before the next SysEx begins, except for
        // the SysEx start that broke off the one before. That one found no buffer, so it goes in
        // once more.
        if (spare_) {
            port_.addBuffer(std::move(spare_));
            if (byte == kSysexStart)
                port_.receive(&byte, 1);
        }
    }
}

void MessageJoiner::midiData(MidiHandle, std::uint32_t message) {
    const std::uint8_t bytes[] = {shortStatus(message), shortData1(message), shortData2(message)};
    onMessage_(Message(bytes, bytes + shortMessageLength(bytes[0])));
}

void MessageJoiner::midiLongData(MidiHandle, std::shared_ptr<SysexBuffer> buffer) {
    const std::size_t size = buffer->bytesRecorded;
    if (size >= 2 && buffer->data[size - 1] == kSysexEnd)
        onMessage_(Message(buffer->data.begin(), buffer->data.begin() + std::ptrdiff_t(size)));
    else if (onDropped_)
        onDropped_(size); // cut at the buffer's end
    spare_ = std::move(buffer);
}

void MessageJoiner::midiLongError(MidiHandle, std::shared_ptr<SysexBuffer> buffer) {
    if (onDropped_)
        onDropped_(buffer->bytesRecorded);
    spare_ = std::move(buffer);
}

} // namespace amplix
