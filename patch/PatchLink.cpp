// Patches as link fragments.
#include "patch/PatchLink.h"

#include "app/UiTexts.h"
#include "import/FileFailure.h"

#include <algorithm>
#include <array>

namespace amplix {

namespace {

constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
constexpr std::size_t kCheckSize = 4;
constexpr std::size_t kPayloadBytes = kRecordSize + kCheckSize; // 75: a multiple of 3, no padding
constexpr std::size_t kPayloadChars = kPayloadBytes / 3 * 4;
static_assert(kPayloadBytes % 3 == 0);

std::string header() {
    return std::string(kLinkTag) + std::string(kLinkVersion) + ".";
}

constexpr std::array<std::uint32_t, 256> crcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

int sextet(char c) {
    const std::size_t at = kAlphabet.find(c);
    return at == std::string_view::npos ? -1 : int(at);
}

} // namespace

std::uint32_t crc32(std::span<const std::uint8_t> bytes) {
    static constexpr auto table = crcTable();
    std::uint32_t c = 0xFFFFFFFFu;
    for (const std::uint8_t b : bytes)
        c = table[(c ^ b) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

std::string patchLink(const PatchRecord& record) {
    std::array<std::uint8_t, kPayloadBytes> payload{};
    std::copy(record.begin(), record.end(), payload.begin());
    const std::uint32_t check = crc32(record);
    for (std::size_t i = 0; i < kCheckSize; ++i)
        payload[kRecordSize + i] = std::uint8_t(check >> (8 * (kCheckSize - 1 - i)));
    std::string out = header();
    for (std::size_t i = 0; i < kPayloadBytes; i += 3) {
        const std::uint32_t group =
            std::uint32_t(payload[i]) << 16 | std::uint32_t(payload[i + 1]) << 8 | payload[i + 2];
        for (int shift = 18; shift >= 0; shift -= 6)
            out += kAlphabet[(group >> shift) & 0x3F];
    }
    return out;
}

OpenedLink readPatchLink(std::string_view fragment) {
    if (fragment.starts_with('#'))
        fragment.remove_prefix(1);
    const std::string head = header();
    if (fragment.size() < head.size() && std::string_view(head).starts_with(fragment))
        return {LinkOutcome::Cut, std::nullopt};
    if (!fragment.starts_with(head))
        return {LinkOutcome::Foreign, std::nullopt};
    const std::string_view data = fragment.substr(head.size());
    if (!std::all_of(data.begin(), data.end(), [](char c) { return sextet(c) >= 0; }) ||
        data.size() > kPayloadChars)
        return {LinkOutcome::Altered, std::nullopt};
    if (data.size() < kPayloadChars)
        return {LinkOutcome::Cut, std::nullopt};

    std::array<std::uint8_t, kPayloadBytes> payload{};
    for (std::size_t i = 0, o = 0; i < kPayloadChars; i += 4, o += 3) {
        std::uint32_t group = 0;
        for (std::size_t k = 0; k < 4; ++k)
            group = group << 6 | std::uint32_t(sextet(data[i + k]));
        payload[o] = std::uint8_t(group >> 16);
        payload[o + 1] = std::uint8_t(group >> 8);
        payload[o + 2] = std::uint8_t(group);
    }
    PatchRecord record{};
    std::copy_n(payload.begin(), kRecordSize, record.begin());
    std::uint32_t check = 0;
    for (std::size_t i = 0; i < kCheckSize; ++i)
        check = check << 8 | payload[kRecordSize + i];
    if (check != crc32(record))
        return {LinkOutcome::Altered, std::nullopt};
    return {LinkOutcome::Patch, record};
}

std::string_view linkFailureText(LinkOutcome outcome) {
    switch (outcome) {
    case LinkOutcome::Patch:
        break;
    case LinkOutcome::Cut:
        return text::kLinkCut;
    case LinkOutcome::Altered:
        return text::kLinkAltered;
    case LinkOutcome::Foreign:
        return text::kLinkForeign;
    }
    return {};
}

std::string patchLinkTitle(const PatchRecord& record) {
    std::string name = dumpName(buildSingleDump(record));
    name.erase(name.find_last_not_of(' ') + 1);
    return name.empty() ? std::string(text::kLinkTitleUnnamed) : fillText(text::kLinkTitle, {name});
}

} // namespace amplix
