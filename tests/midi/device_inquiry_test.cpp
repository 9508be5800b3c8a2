// The device inquiry: the request on each channel, the POD family's reply read back and named,
// and the device model answering only where the device would.
#include "device/PodDevice.h"
#include "midi/DeviceInquiry.h"

#include <gtest/gtest.h>

using namespace amplix;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes reply(std::uint8_t channel, std::uint8_t lsb, std::uint8_t msb, const char* revision = "0100") {
    Bytes r = {0xF0, 0x7E, channel, 0x06, 0x02, 0x00, 0x01, 0x0C, 0x00, 0x00, lsb, msb};
    for (int k = 0; k < 4; ++k)
        r.push_back(std::uint8_t(revision[k]));
    r.push_back(0xF7);
    return r;
}

} // namespace

TEST(DeviceInquiry, RequestAndReplyAsTheWireCarriesThem) {
    const auto onThree = deviceInquiry(3);
    EXPECT_EQ(Bytes(onThree.begin(), onThree.end()), (Bytes{0xF0, 0x7E, 0x03, 0x06, 0x01, 0xF7}));
    for (std::uint8_t channel : {0, 15, 0x7F}) {
        const auto request = deviceInquiry(channel);
        EXPECT_EQ(inquiryChannel(request), channel);
    }
    EXPECT_EQ(inquiryChannel(Bytes{0xF0, 0x7E, 0x10, 0x06, 0x01, 0xF7}), std::nullopt); // no such channel
    EXPECT_EQ(inquiryChannel(Bytes{0xF0, 0x7F, 0x00, 0x06, 0x01, 0xF7}), std::nullopt); // real time
    EXPECT_EQ(inquiryChannel(Bytes{0xF0, 0x7E, 0x00, 0x06, 0x01}), std::nullopt);

    const DeviceIdentity pod{2, kPodMember, {'0', '1', '0', '0'}};
    const auto bytes = inquiryReply(pod);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.end()), reply(2, 0x00, 0x01));
    const auto back = readInquiryReply(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->channel, 2);
    EXPECT_EQ(back->member, kPodMember);
}

// What a reply says of the device, and what is no reply of the family at all.
TEST(DeviceInquiry, RepliesAreNamedOrRefused) {
    const std::pair<Bytes, std::string> named[] = {
        {reply(0, 0x00, 0x01), "a POD (software 1.00)"},
        {reply(0x7F, 0x00, 0x04, "0203"), "a POD Pro (software 2.03)"},
        {reply(5, 0x03, 0x02, "1234"), "a POD-family device (member 0x0203)"},
    };
    for (const auto& [bytes, text] : named) {
        const auto identity = readInquiryReply(bytes);
        ASSERT_TRUE(identity) << text;
        EXPECT_EQ(describeDevice(*identity), text);
    }
    Bytes otherMaker = reply(0, 0x00, 0x01);
    otherMaker[7] = 0x0D;
    Bytes otherFamily = reply(0, 0x00, 0x01);
    otherFamily[8] = 0x01;
    Bytes cut = reply(0, 0x00, 0x01);
    cut.erase(cut.end() - 2);
    const auto request = deviceInquiry(0);
    for (const Bytes& refused : {otherMaker, otherFamily, cut, reply(0, 0x00, 0x01, "01a0"),
                                 reply(0x20, 0, 1), Bytes(request.begin(), request.end())})
        EXPECT_FALSE(readInquiryReply(refused));
}

// The device answers on its own channel and on 7F, with the channel asked; in omni mode on
// every channel; otherwise it stays silent.
TEST(DeviceInquiry, TheDeviceAnswersOnItsChannelAllChannelsOrInOmniMode) {
    PodDevice pod;
    pod.setChannel(3);
    for (int asked = 0; asked < 16; ++asked) {
        const auto answers = pod.receive(deviceInquiry(std::uint8_t(asked)));
        if (asked != 3) {
            EXPECT_TRUE(answers.empty()) << asked;
            continue;
        }
        ASSERT_EQ(answers.size(), 1u);
        EXPECT_EQ(answers[0], reply(3, 0x00, 0x01));
    }
    ASSERT_EQ(pod.receive(deviceInquiry(0x7F)).size(), 1u);
    EXPECT_EQ(pod.receive(deviceInquiry(0x7F))[0], reply(0x7F, 0x00, 0x01));

    pod.setOmni(true);
    for (int asked = 0; asked < 16; ++asked) {
        const auto answers = pod.receive(deviceInquiry(std::uint8_t(asked)));
        ASSERT_EQ(answers.size(), 1u) << asked;
        EXPECT_EQ(answers[0], reply(std::uint8_t(asked), 0x00, 0x01));
    }
}

// The editor's own channel is asked first, every other once after it, in order.
TEST(DeviceInquiry, TheChannelSearchAsksTheEditorsChannelFirstAndEachOnce) {
    for (const int editor : {0, 4, 15}) {
        const auto inquiries = channelInquiries(editor);
        ASSERT_EQ(inquiries.size(), 16u);
        std::vector<int> asked;
        for (const auto& inquiry : inquiries)
            asked.push_back(*inquiryChannel(inquiry));
        std::vector<int> expected = {editor};
        for (int channel = 0; channel < 16; ++channel)
            if (channel != editor)
                expected.push_back(channel);
        EXPECT_EQ(asked, expected) << editor;
    }
    EXPECT_EQ(channelInquiries(2)[0], (std::array<std::uint8_t, 6>{0xF0, 0x7E, 0x02, 0x06, 0x01, 0xF7}));
}

TEST(DeviceInquiry, TheAnsweringChannelIsTheEditorsWhenItAnsweredElseTheFirst) {
    const struct {
        std::vector<int> answered;
        int editor;
        std::optional<int> channel;
    } cases[] = {
        {{}, 0, std::nullopt}, {{4}, 0, 4},
        {{0}, 0, 0},           {{2, 5, 7}, 5, 5}, // omni: the editor's own channel works
        {{2, 7}, 5, 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(answeringChannel(c.answered, c.editor), c.channel) << c.answered.size() << " " << c.editor;
}
