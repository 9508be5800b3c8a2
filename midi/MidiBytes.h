// The rules of MIDI bytes: status bytes, how long a short message is, how one travels as a word.
#pragma once

#include <cstddef>
#include <cstdint>

namespace amplix {

// Status bytes.
inline constexpr std::uint8_t kStatusBit = 0x80;
inline constexpr std::uint8_t kMessageTypeMask = 0xF0;
inline constexpr std::uint8_t kControlChange = 0xB0;
inline constexpr std::uint8_t kProgramChange = 0xC0;
inline constexpr std::uint8_t kChannelPressure = 0xD0;
inline constexpr std::uint8_t kSystemMessage = 0xF0;
inline constexpr std::uint8_t kSysexStart = 0xF0;
inline constexpr std::uint8_t kTimeCodeQuarterFrame = 0xF1;
inline constexpr std::uint8_t kSongPosition = 0xF2;
inline constexpr std::uint8_t kSongSelect = 0xF3;
inline constexpr std::uint8_t kSysexEnd = 0xF7;
inline constexpr std::uint8_t kRealTimeFirst = 0xF8; // F8 to FF may come anywhere, even inside a SysEx

inline constexpr int kMidiChannels = 16;

// How many bytes the short message that a status byte starts has on the wire; 0 for a data
// byte and for the SysEx bytes F0 and F7, which start or end no short message.
constexpr std::size_t shortMessageLength(std::uint8_t status) {
    if (status < kStatusBit || status == kSysexStart || status == kSysexEnd)
        return 0;
    switch (status & kMessageTypeMask) {
    case kProgramChange:
    case kChannelPressure:
        return 2;
    case kSystemMessage:
        if (status == kTimeCodeQuarterFrame || status == kSongSelect)
            return 2;
        return status == kSongPosition ? 3 : 1; // the others carry no data
    default:
        return 3;
    }
}

// A short message travels as one word: status + data1 * 256 + data2 * 65536.
constexpr std::uint32_t packShortMessage(std::uint8_t status, std::uint8_t data1, std::uint8_t data2 = 0) {
    return std::uint32_t(status) | (std::uint32_t(data1) << 8) | (std::uint32_t(data2) << 16);
}
constexpr std::uint8_t shortStatus(std::uint32_t message) {
    return std::uint8_t(message & 0xFF);
}
constexpr std::uint8_t shortData1(std::uint32_t message) {
    return std::uint8_t((message >> 8) & 0xFF);
}
constexpr std::uint8_t shortData2(std::uint32_t message) {
    return std::uint8_t((message >> 16) & 0xFF);
}

} // namespace amplix
