// The MIDI Universal Device Inquiry: asking a device who it is and on which channel it listens.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace amplix {

// Asks the device on that channel (0..15), or every device (kInquiryAllChannels).
inline constexpr std::uint8_t kInquiryAllChannels = 0x7F;
inline constexpr std::size_t kInquiryRequestSize = 6;
inline constexpr std::size_t kInquiryReplySize = 17;
std::array<std::uint8_t, kInquiryRequestSize> deviceInquiry(std::uint8_t channel);
// The channel a device inquiry asks, or nothing when the message is none.
std::optional<std::uint8_t> inquiryChannel(std::span<const std::uint8_t> message);

// Finding out which channel the device listens on, when it did not do what the editor asked on
// its own: the inquiry for each channel, the editor's first (a device in omni mode answers
// every one, and a reply can be missed while the next buffer is armed), then the others in order.
std::vector<std::array<std::uint8_t, kInquiryRequestSize>> channelInquiries(int editorChannel);
// The channel the replies came on (channels 0..15 in the order they came): the editor's own when
// it was among them, else the first; nothing when none came.
std::optional<int> answeringChannel(const std::vector<int>& answered, int editorChannel);

// The POD family's members, as their identity replies name them.
inline constexpr std::uint16_t kPodFamily = 0x0000;
inline constexpr std::uint16_t kPodMember = 0x0100;
inline constexpr std::uint16_t kPodProMember = 0x0400;

struct DeviceIdentity {
    std::uint8_t channel = 0; // as the reply gives it: the device's own, or kInquiryAllChannels
    std::uint16_t member = 0;
    std::array<char, 4> revision{}; // four ASCII digits, "0100" for software 1.00
};

// The reply of a device of the POD family, F0 7E <chan> 06 02 00 01 0C 00 00 <member LSB>
// <member MSB> <r1> <r2> <r3> <r4> F7.
std::array<std::uint8_t, kInquiryReplySize> inquiryReply(const DeviceIdentity& identity);
// A reply of the POD family read back; nothing for anything else (another maker, another
// family, a revision that is not four digits, a message cut short).
std::optional<DeviceIdentity> readInquiryReply(std::span<const std::uint8_t> message);
// "a POD (software 1.00)", "a POD Pro (software 1.00)" or "a POD-family device (member 0x0203)".
std::string describeDevice(const DeviceIdentity& identity);

} // namespace amplix
