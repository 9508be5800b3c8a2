// The MIDI trace: one line per message, written whole so lines from two threads never mix.
#include "midi/MidiTrace.h"

#include <cstdio>
#include <cstdlib>

namespace amplix {

bool midiTraceEnabled() {
    static const bool enabled = [] {
        const char* value = std::getenv("AMPLIX_MIDI_TRACE");
        return value && *value && std::string_view(value) != "0";
    }();
    return enabled;
}

std::string hexBytes(const std::uint8_t* data, std::size_t size, std::size_t maxBytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    const std::size_t shown = size > maxBytes ? maxBytes : size;
    for (std::size_t i = 0; i < shown; ++i) {
        if (i)
            out += ' ';
        out += kDigits[data[i] >> 4];
        out += kDigits[data[i] & 0x0F];
    }
    if (size > shown)
        out += " ... (" + std::to_string(size) + " bytes)";
    return out;
}

void midiTrace(std::string_view what, const std::uint8_t* data, std::size_t size) {
    if (!midiTraceEnabled())
        return;
    std::string line = "amplix32: ";
    line += what;
    if (data && size) {
        line += ": ";
        line += hexBytes(data, size);
    }
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

} // namespace amplix
