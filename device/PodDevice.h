// A model of the POD itself: 36 stored patches, an edit buffer, and its answers to MIDI.
#pragma once

#include "patch/SysexFormat.h"
#include "tone/ToneMap.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace amplix {

// Knows no wire, no threads and no clock: whoever owns it hands it one complete message at a
// time and sends on what it returns. Not thread-safe.
class PodDevice {
public:
    using Message = std::vector<std::uint8_t>;

    static constexpr int kManualMode = 0;
    static constexpr int kLastProgram = int(kPatchLocations); // programs 1..36 are locations 0..35
    static constexpr std::uint8_t kTapValue = 127;
    // Byte 7 carries no meaning the editor knows of; a non-zero default shows whether a
    // receiver passes it on unchanged.
    static constexpr std::uint8_t kDefaultByte7 = 0x01;

    // Starts with the factory patches and patch "1A" in the edit buffer.
    PodDevice();

    // One complete message: a short message's 1 to 3 bytes or a whole SysEx from F0 to F7.
    // Returns what the device sends back, in order. Anything malformed, truncated, for another
    // channel or for another device is ignored.
    std::vector<Message> receive(std::span<const std::uint8_t> message);

    // The user at the device.
    // Chooses program 0..36 (0 = Manual Mode) and returns the program change it sends;
    // empty for a program out of range.
    Message choosePatch(int program);
    // Turns a knob or presses a switch; returns the control change it sends.
    Message turnControl(std::uint8_t controller, std::uint8_t value);
    Message tapTempo() { return turnControl(kTapTempoController, kTapValue); }

    // Applies a controller to the edit buffer, wherever it came from, as the tone map stores it;
    // a later dump shows the edit. Controllers the device only sends (tap tempo) and those
    // of an effect not in the patch change nothing. A new effect type also switches the
    // delay and the modulation effect on or off as that effect has them.
    void applyController(std::uint8_t controller, std::uint8_t value);

    Message editBufferDump() const;
    Message bankDump() const;

    const PatchRecord& editBuffer() const { return editBuffer_; }
    // Stored patch at location 0..35; throws std::out_of_range past the end.
    const PatchRecord& patch(std::size_t location) const;
    int currentProgram() const { return program_; }
    int channel() const { return channel_; }
    std::uint8_t byte7() const { return byte7_; }
    bool echoesProgramChange() const { return echoProgramChange_; }
    // Grows whenever a stored patch or the edit buffer changes, so whoever keeps them elsewhere
    // knows when to copy them again.
    std::uint64_t revision() const { return revision_; }

    void setEditBuffer(const PatchRecord& record) { takeEditBuffer(record); }
    // Locations past 35 are ignored.
    void setPatch(std::size_t location, const PatchRecord& record);
    // Channels 0..15 (0 is MIDI channel 1); others are refused.
    bool setChannel(int channel);
    // Byte 7 travels inside SysEx, so only values below 80 hexadecimal are taken.
    bool setByte7(std::uint8_t value);
    void setEchoProgramChange(bool echo) { echoProgramChange_ = echo; }
    // In omni mode the device takes every channel's device inquiry as its own.
    void setOmni(bool omni) { omni_ = omni; }
    bool omni() const { return omni_; }

private:
    std::vector<Message> receiveShort(std::span<const std::uint8_t> message);
    std::vector<Message> receiveSysex(std::span<const std::uint8_t> message);
    void loadProgram(int program);
    Message programChange(int program) const;
    void takeEditBuffer(const PatchRecord& record);
    void takePatch(std::size_t location, const PatchRecord& record);

    std::array<PatchRecord, kPatchLocations> patches_;
    PatchRecord editBuffer_{};
    int program_ = 1;
    int channel_ = 0;
    std::uint8_t byte7_ = kDefaultByte7;
    bool echoProgramChange_ = true;
    bool omni_ = false;
    std::uint64_t revision_ = 0;
};

} // namespace amplix
