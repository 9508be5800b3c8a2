// What the binding files share: bytes and text across to JavaScript and back, arrays, the
// windows' names. The page's side of every function is stated in amplix-core.d.ts.
#pragma once

#include "patch/SysexFormat.h"
#include "tone/ToneMap.h"

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace amplix::bind {

using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(const emscripten::val& array);
emscripten::val byteArray(std::span<const std::uint8_t> bytes);
// A record from the page: exactly its 71 bytes, or nothing.
std::optional<PatchRecord> recordOf(const emscripten::val& array);

// JavaScript strings stand for the device's 8-bit characters one code unit each, as the page
// shows them; an 8-bit string goes out as UTF-8 through val's std::string conversion.
std::string utf8FromLatin1(std::string_view latin1);
emscripten::val latin1Text(std::string_view latin1);
// A name from the page: one character per UTF-16 unit, '?' for any beyond 8 bits.
std::string latin1FromText(const emscripten::val& name);

template <typename Range, typename Make> emscripten::val arrayOf(const Range& range, Make make) {
    emscripten::val out = emscripten::val::array();
    for (const auto& item : range)
        out.call<void>("push", make(item));
    return out;
}

const char* windowName(ToneWindow window);

} // namespace amplix::bind
