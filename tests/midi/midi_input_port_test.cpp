// The input side shared by every backend: short messages, SysEx into the armed buffer, cuts.
#include "midi/MidiInputPort.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace amplix;

namespace {

struct Recorder : MidiInputSink {
    std::vector<std::string> events;
    std::vector<std::shared_ptr<SysexBuffer>> buffers;
    void midiData(MidiHandle, std::uint32_t m) override { events.push_back("data " + std::to_string(m)); }
    void midiLongData(MidiHandle, std::shared_ptr<SysexBuffer> b) override {
        events.push_back("long " + std::to_string(b->bytesRecorded));
        buffers.push_back(b);
    }
    void midiError(MidiHandle, std::uint32_t m) override { events.push_back("error " + std::to_string(m)); }
    void midiLongError(MidiHandle, std::shared_ptr<SysexBuffer> b) override {
        events.push_back("longerror " + std::to_string(b->bytesRecorded));
        buffers.push_back(b);
    }
};

struct Port {
    Recorder sink;
    MidiInputPort port{nextMidiHandle(), sink};
    Port() { port.start(); }
    void feed(std::vector<std::uint8_t> bytes) { port.receive(bytes.data(), bytes.size()); }
    void arm() { ASSERT_EQ(port.addBuffer(std::make_shared<SysexBuffer>()), kMidiOk); }
};

std::string data(std::uint8_t s, std::uint8_t d1, std::uint8_t d2 = 0) {
    return "data " + std::to_string(packShortMessage(s, d1, d2));
}

} // namespace

TEST(MidiInputPort, ShortMessagesWithRunningStatusAndStrayData) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        std::vector<std::string> expected;
    } cases[] = {
        {"control change", {0xB0, 13, 100}, {data(0xB0, 13, 100)}},
        {"running status", {0xB3, 1, 2, 3, 4}, {data(0xB3, 1, 2), data(0xB3, 3, 4)}},
        {"program change has one data byte", {0xC0, 5, 6}, {data(0xC0, 5), data(0xC0, 6)}},
        {"data without status", {0x40}, {"error 64"}},
        {"system common cancels running status", {0xF3, 2, 9}, {data(0xF3, 2), "error 9"}},
        {"tune request has no data", {0xF6}, {"data 246"}},
        {"real-time byte between data bytes", {0xB0, 7, 0xF8, 99}, {"data 248", data(0xB0, 7, 99)}},
    };
    for (const auto& c : cases) {
        Port p;
        p.feed(c.bytes);
        EXPECT_EQ(p.sink.events, c.expected) << c.what;
    }
}

TEST(MidiInputPort, SysexFillsTheArmedBufferOnceAndIsLostWithoutOne) {
    Port p;
    p.feed({0xF0, 1, 2, 0xF7}); // no buffer armed: lost whole
    EXPECT_TRUE(p.sink.events.empty());

    p.arm();
    p.feed({0xF0, 0x00, 0x01});
    p.feed({0x0C, 0xF7}); // split across deliveries
    ASSERT_EQ(p.sink.events, std::vector<std::string>{"long 5"});
    const auto& b = *p.sink.buffers[0];
    EXPECT_EQ(std::vector<std::uint8_t>(b.data.begin(), b.data.begin() + 6),
              (std::vector<std::uint8_t>{0xF0, 0x00, 0x01, 0x0C, 0xF7, 0x00}));

    p.feed({0xF0, 9, 0xF7}); // one buffer serves one message
    EXPECT_EQ(p.sink.events.size(), 1u);
}

TEST(MidiInputPort, OversizedSysexIsCutAtTheBufferSize) {
    Port p;
    p.arm();
    std::vector<std::uint8_t> huge(kSysexBufferSize + 300, 0x11);
    huge.front() = 0xF0;
    huge.back() = 0xF7;
    p.feed(huge);
    ASSERT_EQ(p.sink.events, std::vector<std::string>{"long " + std::to_string(kSysexBufferSize)});
    EXPECT_EQ(p.sink.buffers[0]->data.back(), 0x11);
    // The tail of the oversized message is not mistaken for new input.
    p.feed({0xB0, 1, 2});
    EXPECT_EQ(p.sink.events.back(), data(0xB0, 1, 2));
}

TEST(MidiInputPort, BrokenSysexComesBackAsAnError) {
    Port p;
    p.arm();
    p.feed({0xF0, 1, 2, 0xB0, 7, 8});
    EXPECT_EQ(p.sink.events, (std::vector<std::string>{"longerror 3", data(0xB0, 7, 8)}));

    Port q;
    q.arm();
    q.feed({0xF0, 1, 0xF0, 2, 0xF7}); // a second F0 breaks the first; no buffer left for it
    EXPECT_EQ(q.sink.events, std::vector<std::string>{"longerror 2"});
}

TEST(MidiInputPort, ResetHandsBackWhatArrivedAndCloseSilencesTheSink) {
    Port p;
    p.arm();
    p.feed({0xF0, 0, 1, 0x0C});
    p.port.reset();
    ASSERT_EQ(p.sink.events, std::vector<std::string>{"long 4"});
    p.feed({0xB0, 1, 2}); // stopped until started again
    EXPECT_EQ(p.sink.events.size(), 1u);

    p.port.start();
    p.arm();
    p.port.reset(); // an empty buffer comes back empty
    EXPECT_EQ(p.sink.events.back(), "long 0");

    p.port.start();
    p.arm();
    p.port.close();
    p.port.reset();
    p.feed({0xF0, 1, 0xF7, 0xB0, 1, 2});
    EXPECT_EQ(p.sink.events.size(), 2u);
    EXPECT_NE(p.port.addBuffer(std::make_shared<SysexBuffer>()), kMidiOk);
}

TEST(MidiInputPort, OnlyOneBufferAtATime) {
    Port p;
    p.arm();
    EXPECT_NE(p.port.addBuffer(std::make_shared<SysexBuffer>()), kMidiOk);
    EXPECT_NE(p.port.addBuffer(nullptr), kMidiOk);
}
