// Patch files of every format the editor reads, built byte by byte for the command-line tests.
#pragma once

#include "patch/SysexFormat.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace patchfiles {

using Bytes = std::vector<std::uint8_t>;

inline Bytes join(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
inline Bytes text(std::string_view t) {
    return Bytes(t.begin(), t.end());
}
inline Bytes be32(std::uint32_t v) {
    return {std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)};
}

// A record whose every byte differs from its neighbours, named (Latin-1) as given.
inline amplix::PatchRecord record(std::string_view name, std::uint8_t seed) {
    amplix::PatchRecord r{};
    for (std::size_t k = 0; k < amplix::kRecordParameterBytes; ++k)
        r[k] = std::uint8_t(seed + 7 * k);
    for (std::size_t k = 0; k < amplix::kNameLength; ++k)
        r[amplix::kNameOffset + k] = k < name.size() ? std::uint8_t(name[k]) : 0;
    return r;
}

inline Bytes singlePatch(const amplix::PatchRecord& r, std::uint8_t byte7) {
    const auto dump = amplix::buildSingleDump(r, byte7);
    return Bytes(dump.begin(), dump.end());
}

// Patch n is named "Bank <n>" (the 36th "Bank 35").
inline Bytes bank(std::uint8_t byte7) {
    std::array<amplix::PatchRecord, amplix::kPatchLocations> patches{};
    for (std::size_t n = 0; n < patches.size(); ++n)
        patches[n] = record("Bank " + std::to_string(n), std::uint8_t(n));
    const auto dump = amplix::buildBankDump(patches, byte7);
    return Bytes(dump.begin(), dump.end());
}

// SoundDiver: an entry's data is its 14-byte head, the name, then tail (the marker, the code
// and the 55 record bytes). An entry with present 0 is not listed.
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
// reversed: the byte-reversed form, tags backwards and lengths little-endian.
inline Bytes soundDiver(const std::vector<SoundDiverEntry>& entries, bool reversed = false) {
    Bytes out;
    const auto tag = [&](std::string t) {
        if (reversed)
            std::reverse(t.begin(), t.end());
        out = join(out, text(t));
    };
    const auto length = [&](std::size_t n) {
        Bytes b = be32(std::uint32_t(n));
        if (reversed)
            std::reverse(b.begin(), b.end());
        out = join(out, b);
    };
    tag("FORM");
    length(0);
    tag("SSLB");
    tag("LHDR");
    length(0);
    for (const SoundDiverEntry& e : entries) {
        Bytes data = {0, e.present, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, std::uint8_t(e.name.size())};
        data = join(join(data, text(e.name)), e.tail);
        tag("LENT");
        length(data.size());
        out = join(out, data);
    }
    return out;
}

// Line 6 Edit: a patch of an amp, a cabinet, a reverb and one effect module, padded to a
// length a bundle's scan expects between patches.
struct Line6Module {
    std::array<std::uint8_t, 3> type;
    std::uint8_t model;
    std::vector<std::pair<int, float>> params; // number, value
};
inline Bytes line6Module(const Line6Module& m) {
    Bytes b = join(text("MODL"), be32(std::uint32_t(24 + 20 * m.params.size())));
    b = join(b, Bytes(12));
    b = join(b, Bytes{m.type[0], m.type[1], m.type[2], m.model, 0, 0, 0, 0, 0, 0, 0, 1});
    for (const auto& [number, value] : m.params)
        b = join(join(b, Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, std::uint8_t(number), 0, 0, 0, 0}),
                 be32(std::bit_cast<std::uint32_t>(value)));
    return b;
}
inline constexpr std::size_t kLine6PatchLength = 1000;
inline Bytes line6Patch(std::string_view name, std::uint8_t device, std::uint8_t amp, bool compressor) {
    Bytes header = {0, 0, 0, 0, 0, 0, device, 0};
    for (char c : name)
        header = join(header, Bytes{0, std::uint8_t(c)});
    header = join(header, Bytes{0, 0});
    Bytes b = join(join(text("FORM"), be32(0)), text("L6PAHEAD"));
    b = join(join(join(b, be32(std::uint32_t(header.size()))), header), text("LIST"));
    b = join(join(b, be32(0)), text("PATC"));
    const Line6Module effect =
        compressor ? Line6Module{{2, 0, 0}, 0, {{5, 2.0f}}}
                   : Line6Module{{2, 3, 0}, 0, {{0, 0.5f}, {1, 0.25f}, {2, 0.5f}, {3, 0.75f}}};
    for (const Line6Module& m :
         {Line6Module{{0, 0, 0}, amp, {{0, 0.5f}, {3, 0.75f}, {7, 1.0f}}}, Line6Module{{1, 0, 0}, 0x1B, {}},
          Line6Module{{2, 4, 0}, 0, {{0, 0.2f}}}, effect})
        b = join(b, line6Module(m));
    b.resize(std::max(b.size(), kLine6PatchLength));
    return b;
}
inline Bytes line6Bundle(const std::vector<Bytes>& patches, std::string_view type) {
    Bytes b = join(join(text("FORM"), be32(0)), text(type));
    for (const Bytes& p : patches)
        b = join(b, p);
    return b;
}

// GuitarPort version 1: a first chorus at 2 Hz, a compressor at ratio 2 and a reverb of type
// 1, then an information chunk.
inline Bytes guitarPort(bool compressorOn, bool modulationOn) {
    constexpr std::size_t kReverb = 232 + 20;
    Bytes bytes(kReverb + 24, 0);
    std::memcpy(bytes.data(), "FORM\0\0\0\0L6GP", 12);
    bytes[23] = 0x63; // version 99
    bytes[31] = std::uint8_t(bytes.size() - 32);
    bytes[47] = 9; // amp model
    bytes[171] = compressorOn;
    bytes[175] = 1;
    bytes[203] = 1; // delay on
    bytes[231] = modulationOn;
    bytes[232] = 0x40; // 2.0f
    bytes[247] = 1;
    bytes[kReverb + 11] = 1;
    const char info[] = "LIST\0\0\0\x18INFO"
                        "IAMP\0\0\0\x0C"
                        "Brit Hi Gain";
    return join(bytes, text(std::string_view(info, sizeof info - 1)));
}

} // namespace patchfiles
