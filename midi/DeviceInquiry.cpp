// The MIDI Universal Device Inquiry and the POD family's reply to it.
#include "midi/DeviceInquiry.h"

#include "midi/MidiBytes.h"

#include <algorithm>
#include <cstdio>

namespace amplix {
namespace {

constexpr std::uint8_t kNonRealTime = 0x7E;
constexpr std::uint8_t kGeneralInformation = 0x06;
constexpr std::uint8_t kIdentityRequest = 0x01;
constexpr std::uint8_t kIdentityReply = 0x02;
constexpr std::uint8_t kLargestChannel = 0x0F;
constexpr std::uint8_t kSevenBits = 0x7F;
// The maker's identity (00 01 0C) and the family, as the reply carries them.
constexpr std::array<std::uint8_t, 5> kMakerAndFamily = {0x00, 0x01, 0x0C, 0x00, 0x00};
constexpr std::size_t kChannelAt = 2, kMakerAt = 5, kMemberAt = 10, kRevisionAt = 12;

bool validChannel(std::uint8_t channel) {
    return channel <= kLargestChannel || channel == kInquiryAllChannels;
}

} // namespace

std::array<std::uint8_t, kInquiryRequestSize> deviceInquiry(std::uint8_t channel) {
    return {kSysexStart, kNonRealTime, channel, kGeneralInformation, kIdentityRequest, kSysexEnd};
}

std::optional<std::uint8_t> inquiryChannel(std::span<const std::uint8_t> message) {
    if (message.size() != kInquiryRequestSize || message[0] != kSysexStart || message[1] != kNonRealTime ||
        message[3] != kGeneralInformation || message[4] != kIdentityRequest || message[5] != kSysexEnd ||
        !validChannel(message[kChannelAt]))
        return std::nullopt;
    return message[kChannelAt];
}

std::vector<std::array<std::uint8_t, kInquiryRequestSize>> channelInquiries(int editorChannel) {
    std::vector<std::array<std::uint8_t, kInquiryRequestSize>> inquiries;
    const int first = editorChannel & kLargestChannel;
    inquiries.push_back(deviceInquiry(std::uint8_t(first)));
    for (int channel = 0; channel <= kLargestChannel; ++channel)
        if (channel != first)
            inquiries.push_back(deviceInquiry(std::uint8_t(channel)));
    return inquiries;
}

std::optional<int> answeringChannel(const std::vector<int>& answered, int editorChannel) {
    if (answered.empty())
        return std::nullopt;
    if (std::find(answered.begin(), answered.end(), editorChannel) != answered.end())
        return editorChannel;
    return answered.front();
}

std::array<std::uint8_t, kInquiryReplySize> inquiryReply(const DeviceIdentity& identity) {
    std::array<std::uint8_t, kInquiryReplySize> reply = {kSysexStart, kNonRealTime, identity.channel,
                                                         kGeneralInformation, kIdentityReply};
    std::copy(kMakerAndFamily.begin(), kMakerAndFamily.end(), reply.begin() + kMakerAt);
    reply[kMemberAt] = std::uint8_t(identity.member & kSevenBits);
    reply[kMemberAt + 1] = std::uint8_t((identity.member >> 8) & kSevenBits);
    std::copy(identity.revision.begin(), identity.revision.end(), reply.begin() + kRevisionAt);
    reply.back() = kSysexEnd;
    return reply;
}

std::optional<DeviceIdentity> readInquiryReply(std::span<const std::uint8_t> message) {
    if (message.size() != kInquiryReplySize || message[0] != kSysexStart || message[1] != kNonRealTime ||
        message[3] != kGeneralInformation || message[4] != kIdentityReply || message.back() != kSysexEnd ||
        !validChannel(message[kChannelAt]) ||
        !std::equal(kMakerAndFamily.begin(), kMakerAndFamily.end(), message.begin() + kMakerAt))
        return std::nullopt;
    DeviceIdentity identity;
    identity.channel = message[kChannelAt];
    if (message[kMemberAt] > kSevenBits || message[kMemberAt + 1] > kSevenBits)
        return std::nullopt;
    identity.member = std::uint16_t(message[kMemberAt] | (message[kMemberAt + 1] << 8));
    for (std::size_t k = 0; k < identity.revision.size(); ++k) {
        const std::uint8_t digit = message[kRevisionAt + k];
        if (digit < '0' || digit > '9')
            return std::nullopt;
        identity.revision[k] = char(digit);
    }
    return identity;
}

std::string describeDevice(const DeviceIdentity& identity) {
    const auto& r = identity.revision;
    // "0100" is 1.00: the first two digits without a leading zero, then the last two.
    std::string software = r[0] == '0' ? std::string(1, r[1]) : std::string{r[0], r[1]};
    software += '.';
    software += std::string{r[2], r[3]};
    switch (identity.member) {
    case kPodMember:
        return "a POD (software " + software + ")";
    case kPodProMember:
        return "a POD Pro (software " + software + ")";
    default: {
        char member[8];
        std::snprintf(member, sizeof member, "%04X", unsigned(identity.member));
        return "a POD-family device (member 0x" + std::string(member) + ")";
    }
    }
}

} // namespace amplix
