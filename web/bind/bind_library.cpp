// The librarian and patches as links: the library model with its steps and marks, its rows,
// the compare of two patches, and a record to a link's fragment and back.
#include "web/bind/BindValues.h"

#include "patch/LibraryRow.h"
#include "patch/PatchLibrary.h"
#include "patch/PatchLink.h"
#include "patch/PatchText.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

using emscripten::val;
using namespace amplix;
using namespace amplix::bind;

namespace {

using DeviceChange = PatchLibrary::DeviceChange;

// The 36 records one after another, as the page hands a whole library over.
std::optional<PatchLibrary::Records> recordsOf(const val& array) {
    const Bytes bytes = bytesOf(array);
    if (bytes.size() != kRecordSize * kPatchLocations)
        return std::nullopt;
    PatchLibrary::Records records{};
    for (std::size_t n = 0; n < kPatchLocations; ++n)
        std::copy_n(bytes.begin() + std::ptrdiff_t(n * kRecordSize), kRecordSize, records[n].begin());
    return records;
}

val recordsArray(const PatchLibrary::Records& records) {
    Bytes bytes;
    bytes.reserve(kRecordSize * kPatchLocations);
    for (const PatchRecord& r : records)
        bytes.insert(bytes.end(), r.begin(), r.end());
    return byteArray(bytes);
}

bool isLocation(int location) {
    return location >= 0 && std::size_t(location) < kPatchLocations;
}

val locationsArray(const std::vector<std::size_t>& locations) {
    return arrayOf(locations, [](std::size_t n) { return val(int(n)); });
}

const char* changeName(DeviceChange how) {
    switch (how) {
    case DeviceChange::Stored:
        return "Stored";
    case DeviceChange::BankSent:
        return "BankSent";
    case DeviceChange::Read:
        break;
    }
    return "Read";
}

std::optional<DeviceChange> changeOf(const std::string& name) {
    for (const DeviceChange how : {DeviceChange::Stored, DeviceChange::BankSent, DeviceChange::Read})
        if (name == changeName(how))
            return how;
    return std::nullopt;
}

// The library's calls, each refusing a location past 9D or a record of the wrong size.
bool load(PatchLibrary& library, const val& records, bool onDevice) {
    const auto taken = recordsOf(records);
    if (taken)
        library.load(*taken, onDevice);
    return taken.has_value();
}

bool restore(PatchLibrary& library, const val& device, const val& arranged) {
    const auto onDevice = recordsOf(device);
    const auto records = recordsOf(arranged);
    if (onDevice && records)
        library.restore(*onDevice, *records);
    return onDevice && records;
}

val record(const PatchLibrary& library, int location) {
    return isLocation(location) ? byteArray(library.record(std::size_t(location))) : val::null();
}

val deviceRecord(const PatchLibrary& library, int location) {
    return isLocation(location) ? byteArray(library.deviceRecord(std::size_t(location))) : val::null();
}

val name(const PatchLibrary& library, int location) {
    return isLocation(location) ? latin1Text(library.name(std::size_t(location))) : val::null();
}

bool changed(const PatchLibrary& library, int location) {
    return isLocation(location) && library.changed(std::size_t(location));
}

bool swap(PatchLibrary& library, int a, int b) {
    return isLocation(a) && isLocation(b) && library.swap(std::size_t(a), std::size_t(b));
}

bool copy(PatchLibrary& library, int from, int to) {
    return isLocation(from) && isLocation(to) && library.copy(std::size_t(from), std::size_t(to));
}

bool put(PatchLibrary& library, int location, const val& bytes) {
    const auto patch = recordOf(bytes);
    return isLocation(location) && patch && library.put(std::size_t(location), *patch);
}

// As the desktop's table takes an edit: a character beyond 8 bits is '?', the device's rule the rest.
bool renameAt(PatchLibrary& library, int location, const val& newName) {
    return isLocation(location) && library.rename(std::size_t(location), latin1FromText(newName));
}

bool markSent(PatchLibrary& library, int location) {
    if (!isLocation(location))
        return false;
    library.markSent(std::size_t(location));
    return true;
}

bool onDevice(const PatchLibrary& library, int location) {
    return isLocation(location) && library.onDevice(std::size_t(location));
}

val confirmSent(PatchLibrary& library, const val& sent, const val& readBack) {
    const auto records = recordsOf(readBack);
    const std::vector<int> asked = emscripten::convertJSArrayToNumberVector<int>(sent);
    if (!records || !std::all_of(asked.begin(), asked.end(), isLocation))
        return val::null();
    std::vector<std::size_t> locations(asked.begin(), asked.end());
    return locationsArray(library.confirmSent(locations, *records));
}

bool deviceHolds(PatchLibrary& library, int location, const val& bytes, const std::string& how) {
    const auto patch = recordOf(bytes);
    const auto change = changeOf(how);
    if (!isLocation(location) || !patch || !change)
        return false;
    library.deviceHolds(std::size_t(location), *patch, *change);
    return true;
}

val conflict(const PatchLibrary& library, int location) {
    const auto how = isLocation(location) ? library.conflict(std::size_t(location)) : std::nullopt;
    return how ? val(changeName(*how)) : val::null();
}

val conflictQuestion(const PatchLibrary&, int location, const std::string& how) {
    const auto change = changeOf(how);
    if (!isLocation(location) || !change)
        return val::null();
    return latin1Text(PatchLibrary::conflictQuestion(std::size_t(location), *change));
}

// Rows, the compare and links.
val bankRecordsOf(const val& bank) {
    const Bytes bytes = bytesOf(bank);
    if (bytes.size() < kBankDumpSize || classifyDump(bytes) != DumpKind::Bank)
        return val::null();
    PatchLibrary::Records records{};
    for (std::size_t n = 0; n < kPatchLocations; ++n)
        records[n] = readRecord(bytes, bankPatchOffset(n));
    return recordsArray(records);
}

val rowValue(std::size_t location, const PatchRecord& patch) {
    const LibraryRow row = libraryRow(location, patch);
    val out = val::object();
    out.set("location", row.location);
    out.set("name", latin1Text(row.name));
    out.set("ampModel", latin1Text(row.ampModel));
    out.set("effect", latin1Text(row.effect));
    out.set("title", latin1Text(row.title));
    return out;
}

val rowOf(const val& bytes, int location) {
    const auto patch = recordOf(bytes);
    if (!patch || !isLocation(location))
        return val::null();
    return rowValue(std::size_t(location), *patch);
}

// A bank's 36 rows, each with its record, in one call: a file pane of a thousand patches lists
// in one crossing per file rather than one per patch.
val bankRowsOf(const val& bank) {
    const Bytes bytes = bytesOf(bank);
    if (bytes.size() < kBankDumpSize || classifyDump(bytes) != DumpKind::Bank)
        return val::null();
    val rows = val::array();
    for (std::size_t n = 0; n < kPatchLocations; ++n) {
        const PatchRecord patch = readRecord(bytes, bankPatchOffset(n));
        val row = rowValue(n, patch);
        row.set("record", byteArray(patch));
        rows.call<void>("push", row);
    }
    return rows;
}

val compareOf(const val& aBytes, const val& bBytes) {
    const auto a = recordOf(aBytes), b = recordOf(bBytes);
    if (!a || !b)
        return val::null();
    return arrayOf(comparePatches(*a, *b), [](const PatchDifference& d) {
        val out = val::object();
        out.set("control", latin1Text(d.control));
        out.set("a", latin1Text(d.a));
        out.set("b", latin1Text(d.b));
        return out;
    });
}

val linkOf(const val& bytes) {
    const auto patch = recordOf(bytes);
    return patch ? val(patchLink(*patch)) : val::null();
}

val linkTitleOf(const val& bytes) {
    const auto patch = recordOf(bytes);
    return patch ? latin1Text(patchLinkTitle(*patch)) : val::null();
}

const char* outcomeName(LinkOutcome outcome) {
    switch (outcome) {
    case LinkOutcome::Patch:
        return "Patch";
    case LinkOutcome::Cut:
        return "Cut";
    case LinkOutcome::Altered:
        return "Altered";
    case LinkOutcome::Foreign:
        break;
    }
    return "Foreign";
}

val readLink(const std::string& fragment) {
    const OpenedLink opened = readPatchLink(fragment);
    val out = val::object();
    out.set("outcome", outcomeName(opened.outcome));
    out.set("record", opened.record ? byteArray(*opened.record) : val::null());
    out.set("failure", std::string(linkFailureText(opened.outcome)));
    return out;
}

} // namespace

EMSCRIPTEN_BINDINGS(amplix_library) {
    using emscripten::function;
    emscripten::class_<PatchLibrary>("PatchLibrary")
        .constructor<>()
        .function("load", &load)
        .function("restore", &restore)
        .function("unload", &PatchLibrary::unload)
        .function("loaded", &PatchLibrary::loaded)
        .function("record", &record)
        .function("deviceRecord", &deviceRecord)
        .function(
            "records", +[](const PatchLibrary& l) { return recordsArray(l.records()); })
        .function(
            "deviceRecords",
            +[](const PatchLibrary& l) {
                PatchLibrary::Records device{};
                for (std::size_t n = 0; n < kPatchLocations; ++n)
                    device[n] = l.deviceRecord(n);
                return recordsArray(device);
            })
        .function("name", &name)
        .function("changed", &changed)
        .function(
            "changedLocations", +[](const PatchLibrary& l) { return locationsArray(l.changedLocations()); })
        .function("swap", &swap)
        .function("copy", &copy)
        .function("put", &put)
        .function("rename", &renameAt)
        .function("canUndo", &PatchLibrary::canUndo)
        .function("canRedo", &PatchLibrary::canRedo)
        .function(
            "undoText", +[](const PatchLibrary& l) { return l.undoText(); })
        .function(
            "redoText", +[](const PatchLibrary& l) { return l.redoText(); })
        .function(
            "doneText", +[](const PatchLibrary& l) { return l.doneText(); })
        .function("undo", &PatchLibrary::undo)
        .function("redo", &PatchLibrary::redo)
        .function("markSent", &markSent)
        .function("onDevice", &onDevice)
        .function("confirmSent", &confirmSent)
        .function("deviceHolds", &deviceHolds)
        .function("conflict", &conflict)
        .function(
            "conflicts", +[](const PatchLibrary& l) { return locationsArray(l.conflicts()); })
        .function("conflictQuestion", &conflictQuestion)
        .function("discardChanges", &PatchLibrary::discardChanges);
    function("bankRecords", &bankRecordsOf);
    function("libraryRow", &rowOf);
    function("bankRows", &bankRowsOf);
    function("comparePatches", &compareOf);
    function("patchLink", &linkOf);
    function("patchLinkTitle", &linkTitleOf);
    function("readPatchLink", &readLink);
}
