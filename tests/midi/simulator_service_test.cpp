// The simulator backend (paced and immediate) and the combined device lists.
#include "midi/CombinedMidiService.h"
#include "midi/SimulatorMidiService.h"
#include "midi/TestMidiService.h"

#include <gtest/gtest.h>

#include <mutex>
#include <thread>

using namespace amplix;
using Bytes = std::vector<std::uint8_t>;
using Pacing = SimulatorMidiService::Pacing;
using namespace std::chrono_literals;

namespace {

const Bytes kEditRequest(kEditBufferRequest.begin(), kEditBufferRequest.end());
const Bytes kBankReq(kBankRequest.begin(), kBankRequest.end());
const std::string kSimulator = "Amplix POD Simulator";

// Both ends of a connection, and the sink of its input: each call as it came, "data" with the
// message, "long" with the bytes, "error" for either kind of error. Paced, the calls come from
// the simulator's wire thread.
struct Port : MidiInputSink {
    struct Event {
        MidiHandle handle;
        std::string kind;
        std::uint32_t message;
        Bytes bytes;
    };
    void midiData(MidiHandle h, std::uint32_t m) override { add({h, "data", m, {}}); }
    void midiError(MidiHandle h, std::uint32_t m) override { add({h, "error", m, {}}); }
    void midiLongError(MidiHandle h, std::shared_ptr<SysexBuffer>) override { add({h, "error", 0, {}}); }
    void midiLongData(MidiHandle h, std::shared_ptr<SysexBuffer> b) override {
        add({h, "long", 0, {b->data.begin(), b->data.begin() + b->bytesRecorded}});
    }
    void add(Event e) {
        std::lock_guard lock(mutex);
        events.push_back(std::move(e));
    }
    // The calls so far, once there are count of them; the limit only keeps a broken build from hanging.
    std::vector<Event> seen(std::size_t count = 0) {
        for (const auto end = std::chrono::steady_clock::now() + 20s;; std::this_thread::sleep_for(1ms)) {
            std::lock_guard lock(mutex);
            if (events.size() >= count || std::chrono::steady_clock::now() > end)
                return events;
        }
    }
    // Opens and starts both ports; with a request, arms a buffer and sends it.
    void connect(MidiService& service, const Bytes& request = {}, unsigned inIndex = 0,
                 unsigned outIndex = 0) {
        EXPECT_EQ(service.openOutput(outIndex, out), MidiResult::Ok);
        EXPECT_EQ(service.openInput(inIndex, *this, in), MidiResult::Ok);
        EXPECT_EQ(service.startInput(in), MidiResult::Ok);
        if (!request.empty()) {
            EXPECT_EQ(service.addBuffer(in, std::make_shared<SysexBuffer>()), MidiResult::Ok);
            EXPECT_EQ(service.sendSysex(out, request.data(), request.size()), MidiResult::Ok);
        }
    }

    std::mutex mutex;
    std::vector<Event> events;
    MidiHandle in = kNoHandle, out = kNoHandle;
};

Bytes deviceDump(SimulatorMidiService& sim, bool bank) {
    Bytes dump;
    sim.withDevice([&](PodDevice& d) { dump = bank ? d.bankDump() : d.editBufferDump(); });
    return dump;
}

// Paced, a bank request whose first bytes are on the wire.
void bankUnderWay(SimulatorMidiService& sim, Port& port) {
    port.connect(sim, kBankReq);
    const auto end = std::chrono::steady_clock::now() + 20s;
    while (sim.bytesDelivered() == 0 && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(1ms);
    EXPECT_GT(sim.bytesDelivered(), 0u);
}

} // namespace

TEST(SimulatorMidiService, RequestsComeBackWholeThroughTheArmedBuffer) {
    for (auto pacing : {Pacing::Immediate, Pacing::WireSpeed}) {
        for (bool bank : {false, true}) {
            SCOPED_TRACE(testing::Message() << (bank ? "bank" : "edit buffer") << ", pacing " << int(pacing));
            Port port; // outlives the service that calls it
            SimulatorMidiService sim(pacing);
            port.connect(sim, bank ? kBankReq : kEditRequest);
            const auto events = port.seen(1);
            ASSERT_EQ(events.size(), 1u);
            EXPECT_EQ(events[0].kind, "long");
            EXPECT_EQ(events[0].handle, port.in);
            EXPECT_EQ(events[0].bytes.size(), bank ? kBankDumpSize : kSingleDumpSize);
            EXPECT_EQ(events[0].bytes, deviceDump(sim, bank));
        }
    }
}

// The part that arrived comes back; the rest must not trail into the next request's answer.
TEST(SimulatorMidiService, ResetMidBankHandsBackThePartThatArrivedAndDropsTheRest) {
    Port port;
    SimulatorMidiService sim;
    bankUnderWay(sim, port);
    ASSERT_EQ(sim.resetInput(port.in), MidiResult::Ok);
    const auto part = port.seen();
    ASSERT_EQ(part.size(), 1u);
    EXPECT_EQ(part[0].kind, "long");
    ASSERT_GT(part[0].bytes.size(), 0u);
    ASSERT_LT(part[0].bytes.size(), kBankDumpSize);
    const Bytes bank = deviceDump(sim, true);
    EXPECT_EQ(part[0].bytes, Bytes(bank.begin(), bank.begin() + std::ptrdiff_t(part[0].bytes.size())));

    ASSERT_EQ(sim.startInput(port.in), MidiResult::Ok);
    ASSERT_EQ(sim.addBuffer(port.in, std::make_shared<SysexBuffer>()), MidiResult::Ok);
    ASSERT_EQ(sim.sendSysex(port.out, kEditRequest.data(), kEditRequest.size()), MidiResult::Ok);
    port.seen(2);
    sim.waitUntilIdle();
    const auto events = port.seen();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1].kind, "long");
    EXPECT_EQ(events[1].bytes, deviceDump(sim, false));
}

TEST(SimulatorMidiService, NothingReachesTheSinkAfterCloseOrDestruction) {
    Port port;
    {
        SimulatorMidiService sim;
        bankUnderWay(sim, port);
        ASSERT_EQ(sim.closeInput(port.in), MidiResult::Ok);
        const std::size_t delivered = sim.bytesDelivered();
        ASSERT_EQ(sim.sendShort(port.out, packShortMessage(kProgramChange, 2)), MidiResult::Ok);
        sim.waitUntilIdle();
        EXPECT_EQ(sim.bytesDelivered(), delivered + 2) << "the echo went out on the wire";
        EXPECT_EQ(sim.startInput(port.in), MidiResult::InvalidHandle);
    }
    {
        SimulatorMidiService sim; // goes while the bank is on the wire, without waiting for it
        bankUnderWay(sim, port);
    }
    EXPECT_TRUE(port.seen().empty());
}

TEST(SimulatorMidiService, OpenSendAndProgramChangeResults) {
    Port port;
    SimulatorMidiService sim(Pacing::Immediate);
    MidiHandle handle = 99;
    EXPECT_EQ(sim.openInput(1, port, handle), MidiResult::BadDeviceId);
    EXPECT_EQ(handle, kNoHandle);
    port.connect(sim);
    EXPECT_EQ(sim.openOutput(0, handle), MidiResult::Allocated) << "one program at a time";
    EXPECT_EQ(sim.openInput(0, port, handle), MidiResult::Allocated);
    EXPECT_NE(sim.sendSysex(port.out, kEditRequest.data(), 0), MidiResult::Ok) << "empty";
    EXPECT_NE(sim.sendSysex(port.in, kEditRequest.data(), kEditRequest.size()), MidiResult::Ok)
        << "an input handle";

    // A program change loads the patch and is echoed, as the device does.
    ASSERT_EQ(sim.sendShort(port.out, packShortMessage(kProgramChange, 5)), MidiResult::Ok);
    const auto events = port.seen();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, "data");
    EXPECT_EQ(events[0].message, packShortMessage(kProgramChange, 5));
    sim.withDevice([](PodDevice& d) { EXPECT_EQ(d.currentProgram(), 5); });

    const MidiHandle oldIn = port.in;
    EXPECT_EQ(sim.closeOutput(port.out), MidiResult::Ok);
    EXPECT_EQ(sim.closeInput(port.in), MidiResult::Ok);
    EXPECT_NE(sim.sendSysex(port.out, kEditRequest.data(), kEditRequest.size()), MidiResult::Ok)
        << "a closed output";
    port.connect(sim);
    EXPECT_NE(port.in, oldIn) << "handles are never reused";
}

TEST(CombinedMidiService, ListsTheSimulatorLastAndRoutesByHandle) {
    auto system = std::make_unique<TestMidiService>();
    system->inputs = {"Port A in"};
    system->outputs = {"Port A out", "Port B out"};
    TestMidiService* systemSide = system.get();
    CombinedMidiService combined(std::move(system),
                                 std::make_unique<SimulatorMidiService>(Pacing::Immediate));
    EXPECT_EQ(std::make_pair(combined.inputCount(), combined.outputCount()), std::make_pair(2u, 3u));
    const std::vector<std::string> names{combined.inputName(0), combined.inputName(1), combined.inputName(2),
                                         combined.outputName(1), combined.outputName(2)};
    EXPECT_EQ(names, (std::vector<std::string>{"Port A in", kSimulator, "", "Port B out", kSimulator}));
    Port port;
    MidiHandle handle = kNoHandle;
    EXPECT_EQ(combined.openInput(2, port, handle), MidiResult::BadDeviceId);
    EXPECT_EQ(combined.openOutput(3, handle), MidiResult::BadDeviceId);

    port.connect(combined, kEditRequest, 1, 2);
    ASSERT_EQ(combined.openOutput(1, handle), MidiResult::Ok);
    EXPECT_EQ(systemSide->calls.back(), "openOutput 1");
    ASSERT_EQ(combined.sendShort(handle, packShortMessage(kControlChange, 13, 100)), MidiResult::Ok);
    const auto events = port.seen();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].handle, port.in);
    EXPECT_EQ(events[0].bytes.size(), kSingleDumpSize);
    EXPECT_TRUE(systemSide->sentSysex().empty()) << "the request went to the simulator";
    EXPECT_EQ(systemSide->sentShort(), std::vector<std::uint32_t>{packShortMessage(kControlChange, 13, 100)});
    EXPECT_EQ(combined.closeInput(port.in), MidiResult::Ok);
    EXPECT_EQ(combined.startInput(port.in), MidiResult::InvalidHandle);

    // Without a MIDI system the simulator is device 0 of both lists.
    CombinedMidiService alone(nullptr, std::make_unique<SimulatorMidiService>(Pacing::Immediate));
    EXPECT_EQ(std::make_pair(alone.inputCount(), alone.outputName(0)), std::make_pair(1u, kSimulator));
    Port bank;
    bank.connect(alone, kBankReq);
    ASSERT_EQ(bank.seen().size(), 1u);
    EXPECT_EQ(bank.seen()[0].bytes.size(), kBankDumpSize);
}
