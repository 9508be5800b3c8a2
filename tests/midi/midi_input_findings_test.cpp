// Input port cases the fuzzer found (fuzz/regressions/midi_input holds the original inputs).
#include "midi/MidiInputPort.h"
#include "patch/SysexFormat.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace amplix;

namespace {

using Bytes = std::vector<std::uint8_t>;

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

} // namespace

// An oversized SysEx fills the buffer, which goes back; the editor then asks for a dump and arms a
// new buffer while the rest of the long message still arrives. That rest must not fill the new
// buffer and come back as if it were the answer: the dump that follows would find no buffer.
TEST(MidiInputFindings, TailOfAnOversizedSysexNeverFillsALaterBuffer) {
    Recorder sink;
    MidiInputPort port(nextMidiHandle(), sink);
    port.start();
    ASSERT_EQ(port.addBuffer(std::make_shared<SysexBuffer>()), kMidiOk);

    // The fuzzer's input: F0, 5396 data bytes, F7, then an edit-buffer request.
    Bytes oversized = {0xF0};
    oversized.resize(1 + 5396, 0x11);
    const std::size_t armedAt = kSysexBufferSize + 100; // the request comes while the tail arrives
    port.receive(oversized.data(), armedAt);
    ASSERT_EQ(sink.events, std::vector<std::string>{"long " + std::to_string(kSysexBufferSize)});

    ASSERT_EQ(port.addBuffer(std::make_shared<SysexBuffer>()), kMidiOk);
    port.receive(oversized.data() + armedAt, oversized.size() - armedAt);
    const Bytes end = {0xF7};
    port.receive(end.data(), end.size());
    EXPECT_EQ(sink.events.size(), 1u) << "the tail came back as a message: " << sink.events.back();
    EXPECT_TRUE(port.hasBuffer());

    const Bytes answer(kEditBufferRequest.begin(), kEditBufferRequest.end());
    port.receive(answer.data(), answer.size());
    ASSERT_EQ(sink.events.back(), "long 8");
    const SysexBuffer& b = *sink.buffers.back();
    EXPECT_EQ(Bytes(b.data.begin(), b.data.begin() + 8), answer);
}
