// The model's control socket: a test in another process unplugs the interface, reads counters and
// the device's memory, and acts as the user at the device, one command line at a time.
#include "SeqModel.h"

#include "device/PodDevice.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace amplix::alsaseq::detail {

namespace {

using Bytes = std::vector<std::uint8_t>;

// A command is a few words; anything longer is not one of ours.
constexpr std::size_t kMaxLine = 256;
constexpr int kMaxMidiValue = 127;
constexpr int kBacklog = 8;
constexpr auto kLongestIdleWait = std::chrono::minutes(5);

std::string hex(const Bytes& bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const std::uint8_t byte : bytes) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> found;
    std::size_t at = 0;
    while (at < line.size()) {
        const std::size_t start = line.find_first_not_of(" \t", at);
        if (start == std::string_view::npos)
            break;
        const std::size_t end = std::min(line.find_first_of(" \t", start), line.size());
        found.push_back(line.substr(start, end - start));
        at = end;
    }
    return found;
}

// A whole decimal word within [low, high], or nothing.
bool number(std::string_view word, long low, long high, long& value) {
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    return error == std::errc() && end == word.data() + word.size() && value >= low && value <= high;
}

std::string statsLine(const Stats& stats) {
    std::ostringstream line;
    line << "ok eventsToPort=" << stats.eventsToPort << " largestEventToPort=" << stats.largestEventToPort
         << " overruns=" << stats.overruns << " largestBufferFill=" << stats.largestBufferFill
         << " bytesToDevice=" << stats.bytesToDevice << " bytesFromDevice=" << stats.bytesFromDevice
         << " eventsFromPort=" << stats.eventsFromPort
         << " largestEventFromPort=" << stats.largestEventFromPort;
    return line.str();
}

std::string reply(std::string_view line) {
    const auto args = words(line);
    if (args.empty())
        return "error empty command";
    const std::string_view command = args[0];
    const auto takes = [&](std::size_t count) { return args.size() == count + 1; };
    Model& model = Model::instance();
    long first = 0;
    long second = 0;

    if (command == "unplug" && takes(0)) {
        model.unplug();
        return "ok";
    }
    if (command == "plugin" && takes(0)) {
        model.plugIn();
        return "ok";
    }
    if (command == "plugged" && takes(0))
        return model.pluggedIn() ? "ok 1" : "ok 0";
    if (command == "stats" && takes(0))
        return statsLine(model.stats());
    if ((command == "bank" || command == "edit" || command == "program") && takes(0)) {
        std::string answer;
        model.withDevice([&](PodDevice& device) {
            answer = command == "bank"   ? hex(device.bankDump())
                     : command == "edit" ? hex(device.editBufferDump())
                                         : std::to_string(device.currentProgram());
        });
        return "ok " + answer;
    }
    if (command == "log" && takes(0)) {
        std::string answer = "ok";
        for (const Bytes& message : model.deviceMessages())
            answer += ' ' + hex(message);
        return answer;
    }
    if (command == "clearlog" && takes(0)) {
        model.clearLog();
        return "ok";
    }
    if (command == "knob") {
        if (!takes(2) || !number(args[1], 0, kMaxMidiValue, first) ||
            !number(args[2], 0, kMaxMidiValue, second))
            return "error usage: knob <controller 0..127> <value 0..127>";
        return "ok " + hex(model.atDevice([&](PodDevice& device) {
                   return device.turnControl(std::uint8_t(first), std::uint8_t(second));
               }));
    }
    if (command == "choose") {
        if (!takes(1) || !number(args[1], PodDevice::kManualMode, PodDevice::kLastProgram, first))
            return "error usage: choose <program 0.." + std::to_string(PodDevice::kLastProgram) + ">";
        return "ok " + hex(model.atDevice([&](PodDevice& device) { return device.choosePatch(int(first)); }));
    }
    if (command == "idle") {
        const long longest = long(std::chrono::milliseconds(kLongestIdleWait).count());
        if (!takes(1) || !number(args[1], 0, longest, first))
            return "error usage: idle <ms 0.." + std::to_string(longest) + ">";
        return model.waitIdle(std::chrono::milliseconds(first)) ? "ok" : "error busy";
    }
    if (command == "reset" && takes(0)) {
        model.reset();
        return "ok";
    }
    return "error unknown command: " + std::string(command.substr(0, 32));
}

bool sendAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        // No SIGPIPE: a test that hangs up must not end the browser it controls.
        const ssize_t sent = ::send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        done += std::size_t(sent);
    }
    return true;
}

// Line by line until the peer hangs up; an overlong line ends the conversation.
void converse(int fd) {
    std::string pending;
    char buffer[kMaxLine];
    for (;;) {
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        pending.append(buffer, std::size_t(got));
        bool open = true;
        for (std::size_t end; open && (end = pending.find('\n')) != std::string::npos;) {
            std::string_view line(pending.data(), end);
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            if (line.size() > kMaxLine) {
                sendAll(fd, "error line too long\n");
                open = false;
            } else {
                open = sendAll(fd, reply(line) + '\n');
            }
            pending.erase(0, end + 1);
        }
        if (open && pending.size() > kMaxLine) {
            sendAll(fd, "error line too long\n");
            open = false;
        }
        if (!open)
            break;
    }
    ::close(fd);
}

bool addressOf(const char* path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (!path || !*path || std::strlen(path) >= sizeof address.sun_path)
        return false;
    std::strcpy(address.sun_path, path);
    return true;
}

bool someoneAnswers(const sockaddr_un& address) {
    const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (probe < 0)
        return false;
    const bool answers = ::connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(probe);
    return answers;
}

} // namespace

void startControlFromEnvironment() {
    static std::once_flag started;
    std::call_once(started, [] {
        if (const char* path = std::getenv("AMPLIX_ALSASEQ_CONTROL"); path && *path)
            serveControl(path);
    });
}

} // namespace amplix::alsaseq::detail

namespace amplix::alsaseq {

bool serveControl(const char* path) {
    sockaddr_un address;
    if (!detail::addressOf(path, address) || detail::someoneAnswers(address))
        return false;
    ::unlink(path); // what is left of a process that has gone
    const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener < 0)
        return false;
    if (::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, detail::kBacklog) != 0) {
        ::close(listener);
        return false;
    }
    // Each conversation on a thread of its own, so a peer that says nothing holds up no other.
    std::thread([listener] {
        for (;;) {
            const int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0)
                std::thread(detail::converse, fd).detach();
            else if (errno != EINTR && errno != ECONNABORTED && errno != EMFILE && errno != ENFILE)
                break;
            else if (errno == EMFILE || errno == ENFILE)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        ::close(listener);
    }).detach();
    return true;
}

} // namespace amplix::alsaseq
