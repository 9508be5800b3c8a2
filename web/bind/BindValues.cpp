// Bytes and text across the binding.
#include "web/bind/BindValues.h"

#include <algorithm>
#include <array>

using emscripten::val;

namespace amplix::bind {

Bytes bytesOf(const val& array) {
    return emscripten::convertJSArrayToNumberVector<std::uint8_t>(array);
}

std::optional<PatchRecord> recordOf(const val& array) {
    const Bytes bytes = bytesOf(array);
    if (bytes.size() != kRecordSize)
        return std::nullopt;
    PatchRecord record{};
    std::copy(bytes.begin(), bytes.end(), record.begin());
    return record;
}

val byteArray(std::span<const std::uint8_t> bytes) {
    val out = val::global("Uint8Array").new_(bytes.size());
    out.call<void>("set", val(emscripten::typed_memory_view(bytes.size(), bytes.data())));
    return out;
}

std::string utf8FromLatin1(std::string_view latin1) {
    std::string out;
    for (const unsigned char c : latin1) {
        if (c < 0x80) {
            out += char(c);
        } else {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

val latin1Text(std::string_view latin1) {
    return val(utf8FromLatin1(latin1));
}

std::string latin1FromText(const val& name) {
    std::string out;
    const int length = name["length"].as<int>();
    for (int i = 0; i < length; ++i) {
        const int unit = name.call<int>("charCodeAt", i);
        out += char(unit <= 0xFF ? unit : '?');
    }
    return out;
}

const char* windowName(ToneWindow window) {
    static constexpr std::array names = {"Frame",      "Chorus", "Rotary", "Tremolo", "Swell",
                                         "Compressor", "Delay",  "Reverb", "Gate",    "Pedals"};
    return names[std::size_t(window)];
}

} // namespace amplix::bind
