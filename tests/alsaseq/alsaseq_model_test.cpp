// The ALSA sequencer model as RtMidi's own ALSA code sees it: listing, the interface's buffer, the cables.
#include "AlsaSeqModel.h"
#include "device/PodDevice.h"
#include "patch/SysexFormat.h"

#include <RtMidi.h>
#include <alsa/asoundlib.h>
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <poll.h>
#include <string>
#include <thread>
#include <vector>

namespace amplix {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

const std::string kThrough = "Midi Through:Midi Through Port-0 14:0";
const std::string kInterface = "USB MIDI Interface:USB MIDI Interface MIDI 1 20:0";
constexpr std::size_t kPiece = 256;
constexpr auto kByteTime = 320us;

template <typename Midi> std::vector<std::string> portNames(Midi& midi) {
    std::vector<std::string> names;
    for (unsigned i = 0; i < midi.getPortCount(); ++i)
        names.push_back(midi.getPortName(i));
    return names;
}

template <typename Midi> unsigned portNumber(Midi& midi, const std::string& name) {
    const auto names = portNames(midi);
    for (unsigned i = 0; i < names.size(); ++i)
        if (names[i] == name)
            return i;
    ADD_FAILURE() << name << " not listed";
    return UINT_MAX;
}

// Whatever RtMidi's input thread hands over, with the time it came.
struct Inbox {
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<Bytes> messages;
    Clock::time_point last{};

    static void take(double, std::vector<unsigned char>* message, void* user) {
        auto* inbox = static_cast<Inbox*>(user);
        std::lock_guard lock(inbox->mutex);
        inbox->messages.emplace_back(message->begin(), message->end());
        inbox->last = Clock::now();
        inbox->arrived.notify_all();
    }
    bool waitFor(std::size_t count, std::chrono::milliseconds limit) {
        std::unique_lock lock(mutex);
        return arrived.wait_for(lock, limit, [&] { return messages.size() >= count; });
    }
    std::vector<Bytes> all() {
        std::lock_guard lock(mutex);
        return messages;
    }
};

std::unique_ptr<RtMidiOut> openOutput(const std::string& device) {
    auto out = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, "Test Sender");
    out->openPort(portNumber(*out, device), "Out");
    return out;
}

std::unique_ptr<RtMidiIn> openInput(const std::string& device, Inbox& inbox) {
    auto in = std::make_unique<RtMidiIn>(RtMidi::LINUX_ALSA, "Test Listener");
    in->ignoreTypes(false, true, true);
    in->setCallback(&Inbox::take, &inbox);
    in->openPort(portNumber(*in, device), "In");
    return in;
}

void send(RtMidiOut& out, const Bytes& message) {
    out.sendMessage(&message);
}

// 256-byte pieces: the first starts with F0, the last ends with F7.
std::vector<Bytes> pieces(const Bytes& message) {
    std::vector<Bytes> result;
    for (std::size_t at = 0; at < message.size(); at += kPiece)
        result.emplace_back(message.begin() + std::ptrdiff_t(at),
                            message.begin() + std::ptrdiff_t(std::min(at + kPiece, message.size())));
    return result;
}

Bytes storeMessage(const PatchRecord& record, int location) {
    const auto dump = buildSingleDump(record);
    Bytes message(dump.begin(), dump.end());
    message.push_back(0);
    makeStoreMessage(message, location);
    return message;
}

// The factory patches in reverse order, so every location changes.
Bytes reversedBank() {
    const PodDevice device;
    std::array<PatchRecord, kPatchLocations> patches{};
    for (std::size_t i = 0; i < kPatchLocations; ++i)
        patches[i] = device.patch(kPatchLocations - 1 - i);
    const auto bank = buildBankDump(patches);
    return Bytes(bank.begin(), bank.end());
}

std::array<PatchRecord, kPatchLocations> devicePatches() {
    std::array<PatchRecord, kPatchLocations> patches{};
    alsaseq::withDevice([&](PodDevice& device) {
        for (std::size_t i = 0; i < kPatchLocations; ++i)
            patches[i] = device.patch(i);
    });
    return patches;
}

class AlsaSeqModel : public ::testing::Test {
protected:
    void SetUp() override { alsaseq::reset(); }
    void TearDown() override {
        unsetenv("AMPLIX_ALSASEQ_LOG");
        alsaseq::reset();
    }
};

TEST_F(AlsaSeqModel, ListsThroughInterfaceAndOtherProgramsPortsAsRtMidiNamesThem) {
    RtMidiIn listener(RtMidi::LINUX_ALSA, "Listener"); // client 128
    listener.openPort(portNumber(listener, kThrough), "Ears");
    RtMidiOut sender(RtMidi::LINUX_ALSA, "Sender"); // client 129
    sender.openVirtualPort("Mouth");
    RtMidiIn inputs(RtMidi::LINUX_ALSA, "Inputs");
    RtMidiOut outputs(RtMidi::LINUX_ALSA, "Outputs");

    struct Case {
        bool plugged;
        std::vector<std::string> inputs, outputs;
    };
    for (const Case& c : {Case{true,
                               {kThrough, kInterface, "Sender:Mouth 129:0"},
                               {kThrough, kInterface, "Listener:Ears 128:0"}},
                          Case{false, {kThrough, "Sender:Mouth 129:0"}, {kThrough, "Listener:Ears 128:0"}}}) {
        c.plugged ? alsaseq::plugIn() : alsaseq::unplug();
        EXPECT_EQ(portNames(inputs), c.inputs) << c.plugged;
        EXPECT_EQ(portNames(outputs), c.outputs) << c.plugged;
        EXPECT_EQ(inputs.getPortCount(), c.inputs.size());
    }
}

TEST_F(AlsaSeqModel, StoreAndControllersReachTheDeviceWithRunningStatusOnTheCable) {
    const PodDevice factory;
    ASSERT_NE(factory.patch(3), factory.patch(7));
    const Bytes store = storeMessage(factory.patch(3), 7);
    ASSERT_EQ(store.size(), kStoreMessageSize);
    ASSERT_EQ(store[kStoreLocationOffset], 7);
    const std::vector<Bytes> messages = {store, {0xB0, 0x0D, 0x64}, {0xB0, 0x0D, 0x65}};
    PodDevice direct; // the same messages handed over without any cable
    for (const Bytes& message : messages)
        direct.receive(message);
    ASSERT_NE(direct.editBuffer(), factory.patch(3));

    auto out = openOutput(kInterface);
    for (const Bytes& message : messages)
        send(*out, message);
    ASSERT_TRUE(alsaseq::waitIdle());

    EXPECT_EQ(alsaseq::deviceMessages(), messages);
    alsaseq::withDevice([&](PodDevice& device) {
        EXPECT_EQ(device.patch(7), factory.patch(3));
        EXPECT_EQ(device.editBuffer(), direct.editBuffer());
    });
    const auto stats = alsaseq::stats();
    EXPECT_EQ(stats.eventsToPort, 3u);
    EXPECT_EQ(stats.bytesToDevice, kStoreMessageSize + 3 + 2); // the second controller without its status
    EXPECT_EQ(stats.overruns, 0u);
}

// RtMidi sends a message as one event; the interface's buffer takes it whole or not at all,
// or (as a kernel writing a sender's event in small chunks would) up to the first chunk that
// does not fit.
TEST_F(AlsaSeqModel, ABankSentAsOneMessageOverrunsTheInterfaceAndNeverReachesTheDevice) {
    const Bytes bank = reversedBank();
    ASSERT_EQ(bank.size(), kBankDumpSize);
    const auto before = devicePatches();
    struct Case {
        std::size_t chunk, buffer, bytesToDevice;
    };
    for (const Case& c : {Case{0, alsaseq::kDefaultOutputBufferSize, 0}, Case{32, 100, 96}}) {
        alsaseq::reset();
        alsaseq::setSysexWriteChunk(c.chunk);
        alsaseq::setOutputBufferSize(c.buffer);
        auto out = openOutput(kInterface);
        testing::internal::CaptureStderr();
        send(*out, bank);
        const std::string printed = testing::internal::GetCapturedStderr();
        ASSERT_TRUE(alsaseq::waitIdle());

        const auto stats = alsaseq::stats();
        EXPECT_EQ(stats.overruns, 1u) << c.chunk;
        EXPECT_EQ(stats.eventsToPort, 1u) << c.chunk;
        EXPECT_EQ(stats.largestEventToPort, kBankDumpSize) << c.chunk;
        EXPECT_EQ(stats.bytesToDevice, c.bytesToDevice) << c.chunk;
        EXPECT_EQ(printed, "ALSA: seq_midi: MIDI output buffer overrun\n") << c.chunk;
        EXPECT_TRUE(alsaseq::deviceMessages().empty()) << c.chunk;
        EXPECT_EQ(devicePatches(), before) << c.chunk;
    }
}

TEST_F(AlsaSeqModel, ABankIn256BytePiecesPacedByTheCableArrivesWhole) {
    const Bytes bank = reversedBank();
    auto out = openOutput(kInterface);
    for (const Bytes& piece : pieces(bank)) {
        send(*out, piece);
        std::this_thread::sleep_for(kPiece * kByteTime);
    }
    ASSERT_TRUE(alsaseq::waitIdle());

    const auto stats = alsaseq::stats();
    EXPECT_EQ(stats.overruns, 0u);
    EXPECT_EQ(stats.eventsToPort, 21u); // twenty of 256 bytes and the F7 on its own
    EXPECT_EQ(stats.largestEventToPort, kPiece);
    EXPECT_EQ(stats.bytesToDevice, kBankDumpSize);
    EXPECT_EQ(alsaseq::deviceMessages(), std::vector<Bytes>{bank});
    const PodDevice factory;
    const auto patches = devicePatches();
    for (std::size_t i = 0; i < kPatchLocations; ++i)
        EXPECT_EQ(patches[i], factory.patch(kPatchLocations - 1 - i)) << i;
}

// RtMidi's encoder keeps the size of the largest message it sent: after a whole bank, pieces
// wait in it ("incomplete message!") until the F7 and leave as one event again.
TEST_F(AlsaSeqModel, PiecesAfterAWholeBankOnTheSameOutputAreJoinedAgain) {
    const Bytes bank = reversedBank();
    auto out = openOutput(kInterface);
    std::vector<std::string> warnings;
    out->setErrorCallback([](RtMidiError::Type, const std::string& text,
                             void* user) { static_cast<std::vector<std::string>*>(user)->push_back(text); },
                          &warnings);
    send(*out, bank);
    for (const Bytes& piece : pieces(bank))
        send(*out, piece);
    ASSERT_TRUE(alsaseq::waitIdle());

    const auto stats = alsaseq::stats();
    EXPECT_EQ(stats.eventsToPort, 2u);
    EXPECT_EQ(stats.largestEventToPort, kBankDumpSize);
    EXPECT_EQ(stats.overruns, 2u);
    EXPECT_EQ(stats.bytesToDevice, 0u);
    EXPECT_EQ(warnings, std::vector<std::string>(20, "MidiOutAlsa::sendMessage: incomplete message!"));
}

// The kernel prints at most ten lines in five seconds; the log file gets every one.
TEST_F(AlsaSeqModel, OverrunsAreReportedRateLimitedAndLoggedWithWhatTheDeviceReceived) {
    const std::string path = testing::TempDir() + "alsaseq_model_log.txt";
    std::remove(path.c_str());
    setenv("AMPLIX_ALSASEQ_LOG", path.c_str(), 1);
    alsaseq::reset();
    alsaseq::setOutputBufferSize(16);
    Bytes sysex(20, 0x22);
    sysex.front() = kSysexStart;
    sysex.back() = kSysexEnd;
    auto out = openOutput(kInterface);
    send(*out, {0xB0, 0x0D, 0x64});
    ASSERT_TRUE(alsaseq::waitIdle());
    testing::internal::CaptureStderr();
    for (int i = 0; i < 12; ++i)
        send(*out, sysex);
    const std::string printed = testing::internal::GetCapturedStderr();
    send(*out, {0xC0, 0x05});
    ASSERT_TRUE(alsaseq::waitIdle());

    std::string expectedPrint;
    for (int i = 0; i < 10; ++i)
        expectedPrint += "ALSA: seq_midi: MIDI output buffer overrun\n";
    EXPECT_EQ(printed, expectedPrint);
    EXPECT_EQ(alsaseq::stats().overruns, 12u);
    std::string expectedLog = "device recv B0 0D 64\n";
    for (int i = 0; i < 12; ++i)
        expectedLog += "overrun 20\n";
    expectedLog += "device recv C0 05\n";
    std::ifstream log(path);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(log), {}), expectedLog);
}

// As the kernel's bridge releases the interface's output only after draining it.
TEST_F(AlsaSeqModel, ClosingTheLastOutputWaitsUntilTheInterfaceHasSentItsBuffer) {
    const PodDevice factory;
    const Bytes store = storeMessage(factory.patch(5), 2);
    auto out = openOutput(kInterface);
    send(*out, store);
    const auto closing = Clock::now();
    out.reset();
    EXPECT_GE(Clock::now() - closing, 40ms); // 152 bytes take 48.6 ms
    EXPECT_EQ(alsaseq::stats().bytesToDevice, kStoreMessageSize);
    EXPECT_EQ(alsaseq::deviceMessages(), std::vector<Bytes>{store});
}

TEST_F(AlsaSeqModel, RequestsAreAnsweredWholeAtCableSpeedIn256BytePieces) {
    struct Case {
        Request request;
        std::size_t size, events;
        std::chrono::milliseconds atLeast;
    };
    for (const Case& c : {Case{kEditBufferRequest, kSingleDumpSize, 1, 48ms},
                          Case{kBankRequest, kBankDumpSize, 21, 1600ms}}) {
        alsaseq::reset();
        Bytes expected;
        alsaseq::withDevice([&](PodDevice& device) {
            const auto dump = c.size == kBankDumpSize ? device.bankDump() : device.editBufferDump();
            expected.assign(dump.begin(), dump.end());
        });
        Inbox inbox;
        auto in = openInput(kInterface, inbox);
        auto out = openOutput(kInterface);
        const auto sent = Clock::now();
        send(*out, Bytes(c.request.begin(), c.request.end()));
        ASSERT_TRUE(inbox.waitFor(1, 5s)) << c.size;
        EXPECT_GE(inbox.last - sent, c.atLeast) << c.size;
        ASSERT_TRUE(alsaseq::waitIdle());
        std::this_thread::sleep_for(20ms);

        EXPECT_EQ(inbox.all(), std::vector<Bytes>{expected}) << c.size;
        const auto stats = alsaseq::stats();
        EXPECT_EQ(stats.bytesFromDevice, c.size);
        EXPECT_EQ(stats.eventsFromPort, c.events);
        EXPECT_EQ(stats.largestEventFromPort, std::min(c.size, kPiece));
    }
}

TEST_F(AlsaSeqModel, UnplugEndsSubscriptionsAndLosesWhatIsInFlightButNotTheDevicesMemory) {
    const PodDevice factory;
    alsaseq::withDevice([&](PodDevice& device) { device.setPatch(0, factory.patch(9)); });
    Inbox before;
    auto in = openInput(kInterface, before);
    auto out = openOutput(kInterface);
    send(*out, Bytes(kBankRequest.begin(), kBankRequest.end()));
    std::this_thread::sleep_for(500ms); // the answer is about a third through
    alsaseq::unplug();
    const Bytes store = storeMessage(factory.patch(5), 1);
    send(*out, store); // to nowhere
    const std::size_t carried = alsaseq::stats().bytesFromDevice;
    EXPECT_GT(carried, 1000u);
    EXPECT_LT(carried, kBankDumpSize);

    RtMidiIn lister(RtMidi::LINUX_ALSA, "Lister");
    const std::string oldOutput = "Test Sender:Out 129:0"; // still there, subscribed to nothing
    EXPECT_EQ(portNames(lister), (std::vector<std::string>{kThrough, oldOutput}));
    EXPECT_FALSE(alsaseq::pluggedIn());

    alsaseq::plugIn();
    EXPECT_EQ(portNames(lister), (std::vector<std::string>{kThrough, kInterface, oldOutput}));
    send(*out, store); // the old subscription is gone for good
    Inbox after;
    auto newIn = openInput(kInterface, after);
    auto newOut = openOutput(kInterface);
    send(*newOut, Bytes(kEditBufferRequest.begin(), kEditBufferRequest.end()));
    ASSERT_TRUE(after.waitFor(1, 5s));
    ASSERT_TRUE(alsaseq::waitIdle());

    EXPECT_TRUE(before.all().empty());
    ASSERT_EQ(after.all().size(), 1u);
    EXPECT_EQ(after.all()[0].size(), kSingleDumpSize);
    EXPECT_EQ(alsaseq::deviceMessages(),
              (std::vector<Bytes>{Bytes(kBankRequest.begin(), kBankRequest.end()),
                                  Bytes(kEditBufferRequest.begin(), kEditBufferRequest.end())}));
    alsaseq::withDevice([&](PodDevice& device) {
        EXPECT_EQ(device.patch(0), factory.patch(9));
        EXPECT_EQ(device.patch(1), factory.patch(1));
    });
}

TEST_F(AlsaSeqModel, ASysexBrokenOffByUnplugNeverReachesTheDevice) {
    const PodDevice factory;
    auto out = openOutput(kInterface);
    send(*out, storeMessage(factory.patch(5), 1)); // 152 bytes: about 49 ms on the cable
    std::this_thread::sleep_for(20ms);
    alsaseq::unplug();
    alsaseq::plugIn();
    auto again = openOutput(kInterface);
    send(*again, {0xB0, 0x0D, 0x64});
    ASSERT_TRUE(alsaseq::waitIdle());

    EXPECT_EQ(alsaseq::deviceMessages(), (std::vector<Bytes>{{0xB0, 0x0D, 0x64}}));
    alsaseq::withDevice([&](PodDevice& device) { EXPECT_EQ(device.patch(1), factory.patch(1)); });
    EXPECT_LT(alsaseq::stats().bytesToDevice, kStoreMessageSize);
}

// Between programs, events follow subscriptions: through Midi Through or to a virtual port,
// and a SysEx travels as the one event it was sent as.
TEST_F(AlsaSeqModel, ProgramsReachEachOtherThroughMidiThroughAndVirtualPorts) {
    Bytes sysex(300, 0x11);
    sysex.front() = kSysexStart;
    sysex.back() = kSysexEnd;
    const std::vector<Bytes> messages = {{0x90, 0x40, 0x7F}, sysex, {0xC0, 0x05}};
    for (const bool virtualPort : {false, true}) {
        Inbox inbox;
        std::unique_ptr<RtMidiOut> out;
        std::unique_ptr<RtMidiIn> in;
        if (virtualPort) {
            out = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, "Virtual Device");
            out->openVirtualPort("Pod");
            in = openInput("Virtual Device:Pod 128:0", inbox);
        } else {
            in = openInput(kThrough, inbox);
            out = openOutput(kThrough);
        }
        for (const Bytes& message : messages)
            send(*out, message);
        ASSERT_TRUE(inbox.waitFor(messages.size(), 2s)) << virtualPort;
        EXPECT_EQ(inbox.all(), messages) << virtualPort;
    }
    EXPECT_EQ(alsaseq::stats().eventsToPort, 0u);
}

// Wine's MIDI driver subscribes through alsa-lib's shorthands: to the interface to send, from it
// to hear. Each carries until it is taken back, and only once.
TEST_F(AlsaSeqModel, ShorthandConnectionsCarryEachWayUntilTakenBack) {
    snd_seq_t* seq = nullptr;
    ASSERT_EQ(snd_seq_open(&seq, "default", SND_SEQ_OPEN_DUPLEX, 0), 0);
    const int port = snd_seq_create_simple_port(
        seq, "Shorthand", SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_WRITE, SND_SEQ_PORT_TYPE_APPLICATION);
    ASSERT_GE(port, 0);
    ASSERT_EQ(snd_seq_connect_to(seq, port, alsaseq::kInterfaceClient, 0), 0);
    EXPECT_EQ(snd_seq_connect_to(seq, port, alsaseq::kInterfaceClient, 0), -EBUSY);
    ASSERT_EQ(snd_seq_connect_from(seq, port, alsaseq::kInterfaceClient, 0), 0);

    const auto sendController = [&](unsigned char value) {
        snd_seq_event_t event;
        snd_seq_ev_clear(&event);
        snd_seq_ev_set_source(&event, port);
        snd_seq_ev_set_subs(&event);
        snd_seq_ev_set_direct(&event);
        snd_seq_ev_set_controller(&event, 0, 13, value);
        return snd_seq_event_output_direct(seq, &event);
    };
    ASSERT_GE(sendController(100), 0);
    ASSERT_TRUE(alsaseq::waitIdle());
    EXPECT_EQ(alsaseq::deviceMessages(), (std::vector<Bytes>{{0xB0, 13, 100}}));

    alsaseq::atDevice([](PodDevice& device) { return device.turnControl(14, 5); });
    std::vector<pollfd> fds(std::size_t(snd_seq_poll_descriptors_count(seq, POLLIN)));
    snd_seq_poll_descriptors(seq, fds.data(), unsigned(fds.size()), POLLIN);
    ASSERT_GT(poll(fds.data(), fds.size(), 2000), 0);
    snd_seq_event_t* heard = nullptr;
    ASSERT_GE(snd_seq_event_input(seq, &heard), 0);
    ASSERT_EQ(heard->type, SND_SEQ_EVENT_CONTROLLER);
    EXPECT_EQ(heard->data.control.param, 14u);
    EXPECT_EQ(heard->data.control.value, 5);

    EXPECT_EQ(snd_seq_disconnect_to(seq, port, alsaseq::kInterfaceClient, 0), 0);
    EXPECT_EQ(snd_seq_disconnect_to(seq, port, alsaseq::kInterfaceClient, 0), -ENOENT);
    EXPECT_EQ(snd_seq_disconnect_from(seq, port, alsaseq::kInterfaceClient, 0), 0);
    sendController(101); // subscribed by nobody: it goes nowhere
    ASSERT_TRUE(alsaseq::waitIdle());
    EXPECT_EQ(alsaseq::deviceMessages().size(), 1u);
    EXPECT_EQ(snd_seq_close(seq), 0);
}

} // namespace
} // namespace amplix
