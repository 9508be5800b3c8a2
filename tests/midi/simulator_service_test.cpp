// Tests of the simulator backend (paced and immediate) and of the combined device lists.
#include "midi/CombinedMidiService.h"
#include "midi/SimulatorMidiService.h"
#include "midi/TestMidiService.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

using namespace amplix;
using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

namespace {

const Bytes kEditRequestBytes(kEditBufferRequest.begin(), kEditBufferRequest.end());
const Bytes kBankRequestBytes(kBankRequest.begin(), kBankRequest.end());
// Only to keep a broken build from hanging; never a measure of speed.
constexpr auto kGiveUp = 20s;

class RecordingSink : public MidiInputSink {
public:
    enum class Kind { Data, LongData, Error, LongError };
    struct Event {
        Kind kind;
        MidiHandle handle;
        std::uint32_t message;
        Bytes bytes;
    };

    void midiData(MidiHandle input, std::uint32_t message) override { add({Kind::Data, input, message, {}}); }
    void midiLongData(MidiHandle input, std::shared_ptr<SysexBuffer> buffer) override {
        add({Kind::LongData, input, 0, recorded(*buffer)});
    }
    void midiError(MidiHandle input, std::uint32_t message) override {
        add({Kind::Error, input, message, {}});
    }
    void midiLongError(MidiHandle input, std::shared_ptr<SysexBuffer> buffer) override {
        add({Kind::LongError, input, 0, recorded(*buffer)});
    }

    bool waitFor(std::size_t count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, kGiveUp, [&] { return events_.size() >= count; });
    }
    std::vector<Event> events() {
        std::lock_guard lock(mutex_);
        return events_;
    }

private:
    static Bytes recorded(const SysexBuffer& b) { return {b.data.begin(), b.data.begin() + b.bytesRecorded}; }
    void add(Event e) {
        std::lock_guard lock(mutex_);
        events_.push_back(std::move(e));
        changed_.notify_all();
    }
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Event> events_;
};

struct Connection {
    MidiHandle in = kNoHandle;
    MidiHandle out = kNoHandle;
};

Connection connect(MidiService& service, RecordingSink& sink, unsigned inIndex = 0, unsigned outIndex = 0) {
    Connection c;
    EXPECT_EQ(service.openOutput(outIndex, c.out), kMidiOk);
    EXPECT_EQ(service.openInput(inIndex, sink, c.in), kMidiOk);
    EXPECT_EQ(service.startInput(c.in), kMidiOk);
    return c;
}

int send(MidiService& service, MidiHandle out, const Bytes& message) {
    return service.sendSysex(out, message.data(), message.size());
}

Bytes expectedDump(SimulatorMidiService& sim, bool bank) {
    Bytes dump;
    sim.withDevice([&](PodDevice& d) { dump = bank ? d.bankDump() : d.editBufferDump(); });
    return dump;
}

bool waitForBytes(SimulatorMidiService& sim) {
    auto giveUp = std::chrono::steady_clock::now() + kGiveUp;
    while (sim.bytesDelivered() == 0 && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(1ms);
    return sim.bytesDelivered() > 0;
}

} // namespace

TEST(SimulatorMidiService, RequestsComeBackWholeThroughTheArmedBuffer) {
    for (auto pacing : {SimulatorMidiService::Pacing::Immediate, SimulatorMidiService::Pacing::WireSpeed}) {
        RecordingSink sink; // outlives the service that calls it
        SimulatorMidiService sim(pacing);
        auto c = connect(sim, sink);
        for (bool bank : {false, true}) {
            SCOPED_TRACE(testing::Message()
                         << (bank ? "bank" : "edit buffer") << ", "
                         << (pacing == SimulatorMidiService::Pacing::Immediate ? "immediate" : "paced"));
            std::size_t before = sink.events().size();
            ASSERT_EQ(sim.addBuffer(c.in, std::make_shared<SysexBuffer>()), kMidiOk);
            auto start = std::chrono::steady_clock::now();
            ASSERT_EQ(send(sim, c.out, bank ? kBankRequestBytes : kEditRequestBytes), kMidiOk);
            ASSERT_TRUE(sink.waitFor(before + 1));
            std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
            if (pacing == SimulatorMidiService::Pacing::WireSpeed)
                std::printf("paced %s answer: %.1f ms\n", bank ? "bank" : "edit-buffer", took.count());

            auto events = sink.events();
            ASSERT_EQ(events.size(), before + 1);
            EXPECT_EQ(events.back().kind, RecordingSink::Kind::LongData);
            EXPECT_EQ(events.back().handle, c.in);
            EXPECT_EQ(events.back().bytes.size(), bank ? kBankDumpSize : kSingleDumpSize);
            EXPECT_EQ(events.back().bytes, expectedDump(sim, bank));
        }
    }
}

TEST(SimulatorMidiService, ResetMidBankHandsBackThePartThatArrived) {
    RecordingSink sink;
    SimulatorMidiService sim;
    auto c = connect(sim, sink);
    ASSERT_EQ(sim.addBuffer(c.in, std::make_shared<SysexBuffer>()), kMidiOk);
    ASSERT_EQ(send(sim, c.out, kBankRequestBytes), kMidiOk);
    ASSERT_TRUE(waitForBytes(sim));
    ASSERT_EQ(sim.resetInput(c.in), kMidiOk);

    auto events = sink.events();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, RecordingSink::Kind::LongData);
    const Bytes& part = events[0].bytes;
    ASSERT_GT(part.size(), 0u);
    ASSERT_LT(part.size(), kBankDumpSize);
    Bytes bank = expectedDump(sim, true);
    EXPECT_EQ(part, Bytes(bank.begin(), bank.begin() + std::ptrdiff_t(part.size())));

    // The rest of the bank must not trail into the next request's answer.
    ASSERT_EQ(sim.startInput(c.in), kMidiOk);
    ASSERT_EQ(sim.addBuffer(c.in, std::make_shared<SysexBuffer>()), kMidiOk);
    ASSERT_EQ(send(sim, c.out, kEditRequestBytes), kMidiOk);
    ASSERT_TRUE(sink.waitFor(2));
    sim.waitUntilIdle();
    events = sink.events();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1].kind, RecordingSink::Kind::LongData);
    EXPECT_EQ(events[1].bytes, expectedDump(sim, false));
}

TEST(SimulatorMidiService, NothingReachesTheSinkAfterCloseInput) {
    RecordingSink sink;
    SimulatorMidiService sim;
    auto c = connect(sim, sink);
    ASSERT_EQ(sim.addBuffer(c.in, std::make_shared<SysexBuffer>()), kMidiOk);
    ASSERT_EQ(send(sim, c.out, kBankRequestBytes), kMidiOk);
    ASSERT_TRUE(waitForBytes(sim));
    ASSERT_EQ(sim.closeInput(c.in), kMidiOk);
    std::size_t delivered = sim.bytesDelivered();

    ASSERT_EQ(sim.sendShort(c.out, packShortMessage(kProgramChange, 2)), kMidiOk);
    sim.waitUntilIdle();
    EXPECT_TRUE(sink.events().empty());
    EXPECT_EQ(sim.bytesDelivered(), delivered + 2) << "the echo went out on the wire";
    EXPECT_EQ(sim.startInput(c.in), kMidiInvalidHandle);
}

TEST(SimulatorMidiService, DestructionDoesNotWaitForTheWire) {
    RecordingSink sink;
    {
        SimulatorMidiService sim;
        auto c = connect(sim, sink);
        ASSERT_EQ(sim.addBuffer(c.in, std::make_shared<SysexBuffer>()), kMidiOk);
        ASSERT_EQ(send(sim, c.out, kBankRequestBytes), kMidiOk);
        ASSERT_TRUE(waitForBytes(sim));
    }
    EXPECT_TRUE(sink.events().empty());
}

TEST(SimulatorMidiService, ProgramChangeIsEchoedAsAShortMessage) {
    RecordingSink sink;
    SimulatorMidiService sim(SimulatorMidiService::Pacing::Immediate);
    auto c = connect(sim, sink);
    ASSERT_EQ(sim.sendShort(c.out, packShortMessage(kProgramChange, 5)), kMidiOk);
    auto events = sink.events();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, RecordingSink::Kind::Data);
    EXPECT_EQ(events[0].message, packShortMessage(kProgramChange, 5));
    sim.withDevice([](PodDevice& d) { EXPECT_EQ(d.currentProgram(), 5); });
}

TEST(SimulatorMidiService, OpenAndSendResults) {
    RecordingSink sink;
    SimulatorMidiService sim(SimulatorMidiService::Pacing::Immediate);
    EXPECT_EQ(sim.inputCount(), 1u);
    EXPECT_EQ(sim.outputCount(), 1u);
    EXPECT_EQ(sim.inputName(0), "Amplix POD Simulator");
    EXPECT_EQ(sim.outputName(0), "Amplix POD Simulator");

    MidiHandle in = 99, out = 99;
    EXPECT_EQ(sim.openOutput(1, out), kMidiBadDeviceId);
    EXPECT_EQ(out, kNoHandle);
    EXPECT_EQ(sim.openInput(1, sink, in), kMidiBadDeviceId);
    EXPECT_EQ(in, kNoHandle);

    auto c = connect(sim, sink);
    MidiHandle second = kNoHandle;
    EXPECT_EQ(sim.openOutput(0, second), kMidiAllocated);
    EXPECT_EQ(sim.openInput(0, sink, second), kMidiAllocated);

    const std::uint8_t none[] = {0xF0};
    EXPECT_NE(sim.sendSysex(c.out, none, 0), kMidiOk);
    EXPECT_NE(sim.sendSysex(c.in, kEditRequestBytes.data(), kEditRequestBytes.size()), kMidiOk)
        << "an input handle";

    EXPECT_EQ(sim.closeOutput(c.out), kMidiOk);
    EXPECT_EQ(sim.closeInput(c.in), kMidiOk);
    EXPECT_NE(send(sim, c.out, kEditRequestBytes), kMidiOk) << "a closed output";
    EXPECT_EQ(sim.openOutput(0, out), kMidiOk);
    EXPECT_EQ(sim.openInput(0, sink, in), kMidiOk);
    EXPECT_NE(in, c.in) << "handles are never reused";
}

TEST(CombinedMidiService, ListsTheSimulatorLastAndRoutesByHandle) {
    auto system = std::make_unique<TestMidiService>();
    system->inputs = {"Port A in"};
    system->outputs = {"Port A out", "Port B out"};
    TestMidiService* systemSide = system.get();
    RecordingSink sink;
    CombinedMidiService combined(
        std::move(system), std::make_unique<SimulatorMidiService>(SimulatorMidiService::Pacing::Immediate));

    ASSERT_EQ(combined.inputCount(), 2u);
    ASSERT_EQ(combined.outputCount(), 3u);
    EXPECT_EQ(combined.inputName(0), "Port A in");
    EXPECT_EQ(combined.inputName(1), "Amplix POD Simulator");
    EXPECT_EQ(combined.outputName(1), "Port B out");
    EXPECT_EQ(combined.outputName(2), "Amplix POD Simulator");
    EXPECT_EQ(combined.inputName(2), "");

    MidiHandle handle = kNoHandle;
    EXPECT_EQ(combined.openInput(2, sink, handle), kMidiBadDeviceId);
    EXPECT_EQ(combined.openOutput(3, handle), kMidiBadDeviceId);

    auto sim = connect(combined, sink, 1, 2);
    MidiHandle systemOut = kNoHandle;
    ASSERT_EQ(combined.openOutput(1, systemOut), kMidiOk);
    EXPECT_EQ(systemSide->calls.back(), "openOutput 1");

    ASSERT_EQ(combined.addBuffer(sim.in, std::make_shared<SysexBuffer>()), kMidiOk);
    ASSERT_EQ(send(combined, sim.out, kEditRequestBytes), kMidiOk);
    ASSERT_EQ(combined.sendShort(systemOut, packShortMessage(kControlChange, 13, 100)), kMidiOk);

    auto events = sink.events();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].handle, sim.in);
    EXPECT_EQ(events[0].bytes.size(), kSingleDumpSize);
    EXPECT_TRUE(systemSide->sentSysex().empty()) << "the request went to the simulator";
    EXPECT_EQ(systemSide->sentShort(), std::vector<std::uint32_t>{packShortMessage(kControlChange, 13, 100)});

    EXPECT_EQ(combined.closeInput(sim.in), kMidiOk);
    EXPECT_EQ(combined.startInput(sim.in), kMidiInvalidHandle);
}

TEST(CombinedMidiService, WithoutSystemMidiTheSimulatorIsDeviceZero) {
    RecordingSink sink;
    CombinedMidiService combined(
        nullptr, std::make_unique<SimulatorMidiService>(SimulatorMidiService::Pacing::Immediate));
    ASSERT_EQ(combined.inputCount(), 1u);
    EXPECT_EQ(combined.outputName(0), "Amplix POD Simulator");
    auto c = connect(combined, sink);
    ASSERT_EQ(combined.addBuffer(c.in, std::make_shared<SysexBuffer>()), kMidiOk);
    ASSERT_EQ(send(combined, c.out, kBankRequestBytes), kMidiOk);
    ASSERT_EQ(sink.events().size(), 1u);
    EXPECT_EQ(sink.events()[0].bytes.size(), kBankDumpSize);
}
