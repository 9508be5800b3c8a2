// Starts a program with its arguments as given, no shell between, and waits for it.
#include "tests/support/RunProgram.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

namespace amplix::testing {

namespace fs = std::filesystem;

#ifdef _WIN32
namespace {

// Quoted so that the program's command-line parser hands back exactly the argument: backslashes
// count only before a quote, where each is doubled.
std::wstring quoted(const std::wstring& arg) {
    std::wstring text = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        text.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        text += c;
    }
    text.append(backslashes * 2, L'\\');
    return text + L"\"";
}

HANDLE inheritableFile(const fs::path& path) {
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    return CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

int runProgram(const fs::path& program, const std::vector<std::string>& args, const fs::path& out,
               const fs::path& err) {
    std::wstring line = quoted(program.wstring());
    for (const std::string& arg : args)
        line += L" " + quoted(fs::path(std::u8string(arg.begin(), arg.end())).wstring());
    HANDLE outFile = inheritableFile(out), errFile = inheritableFile(err);
    STARTUPINFOW start{};
    start.cb = sizeof(start);
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    start.hStdOutput = outFile;
    start.hStdError = errFile;
    PROCESS_INFORMATION process{};
    const bool started = outFile != INVALID_HANDLE_VALUE && errFile != INVALID_HANDLE_VALUE &&
                         CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &start, &process);
    for (HANDLE file : {outFile, errFile})
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
    if (!started)
        return -1;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 0;
    const bool ended = GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return ended ? int(status) : -1;
}

std::string unixLineEnds(std::string text) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
            text[kept++] = text[i];
    text.resize(kept);
    return text;
}
#else
int runProgram(const fs::path& program, const std::vector<std::string>& args, const fs::path& out,
               const fs::path& err) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<std::string> words{program.string()};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    const int error = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int raw = 0;
    if (error != 0 || waitpid(child, &raw, 0) != child)
        return -1;
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

// Only Windows's text mode adds a CR; one written here is the program's own and stays.
std::string unixLineEnds(std::string text) {
    return text;
}
#endif

} // namespace amplix::testing
