// Generated import files for the benchmarks: SoundDiver libraries, Line 6 Edit collections, filler.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace amplixbench {

using Bytes = std::vector<std::uint8_t>;

inline void append(Bytes& out, std::string_view text) {
    out.insert(out.end(), text.begin(), text.end());
}
inline void append(Bytes& out, const Bytes& more) {
    out.insert(out.end(), more.begin(), more.end());
}
inline void putBig32(Bytes& out, std::uint32_t v) {
    out.insert(out.end(),
               {std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)});
}
inline void setBig32(Bytes& out, std::size_t at, std::uint32_t v) {
    out[at] = std::uint8_t(v >> 24);
    out[at + 1] = std::uint8_t(v >> 16);
    out[at + 2] = std::uint8_t(v >> 8);
    out[at + 3] = std::uint8_t(v);
}

// A small deterministic generator, so every run lists the same bytes.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed ? seed : 1) {}
    std::uint64_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return state_;
    }
    int below(int n) { return int(next() % std::uint64_t(n)); }

private:
    std::uint64_t state_;
};

inline std::string patchName(int n) {
    static constexpr std::string_view kWords[] = {"Clean", "Crunch", "Lead", "Blues",  "Metal", "Jazz",
                                                  "Twang", "Fuzz",   "Solo", "Rhythm", "Brit",  "Tweed"};
    std::string name(kWords[std::size_t(n) % std::size(kWords)]);
    name += ' ';
    name += std::string(kWords[std::size_t(n / 12) % std::size(kWords)]).substr(0, 5);
    name += ' ';
    name += std::to_string(n + 1);
    return name.substr(0, 16);
}

// ---- SoundDiver: "FORM" len "SSLB" "LHDR" ..., then one "LENT" chunk per entry. ----

inline Bytes soundDiverEntry(int n) {
    const std::string name = patchName(n);
    Bytes e(14, 0);
    e[0] = 0x01;
    e[1] = 1;                    // present
    e[2] = std::uint8_t(n % 4);  // bank
    e[3] = std::uint8_t(n % 36); // location, as a library keeps it
    e[12] = 1;                   // a patch
    e[13] = std::uint8_t(name.size());
    append(e, name);
    if (n % 3 == 0) { // some entries carry a few bytes before the data marker, some padding after
        e.insert(e.end(), {0x10, 0x02, 0x00, 0x00});
        e.insert(e.end(), {0x03, 0x3B, 0xEE, 0xEE, 0xEE, 0xEE});
    } else {
        e.insert(e.end(), {0x03, 0x37});
    }
    for (int k = 0; k < 55; ++k)
        e.push_back(std::uint8_t((k * 37 + n * 11 + 5) & 0x7F));
    return e;
}

inline Bytes soundDiverLibrary(int entries) {
    Bytes out;
    append(out, "FORM");
    putBig32(out, 0);
    append(out, "SSLB");
    append(out, "LHDR");
    putBig32(out, 16);
    out.insert(out.end(), 16, 0x00);
    for (int n = 0; n < entries; ++n) {
        const Bytes e = soundDiverEntry(n);
        append(out, "LENT");
        putBig32(out, std::uint32_t(e.size()));
        append(out, e);
    }
    setBig32(out, 4, std::uint32_t(out.size() - 8));
    return out;
}

// ---- Line 6 Edit: "FORM" len "L6CO", then one complete "FORM" .. "L6PA" patch after another. ----

inline Bytes chars16(std::string_view text) { // 16-bit characters, the low byte second
    Bytes b;
    for (char c : text)
        b.insert(b.end(), {0x00, std::uint8_t(c)});
    return b;
}

inline void putText(Bytes& out, std::string_view tag, std::string_view text) {
    append(out, tag);
    putBig32(out, std::uint32_t(2 * text.size()));
    append(out, chars16(text));
}

inline Bytes line6Module(std::uint8_t t0, std::uint8_t t1, std::uint8_t model, int params, Random& random) {
    Bytes m;
    m.reserve(std::size_t(36 + 20 * params));
    append(m, "MODL");
    putBig32(m, std::uint32_t(24 + 20 * params));
    m.insert(m.end(), 12, 0x00);
    m.insert(m.end(), {t0, t1, 0, model, 0, 0, 0, 0, 0, 0, 0, 1});
    for (int p = 0; p < params; ++p) {
        m.insert(m.end(), {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, std::uint8_t(p), 0, 0, 0, 0});
        putBig32(m, std::bit_cast<std::uint32_t>(float(random.below(1000)) / 1000.0f));
    }
    return m;
}

inline Bytes line6Patch(int n, bool newer, Random& random) {
    const std::string name = patchName(n);
    Bytes header = {0, 0, 0, 0, 0, 0, std::uint8_t(2 + n % 3), 0}; // POD 2, Flextone II, POD Pro
    append(header, chars16(name));
    header.insert(header.end(), {0, 0});

    Bytes p;
    append(p, "FORM");
    putBig32(p, 0);
    append(p, "L6PA");
    append(p, "HEAD");
    putBig32(p, std::uint32_t(header.size()));
    append(p, header);
    append(p, "LIST");
    const std::size_t listLength = p.size();
    putBig32(p, 0);
    append(p, "PATC");
    // The nine modules a patch of these devices has: amp, cabinet, AIR, gate, reverb, wah,
    // volume pedal, delay, the effect.
    append(p, line6Module(0, 0, std::uint8_t(n % 32), 11, random));
    append(p, line6Module(1, 0, std::uint8_t(n % 16), 0, random));
    append(p, line6Module(2, 11, 1, 1, random));
    append(p, line6Module(2, 11, 0, 2, random));
    append(p, line6Module(2, 4, 0, 5, random));
    append(p, line6Module(2, 6, 1, 2, random));
    append(p, line6Module(2, 7, 1, 1, random));
    append(p, line6Module(2, 2, 0, 3, random));
    append(p, line6Module(2, 3, 0, 4, random));
    setBig32(p, listLength, std::uint32_t(p.size() - listLength - 4));

    Bytes info;
    putText(info, "ISTL", "Blues Rock");
    putText(info, "IBND", "The Benchmark Band");
    putText(info, "IGTR", "A. Player");
    putText(info, "ISNG", "Song " + std::to_string(n + 1));
    putText(info, "IAUT", "Amplix");
    putText(info, "IAMP", "Brit Hi Gain");
    putText(info, "IPUS", "B");
    putText(info, "IPUP", "Neck");
    putText(info, "ICMT", "Generated for the listing benchmark; a comment of ordinary length.");
    if (newer)
        putText(info, "IAPP", "Line 6 Edit");
    append(p, "LIST");
    putBig32(p, std::uint32_t(4 + info.size()));
    append(p, "UNFO");
    append(p, info);
    setBig32(p, 4, std::uint32_t(p.size() - 8));
    return p;
}

inline Bytes line6Collection(int patches) {
    Random random(0x5EED);
    Bytes out;
    append(out, "FORM");
    putBig32(out, 0);
    append(out, "L6CO");
    for (int n = 0; n < patches; ++n)
        append(out, line6Patch(n, n % 2 == 1, random));
    setBig32(out, 4, std::uint32_t(out.size() - 8));
    return out;
}

// ---- A large file with a valid header and no patch: pseudo-random bytes without the tag. ----

// header follows "FORM" and the length: "SSLBLHDR" for a SoundDiver library, "L6CO" for a
// Line 6 Edit collection.
inline Bytes fillerFile(std::size_t size, std::string_view header, std::string_view tag) {
    Random random(0xF111E4);
    Bytes out;
    out.reserve(size);
    append(out, "FORM");
    putBig32(out, std::uint32_t(size - 8));
    append(out, header);
    const std::size_t headerEnd = out.size();
    while (out.size() + 8 <= size) {
        const std::uint64_t word = random.next();
        for (int k = 0; k < 8; ++k)
            out.push_back(std::uint8_t(word >> (8 * k)));
    }
    out.resize(size, 0);
    // No complete tag anywhere past the header: each chance occurrence loses its last letter.
    for (std::size_t at = headerEnd; at + tag.size() <= out.size(); ++at)
        if (std::equal(tag.begin(), tag.end(), out.begin() + std::ptrdiff_t(at)))
            out[at + tag.size() - 1] ^= 0x20;
    return out;
}

} // namespace amplixbench
