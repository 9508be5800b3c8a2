// Finding the device among decoys: the pair that answers, the channel that answers the inquiry
// on the input that brought the dump, busy outputs named, the simulator never asked, nothing sent
// but the two requests.
#include "midi/CombinedMidiService.h"
#include "midi/PodFinder.h"
#include "midi/SimulatorMidiService.h"
#include "midi/TestMidiService.h"
#include "patch/SysexFormat.h"

#include <gtest/gtest.h>

#include <array>
#include <map>

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

constexpr int kOmni = -1;
constexpr int kNoInquiry = -2; // a device that does not know the device inquiry

// Devices behind the test double's outputs: each answers on one input, on its own channel or
// (omni) on every one; others stay silent. Output 0 and the last input carry the simulator's
// name, with a device behind them that would answer if asked.
struct Rig {
    TestMidiService midi;
    struct Device {
        unsigned output, input;
        int channel; // kOmni, kNoInquiry or 0..15
        std::array<char, 4> revision{'0', '1', '0', '0'};
        bool dumps = true; // answers the edit-buffer request
    };
    std::vector<Device> devices;
    std::vector<unsigned> asked; // the outputs the edit-buffer request went to, in order
    std::atomic<bool> cancel{false};

    Rig() {
        midi.inputs = {"Midi Through:Midi Through Port-0 14:0",
                       "USB MIDI Interface:USB MIDI Interface MIDI 1 20:0", "Other:Other MIDI 1 24:0",
                       SimulatorMidiService::kDeviceName};
        midi.outputs = {SimulatorMidiService::kDeviceName, "Midi Through:Midi Through Port-0 14:0",
                        "Busy:Busy MIDI 1 28:0", "USB MIDI Interface:USB MIDI Interface MIDI 1 20:0"};
        midi.onSysexSentTo = [this](unsigned output, const Bytes& bytes) {
            if (bytes == kRequest)
                asked.push_back(output);
            for (const Device& d : devices) {
                if (d.output != output)
                    continue;
                if (bytes == kRequest) {
                    if (d.dumps)
                        midi.deliverTo(d.input, dump());
                } else if (const auto channel = inquiryChannel(bytes);
                           channel && d.channel != kNoInquiry &&
                           (d.channel == kOmni || *channel == d.channel)) {
                    const auto reply = inquiryReply({*channel, kPodMember, d.revision});
                    midi.deliverTo(d.input, Bytes(reply.begin(), reply.end()));
                }
            }
        };
    }
    PodSearch run() { return PodFinder(midi, kQuick).run({}, cancel); }
    bool heard(unsigned input) const {
        return std::count(midi.calls.begin(), midi.calls.end(), "openInput " + std::to_string(input)) > 0;
    }
    std::string said(const PodSearch& s) {
        return describeSearch(s, midi.inputs[s.input], midi.outputs[s.output]);
    }
};

} // namespace

TEST(PodFinder, FindsThePairAndTheChannelPastDecoysAndBusyPorts) {
    Rig rig;
    rig.midi.outputOpenResult[2] = MidiResult::Allocated;
    rig.devices = {{3, 1, 2}, {0, 3, 0}}; // the interface's device on channel 3; the simulator
    const PodSearch found = rig.run();
    ASSERT_EQ(found.outcome, PodSearch::Outcome::Found);
    EXPECT_EQ(found.input, 1u);
    EXPECT_EQ(found.output, 3u);
    EXPECT_EQ(found.channel, 2);
    EXPECT_EQ(rig.asked, (std::vector<unsigned>{1, 3}));
    EXPECT_FALSE(rig.heard(3));
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
    rig.devices = {{1, 2, kOmni}};
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
    rig.devices = {{0, 3, 0}}; // only the simulator, which must not count
    const PodSearch none = rig.run();
    EXPECT_EQ(none.outcome, PodSearch::Outcome::NoAnswer);
    EXPECT_EQ(rig.asked, (std::vector<unsigned>{2, 3}));
    EXPECT_EQ(rig.said(none),
              "No POD answered on the 2 outputs asked. Check that both MIDI cables are connected and the "
              "POD is switched on. In use by another program, not asked: Midi Through Port-0. The built-in "
              "Amplix POD Simulator is there to work without a device.");

    rig.devices = {{3, 1, 0}};
    rig.midi.outputOpenResult.clear();
    rig.asked.clear();
    int steps = 0;
    const PodSearch stopped = PodFinder(rig.midi, kQuick)
                                  .run(
                                      [&](int done, int total) {
                                          EXPECT_EQ(total, 3 + 16); // the simulator is no step
                                          steps = done;
                                          rig.cancel = true;
                                      },
                                      rig.cancel);
    EXPECT_EQ(stopped.outcome, PodSearch::Outcome::Cancelled);
    EXPECT_EQ(steps, 1);
    EXPECT_EQ(rig.asked, (std::vector<unsigned>{1})); // the decoy, and no further
}

// What a search without an answer says, by the outputs there were to ask: only those the request
// went to count; busy ones are named; the simulator never counts.
TEST(PodFinder, NoAnswerCountsTheOutputsAsked) {
    const std::string kCables = " Check that both MIDI cables are connected and the POD is switched on.";
    const std::string kFallBack = " The built-in Amplix POD Simulator is there to work without a device.";
    const std::string sim = SimulatorMidiService::kDeviceName;
    struct Case {
        const char* what;
        std::vector<std::string> outputs;
        std::map<unsigned, MidiResult> openResult;
        int asked;
        std::string said;
    } const cases[] = {
        {"only the simulator", {sim}, {}, 0, "No MIDI output to ask for the POD." + kFallBack},
        {"one port",
         {"Through", sim},
         {},
         1,
         "No POD answered on the one output asked." + kCables + kFallBack},
        {"one of two gone meanwhile",
         {"Through", "Gone", sim},
         {{1, MidiResult::BadDeviceId}},
         1,
         "No POD answered on the one output asked." + kCables + kFallBack},
        {"the only port busy",
         {"Busy:Busy MIDI 1 28:0", sim},
         {{0, MidiResult::Allocated}},
         0,
         "No MIDI output to ask for the POD. In use by another program, not asked: Busy MIDI 1." + kFallBack},
        {"two ports",
         {sim, "Through", "Other"},
         {},
         2,
         "No POD answered on the 2 outputs asked." + kCables + kFallBack},
        {"no simulator listed",
         {"Through", "Other", "Third"},
         {},
         3,
         "No POD answered on the 3 outputs asked." + kCables},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig;
        rig.midi.outputs = c.outputs;
        rig.midi.outputOpenResult = c.openResult;
        for (unsigned n = 0; n < c.outputs.size(); ++n)
            if (c.outputs[n] == sim)
                rig.devices = {{n, 3, 0}};
        const PodSearch none = rig.run();
        EXPECT_EQ(none.outcome, PodSearch::Outcome::NoAnswer);
        EXPECT_EQ(none.outputsAsked, c.asked);
        EXPECT_EQ(int(rig.asked.size()), c.asked);
        EXPECT_EQ(describeSearch(none, "", ""), c.said);
        EXPECT_FALSE(rig.heard(3));
    }
}

// The built-in simulator beside a silent port: nothing reaches it, so it answers nothing, and the
// search ends without an answer; alone, it leaves nothing to ask.
TEST(PodFinder, TheBuiltInSimulatorIsNeverAsked) {
    auto port = std::make_unique<TestMidiService>();
    TestMidiService& through = *port;
    through.inputs = through.outputs = {"Midi Through:Midi Through Port-0 14:0"};
    auto built = std::make_unique<SimulatorMidiService>(SimulatorMidiService::Pacing::Immediate);
    SimulatorMidiService& simulator = *built;
    CombinedMidiService midi(std::move(port), std::move(built));
    std::atomic<bool> cancel{false};
    int total = 0;
    const PodSearch none = PodFinder(midi, kQuick).run([&](int, int t) { total = t; }, cancel);
    EXPECT_EQ(none.outcome, PodSearch::Outcome::NoAnswer);
    EXPECT_EQ(total, 1 + 16);
    EXPECT_EQ(through.sentSysex(), (std::vector<Bytes>{kRequest}));
    EXPECT_EQ(simulator.bytesDelivered(), 0u);
    EXPECT_EQ(
        describeSearch(none, "", ""),
        "No POD answered on the one output asked. Check that both MIDI cables are connected and the POD "
        "is switched on. The built-in Amplix POD Simulator is there to work without a device.");

    SimulatorMidiService alone(SimulatorMidiService::Pacing::Immediate);
    const PodSearch nothing = PodFinder(alone, kQuick).run({}, cancel);
    EXPECT_EQ(nothing.outcome, PodSearch::Outcome::NoAnswer);
    EXPECT_EQ(nothing.outputsAsked, 0);
    EXPECT_EQ(alone.bytesDelivered(), 0u);
}

// Two devices behind one output (a MIDI thru box), each answering on its own input: the first
// dump marks the pair, and only inquiry replies on that input decide the channel and identity.
// The other device answers the inquiry as software 2.00; some rows let it bring a dump too.
TEST(PodFinder, OnlyTheInquiryReplyOnTheDumpsInputCounts) {
    const std::array<char, 4> kOther{'0', '2', '0', '0'};
    struct Case {
        const char* what;
        int podChannel, otherChannel;
        bool otherDumps;
        std::optional<int> channel;
        std::string said;
    } const cases[] = {
        {"the other device on an earlier channel", 2, 0, false, 2,
         "Found a POD (software 1.00) on channel 3"},
        {"a second POD on a later channel", 0, 9, true, 0, "Found a POD (software 1.00) on channel 1"},
        {"the other device in omni mode", 5, kOmni, false, 5, "Found a POD (software 1.00) on channel 6"},
        {"the POD without the inquiry", kNoInquiry, 1, false, std::nullopt, "Found a POD"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig;
        rig.devices = {{3, 1, c.podChannel}, {3, 2, c.otherChannel, kOther, c.otherDumps}};
        const PodSearch found = rig.run();
        ASSERT_EQ(found.outcome, PodSearch::Outcome::Found);
        EXPECT_EQ(found.input, 1u);
        EXPECT_EQ(found.output, 3u);
        EXPECT_EQ(found.channel, c.channel);
        EXPECT_EQ(rig.said(found), c.said + ": in USB MIDI Interface MIDI 1, out USB MIDI Interface MIDI 1");
    }
}
