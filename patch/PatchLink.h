// A patch as the fragment of a link: the whole record, byte for byte, with a check, so a patch
// travels in a URL that no server ever sees.
//
// The fragment is "amplix1." and then 100 characters of base64url (RFC 4648, no padding): the
// 71 record bytes followed by their CRC-32 (IEEE 802.3, as zlib computes it), high byte first,
// 75 bytes in all. "amplix" is the tag, "1" the version. A CRC-32 finds every change of up to
// 32 bits in a row, so any one character changed or swapped for another is seen.
//
// Reading tells apart, in this order:
// - a cut link: the start of a link and no more (an empty fragment, "amp", "amplix1.QUJD");
// - a foreign link: a fragment that does not begin with this tag and version (another
//   program's, or a later version of this one's);
// - an altered link: after the tag, a character outside base64url, more than 100 of them, or
//   a check that does not match the bytes.
// Every 71 bytes are a record the device holds (each byte travels as two nibbles), so a record
// that passes its check is never refused.
#pragma once

#include "patch/SysexFormat.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace amplix {

inline constexpr std::string_view kLinkTag = "amplix";
inline constexpr std::string_view kLinkVersion = "1";
inline constexpr std::size_t kLinkFragmentSize = 108;

std::uint32_t crc32(std::span<const std::uint8_t> bytes);

// The fragment, without the "#".
std::string patchLink(const PatchRecord& record);

enum class LinkOutcome { Patch, Cut, Altered, Foreign };
struct OpenedLink {
    LinkOutcome outcome = LinkOutcome::Cut;
    std::optional<PatchRecord> record; // with Patch only
};
// Takes the fragment as the browser gives it, with or without its "#".
OpenedLink readPatchLink(std::string_view fragment);
// The text the user reads for a link that was refused (text::kLinkCut, ...); empty for a patch.
std::string_view linkFailureText(LinkOutcome outcome);

// "Brit Crunch: a POD patch", the name without the padding it is stored with; 8-bit
// characters as the name holds them.
std::string patchLinkTitle(const PatchRecord& record);

} // namespace amplix
