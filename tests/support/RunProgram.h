// Starts a program with its arguments as given, no shell between, and waits for it: the same
// test runs on Linux and on Windows (under Wine).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace amplix::testing {

// Arguments and paths in UTF-8; standard output and standard error go to the two files. Returns
// the exit status, -1 when the program could not be started or did not end normally.
int runProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
               const std::filesystem::path& out, const std::filesystem::path& err);

// Text as the program wrote it with its lines ended by LF: Windows ends them with CR LF.
std::string unixLineEnds(std::string text);

} // namespace amplix::testing
