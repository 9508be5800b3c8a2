// amplix-patch: the librarian on the command line: list, show, convert and compare patch files.
#include "import/FileFailure.h"
#include "import/PatchSource.h"
#include "midi/MidiTrace.h"
#include "patch/PatchLibrary.h"
#include "patch/PatchText.h"
#include "tools/Utf8CommandLine.h"

#include <array>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace {

using namespace amplix;

constexpr int kExitOk = 0;
constexpr int kExitDifferent = 1;
constexpr int kExitError = 2;

constexpr const char* kProgram = "amplix-patch";
constexpr const char* kTemporarySuffix = ".amplix-patch-tmp";
constexpr std::size_t kReadPieceSize = 64 * 1024;
constexpr const char* kWriteError = "Error writing to file!"; // as the editor's File > Save says

const char* const kUsage = R"(Usage: amplix-patch list FILE
       amplix-patch show FILE [-i N] [--effect comp|mod] [--json]
       amplix-patch convert FILE OUT [-i N] [--effect comp|mod]
       amplix-patch diff A B [-i N] [-j M]
       amplix-patch bank FILE OUT STEP...

Reads every patch file the editor opens or imports: its own single-patch and bank
files, SoundDiver libraries, Line 6 Edit patches, bundles and collections, and
GuitarPort patches. The content tells the format, never the name.

Commands:
  list      one line per patch, in the order the editor's chooser lists them:
            INDEX, the location label (bank files only) and the name, by tabs
  show      every parameter of a patch as the editor's panel shows it once loaded,
            one "MEMBER<TAB>VALUE" line each
  convert   writes OUT as the 151-byte single-patch file the editor would send to
            the device for that patch
  diff      the settings that differ, "NAME<TAB>A<TAB>B" each, named as the panel
            labels the controls and the Library's compare lists them ("Bass",
            "Chorus > Depth"); exit status 0 when there are none, 1 when there are
  bank      rearranges the bank file FILE into OUT, a bank file as the editor saves
            it, one step after the other, each printed as it is done:
              swap L1 L2      the patches at two locations (1A to 9D) change places
              copy L1 L2      the patch at L1 also goes to L2
              rename L NAME   the patch at L is called NAME (16 characters at most)

Options:
  -i N               the patch at index N of the listing of FILE (or A); default 0
  -j M               the same for B
  --effect comp|mod  a GuitarPort patch that uses both the compressor and a
                     modulation effect: which one to load (default mod, as the
                     editor's dialog)
  --json             show: one JSON object keyed by the controls' member names
  -h, --help         show this text
  --version          show the version

A file that cannot be read gives the editor's message on standard error and exit
status 2; so does an index past the listing. When the file was read, a second line
names it and says why, such as the offset of a byte no device sends.
)";

enum class Command { List, Show, Convert, Diff, Bank };

struct CommandRule {
    std::string_view name;
    Command command;
    std::size_t files;
    bool index, secondIndex, effect, json;
    bool steps = false; // more words after the files
};

constexpr CommandRule kCommands[] = {
    {"list", Command::List, 1, false, false, false, false},
    {"show", Command::Show, 1, true, false, true, true},
    {"convert", Command::Convert, 2, true, false, true, false},
    {"diff", Command::Diff, 2, true, true, false, false},
    {"bank", Command::Bank, 2, false, false, false, false, true},
};

struct Options {
    const CommandRule* rule = nullptr;
    std::vector<std::string> files;
    std::vector<std::string> steps;
    std::optional<std::size_t> index;
    std::optional<std::size_t> secondIndex;
    std::optional<int> effect;
    bool json = false;
};

// Thrown for a command line that makes no sense; the text says why.
struct UsageError {
    std::string text;
};

std::size_t parseIndex(const std::string& option, const std::string& text) {
    std::size_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        throw UsageError{option + " wants an index counting from 0, not '" + text + "'"};
    return value;
}

int parseEffect(const std::string& text) {
    if (text == "comp")
        return kLoadCompressor;
    if (text == "mod")
        return kLoadModulation;
    throw UsageError{"--effect wants comp or mod, not '" + text + "'"};
}

std::string optionValue(const std::vector<std::string>& args, std::size_t& i, const std::string& option) {
    if (i + 1 >= args.size())
        throw UsageError{option + " wants a value"};
    return args[++i];
}

// Options may stand anywhere after the command; "--" ends them.
Options parseArguments(const std::vector<std::string>& args) {
    constexpr std::string_view kEffectEquals = "--effect=";
    Options options;
    std::vector<std::string> words;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-')
            words.push_back(arg);
        else if (arg == "--")
            optionsEnded = true;
        else if (arg == "-i")
            options.index = parseIndex(arg, optionValue(args, i, arg));
        else if (arg == "-j")
            options.secondIndex = parseIndex(arg, optionValue(args, i, arg));
        else if (arg == "--effect")
            options.effect = parseEffect(optionValue(args, i, arg));
        else if (arg.starts_with(kEffectEquals))
            options.effect = parseEffect(arg.substr(kEffectEquals.size()));
        else if (arg == "--json")
            options.json = true;
        else
            throw UsageError{"unknown option " + arg};
    }
    if (words.empty())
        throw UsageError{"no command given"};
    for (const CommandRule& rule : kCommands)
        if (words[0] == rule.name)
            options.rule = &rule;
    if (!options.rule)
        throw UsageError{"unknown command " + words[0]};
    const CommandRule& rule = *options.rule;
    if ((options.index && !rule.index) || (options.secondIndex && !rule.secondIndex) ||
        (options.effect && !rule.effect) || (options.json && !rule.json))
        throw UsageError{std::string(rule.name) + " does not take that option"};
    options.files.assign(words.begin() + 1, words.end());
    if (rule.steps && options.files.size() > rule.files) {
        options.steps.assign(options.files.begin() + std::ptrdiff_t(rule.files), options.files.end());
        options.files.resize(rule.files);
    }
    if (options.files.size() != rule.files)
        throw UsageError{std::string(rule.name) + " wants " + (rule.files == 1 ? "one file" : "two files")};
    return options;
}

// Reads the file whole, in pieces up to just past what File > Import takes, as the editor does:
// a device or pipe without a size is bounded too.
std::optional<std::vector<std::uint8_t>> readFile(const std::string& name) {
    const std::filesystem::path path = pathFromUtf8(name);
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::vector<std::uint8_t> bytes;
    while (bytes.size() <= kMaxImportFileSize) {
        const std::size_t at = bytes.size();
        bytes.resize(at + kReadPieceSize);
        in.read(reinterpret_cast<char*>(bytes.data() + at), std::streamsize(kReadPieceSize));
        bytes.resize(at + std::size_t(in.gcount()));
        if (!in)
            break;
    }
    return bytes;
}

// The editor's message for why nothing could be taken from a file.
struct Failure {
    std::string text;
};

PatchSource openSource(const std::string& path) {
    const auto bytes = readFile(path);
    if (!bytes)
        throw Failure{kCouldNotOpen.text};
    PatchSource source = openAnyPatchFile(*bytes, latin1FromUtf8(path));
    // Where the editor's message alone would leave the user searching the file by hand.
    if (!source.ok())
        throw Failure{source.failure->text + "\n" + fileFailureReason(path, *bytes, source) + "."};
    // The editor's own file is one dump. Another message right after it (two banks joined) would
    // be passed over without a word; the editor reads no further than one dump, the tool says so.
    const bool native = source.kind == SourceKind::SinglePatch || source.kind == SourceKind::Bank;
    const std::size_t end = source.kind == SourceKind::Bank ? kBankDumpSize : kSingleDumpSize;
    if (native && bytes->size() > end && (*bytes)[end] == kSysexStart)
        throw Failure{kInvalidFileFormat.text + "\n" + path + ": a second message begins at offset " +
                      std::to_string(end) + "; a patch or bank file holds one dump."};
    return source;
}

std::array<std::uint8_t, kSingleDumpSize> entryDump(const PatchSource& source, const std::string& path,
                                                    std::size_t n, std::optional<int> effect) {
    if (n >= source.entries.size()) {
        const std::size_t count = source.entries.size();
        throw Failure{"There is no patch " + std::to_string(n) + ": " + path + " lists " +
                      std::to_string(count) + (count == 1 ? " patch." : " patches.")};
    }
    const ImportResult result = sourceDump(source, n, guitarPortChoice(source, effect));
    if (!result.ok())
        throw Failure{result.failure.text};
    return *result.dump;
}

// Written beside OUT first, so that a failed write leaves an older OUT as it was.
void writeFile(const std::string& name, std::span<const std::uint8_t> bytes) {
    const std::filesystem::path path = pathFromUtf8(name), temporary = pathFromUtf8(name + kTemporarySuffix);
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    out.close();
    std::error_code error;
    if (out)
        std::filesystem::rename(temporary, path, error);
    if (!out || error) {
        std::filesystem::remove(temporary, error);
        throw Failure{kWriteError};
    }
}

std::size_t location(const std::string& label) {
    const auto found = locationOfLabel(label);
    if (!found)
        throw UsageError{"a location is 1A to 9D, not '" + label + "'"};
    return *found;
}

// A name as the record holds it: Latin-1, at most 16 characters. A longer one is refused
// rather than cut, so that no bank is written under a name the user did not give.
std::string patchName(const std::string& utf8) {
    std::string name = latin1FromUtf8(utf8);
    if (name.size() > kNameLength)
        throw UsageError{"a name has at most " + std::to_string(kNameLength) + " characters, not '" + utf8 +
                         "'"};
    return name;
}

// Takes the steps one after the other through the library, as its window does, and writes the
// bank that results.
int rearrangeBank(const PatchSource& source, const std::string& path, const Options& options) {
    if (source.kind != SourceKind::Bank)
        throw Failure{path + " is not a bank file."};
    PatchLibrary::Records records{};
    for (std::size_t n = 0; n < kPatchLocations; ++n)
        records[n] = readRecord(source.bytes, bankPatchOffset(n));
    PatchLibrary library;
    library.load(records);
    const std::vector<std::string>& words = options.steps;
    for (std::size_t at = 0; at < words.size();) {
        const std::string& step = words[at];
        const auto argument = [&](std::size_t k) -> const std::string& {
            if (at + k >= words.size())
                throw UsageError{step + " wants two more words"};
            return words[at + k];
        };
        if (step == "swap")
            library.swap(location(argument(1)), location(argument(2)));
        else if (step == "copy")
            library.copy(location(argument(1)), location(argument(2)));
        else if (step == "rename")
            library.rename(location(argument(1)), patchName(argument(2)));
        else
            throw UsageError{"unknown step " + step + " (swap, copy or rename)"};
        at += 3;
    }
    // Byte 7 stays as the bank had it.
    writeFile(options.files[1], buildBankDump(library.records(), source.bytes[kDumpByte7]));
    for (std::size_t n : library.changedLocations())
        std::cout << locationLabel(n) << '\t' << textFromLatin1(library.name(n)) << '\n';
    return kExitOk;
}

int run(const Options& options) {
    const std::string& path = options.files[0];
    const PatchSource source = openSource(path);
    switch (options.rule->command) {
    case Command::List:
        for (std::size_t n = 0; n < source.entries.size(); ++n)
            std::cout << n << '\t' << source.label(n) << '\t' << textFromLatin1(source.entries[n].name)
                      << '\n';
        return kExitOk;
    case Command::Show: {
        const auto values = shownPatch(entryDump(source, path, options.index.value_or(0), options.effect));
        if (options.json) {
            std::cout << shownJson(values);
        } else {
            for (const ShownValue& value : values)
                std::cout << value.member << '\t' << shownText(value) << '\n';
        }
        return kExitOk;
    }
    case Command::Convert:
        writeFile(options.files[1], entryDump(source, path, options.index.value_or(0), options.effect));
        return kExitOk;
    case Command::Diff: {
        const auto a = shownPatch(entryDump(source, path, options.index.value_or(0), std::nullopt));
        const std::string& other = options.files[1];
        const auto b =
            shownPatch(entryDump(openSource(other), other, options.secondIndex.value_or(0), std::nullopt));
        const auto lines = differences(a, b);
        for (const std::string& line : lines)
            std::cout << line << '\n';
        return lines.empty() ? kExitOk : kExitDifferent;
    }
    case Command::Bank:
        return rearrangeBank(source, path, options);
    }
    return kExitError;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args = utf8Arguments(argc, argv);
    useUtf8Console();
    for (const std::string& arg : args) {
        if (arg == "--")
            break;
        if (arg == "-h" || arg == "--help") {
            std::cout << kUsage;
            return kExitOk;
        }
        if (arg == "--version") {
            std::cout << kProgram << " (Amplix 32) " << AMPLIX_VERSION << '\n';
            return kExitOk;
        }
    }
    try {
        return run(parseArguments(args));
    } catch (const UsageError& error) {
        std::cerr << kProgram << ": " << error.text << "\nTry '" << kProgram << " --help'.\n";
    } catch (const Failure& failure) {
        std::cerr << failure.text << '\n';
    }
    return kExitError;
}
