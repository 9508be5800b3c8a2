// The device model's answers to requests, dumps, store messages and program changes.
#include "device/PodDevice.h"

#include "device/FactoryPatches.h"
#include "midi/DeviceInquiry.h"
#include "midi/MidiTypes.h"
#include "tone/ToneMap.h"

#include <algorithm>

namespace amplix {
namespace {

constexpr std::uint8_t kChannelMask = 0x0F;
constexpr std::size_t kControlChangeSize = 3;
constexpr std::size_t kProgramChangeSize = 2;
constexpr std::size_t kSmallestSysex = 2;                               // F0 F7
constexpr std::array<char, 4> kSoftwareRevision = {'0', '1', '0', '0'}; // 1.00

bool isDataByte(std::uint8_t byte) {
    return (byte & kStatusBit) == 0;
}

// F0, data bytes only, F7: anything else was cut short or broken off by another status byte.
bool isWholeSysex(std::span<const std::uint8_t> message) {
    if (message.size() < kSmallestSysex || message.front() != kSysexStart || message.back() != kSysexEnd)
        return false;
    auto body = message.subspan(1, message.size() - 2);
    return std::all_of(body.begin(), body.end(), isDataByte);
}

template <std::size_t N>
bool startsWith(std::span<const std::uint8_t> message, const std::array<std::uint8_t, N>& prefix) {
    return message.size() >= N && std::equal(prefix.begin(), prefix.end(), message.begin());
}

template <std::size_t N>
bool equals(std::span<const std::uint8_t> message, const std::array<std::uint8_t, N>& expected) {
    return message.size() == N && startsWith(message, expected);
}

} // namespace

PodDevice::PodDevice() : patches_(factoryPatches()) {
    loadProgram(1);
}

std::vector<PodDevice::Message> PodDevice::receive(std::span<const std::uint8_t> message) {
    if (message.empty())
        return {};
    if (message.front() == kSysexStart)
        return receiveSysex(message);
    return receiveShort(message);
}

std::vector<PodDevice::Message> PodDevice::receiveShort(std::span<const std::uint8_t> message) {
    std::uint8_t status = message[0];
    if (isDataByte(status) || status >= kSystemMessage || (status & kChannelMask) != channel_)
        return {};
    switch (status & kMessageTypeMask) {
    case kControlChange:
        if (message.size() >= kControlChangeSize && isDataByte(message[1]) && isDataByte(message[2]))
            applyController(message[1], message[2]);
        return {};
    case kProgramChange: {
        if (message.size() < kProgramChangeSize || !isDataByte(message[1]))
            return {};
        int program = message[1];
        if (program > kLastProgram)
            return {};
        loadProgram(program);
        if (!echoProgramChange_)
            return {};
        return {programChange(program)};
    }
    default:
        return {};
    }
}

std::vector<PodDevice::Message> PodDevice::receiveSysex(std::span<const std::uint8_t> message) {
    if (!isWholeSysex(message))
        return {};
    // Who it is: asked on its channel, on all channels, or on any one in omni mode; the reply
    // carries the channel asked.
    if (const auto asked = inquiryChannel(message)) {
        if (*asked != channel_ && *asked != kInquiryAllChannels && !omni_)
            return {};
        const auto reply = inquiryReply(DeviceIdentity{*asked, kPodMember, kSoftwareRevision});
        return {Message(reply.begin(), reply.end())};
    }
    if (equals(message, kEditBufferRequest))
        return {editBufferDump()};
    if (equals(message, kBankRequest))
        return {bankDump()};

    switch (message.size()) {
    case kSingleDumpSize:
        if (startsWith(message, sysExHeader) && !firstInvalidDumpByte(message))
            takeEditBuffer(readRecord(message, kDumpDataOffset));
        break;
    case kBankDumpSize:
        if (startsWith(message, sysExHeaderAll) && !firstInvalidDumpByte(message)) {
            for (std::size_t n = 0; n < kPatchLocations; ++n)
                takePatch(n, readRecord(message, bankPatchOffset(n)));
            // A new bank starts at its first patch, so the edit buffer matches what the
            // editor announces after sending one ("Patch 1A").
            loadProgram(1);
        }
        break;
    case kStoreMessageSize: {
        if (!startsWith(message, kStoreHeader) || firstInvalidDumpByte(message, kStoreDataOffset))
            break;
        std::size_t location = message[kStoreLocationOffset];
        if (location >= kPatchLocations)
            break;
        takePatch(location, readRecord(message, kStoreDataOffset));
        // Storing selects the location, as the editor's title then says.
        loadProgram(int(location) + 1);
        break;
    }
    default:
        break;
    }
    return {};
}

PodDevice::Message PodDevice::choosePatch(int program) {
    if (program < kManualMode || program > kLastProgram)
        return {};
    loadProgram(program);
    return programChange(program);
}

PodDevice::Message PodDevice::turnControl(std::uint8_t controller, std::uint8_t value) {
    controller &= ~kStatusBit;
    value &= ~kStatusBit;
    applyController(controller, value);
    return {std::uint8_t(kControlChange | channel_), controller, value};
}

void PodDevice::applyController(std::uint8_t controller, std::uint8_t value) {
    PatchRecord edited = editBuffer_;
    amplix::applyController(edited, controller, value);
    takeEditBuffer(edited);
}

PodDevice::Message PodDevice::editBufferDump() const {
    auto dump = buildSingleDump(editBuffer_, byte7_);
    return {dump.begin(), dump.end()};
}

PodDevice::Message PodDevice::bankDump() const {
    auto dump = buildBankDump(patches_, byte7_);
    return {dump.begin(), dump.end()};
}

const PatchRecord& PodDevice::patch(std::size_t location) const {
    return patches_.at(location);
}

void PodDevice::setPatch(std::size_t location, const PatchRecord& record) {
    if (location < kPatchLocations)
        takePatch(location, record);
}

bool PodDevice::setChannel(int channel) {
    if (channel < 0 || channel >= kMidiChannels)
        return false;
    channel_ = channel;
    return true;
}

bool PodDevice::setByte7(std::uint8_t value) {
    if (!isDataByte(value))
        return false;
    byte7_ = value;
    return true;
}

void PodDevice::loadProgram(int program) {
    program_ = program;
    if (program != kManualMode)
        takeEditBuffer(patches_[std::size_t(program - 1)]);
}

void PodDevice::takeEditBuffer(const PatchRecord& record) {
    if (record != editBuffer_)
        ++revision_;
    editBuffer_ = record;
}

void PodDevice::takePatch(std::size_t location, const PatchRecord& record) {
    if (record != patches_[location])
        ++revision_;
    patches_[location] = record;
}

PodDevice::Message PodDevice::programChange(int program) const {
    return {std::uint8_t(kProgramChange | channel_), std::uint8_t(program)};
}

} // namespace amplix
