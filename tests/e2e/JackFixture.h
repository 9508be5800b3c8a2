// End-to-end MIDI test support: a private JACK server on the dummy driver and the Python POD peer.
#pragma once

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <pthread.h>
#include <spawn.h>
#include <sstream>
#include <string>
#include <string_view>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

#ifndef AMPLIX_E2E_PYTHON
#define AMPLIX_E2E_PYTHON "/usr/bin/python3"
#endif
#ifndef AMPLIX_E2E_PEER_SCRIPT
#define AMPLIX_E2E_PEER_SCRIPT "tests/e2e/pod_peer.py"
#endif

namespace amplix::e2e {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

inline constexpr milliseconds kJackStartLimit{5000};
inline constexpr milliseconds kPeerStartLimit{15000};
inline constexpr milliseconds kStopLimit{3000};
inline constexpr milliseconds kPollInterval{20};

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::string hex(const std::vector<std::uint8_t>& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    for (std::uint8_t b : bytes) {
        out += kDigits[b >> 4];
        out += kDigits[b & 0x0F];
    }
    return out;
}

// A child process with its standard output and error in a log file.
class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess() { stop(); }

    bool start(const std::vector<std::string>& argv, const std::filesystem::path& log, std::string& error) {
        return spawn(argv, log, -1, error);
    }

    // As start(), with standard input a pipe that writeInput() feeds.
    bool startWithInput(const std::vector<std::string>& argv, const std::filesystem::path& log,
                        std::string& error) {
        int ends[2];
        if (pipe2(ends, O_CLOEXEC) != 0) {
            error = std::string("no pipe for ") + argv[0] + " (" + std::strerror(errno) + ")";
            return false;
        }
        const bool started = spawn(argv, log, ends[0], error);
        close(ends[0]);
        if (!started) {
            close(ends[1]);
            return false;
        }
        input_ = ends[1];
        return true;
    }

    // Writes all of text to the child's standard input; false when there is no pipe or the
    // child no longer reads it.
    bool writeInput(std::string_view text) {
        if (input_ < 0)
            return false;
        // A child that is gone would end this process with SIGPIPE: this thread holds the
        // signal back and takes the failed write as the answer.
        sigset_t pipeSignal;
        sigset_t previous;
        sigemptyset(&pipeSignal);
        sigaddset(&pipeSignal, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
        int failure = 0;
        while (!text.empty() && failure == 0) {
            const ssize_t written = ::write(input_, text.data(), text.size());
            if (written >= 0)
                text.remove_prefix(std::size_t(written));
            else if (errno != EINTR)
                failure = errno;
        }
        if (failure == EPIPE) {
            const timespec now{};
            sigtimedwait(&pipeSignal, nullptr, &now);
        }
        pthread_sigmask(SIG_SETMASK, &previous, nullptr);
        return failure == 0;
    }

    bool running() {
        if (pid_ <= 0)
            return false;
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return false;
        }
        return true;
    }

    // Asks politely first so that jackd removes its shared memory and the peer its ports.
    void stop() {
        if (running()) {
            kill(pid_, SIGTERM);
            const auto limit = Clock::now() + kStopLimit;
            while (running() && Clock::now() < limit)
                std::this_thread::sleep_for(kPollInterval);
            if (running()) {
                kill(pid_, SIGKILL);
                waitpid(pid_, nullptr, 0);
                pid_ = -1;
            }
        }
        if (input_ >= 0) {
            close(input_);
            input_ = -1;
        }
    }

    // Runs a command to its end; true when it exited with status 0.
    static bool run(const std::vector<std::string>& argv, const std::filesystem::path& log) {
        ChildProcess child;
        std::string error;
        if (!child.start(argv, log, error))
            return false;
        int status = 0;
        waitpid(child.pid_, &status, 0);
        child.pid_ = -1;
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

private:
    // inputFd < 0: standard input is /dev/null.
    bool spawn(const std::vector<std::string>& argv, const std::filesystem::path& log, int inputFd,
               std::string& error) {
        std::vector<char*> args;
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
        if (inputFd >= 0)
            posix_spawn_file_actions_adddup2(&actions, inputFd, STDIN_FILENO);
        else
            posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        const int result = posix_spawnp(&pid_, args[0], &actions, nullptr, args.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (result != 0) {
            pid_ = -1;
            error = argv[0] + ": cannot be started (" + std::strerror(result) + ")";
            return false;
        }
        return true;
    }

    pid_t pid_ = -1;
    int input_ = -1; // the writing end of the child's standard input, or -1
};

// A scratch folder for logs and the peer's record, removed at the end.
class ScratchDir {
public:
    ScratchDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "amplix-e2e-XXXXXX").string();
        if (mkdtemp(pattern.data()))
            path_ = pattern;
    }
    ~ScratchDir() {
        std::error_code ignored;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
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
    ~JackServer() { stop(); }

    // A server name given again brings back a server that was stopped, as its clients knew it.
    bool start(std::string& whyNot, const std::string& name = {}) {
        static int serial = 0;
        name_ = !name.empty() ? name : "amplix-e2e-" + std::to_string(getpid()) + "-" + std::to_string(++serial);
        setenv("JACK_DEFAULT_SERVER", name_.c_str(), 1);
        setenv("JACK_NO_START_SERVER", "1", 1);
        if (scratch_.path().empty()) {
            whyNot = "no scratch folder for the JACK log";
            return false;
        }
        const auto started = Clock::now();
        if (!jackd_.start({"jackd", "--realtime", "-d", "dummy", "-r", "48000", "-p", "256"},
                          scratch_.path() / "jackd.log", whyNot))
            return false;
        while (Clock::now() - started < kJackStartLimit) {
            if (ChildProcess::run({"jack_lsp"}, scratch_.path() / "jack_lsp.log")) {
                readySeconds_ = std::chrono::duration<double>(Clock::now() - started).count();
                return true;
            }
            if (!jackd_.running()) {
                whyNot = "jackd ended at start-up: " + readFile(scratch_.path() / "jackd.log");
                return false;
            }
            std::this_thread::sleep_for(kPollInterval);
        }
        whyNot = "jackd did not answer jack_lsp within 5 s: " + readFile(scratch_.path() / "jackd.log");
        jackd_.stop();
        return false;
    }

    void stop() { jackd_.stop(); }
    const std::string& name() const { return name_; }
    std::string log() const { return readFile(scratch_.path() / "jackd.log"); }
    // Periods in which some client did not finish in time; their MIDI was dropped.
    int xruns() const {
        const std::string text = log();
        int count = 0;
        for (auto at = text.find("XRun"); at != std::string::npos; at = text.find("XRun", at + 1))
            ++count;
        return count;
    }
    // From starting jackd to the first jack_lsp that answered.
    double readySeconds() const { return readySeconds_; }

private:
    ScratchDir scratch_;
    ChildProcess jackd_;
    std::string name_;
    double readySeconds_ = 0;
};

// The POD stand-in (pod_peer.py) on the running JACK server. It records every message it
// receives as one hex line and answers the edit-buffer and bank requests.
class PodPeer {
public:
    explicit PodPeer(std::string client = "POD Peer") : client_(std::move(client)) {}
    ~PodPeer() { stop(); }

    bool start(std::string& whyNot, bool answer = true) {
        if (scratch_.path().empty()) {
            whyNot = "no scratch folder for the peer's record";
            return false;
        }
        std::vector<std::string> argv{AMPLIX_E2E_PYTHON, AMPLIX_E2E_PEER_SCRIPT, "--client", client_,
                                      "--record",        recordPath().string()};
        if (!answer)
            argv.push_back("--no-answer");
        const auto started = Clock::now();
        if (!peer_.start(argv, logPath(), whyNot))
            return false;
        while (Clock::now() - started < kPeerStartLimit) {
            // libjack may have complained into the same log first (no realtime here).
            const std::string log = "\n" + readFile(logPath());
            if (log.find("\nready\n") != std::string::npos) {
                readySeconds_ = std::chrono::duration<double>(Clock::now() - started).count();
                return true;
            }
            if (!peer_.running()) {
                whyNot = "pod_peer.py ended at start-up: " + readFile(logPath());
                return false;
            }
            std::this_thread::sleep_for(kPollInterval);
        }
        whyNot = "pod_peer.py did not get ready: " + readFile(logPath());
        peer_.stop();
        return false;
    }

    void stop() { peer_.stop(); }

    // The peer's port the editor sends to (listed among the editor's output devices).
    std::string inputPort() const { return client_ + " In:in"; }
    // The peer's port the editor listens to (listed among the editor's input devices).
    std::string outputPort() const { return client_ + " Out:out"; }

    // Every message received so far, one lower-case hex string each. A line still being
    // written (no newline yet) is left for the next look.
    std::vector<std::string> record() const {
        std::string text = readFile(recordPath());
        text.erase(text.rfind('\n') == std::string::npos ? 0 : text.rfind('\n') + 1);
        std::vector<std::string> lines;
        std::istringstream stream(text);
        for (std::string line; std::getline(stream, line);)
            if (!line.empty())
                lines.push_back(line);
        return lines;
    }

    // Waits until at least `count` messages are recorded; returns what is there by then.
    std::vector<std::string> waitForRecord(std::size_t count, milliseconds limit) const {
        const auto end = Clock::now() + limit;
        auto lines = record();
        while (lines.size() < count && Clock::now() < end) {
            std::this_thread::sleep_for(kPollInterval);
            lines = record();
        }
        return lines;
    }

    std::string log() const { return readFile(logPath()); }
    double readySeconds() const { return readySeconds_; }

private:
    std::filesystem::path recordPath() const { return scratch_.path() / "peer-record.txt"; }
    std::filesystem::path logPath() const { return scratch_.path() / "peer.log"; }

    std::string client_;
    ScratchDir scratch_;
    ChildProcess peer_;
    double readySeconds_ = 0;
};

} // namespace amplix::e2e
