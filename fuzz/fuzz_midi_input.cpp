// Fuzz target: a MIDI byte stream through an input port into the device model, its answers back through the
// editor's.
#include "device/PodDevice.h"
#include "files/PatchFile.h"
#include "fuzz/FuzzCheck.h"
#include "midi/MidiInputPort.h"
#include "patch/PatchDecode.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

using namespace amplix;

namespace {

using Bytes = std::vector<std::uint8_t>;

// The first two input bytes: how the stream is driven; the rest is the stream.
constexpr std::size_t kControlBytes = 2;
constexpr std::uint8_t kArmAtStart = 0x01;
constexpr std::uint8_t kRearmOnReturn = 0x02;   // as a new request does once a buffer came back
constexpr std::uint8_t kResetNowAndThen = 0x04; // as a request's time-out does
constexpr std::uint8_t kArmAnywhere = 0x08;     // a buffer armed between any two slices
constexpr std::uint8_t kChannelShift = 4;       // the device's channel in the high nibble
constexpr std::size_t kMaxAnswers = 32;         // enough to mix every kind; keeps each run short

// The slices a backend thread hands over are of any size; a small generator picks them.
class Slicer {
public:
    explicit Slicer(std::uint8_t seed) : state_(0x9E3779B9u ^ seed) {}
    std::uint32_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    std::size_t sliceSize() { return next() % 4 == 0 ? 1 + next() % 512 : 1 + next() % 8; }

private:
    std::uint32_t state_;
};

// The bytes of a packed short message, as many as its status byte takes.
Bytes shortMessageBytes(std::uint32_t message) {
    const std::uint8_t status = shortStatus(message);
    int dataBytes = 2;
    if (status >= 0xF0)
        dataBytes = status == 0xF2 ? 2 : (status == 0xF1 || status == 0xF3) ? 1 : 0;
    else if ((status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0)
        dataBytes = 1;
    Bytes bytes = {status};
    if (dataBytes >= 1)
        bytes.push_back(shortData1(message));
    if (dataBytes == 2)
        bytes.push_back(shortData2(message));
    return bytes;
}

// What every sink checks: the handle, nothing after close, and a returned buffer that is the one
// armed and holds one SysEx from its start.
struct CheckingSink : MidiInputSink {
    MidiHandle handle = kNoHandle;
    bool closed = false;
    std::shared_ptr<SysexBuffer> armed;
    std::vector<Bytes> shortMessages;
    std::vector<Bytes> sysexMessages; // whole ones, F0 to F7
    std::vector<std::shared_ptr<SysexBuffer>> returned;

    void midiData(MidiHandle input, std::uint32_t message) override {
        FUZZ_CHECK(!closed && input == handle);
        FUZZ_CHECK((shortStatus(message) & 0x80) != 0 && shortStatus(message) != kSysexStart &&
                   shortStatus(message) != kSysexEnd);
        FUZZ_CHECK(shortData1(message) < 0x80 && shortData2(message) < 0x80 && (message >> 24) == 0);
        shortMessages.push_back(shortMessageBytes(message));
    }
    void midiError(MidiHandle input, std::uint32_t message) override {
        FUZZ_CHECK(!closed && input == handle && message < 0x80);
    }
    void midiLongData(MidiHandle input, std::shared_ptr<SysexBuffer> buffer) override {
        takeBack(input, buffer, false);
    }
    void midiLongError(MidiHandle input, std::shared_ptr<SysexBuffer> buffer) override {
        takeBack(input, buffer, true);
    }

    void takeBack(MidiHandle input, const std::shared_ptr<SysexBuffer>& buffer, bool broken) {
        FUZZ_CHECK(!closed && input == handle && buffer != nullptr && buffer == armed);
        armed.reset();
        const std::size_t recorded = buffer->bytesRecorded;
        FUZZ_CHECK(recorded <= kSysexBufferSize);
        if (recorded > 0) {
            FUZZ_CHECK(buffer->data[0] == kSysexStart);
            for (std::size_t i = 1; i + 1 < recorded; ++i)
                FUZZ_CHECK(buffer->data[i] < 0x80);
            const std::uint8_t last = buffer->data[recorded - 1];
            FUZZ_CHECK(recorded == 1 || last < 0x80 || (last == kSysexEnd && !broken));
            if (recorded >= 2 && last == kSysexEnd)
                sysexMessages.emplace_back(buffer->data.begin(),
                                           buffer->data.begin() + std::ptrdiff_t(recorded));
        }
        returned.push_back(buffer);
    }
};

// Arms a fresh buffer unless one is armed; the port refuses a second one.
void arm(MidiInputPort& port, CheckingSink& sink) {
    auto buffer = std::make_shared<SysexBuffer>();
    buffer->bytesRecorded = kSysexBufferSize; // the port starts it afresh
    const MidiResult result = port.addBuffer(buffer);
    FUZZ_CHECK(result == (sink.armed ? MidiResult::Error : MidiResult::Ok));
    FUZZ_CHECK(port.hasBuffer());
    if (result == MidiResult::Ok) {
        FUZZ_CHECK(buffer->bytesRecorded == 0);
        sink.armed = buffer;
    }
}

// What the frame does with a buffer that came back: decode a whole dump, list a whole bank.
void frameTakes(const SysexBuffer& buffer) {
    std::array<std::uint8_t, kSysexBufferSize> sysEx = buffer.data;
    const DumpKind kind = classifyDump(sysEx);
    if (kind == DumpKind::SinglePatch && buffer.bytesRecorded >= kSingleDumpSize) {
        decodeSingleDump(sysEx);
    } else if (kind == DumpKind::Bank && buffer.bytesRecorded >= kBankDumpSize) {
        bankListing(sysEx);
        FUZZ_CHECK(bankEntryToSingleDump(sysEx, int(buffer.data[kDumpDataOffset] % kPatchLocations)));
        decodeSingleDump(sysEx);
    }
}

// The device's answers reach the editor's port slice by slice; each arrives whole and alone.
void editorReceives(const std::vector<PodDevice::Message>& answers, Slicer& slicer) {
    CheckingSink sink;
    MidiInputPort port(nextMidiHandle(), sink);
    sink.handle = port.handle();
    port.start();
    for (const PodDevice::Message& answer : answers) {
        const bool sysex = answer.front() == kSysexStart;
        if (sysex)
            arm(port, sink);
        const std::size_t shortBefore = sink.shortMessages.size();
        const std::size_t sysexBefore = sink.sysexMessages.size();
        for (std::size_t at = 0; at < answer.size();) {
            const std::size_t n = std::min(slicer.sliceSize(), answer.size() - at);
            port.receive(answer.data() + at, n);
            at += n;
        }
        if (sysex) {
            FUZZ_CHECK(sink.sysexMessages.size() == sysexBefore + 1 && sink.sysexMessages.back() == answer);
            frameTakes(*sink.returned.back());
        } else {
            FUZZ_CHECK(sink.shortMessages.size() == shortBefore + 1 && sink.shortMessages.back() == answer);
        }
    }
    sink.closed = true;
    port.close();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < kControlBytes)
        return 0;
    const std::uint8_t flags = data[0];
    Slicer slicer(data[1]);
    const std::span<const std::uint8_t> stream(data + kControlBytes, size - kControlBytes);

    PodDevice device;
    device.setChannel(flags >> kChannelShift);
    CheckingSink sink;
    MidiInputPort port(nextMidiHandle(), sink);
    sink.handle = port.handle();

    // Nothing is delivered before the start.
    port.receive(stream.data(), stream.size());
    FUZZ_CHECK(sink.shortMessages.empty() && sink.returned.empty());
    port.start();
    if (flags & kArmAtStart)
        arm(port, sink);

    std::vector<PodDevice::Message> answers;
    std::size_t shortDone = 0, sysexDone = 0;
    for (std::size_t at = 0; at < stream.size();) {
        const std::size_t n = std::min(slicer.sliceSize(), stream.size() - at);
        port.receive(stream.data() + at, n);
        at += n;
        // The device takes every whole message, in the order the port completed them.
        for (; shortDone < sink.shortMessages.size(); ++shortDone)
            for (auto& answer : device.receive(sink.shortMessages[shortDone]))
                answers.push_back(std::move(answer));
        for (; sysexDone < sink.sysexMessages.size(); ++sysexDone)
            for (auto& answer : device.receive(sink.sysexMessages[sysexDone]))
                answers.push_back(std::move(answer));

        if ((flags & kResetNowAndThen) && slicer.next() % 16 == 0) {
            const bool wasArmed = sink.armed != nullptr;
            const std::size_t before = sink.returned.size();
            port.reset();
            FUZZ_CHECK(!port.hasBuffer() && sink.returned.size() == before + (wasArmed ? 1 : 0));
            port.start();
        }
        if ((!sink.armed && (flags & kRearmOnReturn)) || ((flags & kArmAnywhere) && slicer.next() % 4 == 0))
            arm(port, sink);
    }

    for (const auto& answer : answers)
        FUZZ_CHECK(!answer.empty());
    if (answers.size() > kMaxAnswers)
        answers.resize(kMaxAnswers);
    editorReceives(answers, slicer);

    // After close nothing reaches the sink, and no buffer is taken.
    sink.closed = true;
    port.close();
    port.receive(stream.data(), stream.size());
    FUZZ_CHECK(port.addBuffer(std::make_shared<SysexBuffer>()) == MidiResult::InvalidHandle &&
               !port.hasBuffer());
    port.start();
    port.reset();
    port.receive(stream.data(), stream.size());
    return 0;
}
