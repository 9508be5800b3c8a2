// Format recognition, the bounded reader and the name-fill rule.
#include "import/ImportCommon.h"

#include <algorithm>
#include <cstring>

namespace amplix {

namespace {
bool tagAt(std::span<const std::uint8_t> bytes, std::size_t at, const char* tag) {
    return bytes.size() >= at + 4 && std::memcmp(bytes.data() + at, tag, 4) == 0;
}
} // namespace

ImportFormat recognizeImport(std::span<const std::uint8_t> header) {
    if (tagAt(header, 0, "MROF"))
        return tagAt(header, 8, "BLSS") && tagAt(header, 12, "RDHL") ? ImportFormat::SoundDiverReversed
                                                                     : ImportFormat::Invalid;
    if (!tagAt(header, 0, "FORM"))
        return ImportFormat::Invalid;
    if (tagAt(header, 8, "SSLB"))
        return tagAt(header, 12, "LHDR") ? ImportFormat::SoundDiver : ImportFormat::Invalid;
    if (tagAt(header, 8, "L6PA"))
        return ImportFormat::Line6EditPatch;
    if (tagAt(header, 8, "L6BA") || tagAt(header, 8, "L6CO"))
        return ImportFormat::Line6EditBundle;
    if (tagAt(header, 8, "L6GP"))
        return ImportFormat::GuitarPort;
    return ImportFormat::Invalid;
}

void fillPatchName(PatchRecord& record, std::string_view name) {
    bool ended = false;
    for (std::size_t j = 0; j < kNameLength; ++j) {
        if (j >= name.size() || name[j] == '\0')
            ended = true;
        record[kNameOffset + j] = ended ? std::uint8_t(' ') : std::uint8_t(name[j]);
    }
}

bool ByteReader::seek(std::size_t position) {
    if (position > bytes_.size())
        return false;
    position_ = position;
    return true;
}

bool ByteReader::skip(std::size_t count) {
    if (count > remaining())
        return false;
    position_ += count;
    return true;
}

bool ByteReader::read(std::uint8_t& byte) {
    if (atEnd())
        return false;
    byte = bytes_[position_++];
    return true;
}

bool ByteReader::read(std::span<std::uint8_t> out) {
    if (out.size() > remaining())
        return false;
    std::copy_n(bytes_.begin() + std::ptrdiff_t(position_), out.size(), out.begin());
    position_ += out.size();
    return true;
}

bool ByteReader::readBig32(std::uint32_t& value) {
    std::uint8_t b[4];
    if (!read(b))
        return false;
    value = (std::uint32_t(b[0]) << 24) | (std::uint32_t(b[1]) << 16) | (std::uint32_t(b[2]) << 8) | b[3];
    return true;
}

bool ByteReader::readLittle32(std::uint32_t& value) {
    std::uint8_t b[4];
    if (!read(b))
        return false;
    value = (std::uint32_t(b[3]) << 24) | (std::uint32_t(b[2]) << 16) | (std::uint32_t(b[1]) << 8) | b[0];
    return true;
}

bool ByteReader::readBig16(std::uint16_t& value) {
    std::uint8_t b[2];
    if (!read(b))
        return false;
    value = std::uint16_t((b[0] << 8) | b[1]);
    return true;
}

bool ByteReader::find(std::string_view tag) {
    if (tag.empty() || position_ >= bytes_.size())
        return false;
    // memchr finds the candidates for the first character many bytes at a time; the rest of the
    // tag is compared at each candidate only.
    const std::uint8_t* const begin = bytes_.data();
    const std::uint8_t* const end = begin + bytes_.size();
    const auto first = std::uint8_t(tag.front());
    for (const std::uint8_t* at = begin + position_; std::size_t(end - at) >= tag.size();) {
        const auto* candidate =
            static_cast<const std::uint8_t*>(std::memchr(at, first, std::size_t(end - at) - tag.size() + 1));
        if (!candidate)
            break;
        if (std::memcmp(candidate + 1, tag.data() + 1, tag.size() - 1) == 0) {
            position_ = std::size_t(candidate - begin) + tag.size();
            return true;
        }
        at = candidate + 1;
    }
    position_ = bytes_.size();
    return false;
}

} // namespace amplix
