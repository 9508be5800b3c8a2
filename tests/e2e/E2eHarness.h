// The end-to-end harness of both backends: a private JACK server on the dummy driver, the Python
// POD peer, amplix-podsim, and the editor started on them (or on ALSA) as the user starts it.
#pragma once

#include "app/DFrame.h"
#include "midi/MidiConfig.h"
#include "midi/MidiServiceFactory.h"
#include "patch/DPatchName.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#ifndef AMPLIX_E2E_PODSIM
#define AMPLIX_E2E_PODSIM "amplix-podsim"
#endif

namespace amplix::e2e {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using Bytes = std::vector<std::uint8_t>;

inline constexpr milliseconds kStartLimit{15000}; // jackd, the peer, podsim
inline constexpr milliseconds kStartUpReadLimit{8000};
inline constexpr milliseconds kArrivalLimit{3000};
inline constexpr milliseconds kQuietTime{300}; // many JACK periods: room for a stray echo to show

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The complete lines of a file another process writes; one still without its newline waits.
inline std::vector<std::string> completeLines(const std::string& path) {
    std::string text = readFile(path);
    text.erase(text.rfind('\n') == std::string::npos ? 0 : text.rfind('\n') + 1);
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

inline std::string hex(const Bytes& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()))
        .toHex()
        .toStdString();
}

// Polls until done() holds or the limit passes; with events, the editor keeps running meanwhile.
template <typename Done> bool waitUntil(Done done, milliseconds limit = kArrivalLimit, bool events = true) {
    for (const auto end = Clock::now() + limit;;
         std::this_thread::sleep_for(std::chrono::microseconds(500))) {
        if (events)
            QCoreApplication::processEvents();
        if (done())
            return true;
        if (Clock::now() >= end)
            return false;
    }
}
inline void letTimePass(milliseconds time) {
    waitUntil([] { return false; }, time);
}

// A folder for logs and records, removed at the end.
struct Scratch : QTemporaryDir {
    std::string operator/(const char* name) const {
        return filePath(QString::fromLatin1(name)).toStdString();
    }
};

// A child process with its standard input a pipe, standard output and error in a log file.
struct ChildProcess : QProcess {
    ~ChildProcess() override { stop(); }

    // With ready, waits until a line of the log begins with it.
    bool start(const std::vector<std::string>& argv, const std::string& log, std::string& whyNot,
               const std::string& ready = {}) {
        QStringList args;
        for (std::size_t n = 1; n < argv.size(); ++n)
            args << QString::fromStdString(argv[n]);
        setProcessChannelMode(QProcess::MergedChannels);
        setStandardOutputFile(QString::fromStdString(log));
        QProcess::start(QString::fromStdString(argv[0]), args);
        const auto seen = [&] {
            const auto lines = completeLines(log);
            return ready.empty() || !running() ||
                   std::any_of(lines.begin(), lines.end(), [&](auto& l) { return l.rfind(ready, 0) == 0; });
        };
        if (waitForStarted() && waitUntil(seen, kStartLimit, false) && running())
            return true;
        whyNot = argv[0] + " did not start: " + errorString().toStdString() + "\n" + readFile(log);
        stop();
        return false;
    }
    bool running() { return state() != QProcess::NotRunning && !waitForFinished(0); }
    // Asks politely first, so that jackd removes its shared memory and the devices their ports.
    void stop() {
        if (!running())
            return;
        terminate();
        if (!waitForFinished(3000)) {
            kill();
            waitForFinished();
        }
    }
};

// jackd with the dummy driver under a server name of its own, so tests running side by side
// do not meet. start() points this process's JACK clients at it (JACK_DEFAULT_SERVER) and
// forbids libjack to start a server by itself; children inherit both.
//
// Realtime mode: without it a busy machine (a parallel build, other tests) delays the process
// threads past their period, jackd reports an xrun and the MIDI of that period is gone. Where
// realtime scheduling is not permitted jackd says so in its log and runs without it; xruns()
// then tells a dropped period from a fault of ours.
class JackServer {
public:
    // A server name given again brings back a server that was stopped, as its clients knew it.
    bool start(std::string& whyNot, const std::string& name = {}) {
        static int serial = 0;
        name_ =
            !name.empty() ? name : "amplix-e2e-" + std::to_string(getpid()) + "-" + std::to_string(++serial);
        setenv("JACK_DEFAULT_SERVER", name_.c_str(), 1);
        setenv("JACK_NO_START_SERVER", "1", 1);
        if (!jackd_.start({"jackd", "--realtime", "-d", "dummy", "-r", "48000", "-p", "256"},
                          dir_ / "jackd.log", whyNot))
            return false;
        const auto answers = [&] {
            QProcess lsp;
            lsp.setStandardOutputFile(QString::fromStdString(dir_ / "lsp.log"));
            lsp.start(QStringLiteral("jack_lsp"), {});
            return !jackd_.running() ||
                   (lsp.waitForFinished() && lsp.exitStatus() == QProcess::NormalExit && lsp.exitCode() == 0);
        };
        if (waitUntil(answers, kStartLimit, false) && jackd_.running())
            return true;
        whyNot = "jackd did not answer jack_lsp: " + log();
        jackd_.stop();
        return false;
    }
    void stop() { jackd_.stop(); }
    const std::string& name() const { return name_; }
    std::string log() const { return readFile(dir_ / "jackd.log"); }
    // Periods in which some client did not finish in time; their MIDI was dropped.
    int xruns() const {
        const std::string text = log();
        int count = 0;
        for (auto at = text.find("XRun"); at != std::string::npos; at = text.find("XRun", at + 1))
            ++count;
        return count;
    }

private:
    Scratch dir_;
    ChildProcess jackd_;
    std::string name_;
};

// Does action and waits for done. A try whose MIDI fell into a period jackd dropped (an xrun)
// is made again, up to three times; one lost without an xrun is a fault and is not.
template <typename Action, typename Done> bool attempt(const JackServer& jack, Action action, Done done) {
    for (int n = 0; n < 3; ++n) {
        const int xruns = jack.xruns();
        action();
        if (waitUntil(done))
            return true;
        if (jack.xruns() == xruns)
            return false;
    }
    return false;
}

// The device at the other end, on the running server in a process of its own: the Python POD
// peer (pod_peer.py) or amplix-podsim. Each takes lines on its standard input, the peer a
// message in hex to send ("b00e64"), podsim a command ("pc 5", "dump"), and logs
// "recv XX XX ..." for each message it receives; podsim logs "send ..." for what it sends too.
// libjack's remarks may sit between those lines.
class PodPeer {
public:
    explicit PodPeer(std::string name = "POD Peer", std::vector<std::string> options = {},
                     bool podsim = false)
        : name_(std::move(name)), options_(std::move(options)), podsim_(podsim) {}

    bool start(std::string& whyNot) {
        std::vector<std::string> argv{AMPLIX_E2E_PODSIM, "--api", "jack", "--name", name_, "-v"};
        if (!podsim_)
            argv = {AMPLIX_E2E_PYTHON, AMPLIX_E2E_PEER_SCRIPT, "--client", name_};
        argv.insert(argv.end(), options_.begin(), options_.end());
        return process_.start(argv, dir_ / "log", whyNot, podsim_ ? "ready on " : "ready");
    }
    void stop() { process_.stop(); }
    bool running() { return process_.running(); }

    // The port the editor sends to (listed among its output devices) and the one it listens to.
    std::string inputPort() const { return name_ + " in:in"; }
    std::string outputPort() const { return name_ + " out:out"; }

    bool command(const std::string& line) {
        return process_.write(QByteArray::fromStdString(line + "\n")) > 0 && process_.waitForBytesWritten();
    }
    std::string log() const { return readFile(dir_ / "log"); }
    // Where the log stands now; the messages of one direction, in hex, from there on.
    std::size_t mark() const { return completeLines(dir_ / "log").size(); }
    std::vector<std::string> messages(const std::string& direction = "recv", std::size_t from = 0) const {
        const auto lines = completeLines(dir_ / "log");
        std::vector<std::string> out;
        for (std::size_t n = from; n < lines.size(); ++n)
            if (lines[n].rfind(direction + " ", 0) == 0)
                out.push_back(
                    QByteArray::fromStdString(lines[n].substr(5)).replace(' ', "").toLower().toStdString());
        return out;
    }

private:
    std::string name_;
    std::vector<std::string> options_;
    bool podsim_;
    Scratch dir_;
    ChildProcess process_;
};

inline void writeConfig(const std::string& folder, const MidiConfig& config) {
    const auto bytes = encodeMidiConfig(config);
    std::ofstream(folder + "/" + kConfigFileName, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// The editor in this process as the user starts it: the system's MIDI service (on JACK unless
// told otherwise), settings naming the device's ports, a start-up folder of its own.
class EditorOnMidi {
public:
    EditorOnMidi(const std::string& deviceOut, const std::string& deviceIn, int channel = 0,
                 const char* api = "jack") {
        qputenv("AMPLIX_MIDI_API", api);
        QDir::setCurrent(dir_.path());
        writeConfig(dir_.path().toStdString(), {channel, 0, 0, deviceOut, deviceIn});
        midi_ = createSystemMidiService();
        frame = std::make_unique<DFrame>(*midi_);
        frame->SetupWindow();
        frame->show();
    }
    ~EditorOnMidi() {
        frame.reset();
        QDir::setCurrent(previousDir_);
    }
    // The start-up read of the edit buffer has ended.
    bool started() {
        return waitUntil([&] { return frame->Waiting_for_sysex == 0; }, kStartUpReadLimit);
    }

    std::unique_ptr<DFrame> frame;

private:
    QString previousDir_ = QDir::currentPath();
    QTemporaryDir dir_;
    std::unique_ptr<MidiService> midi_;
};

} // namespace amplix::e2e
