// The RtMidi steps shared by the service's files: errors, listing, finding a port, input set-up.
#include "midi/RtMidiEntries.h"

namespace amplix {

namespace {

// RtMidi's ALSA reader decodes into a buffer of this size; the bank dump must fit in one.
constexpr unsigned kInputBufferSize = unsigned(kSysexBufferSize);
constexpr unsigned kInputBufferCount = 4;

// Runs on RtMidi's input thread: hand the bytes on and nothing else.
void deliverInput(double, std::vector<unsigned char>* message, void* user) {
    if (message && !message->empty())
        static_cast<MidiInputPort*>(user)->receive(message->data(), message->size());
}

} // namespace

// Warnings (an unknown port number, no JACK server) are answered by our own checks; real
// errors become result codes. Either way nothing is printed and nothing is thrown.
void trapRtMidiError(RtMidiError::Type type, const std::string&, void* user) {
    if (type == RtMidiError::WARNING || type == RtMidiError::DEBUG_WARNING)
        return;
    auto* trap = static_cast<ErrorTrap*>(user);
    trap->failed = true;
    trap->outOfMemory = trap->outOfMemory || type == RtMidiError::MEMORY_ERROR;
}

MidiResult openFailure(const ErrorTrap& trap) {
    return trap.outOfMemory ? MidiResult::NoMemory : MidiResult::Allocated;
}

MidiResult openFailure(const RtMidiError& error) {
    return error.getType() == RtMidiError::MEMORY_ERROR ? MidiResult::NoMemory : MidiResult::Allocated;
}

std::vector<std::string> visiblePorts(RtMidi& midi) {
    std::vector<std::string> names;
    const unsigned count = midi.getPortCount();
    for (unsigned i = 0; i < count; ++i) {
        std::string name = midi.getPortName(i);
        if (!name.empty() && !isOwnPort(name)) // empty: the port vanished while listing
            names.push_back(std::move(name));
    }
    return names;
}

std::optional<unsigned> rtMidiPortNumber(RtMidi& midi, const std::string& name) {
    const unsigned count = midi.getPortCount();
    for (unsigned i = 0; i < count; ++i)
        if (midi.getPortName(i) == name)
            return i;
    return std::nullopt;
}

void prepareInput(RtMidiIn& midi, MidiInputPort& port) {
    midi.ignoreTypes(false, true, true);
    midi.setBufferSize(kInputBufferSize, kInputBufferCount);
    midi.setCallback(&deliverInput, &port);
}

} // namespace amplix
