// The one line that tells which file was not taken and why.
#include "import/FileFailure.h"

#include "app/UiTexts.h"
#include "midi/MidiTrace.h"

namespace amplix {
namespace {

std::string hexByte(std::uint8_t value) {
    return "0x" + hexBytes(&value, 1);
}

std::string number(std::size_t value) {
    return std::to_string(value);
}

// File > Open's refusals: the header tells what the file was meant to hold.
std::string patchFileReason(std::string_view name, std::span<const std::uint8_t> bytes) {
    const bool shortOfDump = bytes.size() < kBankDumpSize;
    switch (classifyDump(bytes)) {
    case DumpKind::SinglePatch:
        if (bytes.size() < kSingleDumpSize)
            return fillText(text::kFileShortPatch, {name, number(bytes.size()), number(kSingleDumpSize)});
        break;
    case DumpKind::Bank:
        if (shortOfDump)
            return fillText(text::kFileShortBank, {name, number(bytes.size()), number(kBankDumpSize)});
        break;
    case DumpKind::Other:
        break;
    }
    return fillText(text::kFileNotPatchOrBank, {name});
}

} // namespace

std::string fillText(std::string_view text, std::initializer_list<std::string_view> values) {
    std::string filled;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t k = i + 1 < text.size() ? std::size_t(text[i + 1] - '1') : values.size();
        if (text[i] == '%' && k < values.size()) {
            filled += values.begin()[k];
            ++i;
        } else {
            filled += text[i];
        }
    }
    return filled;
}

std::string invalidByteReason(std::string_view name, const InvalidDumpByte& invalid, std::uint8_t value) {
    const std::string offset = number(invalid.offset), byte = hexByte(value);
    switch (invalid.fault) {
    case DumpByteFault::StatusByte:
        return fillText(text::kFileStatusByte, {name, offset, byte});
    case DumpByteFault::BigNibble:
        return fillText(text::kFileBigNibble, {name, offset, byte, hexByte(kNibbleMax)});
    case DumpByteFault::NoEnd:
        return fillText(text::kFileNoEnd, {name, offset, byte, hexByte(kSysexEnd)});
    }
    return fillText(text::kFileNotPatchOrBank, {name});
}

std::string fileFailureReason(std::string_view name, std::span<const std::uint8_t> bytes,
                              const PatchSource& source) {
    if (source.ok())
        return {};
    if (bytes.empty())
        return fillText(text::kFileEmpty, {name});
    if (source.invalidByte && source.invalidByte->offset < bytes.size())
        return invalidByteReason(name, *source.invalidByte, bytes[source.invalidByte->offset]);
    const ImportFailure& failure = *source.failure;
    switch (source.kind) {
    case SourceKind::SinglePatch:
    case SourceKind::Bank:
        return patchFileReason(name, bytes);
    case SourceKind::SoundDiver:
        // Import's own refusals before any reader took the file.
        if (bytes.size() < kImportHeaderSize)
            return fillText(text::kFileShortImport, {name, number(bytes.size())});
        if (bytes.size() > kMaxImportFileSize)
            return fillText(text::kFileTooLarge, {name, number(kMaxImportFileSize)});
        if (failure.text == kNotAPatchFile.text)
            return fillText(text::kFileNotImportable, {name});
        break;
    case SourceKind::Line6Edit:
    case SourceKind::GuitarPort:
        if (failure.text == kReadError.text)
            return fillText(text::kFileEndsTooSoon, {name, number(bytes.size())});
        break;
    }
    return importerReason(name, failure);
}

std::string importerReason(std::string_view name, const ImportFailure& failure) {
    return fillText(text::kFileImporterSays, {name, failure.text});
}

std::string unreadableReason(std::string_view name, std::string_view why) {
    return fillText(text::kFileUnreadable, {name, why});
}

std::string unwritableReason(std::string_view name, std::string_view why) {
    return fillText(text::kFileUnwritable, {name, why});
}

} // namespace amplix
