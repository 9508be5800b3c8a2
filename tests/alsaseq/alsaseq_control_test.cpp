// The sequencer model as a browser sees it: its control socket, the announcements of clients and
// ports coming and going, and the calls Chromium's Web MIDI makes beside RtMidi's.
#include "AlsaSeqModel.h"
#include "device/PodDevice.h"
#include "patch/SysexFormat.h"

#include <RtMidi.h>
#include <alsa/asoundlib.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace amplix {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using Replies = std::vector<std::string>;

const std::string kInterface = "USB MIDI Interface:USB MIDI Interface MIDI 1 20:0";

// Named before anything opens the sequencer, as a browser started with it in its environment has it.
const std::string kSocket = "/tmp/amplix-alsaseq-control-" + std::to_string(getpid()) + ".sock";
const bool kSocketNamed = setenv("AMPLIX_ALSASEQ_CONTROL", kSocket.c_str(), 1) == 0;

std::string hex(const Bytes& bytes) {
    std::string text;
    char pair[3];
    for (const std::uint8_t byte : bytes) {
        std::snprintf(pair, sizeof pair, "%02X", byte);
        text += pair;
    }
    return text;
}

int connectTo(const std::string& path) {
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    timeval limit{10, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    return fd;
}

// Sends text and reads reply lines until there are count of them or the server hangs up.
Replies talk(int fd, const std::string& text, std::size_t count) {
    if (!text.empty()) {
        EXPECT_EQ(send(fd, text.data(), text.size(), MSG_NOSIGNAL), ssize_t(text.size()));
    }
    Replies lines;
    std::string pending;
    char buffer[16384];
    while (lines.size() < count) {
        const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0)
            break;
        pending.append(buffer, std::size_t(got));
        for (std::size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1))
            lines.push_back(pending.substr(0, end));
    }
    return lines;
}

// One connection per call, each command a line of its own.
Replies ask(const std::vector<std::string>& commands) {
    const int fd = connectTo(kSocket);
    EXPECT_GE(fd, 0) << "nobody serves " << kSocket;
    if (fd < 0)
        return {};
    std::string text;
    for (const std::string& command : commands)
        text += command + "\n";
    Replies replies = talk(fd, text, commands.size());
    close(fd);
    return replies;
}

std::string ask(const std::string& command) {
    const Replies replies = ask(std::vector<std::string>{command});
    return replies.empty() ? "(no reply)" : replies[0];
}

// Closed by the server: an end of file, or a reset where it left some of what we sent unread.
bool hungUp(int fd) {
    char byte;
    const ssize_t got = recv(fd, &byte, 1, 0);
    return got == 0 || (got < 0 && errno == ECONNRESET);
}

unsigned interfacePort(RtMidi& midi) {
    for (unsigned i = 0; i < midi.getPortCount(); ++i)
        if (midi.getPortName(i) == kInterface)
            return i;
    return ~0u;
}

struct Inbox {
    std::mutex mutex;
    std::vector<Bytes> messages;
    static void take(double, std::vector<unsigned char>* message, void* user) {
        auto* inbox = static_cast<Inbox*>(user);
        std::lock_guard lock(inbox->mutex);
        inbox->messages.emplace_back(message->begin(), message->end());
    }
    std::vector<Bytes> waitFor(std::size_t count) {
        for (int i = 0; i < 200; ++i) {
            {
                std::lock_guard lock(mutex);
                if (messages.size() >= count)
                    return messages;
            }
            std::this_thread::sleep_for(10ms);
        }
        std::lock_guard lock(mutex);
        return messages;
    }
};

class AlsaSeqControl : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(kSocketNamed);
        // Opening the sequencer is what starts the socket.
        RtMidiOut opener(RtMidi::LINUX_ALSA, "Opener");
    }
    static void TearDownTestSuite() { unlink(kSocket.c_str()); }
    void SetUp() override { alsaseq::reset(); }
    void TearDown() override { alsaseq::reset(); }
};

TEST_F(AlsaSeqControl, BadCommandsGetAnErrorLineAndTheConversationGoesOn) {
    const std::vector<std::tuple<std::string, std::string>> cases = {
        {"", "error empty command"},
        {"   ", "error empty command"},
        {"bogus", "error unknown command: bogus"},
        {"UNPLUG", "error unknown command: UNPLUG"},
        {"stats now", "error unknown command: stats"},
        {"knob 13", "error usage: knob <controller 0..127> <value 0..127>"},
        {"knob 128 1", "error usage: knob <controller 0..127> <value 0..127>"},
        {"knob 13 1x", "error usage: knob <controller 0..127> <value 0..127>"},
        {"knob -1 5", "error usage: knob <controller 0..127> <value 0..127>"},
        {"choose 37", "error usage: choose <program 0..36>"},
        {"choose", "error usage: choose <program 0..36>"},
        {"idle", "error usage: idle <ms 0..300000>"},
        {"idle 99999999999999999999", "error usage: idle <ms 0..300000>"},
        {std::string("pl\0gged", 7), std::string("error unknown command: pl\0gged", 30)},
        {"plugged\r", "ok 1"}, // a line ended CR LF
        {"  plugged  ", "ok 1"},
    };
    std::vector<std::string> commands;
    for (const auto& [command, reply] : cases)
        commands.push_back(command);
    const Replies replies = ask(commands);
    ASSERT_EQ(replies.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(replies[i], std::get<1>(cases[i])) << i;
    // Nothing of that reached the device or changed its state.
    EXPECT_EQ(ask("stats"),
              "ok eventsToPort=0 largestEventToPort=0 overruns=0 largestBufferFill=0 bytesToDevice=0 "
              "bytesFromDevice=0 eventsFromPort=0 largestEventFromPort=0");
    EXPECT_EQ(ask("program"), "ok 1");
}

TEST_F(AlsaSeqControl, ReadsTheDeviceItsLogAndTheInterfaceCounters) {
    const PodDevice factory;
    RtMidiOut out(RtMidi::LINUX_ALSA, "Sender");
    out.openPort(interfacePort(out));
    const Bytes request(kEditBufferRequest.begin(), kEditBufferRequest.end());
    out.sendMessage(&request);
    ASSERT_TRUE(alsaseq::waitIdle());

    EXPECT_EQ(ask("stats"),
              "ok eventsToPort=1 largestEventToPort=8 overruns=0 largestBufferFill=8 bytesToDevice=8 "
              "bytesFromDevice=151 eventsFromPort=0 largestEventFromPort=0");
    EXPECT_EQ(ask("log"), "ok F000010C010001F7");
    EXPECT_EQ(ask("edit"), "ok " + hex(factory.editBufferDump()));
    const std::string bank = ask("bank");
    EXPECT_EQ(bank.size(), 3 + 2 * kBankDumpSize);
    EXPECT_EQ(bank, "ok " + hex(factory.bankDump()));

    const Bytes store = {0xB0, 0x0D, 0x64};
    out.sendMessage(&store);
    ASSERT_TRUE(alsaseq::waitIdle());
    EXPECT_EQ(ask("log"), "ok F000010C010001F7 B00D64");
    EXPECT_EQ(ask(std::vector<std::string>{"clearlog", "log"}), (Replies{"ok", "ok"}));
}

TEST_F(AlsaSeqControl, TheUserAtTheDeviceTurnsAKnobAndChoosesAPatch) {
    const PodDevice factory;
    Inbox inbox;
    RtMidiIn in(RtMidi::LINUX_ALSA, "Listener");
    in.setCallback(&Inbox::take, &inbox);
    in.openPort(interfacePort(in));

    EXPECT_EQ(ask("knob 13 100"), "ok B00D64");
    EXPECT_EQ(ask("choose 5"), "ok C005");
    EXPECT_EQ(inbox.waitFor(2), (std::vector<Bytes>{{0xB0, 0x0D, 0x64}, {0xC0, 0x05}}));
    EXPECT_EQ(ask("program"), "ok 5");
    alsaseq::withDevice([&](PodDevice& device) { EXPECT_EQ(device.editBuffer(), factory.patch(4)); });
    // The device's own sends are on the cable like its answers: 5 bytes at 320 us each.
    EXPECT_EQ(alsaseq::stats().bytesFromDevice, 5u);

    // Unplugged, the device still acts but nobody hears it.
    EXPECT_EQ(ask("unplug"), "ok");
    EXPECT_EQ(ask("knob 14 1"), "ok B00E01");
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(inbox.waitFor(3).size(), 2u);
}

TEST_F(AlsaSeqControl, UnplugsPlugsInWaitsForTheCablesAndResets) {
    RtMidiOut lister(RtMidi::LINUX_ALSA, "Lister");
    EXPECT_EQ(ask(std::vector<std::string>{"unplug", "plugged", "unplug"}), (Replies{"ok", "ok 0", "ok"}));
    EXPECT_EQ(interfacePort(lister), ~0u);
    EXPECT_EQ(ask(std::vector<std::string>{"plugin", "plugged", "plugin"}), (Replies{"ok", "ok 1", "ok"}));
    ASSERT_NE(interfacePort(lister), ~0u);

    lister.openPort(interfacePort(lister));
    const PodDevice factory;
    const auto bank = factory.bankDump();
    const Bytes pieceOfBank(bank.begin(), bank.begin() + 1000); // about a third of a second of cable
    lister.sendMessage(&pieceOfBank);
    EXPECT_EQ(ask("idle 10"), "error busy");
    EXPECT_EQ(ask("idle 5000"), "ok");
    EXPECT_EQ(alsaseq::stats().bytesToDevice, 1000u);

    EXPECT_EQ(ask("reset"), "ok");
    EXPECT_EQ(alsaseq::stats().bytesToDevice, 0u);
    EXPECT_TRUE(alsaseq::pluggedIn());
}

TEST_F(AlsaSeqControl, OverlongLinesAndPeersThatHangUpOrSayNothingLeaveItServing) {
    const int silent = connectTo(kSocket); // holds its connection and never speaks
    ASSERT_GE(silent, 0);

    const int flooder = connectTo(kSocket);
    ASSERT_GE(flooder, 0);
    EXPECT_EQ(talk(flooder, std::string(1000, 'x'), 1), (Replies{"error line too long"}));
    EXPECT_TRUE(hungUp(flooder));
    close(flooder);

    const int longLine = connectTo(kSocket);
    EXPECT_EQ(talk(longLine, "plugged\n" + std::string(300, 'y') + "\nplugged\n", 3),
              (Replies{"ok 1", "error line too long"}));
    close(longLine);

    for (const std::string& half : {std::string(), std::string("unpl")}) {
        const int quitter = connectTo(kSocket);
        talk(quitter, half, 0);
        close(quitter);
    }
    // A reply to a peer already gone must not end the process (SIGPIPE).
    const int gone = connectTo(kSocket);
    talk(gone, "bank\n", 0);
    close(gone);

    EXPECT_EQ(ask("plugged"), "ok 1");
    close(silent);
}

TEST_F(AlsaSeqControl, AServerAlreadyAnsweringIsLeftAloneAndADeadSocketFileReplaced) {
    EXPECT_FALSE(alsaseq::serveControl(kSocket.c_str()));
    EXPECT_EQ(ask("plugged"), "ok 1");

    const std::string stale = kSocket + ".stale";
    const int dead = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, stale.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(bind(dead, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(dead); // the file stays, nobody listens
    EXPECT_TRUE(alsaseq::serveControl(stale.c_str()));
    const int fd = connectTo(stale);
    EXPECT_EQ(talk(fd, "plugged\n", 1), (Replies{"ok 1"}));
    close(fd);
    unlink(stale.c_str());

    EXPECT_FALSE(alsaseq::serveControl(("/tmp/" + std::string(200, 'z')).c_str()));
    EXPECT_FALSE(alsaseq::serveControl(""));
    EXPECT_FALSE(alsaseq::serveControl("/nonexistent-folder/control.sock"));
}

// A program of its own on the raw sequencer calls, subscribed to the system's announce port.
class AnnounceListener {
public:
    AnnounceListener() {
        EXPECT_EQ(snd_seq_open(&seq_, "hw", SND_SEQ_OPEN_DUPLEX, SND_SEQ_NONBLOCK), 0);
        port_ = snd_seq_create_simple_port(seq_, "Announcements",
                                           SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_NO_EXPORT,
                                           SND_SEQ_PORT_TYPE_APPLICATION);
        snd_seq_port_subscribe_t* subscription;
        snd_seq_port_subscribe_alloca(&subscription);
        const snd_seq_addr_t announce{SND_SEQ_CLIENT_SYSTEM, SND_SEQ_PORT_SYSTEM_ANNOUNCE};
        const snd_seq_addr_t self{std::uint8_t(snd_seq_client_id(seq_)), std::uint8_t(port_)};
        snd_seq_port_subscribe_set_sender(subscription, &announce);
        snd_seq_port_subscribe_set_dest(subscription, &self);
        EXPECT_EQ(snd_seq_subscribe_port(seq_, subscription), 0);
    }
    ~AnnounceListener() { snd_seq_close(seq_); }
    snd_seq_t* seq() const { return seq_; }
    int port() const { return port_; }

    // (type, client, port) of every announcement waiting, other events left out.
    std::vector<std::tuple<int, int, int>> take() {
        std::vector<std::tuple<int, int, int>> seen;
        snd_seq_event_t* event;
        while (snd_seq_event_input(seq_, &event) > 0)
            if (event->source.client == SND_SEQ_CLIENT_SYSTEM &&
                event->source.port == SND_SEQ_PORT_SYSTEM_ANNOUNCE &&
                event->type != SND_SEQ_EVENT_PORT_SUBSCRIBED &&
                event->type != SND_SEQ_EVENT_PORT_UNSUBSCRIBED)
                seen.emplace_back(event->type, event->data.addr.client, event->data.addr.port);
        return seen;
    }

private:
    snd_seq_t* seq_ = nullptr;
    int port_ = 0;
};

TEST_F(AlsaSeqControl, TheAnnouncePortTellsOfTheInterfaceAndProgramsComingAndGoing) {
    using Seen = std::vector<std::tuple<int, int, int>>;
    AnnounceListener listener;
    listener.take();

    alsaseq::unplug();
    alsaseq::unplug(); // already gone: nothing more to tell
    EXPECT_EQ(listener.take(), (Seen{{SND_SEQ_EVENT_PORT_EXIT, 20, 0}, {SND_SEQ_EVENT_CLIENT_EXIT, 20, 0}}));
    alsaseq::plugIn();
    alsaseq::plugIn();
    EXPECT_EQ(listener.take(),
              (Seen{{SND_SEQ_EVENT_CLIENT_START, 20, 0}, {SND_SEQ_EVENT_PORT_START, 20, 0}}));
    alsaseq::reset(); // the interface goes and comes back: its subscriptions are gone
    EXPECT_EQ(listener.take(), (Seen{{SND_SEQ_EVENT_PORT_EXIT, 20, 0},
                                     {SND_SEQ_EVENT_CLIENT_EXIT, 20, 0},
                                     {SND_SEQ_EVENT_CLIENT_START, 20, 0},
                                     {SND_SEQ_EVENT_PORT_START, 20, 0}}));

    const int other = snd_seq_client_id(listener.seq()) + 1;
    {
        RtMidiOut program(RtMidi::LINUX_ALSA, "Other");
        program.openVirtualPort("Out");
    }
    EXPECT_EQ(listener.take(), (Seen{{SND_SEQ_EVENT_CLIENT_START, other, 0},
                                     {SND_SEQ_EVENT_CLIENT_CHANGE, other, 0},
                                     {SND_SEQ_EVENT_PORT_START, other, 0},
                                     {SND_SEQ_EVENT_PORT_EXIT, other, 0},
                                     {SND_SEQ_EVENT_CLIENT_EXIT, other, 0}}));
}

TEST_F(AlsaSeqControl, TheInterfaceListsAsAUserClientAndTakesEventsSentDirect) {
    AnnounceListener program;
    snd_seq_client_info_t* client;
    snd_seq_client_info_alloca(&client);
    for (const auto& [number, type] :
         {std::pair{0, SND_SEQ_KERNEL_CLIENT}, std::pair{14, SND_SEQ_KERNEL_CLIENT},
          std::pair{20, SND_SEQ_USER_CLIENT}}) {
        ASSERT_EQ(snd_seq_get_any_client_info(program.seq(), number, client), 0);
        EXPECT_EQ(snd_seq_client_info_get_type(client), type) << number;
    }
    snd_seq_port_info_t* port;
    snd_seq_port_info_alloca(&port);
    ASSERT_EQ(snd_seq_get_any_port_info(program.seq(), 20, 0, port), 0);
    EXPECT_EQ(snd_seq_port_info_get_addr(port)->client, 20);
    EXPECT_EQ(snd_seq_port_info_get_addr(port)->port, 0);

    const int out = snd_seq_create_simple_port(program.seq(), "Out", SND_SEQ_PORT_CAP_READ,
                                               SND_SEQ_PORT_TYPE_APPLICATION);
    snd_seq_port_subscribe_t* subscription;
    snd_seq_port_subscribe_alloca(&subscription);
    const snd_seq_addr_t from{std::uint8_t(snd_seq_client_id(program.seq())), std::uint8_t(out)};
    const snd_seq_addr_t to{20, 0};
    snd_seq_port_subscribe_set_sender(subscription, &from);
    snd_seq_port_subscribe_set_dest(subscription, &to);
    ASSERT_EQ(snd_seq_subscribe_port(program.seq(), subscription), 0);

    // Straight to the interface, no drain: a controller, then a SysEx as a variable event.
    snd_seq_event_t event;
    snd_seq_ev_clear(&event);
    snd_seq_ev_set_source(&event, out);
    snd_seq_ev_set_subs(&event);
    snd_seq_ev_set_direct(&event);
    snd_seq_ev_set_controller(&event, 0, 13, 100);
    EXPECT_EQ(snd_seq_event_output_direct(program.seq(), &event), int(sizeof event));
    Bytes request(kEditBufferRequest.begin(), kEditBufferRequest.end());
    snd_seq_ev_set_sysex(&event, unsigned(request.size()), request.data());
    EXPECT_EQ(snd_seq_event_output_direct(program.seq(), &event), int(sizeof event + request.size()));
    // A SysEx type with a fixed length is refused, as the kernel refuses it.
    event.flags = (event.flags & ~SND_SEQ_EVENT_LENGTH_MASK) | SND_SEQ_EVENT_LENGTH_FIXED;
    EXPECT_EQ(snd_seq_event_output_direct(program.seq(), &event), -EINVAL);
    ASSERT_TRUE(alsaseq::waitIdle());
    EXPECT_EQ(alsaseq::deviceMessages(), (std::vector<Bytes>{{0xB0, 0x0D, 0x64}, request}));

    program.take();
    EXPECT_EQ(snd_seq_delete_simple_port(program.seq(), out), 0);
    EXPECT_EQ(snd_seq_delete_simple_port(program.seq(), out), -ENOENT);
    // Its own port's going is announced to it as to anyone.
    EXPECT_EQ(program.take(), (std::vector<std::tuple<int, int, int>>{
                                  {SND_SEQ_EVENT_PORT_EXIT, snd_seq_client_id(program.seq()), out}}));
}

} // namespace
} // namespace amplix
