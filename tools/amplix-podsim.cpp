// amplix-podsim: the POD simulator on virtual MIDI ports, driven by commands on standard input.
#include "device/PodDevice.h"
#include "midi/CablePacing.h"
#include "midi/MessageJoiner.h"
#include "midi/MidiTypes.h"

#include <RtMidi.h>

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <iostream>
#include <memory>
#include <mutex>
#include <pthread.h>
#include <span>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using amplix::PodDevice;
using Bytes = std::vector<std::uint8_t>;

// Each RtMidi object is a client of its own, so each gets a name that stays the same from run
// to run: "Amplix POD Simulator in:in" and "Amplix POD Simulator out:out" on JACK.
constexpr const char* kDefaultName = "Amplix POD Simulator";
constexpr const char* kInClientSuffix = " in";
constexpr const char* kOutClientSuffix = " out";
constexpr const char* kInPortName = "in";
constexpr const char* kOutPortName = "out";
constexpr unsigned kInputQueueLimit = 1024;
constexpr int kDataMax = 127;
constexpr int kFirstChannel = 1;
constexpr int kLastChannel = 16;

const char* const kUsage = R"(Usage: amplix-podsim [options]

Runs the POD simulator on two virtual MIDI ports, "Amplix POD Simulator in:in" (connect
the editor's output here) and "Amplix POD Simulator out:out" (connect it to the editor's
input).
The device answers dump requests; takes single-patch dumps into its edit buffer, store
messages into a location and bank dumps into all 36 locations; applies every controller
it receives to its edit buffer, as its own knobs would; loads the patch of a program
change and echoes the program change.

Output: the first line is "ready on SYSTEM: "IN-PORT", "OUT-PORT"". After it, every
message received is one line, "recv" and the bytes in hex ("recv B0 0D 64"); a SysEx that
arrives in pieces is one line once complete, and one broken off or longer than 5200 bytes
is reported as "drop N" (its byte count). With -v every message sent is a "send" line as
well. Each line is written out as it happens. Errors go to standard error.

Options:
  -v, --verbose      also print every message sent, in hex
      --name NAME    base name of the MIDI clients: "NAME in:in" and "NAME out:out"
                     (default "Amplix POD Simulator")
      --api SYSTEM   alsa or jack; overrides AMPLIX_MIDI_API
  -c, --channel N    MIDI channel 1..16 (default 1); a device inquiry (F0 7E <chan> 06 01 F7)
                     is answered on it and on 7F, as a POD with software 1.00
      --omni         answer a device inquiry on every channel
      --no-echo      do not echo program changes received
      --wire-speed   delay each message sent by its time on a MIDI cable (31250 baud)
  -h, --help         show this text

Environment: AMPLIX_MIDI_API=alsa|jack chooses the MIDI system when --api is not given;
by default ALSA is tried, then JACK.

Commands on standard input, one per line, as if done on the device itself:
  cc N V   turn controller N to value V: the edit buffer takes it, the control change is sent
  pc N     choose program N (0 = Manual Mode, 1..36 = 1A..9D) and send the program change
  tap      press tap tempo (sends controller 64)
  dump     send the edit buffer as a single-patch dump, unasked
  quit     end the program
When standard input closes the simulator keeps serving until interrupted.
)";

struct Options {
    bool verbose = false;
    std::string name = kDefaultName;
    std::string api; // empty: AMPLIX_MIDI_API, else ALSA then JACK
    int channel = 0;
    bool echo = true;
    bool omni = false;
    bool wireSpeed = false;
};

std::mutex printMutex;

// The whole line goes out in one piece, so a reader never sees half a message.
void printHex(const char* direction, std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string line = direction;
    line.reserve(line.size() + 3 * bytes.size() + 1);
    for (auto b : bytes) {
        line += ' ';
        line += kDigits[b >> 4];
        line += kDigits[b & 0x0F];
    }
    line += '\n';
    std::lock_guard lock(printMutex);
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
}

void printLine(const std::string& text) {
    std::lock_guard lock(printMutex);
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
}

void printError(const std::string& text) {
    std::lock_guard lock(printMutex);
    std::fprintf(stderr, "amplix-podsim: %s\n", text.c_str());
}

class Simulator {
public:
    explicit Simulator(const Options& options) : options_(options) {
        device_.setChannel(options.channel);
        device_.setEchoProgramChange(options.echo);
        device_.setOmni(options.omni);
    }

    ~Simulator() { close(); }

    bool open(std::string& error) {
        std::vector<RtMidi::Api> apis;
        std::string forced = options_.api;
        std::string source = "--api";
        if (forced.empty()) {
            const char* variable = std::getenv("AMPLIX_MIDI_API");
            forced = variable ? variable : "";
            source = "AMPLIX_MIDI_API";
        }
        if (forced == "alsa") {
            apis = {RtMidi::LINUX_ALSA};
        } else if (forced == "jack") {
            apis = {RtMidi::UNIX_JACK};
        } else if (forced.empty()) {
            apis = {RtMidi::LINUX_ALSA, RtMidi::UNIX_JACK};
        } else {
            error = source + " must be alsa or jack, not " + forced;
            return false;
        }
        for (auto api : apis) {
            try {
                auto in = std::make_unique<RtMidiIn>(api, inClientName(), kInputQueueLimit);
                auto out = std::make_unique<RtMidiOut>(api, outClientName());
                in->ignoreTypes(false, true, true);
                in->setCallback(&Simulator::onInput, this);
                in->openVirtualPort(kInPortName);
                out->openVirtualPort(kOutPortName);
                apiName_ = RtMidi::getApiDisplayName(api);
                std::lock_guard lock(ioMutex_);
                in_ = std::move(in);
                out_ = std::move(out);
                worker_ = std::thread([this] { processInput(); });
                return true;
            } catch (const RtMidiError& e) {
                error += (error.empty() ? "" : "; ") + RtMidi::getApiDisplayName(api) + ": " + e.getMessage();
            }
        }
        return false;
    }

    const std::string& apiName() const { return apiName_; }
    std::string inClientName() const { return options_.name + kInClientSuffix; }
    std::string outClientName() const { return options_.name + kOutClientSuffix; }

    void close() {
        {
            std::lock_guard lock(queueMutex_);
            stopping_ = true;
        }
        queueChanged_.notify_all();
        if (worker_.joinable())
            worker_.join();
        std::lock_guard lock(ioMutex_);
        in_.reset(); // closes the port and its client before the object it calls back goes
        out_.reset();
    }

    // Returns false on quit.
    bool command(const std::string& line) {
        std::istringstream words(line);
        std::string verb;
        if (!(words >> verb) || verb.front() == '#')
            return true;
        int a = -1;
        int b = -1;
        if (verb == "cc") {
            if (!(words >> a >> b) || a < 0 || a > kDataMax || b < 0 || b > kDataMax) {
                printError("cc needs a controller and a value, 0..127");
                return true;
            }
            sendFromDevice([&](PodDevice& d) { return d.turnControl(std::uint8_t(a), std::uint8_t(b)); });
        } else if (verb == "pc") {
            if (!(words >> a) || a < PodDevice::kManualMode || a > PodDevice::kLastProgram) {
                printError("pc needs a program, 0..36");
                return true;
            }
            sendFromDevice([&](PodDevice& d) { return d.choosePatch(a); });
        } else if (verb == "tap") {
            sendFromDevice([](PodDevice& d) { return d.tapTempo(); });
        } else if (verb == "dump") {
            sendFromDevice([](PodDevice& d) { return d.editBufferDump(); });
        } else if (verb == "quit") {
            return false;
        } else {
            printError("unknown command: " + verb + " (try --help)");
        }
        return true;
    }

private:
    static void onInput(double, std::vector<unsigned char>* message, void* self) {
        // The MIDI system's own thread: hand over and return.
        auto* sim = static_cast<Simulator*>(self);
        {
            std::lock_guard lock(sim->queueMutex_);
            sim->queue_.emplace_back(message->begin(), message->end());
        }
        sim->queueChanged_.notify_one();
    }

    void processInput() {
        // What arrives is joined into whole messages by the editor's own input parser: a SysEx
        // in pieces becomes one message, one broken off is dropped.
        std::vector<Bytes> complete;
        amplix::MessageJoiner joiner(
            [&](Bytes message) { complete.push_back(std::move(message)); },
            [](std::size_t dropped) { printLine("drop " + std::to_string(dropped)); });
        for (;;) {
            Bytes bytes;
            {
                std::unique_lock lock(queueMutex_);
                queueChanged_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
                if (stopping_)
                    return;
                bytes = std::move(queue_.front());
                queue_.pop_front();
            }
            complete.clear();
            joiner.feed(bytes);
            for (const Bytes& message : complete) {
                printHex("recv", message);
                std::vector<PodDevice::Message> replies;
                {
                    std::lock_guard lock(deviceMutex_);
                    replies = device_.receive(message);
                }
                for (const auto& reply : replies)
                    send(reply);
            }
        }
    }

    template <typename Action> void sendFromDevice(Action action) {
        PodDevice::Message message;
        {
            std::lock_guard lock(deviceMutex_);
            message = action(device_);
        }
        send(message);
    }

    void send(const PodDevice::Message& message) {
        if (message.empty())
            return;
        // One sender at a time, as on one cable.
        std::lock_guard lock(ioMutex_);
        if (!out_)
            return;
        if (options_.wireSpeed)
            std::this_thread::sleep_for(amplix::kCableByteTime * message.size());
        try {
            out_->sendMessage(message.data(), message.size());
        } catch (const RtMidiError& e) {
            printError("send failed: " + e.getMessage());
            return;
        }
        if (options_.verbose)
            printHex("send", message);
    }

    const Options options_;
    std::string apiName_;

    std::mutex deviceMutex_;
    PodDevice device_;

    std::mutex ioMutex_;
    std::unique_ptr<RtMidiIn> in_;
    std::unique_ptr<RtMidiOut> out_;

    std::mutex queueMutex_;
    std::condition_variable queueChanged_;
    std::deque<Bytes> queue_;
    bool stopping_ = false;
    std::thread worker_;
};

enum class ParseResult { Run, Help, Error };

ParseResult parseArguments(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "-h" || arg == "--help")
            return ParseResult::Help;
        if (arg == "-v" || arg == "--verbose") {
            options.verbose = true;
        } else if (arg == "--no-echo") {
            options.echo = false;
        } else if (arg == "--omni") {
            options.omni = true;
        } else if (arg == "--wire-speed") {
            options.wireSpeed = true;
        } else if (arg == "--name") {
            if (i + 1 >= argc || !*argv[i + 1]) {
                printError("--name needs a name");
                return ParseResult::Error;
            }
            options.name = argv[++i];
        } else if (arg == "--api") {
            options.api = i + 1 < argc ? argv[++i] : "";
            if (options.api != "alsa" && options.api != "jack") {
                printError("--api needs alsa or jack");
                return ParseResult::Error;
            }
        } else if (arg == "-c" || arg == "--channel") {
            char* end = nullptr;
            long channel = i + 1 < argc ? std::strtol(argv[++i], &end, 10) : 0;
            if (!end || *end != '\0' || channel < kFirstChannel || channel > kLastChannel) {
                printError("--channel needs a number 1..16");
                return ParseResult::Error;
            }
            options.channel = int(channel) - kFirstChannel;
        } else {
            printError("unknown option " + arg + " (try --help)");
            return ParseResult::Error;
        }
    }
    return ParseResult::Run;
}

} // namespace

int main(int argc, char** argv) {
    // A reader follows the log while the program runs: every line goes out as it is written.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    Options options;
    switch (parseArguments(argc, argv, options)) {
    case ParseResult::Help:
        std::fputs(kUsage, stdout);
        return EXIT_SUCCESS;
    case ParseResult::Error:
        return EXIT_FAILURE;
    case ParseResult::Run:
        break;
    }

    // Interrupts are taken by one thread, so every thread started from here on (the MIDI
    // system's included) leaves them to it.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    Simulator simulator(options);
    std::string error;
    if (!simulator.open(error)) {
        printError("cannot open MIDI ports: " + error);
        return EXIT_FAILURE;
    }
    printLine("ready on " + simulator.apiName() + ": \"" + simulator.inClientName() + ":" + kInPortName +
              "\", \"" + simulator.outClientName() + ":" + kOutPortName + "\"");

    // The command loop may sit in a blocking read when an interrupt comes, so whichever way
    // the program ends, the ports are closed first and the process ends right there.
    auto finish = [&simulator] {
        simulator.close();
        std::fflush(stdout);
        std::_Exit(EXIT_SUCCESS);
    };
    std::thread signalWaiter([&] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        finish();
    });

    std::string line;
    bool quit = false;
    while (!quit && std::getline(std::cin, line))
        quit = !simulator.command(line);
    if (quit)
        finish();
    printError("standard input closed; serving until interrupted");
    signalWaiter.join(); // the waiter ends the process
    return EXIT_SUCCESS;
}
