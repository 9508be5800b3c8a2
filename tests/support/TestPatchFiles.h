// Patch files of every format the editor reads, built byte by byte for the tests.
#pragma once

#include "import/BitCast.h"
#include "patch/SysexFormat.h"

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace patchfiles {

using Bytes = std::vector<std::uint8_t>;

// A piece of a file: tags and names by their characters, anything else as bytes.
struct Piece {
    Piece(const char* s) : bytes(s, s + std::char_traits<char>::length(s)) {}
    Piece(std::string_view s) : bytes(s.begin(), s.end()) {}
    Piece(const std::string& s) : bytes(s.begin(), s.end()) {}
    Piece(Bytes b) : bytes(std::move(b)) {}
    Bytes bytes;
};
inline Bytes cat(std::initializer_list<Piece> pieces) {
    Bytes out;
    for (const Piece& p : pieces)
        out.insert(out.end(), p.bytes.begin(), p.bytes.end());
    return out;
}
inline Bytes be32(std::uint32_t v) {
    return {std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)};
}
template <typename Array> Bytes bytesOf(const Array& a) {
    return Bytes(a.begin(), a.end());
}

// Every parameter byte differs from its neighbours; the name is Latin-1.
inline amplix::PatchRecord record(const std::string& name, std::uint8_t seed) {
    amplix::PatchRecord r{};
    for (std::size_t k = 0; k < amplix::kRecordParameterBytes; ++k)
        r[k] = std::uint8_t(seed + 7 * k);
    std::copy_n(name.begin(), std::min(name.size(), amplix::kNameLength), r.begin() + amplix::kNameOffset);
    return r;
}
inline Bytes singlePatch(const amplix::PatchRecord& r, std::uint8_t byte7) {
    return bytesOf(amplix::buildSingleDump(r, byte7));
}
// Patch n is named "Bank <n>".
inline std::array<amplix::PatchRecord, amplix::kPatchLocations> bankRecords() {
    std::array<amplix::PatchRecord, amplix::kPatchLocations> patches{};
    for (std::size_t n = 0; n < patches.size(); ++n)
        patches[n] = record("Bank " + std::to_string(n), std::uint8_t(n));
    return patches;
}
inline Bytes bank(std::uint8_t byte7,
                  const std::array<amplix::PatchRecord, amplix::kPatchLocations>& patches = bankRecords()) {
    return bytesOf(amplix::buildBankDump(patches, byte7));
}

// SoundDiver: an entry is its 14-byte head, the name and the tail (the data marker, the code
// and the 55 record bytes); one with present 0 is not listed.
inline Bytes soundDiverTail(std::uint8_t seed, std::uint8_t code = 0x37, std::size_t recordBytes = 55) {
    Bytes tail = {0x03, code};
    if (code == 0x3B) // this code has four bytes before the record
        tail.insert(tail.end(), 4, 0xEE);
    for (std::size_t k = 0; k < recordBytes; ++k) // every nibble value turns up
        tail.push_back(std::uint8_t(seed + 37 * k));
    return tail;
}
struct SoundDiverEntry {
    std::string name = "Clean";
    Bytes tail = soundDiverTail(5);
    std::uint8_t present = 1, bank = 0, kind = 1; // head bytes 1, 2 and 12
    int lengthByte = -1;                          // head byte 13; -1: the name's length
};
// reversed: tags backwards and lengths little-endian; lengths overrides the stored entry lengths.
inline Bytes soundDiver(const std::vector<SoundDiverEntry>& entries, bool reversed = false,
                        const std::vector<std::uint32_t>& lengths = {}) {
    const auto turn = [&](Bytes b) {
        if (reversed)
            std::reverse(b.begin(), b.end());
        return b;
    };
    const auto tag = [&](const char* t) { return turn(cat({t})); };
    const auto length = [&](std::size_t n) { return turn(be32(std::uint32_t(n))); };
    // A near match right before the first entry's tag.
    Bytes out = cat({tag("FORM"), length(0), tag("SSLB"), tag("LHDR"), length(4), "LLEN"});
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const SoundDiverEntry& e = entries[i];
        const auto nameLength = std::uint8_t(e.lengthByte >= 0 ? e.lengthByte : int(e.name.size()));
        const Bytes data =
            cat({Bytes{0, e.present, e.bank, 0, 0, 0, 0, 0, 0, 0, 0, 0, e.kind, nameLength}, e.name, e.tail});
        out = cat({out, tag("LENT"), length(i < lengths.size() ? lengths[i] : data.size()), data});
    }
    return out;
}

// Line 6 Edit: 16-bit characters whose high byte the reader drops.
inline Bytes line6Chars(std::string_view text) {
    Bytes b;
    for (char c : text)
        b.insert(b.end(), {0x01, std::uint8_t(c)});
    return b;
}
// An information text.
inline Bytes line6Text(std::string_view tag, std::string_view text) {
    return cat({tag, be32(std::uint32_t(2 * text.size())), line6Chars(text)});
}
struct Line6Param {
    int number;
    float value;
    int sub = 0;
    std::uint32_t raw = 0; // stored instead of the value when not 0 (switches, ratio numbers)
};
struct Line6Module {
    std::array<std::uint8_t, 3> type;
    std::uint8_t model, enable = 1, position = 0;
    std::vector<Line6Param> params;
};
inline Bytes line6ModuleBytes(const Line6Module& m) {
    Bytes b = cat({"MODL", be32(std::uint32_t(24 + 20 * m.params.size())), Bytes(12),
                   Bytes{m.type[0], m.type[1], m.type[2], m.model, 0, 0, 0, m.position, 0, 0, 0, m.enable}});
    for (const Line6Param& p : m.params)
        b = cat({b, Bytes(9), Bytes{std::uint8_t(p.sub), 0, std::uint8_t(p.number), 0, 0, 0, 0},
                 be32(p.raw ? p.raw : amplix::bitCast<std::uint32_t>(p.value))});
    return b;
}
// Every module once, the effect last.
inline std::vector<Line6Module> line6StandardModules() {
    // clang-format off
    return {
        {{0, 0, 0}, 5, 1, 0, {{0, 0.5f}, {1, 0.51f}, {2, 1}, {3, 0}, {4, 0.25f}, {5, 0.75f}, {6, 0.1f},
                              {7, 0, 0, 1}, {8, 0}, {9, 0, 0, 1}, {10, 0, 0, 1}}},
        {{1, 0, 0}, 0x1B, 1, 0, {}},
        {{2, 11, 0}, 1, 1, 0, {{0, 0.5f}}},
        {{2, 11, 0}, 0, 1, 0, {{0, -40.5f}, {3, 1}}},
        {{2, 4, 0}, 0, 1, 0, {{0, 0.2f}, {2, 0.4f, 16}, {3, 0.6f}, {4, 0.8f}, {2, 1, 1}}},
        {{2, 6, 0}, 1, 1, 0, {{3, 0.25f}, {2, 0.75f}}},
        {{2, 7, 0}, 1, 1, 2, {{0, 0.5f}}},
        {{2, 2, 0}, 0, 1, 0, {{0, 0.25f}, {1, 0.5f, 16}, {1, 0.75f, 1}}},
        {{2, 3, 0}, 0, 1, 0, {{0, 0.5f}, {1, 0.5f}, {2, 0.5f}, {3, 0.5f}}},
    };
    // clang-format on
}
// The information block around its texts; length, when given, is stored instead of the real one.
inline Bytes line6Information(const Bytes& texts, std::optional<std::uint32_t> length = std::nullopt) {
    return cat({"LIST", be32(length.value_or(std::uint32_t(4 + texts.size()))), "UNFO", texts});
}
struct Line6Patch {
    std::string name = "Texas Flood";
    std::uint8_t device = 2;
    std::vector<Line6Module> modules = line6StandardModules();
    std::optional<Bytes> info = std::nullopt; // the texts of the information block
    std::optional<std::uint32_t> infoLength = std::nullopt;
    std::size_t size = 0; // pads the patch to this many bytes before the information block
    std::string_view patc = "PATC";

    std::size_t patcAt() const { return 36 + 2 * name.size() + 2; }
    Bytes bytes() const {
        const Bytes header = cat({Bytes{0, 0, 0, 0, 0, 0, device, 0}, line6Chars(name), Bytes{0, 0}});
        Bytes b = cat(
            {"FORM", be32(0), "L6PAHEAD", be32(std::uint32_t(header.size())), header, "LIST", be32(0), patc});
        for (const Line6Module& m : modules)
            b = cat({b, line6ModuleBytes(m)});
        b.resize(std::max(b.size(), size));
        if (info)
            b = cat({b, line6Information(*info, infoLength)});
        return b;
    }
};
// A complete patch, all nine modules, with the amp model given and a chorus or a compressor as
// its effect; long enough for a bundle's scan to find the next patch after it.
inline Bytes line6Patch(const std::string& name, std::uint8_t device, std::uint8_t amp, bool compressor,
                        std::optional<Bytes> info = std::nullopt) {
    Line6Patch p{name, device};
    p.modules[0].model = amp;
    if (device == 3) { // its pedal values lie one record later
        p.modules[5].params.insert(p.modules[5].params.begin(), {3, 1});
        p.modules[6].params.insert(p.modules[6].params.begin(), {0, 1});
    }
    p.modules[8] = compressor ? Line6Module{{2, 0, 0}, 0, 1, 0, {{5, 2.0f}}}
                              : Line6Module{{2, 3, 0}, 0, 1, 0, {{0, 0.5f}, {1, 0.25f}, {3, 0.75f}}};
    p.info = std::move(info);
    p.size = 1000;
    return p.bytes();
}
inline Bytes line6Bundle(const std::vector<Bytes>& patches, const char* type = "L6BA") {
    Bytes b = cat({"FORM", be32(0), type});
    for (const Bytes& p : patches)
        b = cat({b, p});
    return b;
}

// GuitarPort version 1: every parameter 0, as long as the modulation type's and the reverb
// type's layouts need, then the information chunk.
struct GuitarPortFile {
    static constexpr std::size_t kModulation = 232;
    std::size_t reverb;
    Bytes bytes;

    static std::size_t layout(std::uint8_t type) { return type == 0 ? 20 : type >= 3 ? 12 : 16; }
    explicit GuitarPortFile(std::uint8_t type = 3, std::uint8_t reverbType = 1, const Bytes& info = {})
        : reverb(kModulation + layout(type)), bytes(reverb + (reverbType ? 24 : 36)) {
        std::copy_n("FORM\0\0\0\0L6GP", 12, bytes.begin());
        bytes[23] = 0x63;
        bytes[227] = type;
        bytes[reverb + 11] = reverbType;
        big32(28, std::uint32_t(bytes.size() - 32));
        bytes.insert(bytes.end(), info.begin(), info.end());
    }
    GuitarPortFile& set(std::size_t at, std::uint8_t value) { return bytes[at] = value, *this; }
    GuitarPortFile& real(std::size_t at, float value) {
        return big32(at, amplix::bitCast<std::uint32_t>(value));
    }
    GuitarPortFile& big32(std::size_t at, std::uint32_t v) {
        const Bytes b = be32(v);
        std::copy(b.begin(), b.end(), bytes.begin() + std::ptrdiff_t(at));
        return *this;
    }
};
// An information text, padded to an even length, and the chunk that holds them.
inline Bytes guitarPortText(std::string_view tag, std::string_view text) {
    return cat({tag, be32(std::uint32_t(text.size())), text, Bytes(text.size() % 2)});
}
inline Bytes guitarPortInfo(const Bytes& texts) {
    return cat({"LIST", be32(std::uint32_t(4 + texts.size())), "INFO", texts});
}
// Amp 9, delay on, a first chorus at 2 Hz, a compressor at ratio 2, a reverb of type 1.
inline Bytes guitarPort(bool compressorOn, bool modulationOn) {
    const Bytes info =
        guitarPortInfo(cat({guitarPortText("IAMP", "Brit Hi Gain"), guitarPortText("IPUP", "Neck"),
                            guitarPortText("ICMT", "<b>x</b>")}));
    GuitarPortFile file(0, 1, info);
    const int values[] = {9, compressorOn, 1, 1, modulationOn, 1};
    for (int i = 0; std::size_t at : {47, 171, 175, 203, 231, 247})
        file.set(at, std::uint8_t(values[i++]));
    return file.real(232, 2.0f).bytes;
}

} // namespace patchfiles
