// Handle numbering shared by every MIDI backend.
#include "midi/MidiTypes.h"

#include <atomic>

namespace amplix {

MidiHandle nextMidiHandle() {
    static std::atomic<MidiHandle> counter{0};
    return ++counter;
}

} // namespace amplix
