// The input side shared by every backend: short messages, SysEx into the armed buffer, cuts.
#include "midi/MessageJoiner.h"
#include "midi/MidiInputPort.h"
#include "patch/SysexFormat.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace amplix;
using Bytes = std::vector<std::uint8_t>;
using Events = std::vector<std::string>;

namespace {

// Each call as one line, with the buffers that came back.
struct Port : MidiInputSink {
    Events events;
    std::vector<std::shared_ptr<SysexBuffer>> buffers;
    MidiInputPort port{nextMidiHandle(), *this};

    Port() { port.start(); }
    void feed(const Bytes& bytes) { port.receive(bytes.data(), bytes.size()); }
    MidiResult arm() { return port.addBuffer(std::make_shared<SysexBuffer>()); }
    Bytes buffer(std::size_t n, std::size_t size) const {
        return {buffers[n]->data.begin(), buffers[n]->data.begin() + size};
    }

    void midiData(MidiHandle, std::uint32_t m) override { events.push_back("data " + std::to_string(m)); }
    void midiError(MidiHandle, std::uint32_t m) override { events.push_back("error " + std::to_string(m)); }
    void midiLongData(MidiHandle, std::shared_ptr<SysexBuffer> b) override { back("long ", std::move(b)); }
    void midiLongError(MidiHandle, std::shared_ptr<SysexBuffer> b) override {
        back("longerror ", std::move(b));
    }
    void back(const char* what, std::shared_ptr<SysexBuffer> b) {
        events.push_back(what + std::to_string(b->bytesRecorded));
        buffers.push_back(std::move(b));
    }
};

std::string data(std::uint8_t s, std::uint8_t d1, std::uint8_t d2 = 0) {
    return "data " + std::to_string(packShortMessage(s, d1, d2));
}

} // namespace

TEST(MidiInputPort, ShortMessagesRunningStatusStrayDataAndSysex) {
    const struct {
        const char* what;
        bool armed;
        Bytes bytes;
        Events expected;
    } cases[] = {
        {"control change", false, {0xB0, 13, 100}, {data(0xB0, 13, 100)}},
        {"running status", false, {0xB3, 1, 2, 3, 4}, {data(0xB3, 1, 2), data(0xB3, 3, 4)}},
        {"program change has one data byte", false, {0xC0, 5, 6}, {data(0xC0, 5), data(0xC0, 6)}},
        {"data without status", false, {0x40}, {"error 64"}},
        {"system common cancels running status", false, {0xF3, 2, 9}, {data(0xF3, 2), "error 9"}},
        {"tune request has no data", false, {0xF6}, {"data 246"}},
        {"real-time byte between data bytes", false, {0xB0, 7, 0xF8, 99}, {"data 248", data(0xB0, 7, 99)}},
        {"SysEx without a buffer is lost whole", false, {0xF0, 1, 2, 0xF7, 0xB0, 1, 2}, {data(0xB0, 1, 2)}},
        {"one buffer serves one SysEx", true, {0xF0, 1, 0xF7, 0xF0, 2, 0xF7}, {"long 3"}},
        {"SysEx broken by a status", true, {0xF0, 1, 2, 0xB0, 7, 8}, {"longerror 3", data(0xB0, 7, 8)}},
        {"SysEx broken by a second F0", true, {0xF0, 1, 0xF0, 2, 0xF7}, {"longerror 2"}},
    };
    for (const auto& c : cases) {
        Port p;
        ASSERT_EQ(c.armed ? p.arm() : MidiResult::Ok, MidiResult::Ok);
        p.feed(c.bytes);
        EXPECT_EQ(p.events, c.expected) << c.what;
    }
}

TEST(MidiInputPort, SysexSplitAcrossDeliveriesFillsTheOneArmedBuffer) {
    Port p;
    ASSERT_EQ(p.arm(), MidiResult::Ok);
    EXPECT_NE(p.arm(), MidiResult::Ok) << "one buffer at a time";
    EXPECT_NE(p.port.addBuffer(nullptr), MidiResult::Ok);
    p.feed({0xF0, 0x00, 0x01});
    p.feed({0x0C, 0xF7});
    ASSERT_EQ(p.events, Events{"long 5"});
    EXPECT_EQ(p.buffer(0, 6), (Bytes{0xF0, 0x00, 0x01, 0x0C, 0xF7, 0x00}));
}

// An oversized SysEx fills the buffer, which goes back cut at its size; the editor then asks for
// a dump and arms a new buffer while the rest of the long message still arrives. That rest must
// not fill the new buffer and come back as if it were the answer: the dump that follows would
// find no buffer. (Found by the fuzzer: F0, 5396 data bytes, F7, then an edit-buffer request.)
TEST(MidiInputPort, OversizedSysexIsCutAndItsTailNeverFillsALaterBuffer) {
    Port p;
    ASSERT_EQ(p.arm(), MidiResult::Ok);
    Bytes oversized(1 + 5396, 0x11);
    oversized.front() = kSysexStart;
    const std::size_t armedAt = kSysexBufferSize + 100; // the request comes while the tail arrives
    p.feed(Bytes(oversized.begin(), oversized.begin() + armedAt));
    ASSERT_EQ(p.events, Events{"long " + std::to_string(kSysexBufferSize)});
    EXPECT_EQ(p.buffers[0]->data.back(), 0x11);

    ASSERT_EQ(p.arm(), MidiResult::Ok);
    Bytes tail(oversized.begin() + armedAt, oversized.end());
    tail.push_back(kSysexEnd);
    p.feed(tail);
    EXPECT_EQ(p.events.size(), 1u) << "the tail came back as a message: " << p.events.back();
    EXPECT_TRUE(p.port.hasBuffer());

    p.feed({0xB0, 1, 2}); // nor is the tail mistaken for new input
    EXPECT_EQ(p.events.back(), data(0xB0, 1, 2));
    const Bytes answer(kEditBufferRequest.begin(), kEditBufferRequest.end());
    p.feed(answer);
    ASSERT_EQ(p.events.back(), "long 8");
    EXPECT_EQ(p.buffer(1, 8), answer);
}

TEST(MidiInputPort, ResetHandsBackWhatArrivedAndCloseSilencesTheSink) {
    Port p;
    ASSERT_EQ(p.arm(), MidiResult::Ok);
    p.feed({0xF0, 0, 1, 0x0C});
    p.port.reset();
    ASSERT_EQ(p.events, Events{"long 4"});
    p.feed({0xB0, 1, 2}); // stopped until started again
    EXPECT_EQ(p.events.size(), 1u);

    p.port.start();
    ASSERT_EQ(p.arm(), MidiResult::Ok);
    p.port.reset(); // an empty buffer comes back empty
    EXPECT_EQ(p.events.back(), "long 0");

    p.port.start();
    ASSERT_EQ(p.arm(), MidiResult::Ok);
    p.port.close();
    p.port.reset();
    p.feed({0xF0, 1, 0xF7, 0xB0, 1, 2});
    EXPECT_EQ(p.events.size(), 2u);
    EXPECT_NE(p.arm(), MidiResult::Ok);
}

// What a sender counts as a short message's length is what the input parser takes for one: for
// every status byte, the first message out of a status and two data bytes has that length.
TEST(MidiInputPort, EveryStatusByteHasTheLengthTheParserReads) {
    for (int status = 0; status < 256; ++status) {
        const std::size_t length = shortMessageLength(std::uint8_t(status));
        if (status < 0x80 || status == kSysexStart || status == kSysexEnd) {
            EXPECT_EQ(length, 0u) << status;
            continue;
        }
        Port p;
        p.feed({std::uint8_t(status), 0x11, 0x22});
        ASSERT_FALSE(p.events.empty()) << status;
        const std::uint8_t d1 = length > 1 ? 0x11 : 0, d2 = length > 2 ? 0x22 : 0;
        EXPECT_EQ(p.events.front(), data(std::uint8_t(status), d1, d2)) << status;
        // The bytes left over make one event each (a running-status repeat or stray data).
        EXPECT_EQ(p.events.size(), 4 - length) << status;
    }
}

// The joiner hands a receiver whole messages, whatever the slices: a SysEx in pieces, running
// status, real-time bytes inside a SysEx. What is broken off or too long only has its size told.
TEST(MessageJoiner, WholeMessagesOutOfAnySlices) {
    const Bytes dump = [] {
        Bytes d(300, 0x05);
        d.front() = kSysexStart;
        d.back() = kSysexEnd;
        return d;
    }();
    Bytes tooLong(kSysexBufferSize + 10, 0x01);
    tooLong.front() = kSysexStart;
    tooLong.back() = kSysexEnd;
    const struct {
        const char* what;
        std::vector<Bytes> slices;
        std::vector<Bytes> messages;
        std::vector<std::size_t> dropped;
    } cases[] = {
        {"a SysEx in three pieces",
         {{dump.begin(), dump.begin() + 256}, {dump.begin() + 256, dump.end() - 1}, {0xF7}},
         {dump},
         {}},
        {"running status, then a program change",
         {{0xB0, 13, 100, 14}, {101, 0xC0, 5}},
         {{0xB0, 13, 100}, {0xB0, 14, 101}, {0xC0, 5}},
         {}},
        {"a clock byte inside a SysEx", {{0xF0, 1, 0xF8, 2, 0xF7}}, {{0xF8}, {0xF0, 1, 2, 0xF7}}, {}},
        {"a SysEx broken off by another", {{0xF0, 1, 2, 3}, {0xF0, 4, 0xF7}}, {{0xF0, 4, 0xF7}}, {4}},
        {"broken off by a control change", {{0xF0, 1, 2, 0xB0, 7, 9}}, {{0xB0, 7, 9}}, {3}},
        {"longer than the buffer", {tooLong, {0xC0, 1}}, {{0xC0, 1}}, {kSysexBufferSize}},
        {"stray data bytes", {{0x40, 0x41}, {0xF0, 0xF7}}, {{0xF0, 0xF7}}, {}},
    };
    for (const auto& c : cases) {
        std::vector<Bytes> messages;
        std::vector<std::size_t> dropped;
        MessageJoiner joiner([&](Bytes m) { messages.push_back(std::move(m)); },
                             [&](std::size_t n) { dropped.push_back(n); });
        for (const Bytes& slice : c.slices)
            joiner.feed(slice);
        EXPECT_EQ(messages, c.messages) << c.what;
        EXPECT_EQ(dropped, c.dropped) << c.what;
    }
}
