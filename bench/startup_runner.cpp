// Times the editor's start-up against the bare Qt window: alternating runs, medians, peak memory.
//
// Three programs take turns, a different one first in each round: the editor, the bare window,
// and the bare window with one line of text (bare_window --text).
//
// Each run starts the program with AMPLIX_EXIT_WHEN_SHOWN=1 and measures from just before the
// fork to the line the program prints once its window is first exposed and painted, after
// which it ends at once; the peak resident memory and the CPU time (user and system) are the
// child's ru_maxrss and ru_utime + ru_stime from wait4. The editor runs in a scratch folder whose
// AMPLIX.CNF names the built-in simulator for input and output, so it starts connected.
//
// Usage: startup_runner EDITOR BARE_WINDOW [RUNS]   (QT_QPA_PLATFORM is passed on as set)
// Output: one "key value" line per figure, read by scripts/bench.
#include "midi/MidiConfig.h"
#include "midi/SimulatorMidiService.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <signal.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kDefaultRuns = 15;
constexpr int kWarmUpRuns = 2; // per program, not counted: the page cache and font cache fill
constexpr std::chrono::seconds kRunLimit{30};

struct Run {
    double ms = 0;
    double peakMiB = 0;
    double cpuMs = 0; // user and system time of the child
    std::string line;
};

// Starts program in folder, waits for its "shown" line and its end. Empty line: it failed.
Run runOnce(const std::string& program, const char* argument, const std::filesystem::path& folder) {
    Run run;
    int out[2];
    if (pipe(out) != 0)
        return run;
    const auto started = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(folder.c_str()) != 0)
            _exit(126);
        dup2(out[1], STDOUT_FILENO);
        // Qt's and libjack's remarks are not wanted among the figures.
        if (const int null = open("/dev/null", O_WRONLY); null >= 0)
            dup2(null, STDERR_FILENO);
        close(out[0]);
        close(out[1]);
        setenv("AMPLIX_EXIT_WHEN_SHOWN", "1", 1);
        execl(program.c_str(), program.c_str(), argument, static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    if (pid < 0) {
        close(out[0]);
        return run;
    }
    std::string text;
    char buffer[256];
    bool shown = false;
    // The child ends itself right after the line; a read error or the end of the pipe stops this.
    while (!shown) {
        const ssize_t n = read(out[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        text.append(buffer, std::size_t(n));
        if (text.find(" shown") != std::string::npos && text.find('\n') != std::string::npos) {
            run.ms = std::chrono::duration<double, std::milli>(Clock::now() - started).count();
            shown = true;
        }
        if (Clock::now() - started > kRunLimit)
            break;
    }
    close(out[0]);
    if (!shown)
        kill(pid, SIGKILL);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (!shown)
        return run;
    run.line = text.substr(0, text.find('\n'));
    run.peakMiB = double(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
    run.cpuMs = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    return run;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s EDITOR BARE_WINDOW [RUNS]\n", argv[0]);
        return 2;
    }
    const std::string editor = std::filesystem::absolute(argv[1]).string();
    const std::string bare = std::filesystem::absolute(argv[2]).string();
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : kDefaultRuns;

    std::string pattern = (std::filesystem::temp_directory_path() / "amplix-startup-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::filesystem::path folder = pattern;
    // Input 0 and output 0 with the simulator's name: found by name even when the system has
    // MIDI devices of its own listed before it.
    amplix::MidiConfig config;
    config.inputName = config.outputName = amplix::SimulatorMidiService::kDeviceName;
    const auto bytes = amplix::encodeMidiConfig(config);
    std::ofstream(folder / amplix::kConfigFileName, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));

    // The editor, the bare window, and the bare window with one line of text.
    struct Program {
        const char* key;
        std::string path;
        const char* argument;
        std::vector<double> ms, mib, cpu;
        std::string line;
    };
    Program programs[] = {{"editor", editor, nullptr, {}, {}, {}, {}},
                          {"bare", bare, nullptr, {}, {}, {}, {}},
                          {"bare_text", bare, "--text", {}, {}, {}, {}}};
    constexpr int kPrograms = 3;
    int failures = 0;
    for (int round = -kWarmUpRuns; round < runs; ++round) {
        // A different program goes first each round, so none always meets a warmer machine.
        for (int k = 0; k < kPrograms; ++k) {
            Program& p = programs[((round + kWarmUpRuns) + k) % kPrograms];
            const Run run = runOnce(p.path, p.argument, folder);
            if (run.line.empty()) {
                ++failures;
                continue;
            }
            if (round < 0)
                continue;
            p.ms.push_back(run.ms);
            p.mib.push_back(run.peakMiB);
            p.cpu.push_back(run.cpuMs);
            p.line = run.line;
        }
    }
    std::filesystem::remove_all(folder);

    const char* platform = std::getenv("QT_QPA_PLATFORM");
    std::printf("platform %s\n", platform ? platform : "default");
    std::printf("failures %d\n", failures);
    std::printf("editor_line %s\n", programs[0].line.c_str());
    for (const Program& p : programs) {
        if (p.ms.empty())
            return 1;
        std::printf("%s_runs %zu\n", p.key, p.ms.size());
        std::printf("%s_ms %.1f\n%s_peak_mib %.1f\n%s_cpu_ms %.1f\n", p.key, median(p.ms), p.key,
                    median(p.mib), p.key, median(p.cpu));
        std::printf("%s_ms_min_max %.1f %.1f\n", p.key, *std::min_element(p.ms.begin(), p.ms.end()),
                    *std::max_element(p.ms.begin(), p.ms.end()));
    }
    const Program& e = programs[0];
    const Program& b = programs[1];
    const Program& t = programs[2];
    std::printf("time_ratio %.3f\nmemory_ratio %.3f\ncpu_ratio %.3f\n", median(e.ms) / median(b.ms),
                median(e.mib) / median(b.mib), median(e.cpu) / median(b.cpu));
    std::printf("text_time_ratio %.3f\ntext_memory_ratio %.3f\ntext_cpu_ratio %.3f\n",
                median(e.ms) / median(t.ms), median(e.mib) / median(t.mib), median(e.cpu) / median(t.cpu));
    return e.line.find("MIDI open") == std::string::npos ? 1 : 0;
}
