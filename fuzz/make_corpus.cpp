// Writes the fuzz targets' seed inputs: files built with the tests' own builders, and MIDI streams.
#include "device/FactoryPatches.h"
#include "device/PodDevice.h"
#include "files/PatchFile.h"
#include "midi/MidiConfig.h"
#include "midi/MidiTypes.h"
#include "patch/PatchLink.h"
#include "patch/SysexFormat.h"
#include "support/TestPatchFiles.h"
#include "tone/ToneMap.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using namespace amplix;
namespace fs = std::filesystem;

namespace {

// The file formats are built as the tests build them.
using patchfiles::be32;
using patchfiles::Bytes;
using patchfiles::bytesOf;
using patchfiles::cat;

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
Bytes le32(std::uint32_t v) {
    return {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)};
}

class Corpus {
public:
    Corpus(fs::path root, std::string target) : dir_(std::move(root) / std::move(target)) {
        fs::create_directories(dir_);
    }
    void add(const std::string& name, const Bytes& bytes) {
        std::ofstream out(dir_ / name, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        ++count_;
        if (!out)
            throw std::runtime_error("cannot write " + (dir_ / name).string());
    }
    int count() const { return count_; }

private:
    fs::path dir_;
    int count_ = 0;
};

// Dumps from the device model: its factory patches and edits through every controller.
std::vector<Bytes> deviceDumps() {
    std::vector<Bytes> dumps;
    PodDevice device;
    for (int program = 1; program <= PodDevice::kLastProgram; program += 5) {
        device.choosePatch(program);
        dumps.push_back(device.editBufferDump());
    }
    for (const ToneParameter& p : toneMap()) {
        for (const std::uint8_t value : {0, 64, 127})
            device.turnControl(p.controller, value);
        dumps.push_back(device.editBufferDump());
    }
    for (const EffectRow& effect : effectTable()) {
        device.turnControl(findParameter("EffectSel")->controller, std::uint8_t(effect.code));
        dumps.push_back(device.editBufferDump());
    }
    return dumps;
}

Bytes namedDump(std::string_view name) {
    PatchRecord record = factoryPatches()[3];
    Bytes dump = bytesOf(buildSingleDump(record, 0x01));
    writeDumpName(dump, name);
    return dump;
}

// A seed the reader must take as that kind of file: were it refused, the fuzzer would start
// from refusals only and seldom reach the listing and the unpacking.
void addAccepted(Corpus& c, const std::string& name, const Bytes& file, PatchFileStatus kind) {
    std::vector<std::uint8_t> buffer(kSysexBufferSize);
    if (readPatchFile(file, buffer).status != kind)
        throw std::runtime_error("seed " + name + " is not read as the file it was made as");
    c.add(name, file);
}

void patchFiles(Corpus& c) {
    const Bytes bank = bytesOf(buildBankDump(factoryPatches(), 0x01));
    const Bytes single = namedDump("Seed Patch");
    addAccepted(c, "single", single, PatchFileStatus::SinglePatch);
    addAccepted(c, "single-with-tail", single + Bytes(40, 0x55), PatchFileStatus::SinglePatch);
    addAccepted(c, "single-byte7-7F", bytesOf(buildSingleDump(factoryPatches()[7], 0x7F)),
                PatchFileStatus::SinglePatch);
    addAccepted(c, "bank", bank, PatchFileStatus::Bank);
    // Refused for one byte each: a status byte and a nibble too large, and no closing F7.
    Bytes broken = bank;
    broken[301] = 0x55;
    broken[302] = 0x99;
    c.add("bank-status-byte", broken);
    Bytes unended = single;
    unended.back() = 0x00;
    c.add("single-unended", unended);
    c.add("bank-cut", Bytes(bank.begin(), bank.begin() + 2000));
    c.add("single-cut", Bytes(single.begin(), single.begin() + 100));
    Bytes other = single;
    other[6] = 0x03;
    c.add("other-header", other);
    c.add("empty", {});
}

void patchDecode(Corpus& c) {
    int n = 0;
    for (const Bytes& dump : deviceDumps())
        c.add("dump-" + std::to_string(n++), dump);
    Bytes store = namedDump("Stored") + Bytes{0};
    makeStoreMessage(store, 5);
    c.add("store", store);
    c.add("high-nibbles", Bytes(kSingleDumpSize, 0x7F));
}

// SoundDiver: entries with every kind of prelude before the data marker, in either byte order.
void soundDiver(Corpus& c) {
    using patchfiles::soundDiverTail;
    const auto prelude = [](Bytes skip, Bytes tail = soundDiverTail(5)) { return cat({skip, tail}); };
    Bytes unmarked = soundDiverTail(5);
    unmarked[0] = 0x04; // not the data marker
    Bytes longSkip = {0x10, 0x81, 0x01};
    longSkip.resize(longSkip.size() + 129, 0xEE);
    const std::vector<patchfiles::SoundDiverEntry> entries = {
        {},
        {.name = "Skipped", .present = 0},
        {.name = "Padded", .tail = soundDiverTail(5, 0x3B)},
        {.name = "Short skip", .tail = prelude({0x10, 0x02, 0xEE, 0xEE})},
        {.name = "Long skip", .tail = prelude(longSkip)},
        {.name = "Zero skip", .tail = prelude({0x10, 0x00})},
        {.name = "No marker", .tail = prelude({0x10, 0x01, 0xEE}, unmarked)},
        {.name = std::string(40, 'L')},
    };
    c.add("library", patchfiles::soundDiver(entries));
    c.add("library-reversed", patchfiles::soundDiver(entries, true));
    const Bytes one = patchfiles::soundDiver({patchfiles::SoundDiverEntry{}});
    c.add("library-cut", Bytes(one.begin(), one.end() - 20));
}

// Line 6 Edit: every module kind once with one of these effects last, patches of both
// generations, bundles.
using patchfiles::Line6Module;
using patchfiles::line6Text;

const std::vector<Line6Module>& effectModules() {
    // clang-format off
    static const std::vector<Line6Module> effects = {
        {{2, 3, 0}, 0, 1, 0, {{0, 0.5f}, {1, 0.5f}, {2, 0.5f}, {3, 0.5f}}},
        {{2, 3, 0}, 2, 1, 0, {{6, 0, 0, 1}, {7, 0.3f}, {8, 0.6f}, {9, 0.9f}, {0, 2.0f}, {1, 4.0f}}},
        {{2, 3, 0}, 3, 1, 0, {{10, 0.4f}, {11, 0.8f}, {0, 3.0f}}},
        {{2, 0, 0}, 0, 1, 0, {{5, 0.6f, 0, 7}, {0, 0, 0, 20}}},
        {{2, 0, 0}, 8, 1, 0, {{4, 0.7f}}},
        {{2, 9, 0}, 1, 1, 0, {{0, 0.1f}}},
    };
    // clang-format on
    return effects;
}

std::vector<Line6Module> modulesWith(const Line6Module& effect) {
    std::vector<Line6Module> modules = patchfiles::line6StandardModules();
    modules.back() = effect;
    return modules;
}

// The texts of an information block; the newer generation names the application.
Bytes informationTexts(bool newer) {
    Bytes texts;
    for (std::string_view t : {"ISTL", "IBND", "IGTR", "ISNG", "IAUT", "IAMP", "IPUP"})
        texts = cat({texts, line6Text(t, std::string(t.substr(1)) + " text")});
    texts = cat({texts, line6Text("IPUS", "N"), line6Text("ICMT", "A comment, <b>bold</b>"),
                 line6Text("IDAT", "2004")});
    if (newer)
        texts = cat({texts, line6Text("IAPP", "Line 6 Edit"), line6Text("IAPV", "2.1")});
    return texts;
}

// The modules are followed by zeros, as far as a listed patch skips before it looks for the
// information block and a little more.
Bytes line6EditPatch(std::string name, std::uint8_t device, const Line6Module& effect,
                     std::optional<Bytes> info) {
    patchfiles::Line6Patch patch{.name = std::move(name), .device = device, .modules = modulesWith(effect)};
    patch.size = patch.bytes().size() + 820;
    patch.info = std::move(info);
    return patch.bytes();
}

void line6Edit(Corpus& c) {
    const auto& effects = effectModules();
    for (std::size_t i = 0; i < effects.size(); ++i)
        c.add("patch-" + std::to_string(i), line6EditPatch("Texas Flood", std::uint8_t(2 + i % 3), effects[i],
                                                           informationTexts(i % 2 == 1)));
    const Bytes a = line6EditPatch("Alpha", 2, effects[0], informationTexts(false));
    const Bytes refused = line6EditPatch("Refused", 9, effects[1], std::nullopt);
    const Bytes b = line6EditPatch("Beta", 3, effects[2], informationTexts(true));
    c.add("bundle", patchfiles::line6Bundle({a, refused, b}));
    c.add("collection", patchfiles::line6Bundle({b, a}, "L6CO"));
    c.add("patch-cut", Bytes(a.begin(), a.begin() + 300));
}

void line6EditInformation(Corpus& c) {
    using patchfiles::line6Information;
    c.add("older", line6Information(informationTexts(false)));
    c.add("newer", line6Information(informationTexts(true)));
    // A comment length of two bytes, shorter than the text that follows it.
    c.add("long-comment",
          line6Information(cat({"ICMT", be32(0x0000015E), patchfiles::line6Chars(std::string(350, 'c'))})));
    c.add("next-patch", cat({"FORM", line6Information(informationTexts(false))}));
    c.add("short-block", line6Information({}, 3));
}

void line6EditConvert(Corpus& c) {
    const auto& effects = effectModules();
    for (std::size_t i = 0; i < effects.size(); ++i)
        for (const std::uint8_t choice : {std::uint8_t(i), std::uint8_t(0x10 | i)}) {
            Bytes seed = {choice};
            for (const Line6Module& m : modulesWith(effects[i]))
                seed = cat({seed, patchfiles::line6ModuleBytes(m)});
            c.add("modules-" + std::to_string(i) + "-" + std::to_string(choice), seed);
        }
}

// GuitarPort: version 99 with every effect's values set, the information chunk after them.
Bytes guitarPortFile(std::uint8_t type, std::uint8_t reverbType, bool bothEffects, const Bytes& info) {
    patchfiles::GuitarPortFile file(type, reverbType, info);
    file.set(47, 5)
        .set(115, 0x1B)
        .set(171, bothEffects)
        .set(175, 3)
        .set(231, 1)
        .set(247, 1)
        .real(148, -40.5f);
    for (std::size_t at : {60u, 68u, 72u, 76u, 80u, 84u, 152u, 204u, 208u, 212u})
        file.real(at, 0.5f);
    for (std::size_t at = patchfiles::GuitarPortFile::kModulation; at + 4 <= file.reverb; at += 4)
        file.real(at, 2.0f);
    return file.bytes;
}

// Every text, and a tag the reader does not know.
Bytes guitarPortInformation() {
    const auto text = patchfiles::guitarPortText;
    return patchfiles::guitarPortInfo(
        cat({text("IAMP", "Amp"), text("IPUS", "Pickup"), text("IPUP", "Neck"), text("ISTL", "Rock"),
             text("ISST", "Sub"), text("ISNG", "Song"), text("IGTR", "Player"), text("IBND", "Band"),
             text("IDAT", "2003"), "XXXX", text("ICMT", "Odd")}));
}

void guitarPort(Corpus& c) {
    for (std::uint8_t type = 0; type <= 4; ++type)
        c.add("type-" + std::to_string(type),
              guitarPortFile(type, type % 2, type % 2 == 0, guitarPortInformation()));
    Bytes unknown = guitarPortFile(0, 0, false, {});
    unknown[23] = 0x62;
    c.add("unknown-version", unknown);
    const Bytes whole = guitarPortFile(3, 1, true, {});
    c.add("cut", Bytes(whole.begin(), whole.end() - 10));
}

void midiConfig(Corpus& c) {
    c.add("old-four-bytes", {3, 1, 2, 0});
    c.add("names", encodeMidiConfig({5, 1, 2, "Amplix POD Simulator", "USB MIDI Interface"}));
    c.add("utf8", encodeMidiConfig({15, 0, 0,
                                    "Entr\xC3\xA9"
                                    "e",
                                    std::string(300, 'x')}));
    c.add("empty", {});
}

// The MIDI stream target: two control bytes, then what arrives.
Bytes midiStream(std::uint8_t flags, std::uint8_t seed, const Bytes& stream) {
    return Bytes{flags, seed} + stream;
}

void midiInput(Corpus& c) {
    const Bytes edit = bytesOf(kEditBufferRequest), bank = bytesOf(kBankRequest);
    const Bytes dump = namedDump("Streamed");
    Bytes store = dump + Bytes{0};
    makeStoreMessage(store, 7);
    const Bytes bankDump = bytesOf(buildBankDump(factoryPatches(), 0x01));
    const Bytes controls = {0xB0, 13, 100,  14, 50,   0xF8, 15, 0xFE, 20,
                            0xC0, 5,  0xC0, 40, 0xF6, 0xB0, 64, 127};
    Bytes oversized = {0xF0};
    oversized.resize(2 * kSysexBufferSize + 2600, 0x11); // fills two armed buffers and more
    oversized.push_back(0xF7);
    const Bytes broken =
        Bytes{0xF0, 0x00, 0x01, 0x0C, 0x01} + Bytes{0xB0, 1, 2} + Bytes{0x40, 0xF3, 0x01, 0x02};

    const std::uint8_t steady = 0x01 | 0x02;
    c.add("requests", midiStream(steady, 1, edit + controls + bank + edit));
    c.add("dump-then-request", midiStream(steady, 2, dump + edit));
    c.add("store-then-program", midiStream(steady | 0x04, 3, store + Bytes{0xC0, 8} + edit));
    c.add("bank-dump", midiStream(steady, 4, bankDump + edit));
    c.add("oversized", midiStream(steady | 0x08, 5, oversized + edit));
    c.add("broken", midiStream(steady, 6, broken + edit));
    c.add("channel-5", midiStream(steady | 0x50, 7, Bytes{0xB5, 13, 1, 0xC5, 3, 0xC0, 4} + edit));
    c.add("no-buffer", midiStream(0, 8, edit + controls));
}

// The device target: settings, byte 7, then records of a length and a message.
Bytes record(const Bytes& message) {
    return Bytes{std::uint8_t(message.size() >> 8), std::uint8_t(message.size())} + message;
}

void podDevice(Corpus& c) {
    const Bytes dump = namedDump("Device Seed");
    Bytes store = dump + Bytes{0};
    makeStoreMessage(store, 35);
    const Bytes bankDump = bytesOf(buildBankDump(factoryPatches(), 0x01));
    const Bytes requests = record(bytesOf(kEditBufferRequest)) + record(bytesOf(kBankRequest));
    c.add("requests", Bytes{0x00, 0x01} + requests);
    c.add("dump-store-bank", Bytes{0x02, 0x7F} + record(dump) + record(store) + record(bankDump) + requests);
    c.add("short", Bytes{0x13, 0x00} + record({0xB3, 13, 100}) + record({0xC3, 12}) + record({0xC3, 37}) +
                       record({0xB3, 64, 127}) + record({0xC3}) + requests);
    c.add("user", Bytes{0x00, 0x05} + Bytes{0x80, 0x00, 13, 90} + Bytes{0x80, 0x00, 36, 4} + requests);
    Bytes broken = dump;
    broken[40] = 0x90;
    c.add("broken",
          Bytes{0x00, 0x01} + record(broken) + record(Bytes(dump.begin(), dump.end() - 1)) + requests);
}

// The editor window: steps of one byte each (0 deliver, 1 read, 2 bank read, 3 time-out), the
// bytes to deliver following their step in slices of up to 64.
Bytes delivered(const Bytes& midi) {
    Bytes out;
    for (std::size_t at = 0; at < midi.size(); at += 64) {
        const std::size_t length = std::min<std::size_t>(64, midi.size() - at);
        out.push_back(std::uint8_t((length - 1) << 2));
        out.insert(out.end(), midi.begin() + std::ptrdiff_t(at), midi.begin() + std::ptrdiff_t(at + length));
    }
    return out;
}

void frameInput(Corpus& c) {
    const Bytes dump = namedDump("Frame Seed");
    const Bytes bankDump = bytesOf(buildBankDump(factoryPatches(), 0x01));
    const Bytes controls = {0xB0, 13, 100, 0xB0, 1, 64, 0xB0, 64, 127, 0xC0, 5, 0xC0, 40, 0xF8, 0xB0, 19, 3};
    constexpr std::uint8_t read = 0x01, bank = 0x02, timeOut = 0x03;
    const std::uint8_t unlinkedAmp = 0x80 | (5 << 2) | read;
    c.add("read", Bytes{read} + delivered(dump));
    c.add("read-controls", Bytes{read} + delivered(controls) + delivered(dump));
    c.add("bank", Bytes{bank} + delivered(bankDump));
    c.add("bank-cut",
          Bytes{bank} + delivered(Bytes(bankDump.begin(), bankDump.begin() + 700)) + Bytes{timeOut});
    c.add("unlinked-amp", Bytes{unlinkedAmp} + delivered(dump));
    c.add("short-dump", Bytes{read} + delivered(Bytes(dump.begin(), dump.end() - 9)) + Bytes{timeOut, read} +
                            delivered(dump));
    c.add("controls", delivered(controls));
}

// The bounded reader: operations, then the file they walk.
void byteReader(Corpus& c) {
    const Bytes file = cat({"FORM", be32(12), "SSLB", "LENT", le32(7), "xyz"});
    const Bytes ops = {0x07 | 0x80, 'F', 'O', 'R', 'M', 0x04, 0x05, 0x06, 0x02, 0x03, 5,    0x80, 0x00, 0x03,
                       0x87,        'L', 'E', 'N', 'T', 0x01, 0x81, 0x00, 0x40, 0x00, 0x07, 0x27, 'z'};
    auto seed = [&](const Bytes& operations) {
        return Bytes{std::uint8_t(file.size() >> 8), std::uint8_t(file.size())} + operations + file;
    };
    c.add("walk", seed(ops));
    c.add("past-the-end", seed({0x80, 0xFF, 0xFF, 0x00, 0x01, 0x01, 0x04, 0x03, 200}));
    c.add("no-file", Bytes{0, 0} + ops);
}

// The one entry point for every format: the other file targets' seeds, each behind a path choice.
void patchSource(Corpus& c, const fs::path& root) {
    std::uint8_t path = 0;
    for (const char* from : {"patch_file", "sounddiver", "line6edit", "guitarport"}) {
        for (const auto& seed : fs::directory_iterator(root / from)) {
            std::ifstream in(seed.path(), std::ios::binary);
            const Bytes bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            c.add(std::string(from) + "-" + seed.path().filename().string(), Bytes{path++} + bytes);
        }
    }
}

// Links of the factory patches, whole, after a "#", cut, with a character changed, and another tag.
void patchLinks(Corpus& c) {
    const auto text = [](const std::string& s) { return Bytes(s.begin(), s.end()); };
    int n = 0;
    for (const PatchRecord& record : factoryPatches()) {
        const std::string link = patchLink(record);
        c.add("link-" + std::to_string(n), text(link));
        if (n % 9 == 0) {
            c.add("hash-" + std::to_string(n), text("#" + link));
            c.add("cut-" + std::to_string(n), text(link.substr(0, 20 + std::size_t(n))));
            std::string changed = link;
            changed[40] = changed[40] == 'A' ? 'B' : 'A';
            c.add("changed-" + std::to_string(n), text(changed));
            c.add("foreign-" + std::to_string(n), text("amplix2" + link.substr(7)));
        }
        ++n;
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: " << argv[0] << " OUTPUT_DIRECTORY\n";
        return 2;
    }
    const fs::path root = argv[1];
    const std::pair<const char*, void (*)(Corpus&)> targets[] = {
        {"patch_file", patchFiles},
        {"patch_decode", patchDecode},
        {"patch_link", patchLinks},
        {"sounddiver", soundDiver},
        {"line6edit", line6Edit},
        {"line6edit_info", line6EditInformation},
        {"line6edit_convert", line6EditConvert},
        {"guitarport", guitarPort},
        {"midi_config", midiConfig},
        {"midi_input", midiInput},
        {"pod_device", podDevice},
        {"byte_reader", byteReader},
        {"frame_input", frameInput},
    };
    try {
        for (const auto& [name, write] : targets) {
            Corpus corpus(root, name);
            write(corpus);
            std::cout << name << ": " << corpus.count() << " seeds\n";
        }
        Corpus sources(root, "patch_source");
        patchSource(sources, root);
        std::cout << "patch_source: " << sources.count() << " seeds\n";
    } catch (const std::exception& e) {
        std::cerr << "make-corpus: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
