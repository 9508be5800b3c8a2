// Transfers: bank read and send through the simulator at wire speed and on ALSA through the sequencer
// model, the edit-buffer round trip on JACK.
//
// The bank figures are the editor's own calls on a frame connected to the built-in simulator
// (SimulatorMidiService at wire speed): ReadPODAll until the whole bank has been taken in, and
// SendSysexMessage with a bank dump until the device holds all 36 patches. Both are compared
// with the time 5121 bytes take on a MIDI cable (31250 baud, ten bits a byte: 1.639 s).
// The JACK figure is File > Read POD settings until the whole single-patch dump is in, against
// the Python POD peer of the end-to-end tests on a private jackd (dummy driver, 256 frames at
// 48 kHz: one period is 5.333 ms); it is skipped when jackd cannot start. The ALSA figures are the
// same calls on RtMidi's ALSA backend through the sequencer model of the tests: a store, the bank
// send and the bank read, against 152 and 5121 bytes of cable time.
//
// Output: one "key value" line per figure, read by scripts/bench.
#include "E2eHarness.h"

#include "AlsaSeqModel.h"

#include "app/DFrame.h"
#include "device/FactoryPatches.h"
#include "midi/CablePacing.h"
#include "midi/MidiConfig.h"
#include "midi/MidiServiceFactory.h"
#include "midi/SimulatorMidiService.h"
#include "patch/SysexFormat.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace amplix;

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

const double kWireSeconds = std::chrono::duration<double>(cableTime(kBankDumpSize)).count(); // 1.639 s
constexpr double kJackPeriodMs = 256.0 / 48000.0 * 1000.0;                                   // 5.333 ms
constexpr int kBankRuns = 5;
constexpr int kRoundTrips = 50;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Keeps the frame's events flowing until done() holds or the limit passes; polls every 100 µs
// so the figures are not rounded up to a coarse tick.
template <typename Done> bool waitUntil(Done done, milliseconds limit) {
    const auto end = Clock::now() + limit;
    while (true) {
        QCoreApplication::processEvents();
        if (done())
            return true;
        if (Clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// The editor's start-up folder with its AMPLIX.CNF; the working folder while it lives.
class StartFolder {
public:
    explicit StartFolder(const MidiConfig& config) : previous_(QDir::currentPath()) {
        QDir::setCurrent(dir_.path());
        const auto bytes = encodeMidiConfig(config);
        std::ofstream(QDir(dir_.path()).filePath(kConfigFileName).toStdString(), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    ~StartFolder() { QDir::setCurrent(previous_); }

private:
    QTemporaryDir dir_;
    QString previous_;
};

// Bank read: the request, then 5121 bytes back at wire speed into the frame. The seconds of each
// run; none when one did not bring a whole bank.
std::vector<double> bankReads(DFrame& frame) {
    std::vector<double> reads;
    for (int run = 0; run < kBankRuns; ++run) {
        frame.sysEx.fill(0);
        const auto start = Clock::now();
        frame.ReadPODAll();
        if (!waitUntil([&] { return frame.Waiting_for_sysex == 0; }, milliseconds(10000)))
            return {};
        const double seconds = secondsSince(start);
        if (classifyDump(frame.sysEx) != DumpKind::Bank || frame.sysEx[kBankDumpSize - 1] != kSysexEnd)
            return {};
        reads.push_back(seconds);
    }
    return reads;
}

// Bank send: the bank goes out as one message; done when the device holds every patch
// (holds(location, record)). Two different banks take turns, so each send changes all 36
// locations. The seconds of each run; none when one did not arrive.
template <typename Holds> std::vector<double> bankSends(DFrame& frame, Holds holds) {
    std::array<PatchRecord, kPatchLocations> banks[2];
    banks[0] = factoryPatches();
    for (std::size_t n = 0; n < kPatchLocations; ++n)
        banks[1][n] = factoryPatches()[kPatchLocations - 1 - n];
    std::vector<double> sends;
    for (int run = 0; run < kBankRuns; ++run) {
        const auto& bank = banks[(run + 1) % 2];
        const auto dump = buildBankDump(bank, 0x01);
        std::copy(dump.begin(), dump.end(), frame.sysEx.begin());
        const auto all = [&] {
            for (std::size_t n = 0; n < kPatchLocations; ++n)
                if (!holds(n, bank[n]))
                    return false;
            return true;
        };
        const auto start = Clock::now();
        if (!frame.SendSysexMessage(int(kBankDumpSize)) || !waitUntil(all, milliseconds(10000)))
            return {};
        sends.push_back(secondsSince(start));
    }
    return sends;
}

int simulatorTransfers() {
    MidiConfig config;
    config.inputName = config.outputName = SimulatorMidiService::kDeviceName;
    StartFolder folder(config);
    SimulatorMidiService sim(SimulatorMidiService::Pacing::WireSpeed);
    DFrame frame(sim);
    frame.SetupWindow();
    frame.show();
    if (!waitUntil([&] { return frame.Waiting_for_sysex == 0; }, milliseconds(5000)) ||
        frame.HPODMidiOut == kNoHandle) {
        std::printf("simulator_error the frame did not start connected\n");
        return 1;
    }

    const auto reads = bankReads(frame);
    if (reads.empty()) {
        std::printf("simulator_error the bank read did not bring a whole bank\n");
        return 1;
    }

    const auto sends = bankSends(frame, [&](std::size_t n, const PatchRecord& record) {
        bool same = false;
        sim.withDevice([&](PodDevice& device) { same = device.patch(n) == record; });
        return same;
    });
    if (sends.empty()) {
        std::printf("simulator_error the bank send did not reach the device\n");
        return 1;
    }

    std::printf("wire_s %.4f\n", kWireSeconds);
    std::printf("bank_read_s %.4f\nbank_read_ratio %.4f\n", median(reads), median(reads) / kWireSeconds);
    std::printf("bank_read_min_max_s %.4f %.4f\n", *std::min_element(reads.begin(), reads.end()),
                *std::max_element(reads.begin(), reads.end()));
    std::printf("bank_send_s %.4f\nbank_send_ratio %.4f\n", median(sends), median(sends) / kWireSeconds);
    std::printf("bank_send_min_max_s %.4f %.4f\n", *std::min_element(sends.begin(), sends.end()),
                *std::max_element(sends.begin(), sends.end()));
    return 0;
}

// The same transfers on RtMidi's ALSA backend through the sequencer model: a USB MIDI interface
// with a 4096-byte output buffer, a cable at 31250 baud and the device model behind it. Store and
// bank send until the device holds what was sent; bank read until the frame has the whole bank.
int alsaTransfers() {
    const std::string interface = std::string(alsaseq::kInterfaceClientName) + ":" +
                                  alsaseq::kInterfacePortName + " " +
                                  std::to_string(alsaseq::kInterfaceClient) + ":0";
    qputenv("AMPLIX_MIDI_API", "alsa");
    StartFolder folder({0, 0, 0, interface, interface});
    std::unique_ptr<MidiService> midi = createSystemMidiService();
    DFrame frame(*midi);
    frame.SetupWindow();
    frame.show();
    if (!waitUntil([&] { return frame.Waiting_for_sysex == 0; }, milliseconds(5000)) ||
        frame.PODMidiOutName != QString::fromStdString(interface)) {
        std::printf("alsa_error the frame did not start on the interface\n");
        return 1;
    }
    const auto holds = [](std::size_t location, const PatchRecord& record) {
        bool same = false;
        alsaseq::withDevice([&](PodDevice& device) { same = device.patch(location) == record; });
        return same;
    };

    std::vector<double> stores;
    for (int run = 0; run < kBankRuns; ++run) {
        const PatchRecord record = factoryPatches()[std::size_t(run) * 7 % kPatchLocations];
        const std::size_t location = std::size_t(run) * 5 + 1; // never holds that record yet
        const auto dump = buildSingleDump(record);
        std::copy(dump.begin(), dump.end(), frame.sysEx.begin());
        makeStoreMessage(frame.sysEx, int(location));
        const auto start = Clock::now();
        if (!frame.SendSysexMessage(int(kStoreMessageSize)) ||
            !waitUntil([&] { return holds(location, record); }, milliseconds(3000))) {
            std::printf("alsa_error the store did not reach the device\n");
            return 1;
        }
        stores.push_back(secondsSince(start));
    }

    const auto sends = bankSends(frame, holds);
    if (sends.empty()) {
        std::printf("alsa_error the bank send did not reach the device\n");
        return 1;
    }

    const auto reads = bankReads(frame);
    if (reads.empty()) {
        std::printf("alsa_error the bank read did not bring a whole bank\n");
        return 1;
    }

    const auto stats = alsaseq::stats();
    const double storeWire = std::chrono::duration<double>(cableTime(kStoreMessageSize)).count();
    std::printf("alsa_store_s %.4f\nalsa_store_ratio %.4f\n", median(stores), median(stores) / storeWire);
    std::printf("alsa_bank_send_s %.4f\nalsa_bank_send_ratio %.4f\n", median(sends),
                median(sends) / kWireSeconds);
    std::printf("alsa_bank_read_s %.4f\nalsa_bank_read_ratio %.4f\n", median(reads),
                median(reads) / kWireSeconds);
    std::printf("alsa_overruns %zu\nalsa_largest_event %zu\nalsa_largest_buffer_fill %zu\n", stats.overruns,
                stats.largestEventToPort, stats.largestBufferFill);
    return 0;
}

int jackRoundTrip() {
    e2e::JackServer jack;
    std::string whyNot;
    if (!jack.start(whyNot)) {
        std::printf("jack_skipped jackd cannot start here\n");
        std::fprintf(stderr, "%s\n", whyNot.c_str());
        return 0;
    }
    e2e::PodPeer peer;
    if (!peer.start(whyNot)) {
        std::printf("jack_skipped the POD peer did not start\n");
        std::fprintf(stderr, "%s\n", whyNot.c_str());
        return 0;
    }
    qputenv("AMPLIX_MIDI_API", "jack");
    StartFolder folder({0, 0, 0, peer.outputPort(), peer.inputPort()});
    std::unique_ptr<MidiService> midi = createSystemMidiService();
    std::vector<double> trips;
    int lost = 0;
    {
        DFrame frame(*midi);
        frame.SetupWindow();
        frame.show();
        if (!waitUntil([&] { return frame.Waiting_for_sysex == 0; }, milliseconds(8000)) ||
            frame.PODMidiOutName != QString::fromStdString(peer.inputPort())) {
            std::printf("jack_error the frame did not start on the peer's ports\n");
            return 1;
        }
        waitUntil([] { return false; }, milliseconds(300));
        for (int n = 0; n < kRoundTrips; ++n) {
            frame.sysEx.fill(0);
            const auto start = Clock::now();
            frame.CmFileRead();
            if (!waitUntil([&] { return frame.Waiting_for_sysex == 0; }, milliseconds(3000)))
                return 1;
            const double ms = secondsSince(start) * 1000.0;
            if (classifyDump(frame.sysEx) != DumpKind::SinglePatch) {
                ++lost; // fell into a dropped period (xrun); not a round trip
                continue;
            }
            trips.push_back(ms);
            // Lets the next request start at an arbitrary point of the period.
            std::this_thread::sleep_for(std::chrono::microseconds(1000 + 397 * (n % 13)));
        }
    }
    midi.reset();
    if (trips.empty()) {
        std::printf("jack_error no round trip completed\n");
        return 1;
    }
    std::sort(trips.begin(), trips.end());
    const double med = median(trips);
    std::printf("jack_period_ms %.3f\n", kJackPeriodMs);
    std::printf("jack_round_trips %zu\njack_lost %d\njack_xruns %d\n", trips.size(), lost, jack.xruns());
    std::printf("jack_round_trip_ms %.2f\njack_round_trip_periods %.2f\n", med, med / kJackPeriodMs);
    std::printf("jack_round_trip_min_max_ms %.2f %.2f\n", trips.front(), trips.back());
    std::printf("jack_round_trip_max_periods %.2f\n", trips.back() / kJackPeriodMs);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The editor must never start a JACK server by itself, and its trace stays off.
    qputenv("JACK_NO_START_SERVER", "1");
    QApplication app(argc, argv);
    const std::string only = argc > 1 ? argv[1] : "";
    int result = 0;
    if (only.empty() || only == "--simulator-only")
        result |= simulatorTransfers();
    if (only.empty() || only == "--alsa-only")
        result |= alsaTransfers();
    if (only.empty() || only == "--jack-only")
        result |= jackRoundTrip();
    return result;
}
