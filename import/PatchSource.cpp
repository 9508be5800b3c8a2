// Opening every kind of patch file into its listing, and turning a listed entry into its dump.
#include "import/PatchSource.h"

#include "files/PatchFile.h"
#include "import/Line6Edit.h"
#include "import/Line6EditConvert.h"
#include "import/SoundDiver.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace amplix {

namespace {

// A bank chooser line is the location label, this gap and the name.
constexpr std::size_t kBankLineGap = 2;

// The extensions File > Import's file dialog offers.
constexpr std::array<std::string_view, 5> kImportExtensions = {".lib", ".l6t", ".l6b", ".l6c", ".gpt"};

PatchSource failed(SourceKind kind, const ImportFailure& failure) {
    PatchSource source;
    source.kind = kind;
    source.failure = failure;
    return source;
}

bool hasImportExtension(std::string_view path) {
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string_view::npos || path.find_first_of("/\\", dot) != std::string_view::npos)
        return false;
    std::string extension(path.substr(dot));
    for (char& c : extension)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return std::find(kImportExtensions.begin(), kImportExtensions.end(), extension) !=
           kImportExtensions.end();
}

std::array<std::uint8_t, kSingleDumpSize> firstDump(std::span<const std::uint8_t> buffer) {
    std::array<std::uint8_t, kSingleDumpSize> dump{};
    std::copy_n(buffer.begin(), kSingleDumpSize, dump.begin());
    return dump;
}

} // namespace

std::string PatchSource::label(std::size_t n) const {
    return kind == SourceKind::Bank ? locationLabel(n) : std::string();
}

PatchSource openPatchFile(std::span<const std::uint8_t> bytes) {
    std::vector<std::uint8_t> buffer(kBankDumpSize, 0);
    const PatchFileRead read =
        readPatchFile(bytes.first(std::min(bytes.size(), kPatchFileReadLimit)), buffer);
    switch (read.status) {
    case PatchFileStatus::TooShort:
        return failed(SourceKind::SinglePatch, kPatchFileReadError);
    case PatchFileStatus::BadFormat: {
        PatchSource source = failed(SourceKind::SinglePatch, kInvalidFileFormat);
        source.invalidByte = read.invalidByte;
        return source;
    }
    case PatchFileStatus::SinglePatch: {
        PatchSource source;
        source.kind = SourceKind::SinglePatch;
        source.bytes.assign(buffer.begin(), buffer.begin() + kSingleDumpSize);
        source.entries.push_back(ImportEntry{dumpName(source.bytes), 0, 0, {}});
        return source;
    }
    case PatchFileStatus::Bank: {
        PatchSource source;
        source.kind = SourceKind::Bank;
        source.bytes = std::move(buffer);
        const std::vector<std::string> lines = bankListing(source.bytes);
        for (std::size_t n = 0; n < lines.size(); ++n)
            source.entries.push_back(ImportEntry{
                lines[n].substr(locationLabel(n).size() + kBankLineGap), bankPatchOffset(n), 0, {}});
        return source;
    }
    }
    return failed(SourceKind::SinglePatch, kInvalidFileFormat);
}

PatchSource openSoundDiver(std::span<const std::uint8_t> bytes, bool reversed) {
    PatchSource source;
    source.kind = SourceKind::SoundDiver;
    source.bytes.assign(bytes.begin(), bytes.end());
    source.entries = listSoundDiver(source.bytes, reversed);
    return source;
}

PatchSource openLine6Edit(std::span<const std::uint8_t> bytes, int patchType) {
    PatchSource source;
    source.kind = SourceKind::Line6Edit;
    source.bytes.assign(bytes.begin(), bytes.end());
    Line6EditListing listing = listLine6EditFile(source.bytes, patchType);
    source.failure = listing.failure;
    source.entries = std::move(listing.entries);
    return source;
}

PatchSource openGuitarPort(std::span<const std::uint8_t> bytes, std::string_view latin1Path) {
    // A file that cannot be converted is refused before anything is listed or asked.
    if (auto failure = checkGuitarPort(bytes))
        return failed(SourceKind::GuitarPort, *failure);
    PatchSource source;
    source.kind = SourceKind::GuitarPort;
    source.bytes.assign(bytes.begin(), bytes.end());
    source.latin1Path = std::string(latin1Path);
    source.guitarPort = listGuitarPort(source.bytes);
    source.entries.push_back(ImportEntry{guitarPortPatchName(latin1Path), 0, 0, {}});
    return source;
}

PatchSource openImportFile(std::span<const std::uint8_t> bytes, std::string_view latin1Path) {
    if (bytes.size() < kImportHeaderSize || bytes.size() > kMaxImportFileSize)
        return failed(SourceKind::SoundDiver, kReadError);
    switch (recognizeImport(bytes.first(kImportHeaderSize))) {
    case ImportFormat::SoundDiver:
        return openSoundDiver(bytes, false);
    case ImportFormat::SoundDiverReversed:
        return openSoundDiver(bytes, true);
    case ImportFormat::Line6EditPatch:
        return openLine6Edit(bytes, kLine6EditPatchType);
    case ImportFormat::Line6EditBundle:
        return openLine6Edit(bytes, kLine6EditBundleType);
    case ImportFormat::GuitarPort:
        return openGuitarPort(bytes, latin1Path);
    case ImportFormat::Invalid:
        break;
    }
    return failed(SourceKind::SoundDiver, kNotAPatchFile);
}

bool takenByImport(std::span<const std::uint8_t> head, std::string_view latin1Path) {
    if (head.size() >= kImportHeaderSize &&
        recognizeImport(head.first(kImportHeaderSize)) != ImportFormat::Invalid)
        return true;
    return classifyDump(head) == DumpKind::Other && hasImportExtension(latin1Path);
}

PatchSource openAnyPatchFile(std::span<const std::uint8_t> bytes, std::string_view latin1Path) {
    return takenByImport(bytes, latin1Path) ? openImportFile(bytes, latin1Path) : openPatchFile(bytes);
}

int guitarPortChoice(const PatchSource& source, std::optional<int> answer) {
    if (source.kind != SourceKind::GuitarPort || !source.guitarPort.offerEffectChoice)
        return kNoEffectChoice;
    return answer.value_or(kLoadModulation);
}

ImportResult sourceDump(const PatchSource& source, std::size_t n, int modOrComp) {
    if (source.failure)
        return ImportResult{std::nullopt, *source.failure};
    if (n >= source.entries.size())
        return ImportResult{std::nullopt, {}};
    switch (source.kind) {
    case SourceKind::SinglePatch:
        return ImportResult{firstDump(source.bytes), {}};
    case SourceKind::Bank: {
        std::vector<std::uint8_t> buffer = source.bytes;
        if (!bankEntryToSingleDump(buffer, int(n)))
            return ImportResult{std::nullopt, {}};
        return ImportResult{firstDump(buffer), {}};
    }
    case SourceKind::SoundDiver:
        return convertSoundDiver(source.bytes, source.entries[n].position);
    case SourceKind::Line6Edit:
        return convertLine6EditPatch(source.bytes, source.entries[n]);
    case SourceKind::GuitarPort:
        return convertGuitarPort(source.bytes, source.latin1Path, modOrComp);
    }
    return ImportResult{std::nullopt, {}};
}

std::vector<ListedPatch> listPatches(const PatchSource& source, int modOrComp) {
    std::vector<ListedPatch> out;
    if (!source.ok())
        return out;
    out.reserve(source.entries.size());
    for (std::size_t n = 0; n < source.entries.size(); ++n) {
        ImportResult result = sourceDump(source, n, modOrComp);
        ListedPatch patch{source.entries[n].name, std::nullopt, std::move(result.failure)};
        if (result.dump)
            patch.record = readRecord(*result.dump, kDumpDataOffset);
        out.push_back(std::move(patch));
    }
    return out;
}

} // namespace amplix
