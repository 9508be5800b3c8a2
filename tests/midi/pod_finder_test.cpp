// Finding the device among decoys: the pair that answers, the channel that answers the inquiry,
// busy outputs named, the simulator asked last, nothing sent but the two requests.
#include "midi/PodFinder.h"
#include "midi/SimulatorMidiService.h"
#include "midi/TestMidiService.h"
#include "patch/SysexFormat.h"

#include <gtest/gtest.h>

using namespace amplix;
using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

namespace {

const PodFinder::Timing kQuick{60ms, 20ms};
const Bytes kRequest(kEditBufferRequest.begin(), kEditBufferRequest.end());

Bytes dump() {
    const auto d = buildSingleDump(PatchRecord{});
    return Bytes(d.begin(), d.end());
}

// Devices behind the test double's outputs: each answers on one input, on its own channel or
// (omni) on every one; others stay silent.
struct Rig {
    TestMidiService midi;
    struct Device {
        unsigned output, input;
        int channel; // -1: omni
    };
    std::vector<Device> devices;
    std::vector<unsigned> asked; // the outputs the edit-buffer request went to, in order
    std::atomic<bool> cancel{false};

    Rig() {
        midi.inputs = {"Midi Through:Midi Through Port-0 14:0",
                       "USB MIDI Interface:USB MIDI Interface MIDI 1 20:0", "Other:Other MIDI 1 24:0"};
        midi.outputs = {SimulatorMidiService::kDeviceName, "Midi Through:Midi Through Port-0 14:0",
                        "Busy:Busy MIDI 1 28:0", "USB MIDI Interface:USB MIDI Interface MIDI 1 20:0"};
        midi.onSysexSentTo = [this](unsigned output, const Bytes& bytes) {
            if (bytes == kRequest)
                asked.push_back(output);
            for (const Device& d : devices) {
                if (d.output != output)
                    continue;
                if (bytes == kRequest)
                    midi.deliverTo(d.input, dump());
                else if (const auto channel = inquiryChannel(bytes);
                         channel && (d.channel < 0 || *channel == d.channel)) {
                    const auto reply = inquiryReply({*channel, kPodMember, {'0', '1', '0', '0'}});
                    midi.deliverTo(d.input, Bytes(reply.begin(), reply.end()));
                }
            }
        };
    }
    PodSearch run() { return PodFinder(midi, kQuick).run({}, cancel); }
    std::string said(const PodSearch& s) {
        return describeSearch(s, midi.inputs[s.input], midi.outputs[s.output]);
    }
};

} // namespace

TEST(PodFinder, FindsThePairAndTheChannelPastDecoysAndBusyPorts) {
    Rig rig;
    rig.midi.outputOpenResult[2] = MidiResult::Allocated;
    rig.devices = {{3, 1, 2}, {0, 0, 0}}; // the interface's device on channel 3; the simulator
    const PodSearch found = rig.run();
    ASSERT_EQ(found.outcome, PodSearch::Outcome::Found);
    EXPECT_EQ(found.input, 1u);
    EXPECT_EQ(found.output, 3u);
    EXPECT_EQ(found.channel, 2);
    EXPECT_EQ(rig.asked, (std::vector<unsigned>{1, 3})); // the simulator would have come last
    EXPECT_EQ(
        rig.said(found),
        "Found a POD (software 1.00) on channel 3: in USB MIDI Interface MIDI 1, out USB MIDI Interface "
        "MIDI 1. In use by another program, not asked: Busy MIDI 1.");
    // Nothing but the two requests went anywhere, and every port is closed again.
    for (const auto& sent : rig.midi.sent)
        EXPECT_TRUE(sent.bytes == kRequest || inquiryChannel(sent.bytes)) << sent.bytes.size();
    EXPECT_EQ(std::count(rig.midi.calls.begin(), rig.midi.calls.end(), "closeInput"), 3);
    EXPECT_EQ(rig.midi.openInputHandle(), kNoHandle);
    EXPECT_EQ(rig.midi.openOutputHandle(), kNoHandle);
}

// A device whose answer comes on another input than the one beside its output is found by
// that input; one in omni mode answers every channel, so no channel is learned.
TEST(PodFinder, TheAnsweringInputCountsAndOmniLeavesTheChannel) {
    Rig rig;
    rig.devices = {{1, 2, -1}};
    const PodSearch found = rig.run();
    ASSERT_EQ(found.outcome, PodSearch::Outcome::Found);
    EXPECT_EQ(found.input, 2u);
    EXPECT_EQ(found.output, 1u);
    EXPECT_EQ(found.channel, std::nullopt);
    EXPECT_EQ(rig.said(found), "Found a POD (software 1.00) answering on every channel: in Other MIDI 1, out "
                               "Midi Through Port-0");
}

TEST(PodFinder, NoAnswerAndCancelSayWhy) {
    Rig rig;
    rig.midi.outputOpenResult[1] = MidiResult::Allocated;
    const PodSearch none = rig.run();
    EXPECT_EQ(none.outcome, PodSearch::Outcome::NoAnswer);
    EXPECT_EQ(rig.asked, (std::vector<unsigned>{2, 3, 0}));
    EXPECT_EQ(rig.said(none),
              "No POD answered. Check that both MIDI cables are connected and the POD is switched "
              "on. In use by another program, not asked: Midi Through Port-0.");

    rig.devices = {{3, 1, 0}};
    rig.midi.outputOpenResult.clear();
    rig.asked.clear();
    int steps = 0;
    const PodSearch stopped = PodFinder(rig.midi, kQuick)
                                  .run(
                                      [&](int done, int total) {
                                          EXPECT_EQ(total, 4 + 16);
                                          steps = done;
                                          rig.cancel = true;
                                      },
                                      rig.cancel);
    EXPECT_EQ(stopped.outcome, PodSearch::Outcome::Cancelled);
    EXPECT_EQ(steps, 1);
    EXPECT_EQ(rig.asked, (std::vector<unsigned>{1})); // the decoy, and no further
}

// The built-in simulator answers the search as the device does.
TEST(PodFinder, TheSimulatorIsFoundOnItsChannel) {
    SimulatorMidiService simulator(SimulatorMidiService::Pacing::Immediate);
    simulator.withDevice([](PodDevice& pod) { pod.setChannel(5); });
    std::atomic<bool> cancel{false};
    const PodSearch found = PodFinder(simulator, kQuick).run({}, cancel);
    ASSERT_EQ(found.outcome, PodSearch::Outcome::Found);
    EXPECT_EQ(found.channel, 5);
    EXPECT_EQ(describeSearch(found, simulator.inputName(found.input), simulator.outputName(found.output)),
              "Found a POD (software 1.00) on channel 6: in Amplix POD Simulator, out Amplix POD Simulator");
}
