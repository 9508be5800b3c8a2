// Patch files of every format the editor reads, built byte by byte for the command-line tests.
#pragma once

#include "patch/SysexFormat.h"

#include <algorithm>
#include <bit>
#include <initializer_list>
#include <string>
#include <vector>

namespace patchfiles {

using Bytes = std::vector<std::uint8_t>;

// A piece of a file: tags and names by their characters, anything else as bytes.
struct Piece {
    Piece(const char* s) : bytes(s, s + std::char_traits<char>::length(s)) {}
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

// Every parameter byte differs from its neighbours; the name is Latin-1.
inline amplix::PatchRecord record(const std::string& name, std::uint8_t seed) {
    amplix::PatchRecord r{};
    for (std::size_t k = 0; k < amplix::kRecordParameterBytes; ++k)
        r[k] = std::uint8_t(seed + 7 * k);
    std::copy_n(name.begin(), std::min(name.size(), amplix::kNameLength), r.begin() + amplix::kNameOffset);
    return r;
}
inline Bytes singlePatch(const amplix::PatchRecord& r, std::uint8_t byte7) {
    const auto dump = amplix::buildSingleDump(r, byte7);
    return Bytes(dump.begin(), dump.end());
}
// Patch n is named "Bank <n>".
inline Bytes bank(std::uint8_t byte7) {
    std::array<amplix::PatchRecord, amplix::kPatchLocations> patches{};
    for (std::size_t n = 0; n < patches.size(); ++n)
        patches[n] = record("Bank " + std::to_string(n), std::uint8_t(n));
    const auto dump = amplix::buildBankDump(patches, byte7);
    return Bytes(dump.begin(), dump.end());
}

// SoundDiver: an entry is its 14-byte head, the name and the tail (the data marker, the code
// and the 55 record bytes); one with present 0 is not listed.
struct SoundDiverEntry {
    std::string name;
    Bytes tail;
    std::uint8_t present = 1;
};
inline Bytes soundDiverTail(std::uint8_t seed, std::uint8_t code = 0x37) {
    Bytes tail = {0x03, code};
    for (std::size_t k = 0; k < amplix::kRecordParameterBytes; ++k)
        tail.push_back(std::uint8_t(seed + 3 * k));
    return tail;
}
// reversed: tags backwards and lengths little-endian.
inline Bytes soundDiver(const std::vector<SoundDiverEntry>& entries, bool reversed = false) {
    const auto turn = [&](Bytes b) {
        if (reversed)
            std::reverse(b.begin(), b.end());
        return b;
    };
    const auto tag = [&](const char* t) { return turn(cat({t})); };
    const auto length = [&](std::size_t n) { return turn(be32(std::uint32_t(n))); };
    Bytes out = cat({tag("FORM"), length(0), tag("SSLB"), tag("LHDR"), length(0)});
    for (const SoundDiverEntry& e : entries) {
        const Bytes data =
            cat({Bytes{0, e.present, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, std::uint8_t(e.name.size())}, e.name,
                 e.tail});
        out = cat({out, tag("LENT"), length(data.size()), data});
    }
    return out;
}

// Line 6 Edit: a module with its parameter records (number, value).
inline Bytes line6Module(std::array<std::uint8_t, 3> type, std::uint8_t model,
                         std::vector<std::pair<std::uint8_t, float>> params) {
    Bytes b = cat({"MODL", be32(std::uint32_t(24 + 20 * params.size())), Bytes(12),
                   Bytes{type[0], type[1], type[2], model, 0, 0, 0, 0, 0, 0, 0, 1}});
    for (const auto& [number, value] : params)
        b = cat({b, Bytes(11), Bytes{number, 0, 0, 0, 0}, be32(std::bit_cast<std::uint32_t>(value))});
    return b;
}
// An amp, a cabinet and a chorus or a compressor, padded to the length a bundle's scan expects.
inline constexpr std::size_t kLine6PatchLength = 1000;
inline Bytes line6Patch(const std::string& name, std::uint8_t device, std::uint8_t amp, bool compressor) {
    Bytes header = {0, 0, 0, 0, 0, 0, device, 0};
    for (char c : name)
        header = cat({header, Bytes{0, std::uint8_t(c)}});
    header = cat({header, Bytes{0, 0}});
    Bytes b = cat({"FORM", be32(0), "L6PAHEAD", be32(std::uint32_t(header.size())), header, "LIST", be32(0),
                   "PATC", line6Module({0, 0, 0}, amp, {{0, 0.5f}, {3, 0.75f}, {7, 1.0f}}),
                   line6Module({1, 0, 0}, 0x1B, {}),
                   compressor ? line6Module({2, 0, 0}, 0, {{5, 2.0f}})
                              : line6Module({2, 3, 0}, 0, {{0, 0.5f}, {1, 0.25f}, {3, 0.75f}})});
    b.resize(std::max(b.size(), kLine6PatchLength));
    return b;
}
inline Bytes line6Bundle(const std::vector<Bytes>& patches, const char* type) {
    Bytes b = cat({"FORM", be32(0), type});
    for (const Bytes& p : patches)
        b = cat({b, p});
    return b;
}

// GuitarPort version 1: amp 9, delay on, a first chorus at 2 Hz, a compressor at ratio 2, a
// reverb of type 1, then an information chunk.
inline Bytes guitarPort(bool compressorOn, bool modulationOn) {
    constexpr std::size_t kHeader = 24, kReverb = 232 + 20, kReverbLength = 24;
    Bytes b = cat({"FORM", be32(0), "L6GP", Bytes(8), be32(0x63), Bytes(kReverb + kReverbLength - kHeader)});
    b[31] = std::uint8_t(b.size() - 32);
    b[47] = 9;
    b[171] = compressorOn;
    b[175] = 1;
    b[203] = 1;
    b[231] = modulationOn;
    b[232] = 0x40; // 2.0f
    b[247] = 1;
    b[kReverb + 11] = 1;
    return cat({b, "LIST", be32(24), "INFO", "IAMP", be32(12), "Brit Hi Gain"});
}

} // namespace patchfiles
