// Lists the patch entries of a SoundDiver library and converts one of them into a dump.
#include "import/SoundDiver.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace amplix {

namespace {

constexpr std::string_view kEntryTag = "LENT";
constexpr std::string_view kEntryTagReversed = "TNEL";

// Entry data, by offset from its first byte.
constexpr std::size_t kPresentOffset = 1; // non-zero for a usable entry
constexpr std::size_t kBankOffset = 2;    // below kBankLimit for a usable entry
constexpr std::size_t kKindOffset = 12;   // kPatchKind for a patch
constexpr std::size_t kNameLengthOffset = 13;
constexpr std::size_t kEntryHeaderSize = 14; // up to and including the name length
constexpr std::uint8_t kBankLimit = 4;
constexpr std::uint8_t kPatchKind = 1;
constexpr std::uint8_t kNameLengthMask = 0x7F;
constexpr std::uint8_t kNameLengthFlag = 0x80; // a listed entry never has it set

// Between the name and the record.
constexpr std::uint8_t kDataMarker = 0x03;
constexpr std::uint8_t kLongSkipFlag = 0x80; // the skip length takes a second byte
constexpr std::uint8_t kSkipLowBits = 0x7F;
constexpr std::size_t kLongSkipFactor = 128;
constexpr std::uint8_t kDataCodeDirect = 0x37; // the record follows at once
constexpr std::uint8_t kDataCodePadded = 0x3B; // kDataPadding bytes before the record
constexpr std::size_t kDataPadding = 4;

// The name of a patch entry worth listing, up to the first NUL as the list shows it; none for
// any other entry, including one the file cuts short.
std::optional<std::string> listedName(std::span<const std::uint8_t> file, std::size_t start) {
    ByteReader reader(file);
    std::array<std::uint8_t, kEntryHeaderSize> header{};
    if (!reader.seek(start) || !reader.read(header))
        return std::nullopt;
    const std::uint8_t length = header[kNameLengthOffset];
    if (header[kPresentOffset] == 0 || header[kBankOffset] >= kBankLimit ||
        header[kKindOffset] != kPatchKind || length == 0 || (length & kNameLengthFlag) != 0)
        return std::nullopt;
    const auto name = file.subspan(reader.position());
    if (name.size() < length)
        return std::nullopt;
    const auto end = std::find(name.begin(), name.begin() + length, std::uint8_t(0));
    return std::string(name.begin(), end);
}

ImportResult failed(const ImportFailure& failure) {
    return ImportResult{std::nullopt, failure};
}

} // namespace

std::vector<ImportEntry> listSoundDiver(std::span<const std::uint8_t> file, bool reversed) {
    std::vector<ImportEntry> entries;
    ByteReader reader(file);
    // A plain search for the tag, not a walk of the chunk tree: entries nested in other chunks
    // are found too, and a match that fails half-way is retried from its next byte.
    while (reader.find(reversed ? kEntryTagReversed : kEntryTag)) {
        std::uint32_t chunkSize = 0;
        if (!(reversed ? reader.readLittle32(chunkSize) : reader.readBig32(chunkSize)))
            break;
        if (entries.size() >= kMaxImportEntries)
            break;
        const std::size_t start = reader.position();
        if (auto name = listedName(file, start))
            entries.push_back(ImportEntry{std::move(*name), start, 0, {}});
        // The scan goes on after the chunk. A length beyond the end of the file (which is
        // also what a length meant as negative looks like) ends it; a short one still moves
        // forward, past the tag and the length just read, so every round makes progress.
        if (chunkSize > reader.remaining())
            break;
        reader.skip(chunkSize);
    }
    return entries;
}

ImportResult convertSoundDiver(std::span<const std::uint8_t> file, std::size_t position) {
    ByteReader reader(file);
    std::uint8_t lengthByte = 0;
    if (!reader.seek(position) || !reader.skip(kNameLengthOffset) || !reader.read(lengthByte))
        return failed(kSoundDiverInvalidData);

    // Longer names keep their first 16 characters.
    const std::size_t length = lengthByte & kNameLengthMask;
    const std::size_t kept = std::min(length, kNameLength);
    std::array<std::uint8_t, kNameLength> name{};
    if (!reader.read(std::span(name).first(kept)) || !reader.skip(length - kept))
        return failed(kSoundDiverInvalidData);
    PatchRecord record{};
    fillPatchName(record, std::string_view(reinterpret_cast<const char*>(name.data()), kept));

    // Either the marker at once, or one byte, a skip length and that many bytes before it.
    std::uint8_t marker = 0;
    if (!reader.read(marker))
        return failed(kSoundDiverInvalidData);
    if (marker != kDataMarker) {
        std::uint8_t first = 0;
        if (!reader.read(first))
            return failed(kSoundDiverInvalidData);
        if (first == 0)
            return failed(kSoundDiverZeroSkip);
        std::size_t skip = first;
        if ((first & kLongSkipFlag) != 0) {
            std::uint8_t second = 0;
            if (!reader.read(second))
                return failed(kSoundDiverInvalidData);
            skip = (first & kSkipLowBits) * kLongSkipFactor + (second & kSkipLowBits);
        }
        if (!reader.skip(skip) || !reader.read(marker))
            return failed(kSoundDiverInvalidData);
        if (marker != kDataMarker)
            return failed(kSoundDiverNoPatchData);
    }

    std::uint8_t code = 0;
    if (!reader.read(code))
        return failed(kSoundDiverInvalidData);
    if (code == kDataCodePadded) {
        if (!reader.skip(kDataPadding))
            return failed(kSoundDiverInvalidData);
    } else if (code != kDataCodeDirect) {
        return failed(kSoundDiverInvalidData);
    }

    // The record's parameter bytes are stored as the device keeps them. A file that ends
    // inside them is refused rather than sent half made.
    if (!reader.read(std::span(record).first(kRecordParameterBytes)))
        return failed(kSoundDiverInvalidData);
    return ImportResult{buildSingleDump(record, 0), {}};
}

} // namespace amplix
