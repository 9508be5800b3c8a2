// Records, dumps, store messages and requests, names, and every file format with its importers.
#include "web/bind/BindValues.h"

#include "files/PatchFile.h"
#include "import/GuitarPort.h"
#include "import/PatchSource.h"
#include "midi/MidiBytes.h"
#include "patch/PatchDecode.h"
#include "patch/PatchText.h"
#include "patch/SysexFormat.h"
#include "tone/ToneMap.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>

using emscripten::val;
using namespace amplix;
using namespace amplix::bind;

namespace {

// Records and messages.
std::string dumpKindName(const val& message) {
    const Bytes bytes = bytesOf(message);
    switch (classifyDump(bytes)) {
    case DumpKind::SinglePatch:
        return "SinglePatch";
    case DumpKind::Bank:
        return "Bank";
    case DumpKind::Other:
        break;
    }
    return "Other";
}

bool isSingleDump(const Bytes& bytes) {
    return bytes.size() >= kSingleDumpSize && classifyDump(bytes) == DumpKind::SinglePatch;
}

val decodeDump(const val& message) {
    const Bytes bytes = bytesOf(message);
    if (!isSingleDump(bytes))
        return val::null();
    const DecodedPatch patch = decodeSingleDump(bytes);
    val out = val::object();
    out.set("name", latin1Text(patch.name));
    out.set("effectCode", patch.effectCode);
    const EffectRow* effect = effectForCode(patch.effectCode);
    out.set("effectIndex", effect ? effect->index : -1);
    out.set("controls", arrayOf(patch.controls, [](const DecodedControl& c) {
                val control = val::object();
                control.set("member", std::string(c.parameter->member));
                control.set("value", c.value);
                control.set("state", controlStateForValue(*c.parameter, c.value));
                return control;
            }));
    return out;
}

val recordOfDump(const val& message) {
    const Bytes bytes = bytesOf(message);
    if (!isSingleDump(bytes))
        return val::null();
    return byteArray(readRecord(bytes, kDumpDataOffset));
}

val bankRecord(const val& message, int location) {
    const Bytes bytes = bytesOf(message);
    if (bytes.size() < kBankDumpSize || classifyDump(bytes) != DumpKind::Bank || location < 0 ||
        std::size_t(location) >= kPatchLocations)
        return val::null();
    return byteArray(readRecord(bytes, bankPatchOffset(std::size_t(location))));
}

val applyControllerTo(const val& recordBytes, int controller, int value) {
    std::optional<PatchRecord> record = recordOf(recordBytes);
    if (!record)
        return val::null();
    applyController(*record, std::uint8_t(controller & 0x7F), std::uint8_t(value & 0x7F));
    return byteArray(*record);
}

// The dump with a control's state in it, as the device would store the controllers the control
// sends; every other byte, byte 7 included, stays as it was.
val withControl(const val& dump, const std::string& member, int state) {
    Bytes bytes = bytesOf(dump);
    const ToneParameter* p = findParameter(member);
    if (!isSingleDump(bytes) || !p)
        return val::null();
    PatchRecord record = readRecord(bytes, kDumpDataOffset);
    for (const auto& [controller, value] : controllerMessages(*p, state))
        applyController(record, controller, value);
    writeRecord(bytes, kDumpDataOffset, record);
    return byteArray(bytes);
}

val storeMessagesOfBank(const val& bank) {
    const Bytes bytes = bytesOf(bank);
    const auto messages = bankStoreMessages(bytes);
    if (messages.empty())
        return val::null();
    return arrayOf(messages, [](const auto& m) { return byteArray(m); });
}

val listingOfBank(const val& bank) {
    const Bytes bytes = bytesOf(bank);
    if (bytes.size() < kBankDumpSize || classifyDump(bytes) != DumpKind::Bank)
        return val::array();
    return arrayOf(bankListing(bytes), [](const std::string& line) { return latin1Text(line); });
}

val singleDumpOf(const val& recordBytes, int byte7) {
    const std::optional<PatchRecord> record = recordOf(recordBytes);
    if (!record)
        return val::null();
    return byteArray(buildSingleDump(*record, std::uint8_t(byte7 & 0x7F)));
}

val bankDumpOf(const val& records, int byte7) {
    const Bytes bytes = bytesOf(records);
    if (bytes.size() != kRecordSize * kPatchLocations)
        return val::null();
    std::array<PatchRecord, kPatchLocations> patches{};
    for (std::size_t n = 0; n < kPatchLocations; ++n)
        std::copy_n(bytes.begin() + std::ptrdiff_t(n * kRecordSize), kRecordSize, patches[n].begin());
    return byteArray(buildBankDump(patches, std::uint8_t(byte7 & 0x7F)));
}

val storeMessageOf(const val& dump, int location) {
    Bytes bytes = bytesOf(dump);
    if (!isSingleDump(bytes) || location < 0 || std::size_t(location) >= kPatchLocations)
        return val::null();
    bytes.resize(kStoreMessageSize);
    makeStoreMessage(bytes, location);
    return byteArray(bytes);
}

std::string nameOfDump(const val& dump) {
    const Bytes bytes = bytesOf(dump);
    return isSingleDump(bytes) ? utf8FromLatin1(dumpName(bytes)) : std::string();
}

bool acceptsName(const val& name) {
    const int length = name["length"].as<int>();
    if (length > int(kNameLength))
        return false;
    for (int i = 0; i < length; ++i) {
        const int unit = name.call<int>("charCodeAt", i);
        if (!((unit >= 0x20 && unit <= 0x7E) || (unit >= 0xA0 && unit <= 0xFF)))
            return false;
    }
    return true;
}

val renameDump(const val& dump, const val& name) {
    Bytes bytes = bytesOf(dump);
    if (!isSingleDump(bytes) || !acceptsName(name))
        return val::null();
    writeDumpName(bytes, latin1FromText(name));
    return byteArray(bytes);
}

val shortMessage(std::uint8_t status, int channel, int data1, std::optional<int> data2) {
    Bytes bytes = {std::uint8_t(status | (channel & 0x0F)), std::uint8_t(data1 & 0x7F)};
    if (data2)
        bytes.push_back(std::uint8_t(*data2 & 0x7F));
    return byteArray(bytes);
}

// Files.
const char* sourceKindName(SourceKind kind) {
    static constexpr std::array names = {"SinglePatch", "Bank", "SoundDiver", "Line6Edit", "GuitarPort"};
    return names[std::size_t(kind)];
}

val failureOf(const ImportFailure& failure) {
    val out = val::object();
    out.set("text", latin1Text(failure.text));
    out.set("caption", latin1Text(failure.caption));
    return out;
}

val describeSource(const PatchSource& source) {
    val out = val::object();
    out.set("kind", sourceKindName(source.kind));
    out.set("failure", source.failure ? failureOf(*source.failure) : val::null());
    val entries = val::array();
    for (std::size_t n = 0; n < source.entries.size(); ++n) {
        const ImportEntry& entry = source.entries[n];
        val e = val::object();
        e.set("name", latin1Text(entry.name));
        e.set("label", source.label(n));
        e.set("information", arrayOf(entry.information, [](const std::string& s) { return latin1Text(s); }));
        e.set("deviceCode", entry.deviceCode);
        entries.call<void>("push", e);
    }
    out.set("entries", entries);
    out.set("bytes", source.ok() ? byteArray(source.bytes) : val::null());
    out.set("guitarPortAsks", source.guitarPort.offerEffectChoice);
    out.set("guitarPortInformation",
            arrayOf(source.guitarPort.information, [](const std::string& s) { return latin1Text(s); }));
    return out;
}

PatchSource openSource(const Bytes& bytes, const std::string& fileName, bool isImport) {
    return isImport ? openImportFile(bytes, latin1FromUtf8(fileName)) : openPatchFile(bytes);
}

val openPatchFileOf(const val& bytes) {
    return describeSource(openPatchFile(bytesOf(bytes)));
}

val openImportFileOf(const val& bytes, const std::string& fileName) {
    return describeSource(openImportFile(bytesOf(bytes), latin1FromUtf8(fileName)));
}

val sourceDumpOf(const val& bytes, const std::string& fileName, bool isImport, int entry, int modOrComp) {
    const PatchSource source = openSource(bytesOf(bytes), fileName, isImport);
    const ImportResult result = entry < 0 ? ImportResult{std::nullopt, ImportFailure{}}
                                          : sourceDump(source, std::size_t(entry), modOrComp);
    val out = val::object();
    out.set("dump", result.dump ? byteArray(*result.dump) : val::null());
    out.set("failure", failureOf(result.failure));
    return out;
}

std::string fileNameFor(const val& name) {
    return utf8FromLatin1(fileNameForPatch(latin1FromText(name)));
}

} // namespace

EMSCRIPTEN_BINDINGS(amplix_patch) {
    using emscripten::function;
    function(
        "guitarPortChoices", +[] {
            val out = val::object();
            out.set("compressor", kLoadCompressor);
            out.set("modulation", kLoadModulation);
            return out;
        });
    function(
        "locationLabel", +[](int location) {
            return location >= 0 && std::size_t(location) < kPatchLocations
                       ? locationLabel(std::size_t(location))
                       : std::string();
        });
    function(
        "programTitle", +[](int program) { return programTitle(program); });
    function(
        "lastProgram", +[] { return kLastProgram; });
    function("classifyDump", &dumpKindName);
    function("decodeDump", &decodeDump);
    function("recordOfDump", &recordOfDump);
    function("bankRecord", &bankRecord);
    function("applyController", &applyControllerTo);
    function("singleDump", &singleDumpOf);
    function("withControl", &withControl);
    function("bankStoreMessages", &storeMessagesOfBank);
    function("bankListing", &listingOfBank);
    function("bankDump", &bankDumpOf);
    function("storeMessage", &storeMessageOf);
    function("dumpName", &nameOfDump);
    function("renameDump", &renameDump);
    function("acceptsName", &acceptsName);
    function(
        "editBufferRequest", +[] { return byteArray(kEditBufferRequest); });
    function(
        "bankRequest", +[] { return byteArray(kBankRequest); });
    function(
        "programChange", +[](int channel, int program) {
            return shortMessage(kProgramChange, channel, program, std::nullopt);
        });
    function(
        "controlChange", +[](int channel, int controller, int value) {
            return shortMessage(kControlChange, channel, controller, value);
        });
    function("openPatchFile", &openPatchFileOf);
    function("openImportFile", &openImportFileOf);
    function("sourceDump", &sourceDumpOf);
    function(
        "noEffectChoice", +[] { return kNoEffectChoice; });
    function("fileNameForPatch", &fileNameFor);
}
