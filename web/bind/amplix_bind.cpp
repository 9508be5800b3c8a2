// The core as the browser page sees it (amplix-core.d.ts states the same interface): every
// function takes and gives plain JavaScript values, bytes as Uint8Array. Nothing here decides
// anything; each function hands one call on to the core.
#include "app/UiTexts.h"
#include "device/PodDevice.h"
#include "files/PatchFile.h"
#include "import/GuitarPort.h"
#include "import/PatchSource.h"
#include "midi/CablePacing.h"
#include "midi/DeviceInquiry.h"
#include "midi/DeviceNames.h"
#include "midi/MidiBytes.h"
#include "midi/PodFinder.h"
#include "patch/PatchDecode.h"
#include "patch/PatchText.h"
#include "patch/SysexFormat.h"
#include "tone/PanelLayout.h"
#include "tone/ToneLists.h"
#include "tone/ToneMap.h"

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

using emscripten::val;
using namespace amplix;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(const val& array) {
    return emscripten::convertJSArrayToNumberVector<std::uint8_t>(array);
}

val byteArray(std::span<const std::uint8_t> bytes) {
    val out = val::global("Uint8Array").new_(bytes.size());
    out.call<void>("set", val(emscripten::typed_memory_view(bytes.size(), bytes.data())));
    return out;
}

// JavaScript strings stand for the device's 8-bit characters one code unit each, as the page
// shows them; an 8-bit string goes out as UTF-8 through val's std::string conversion.
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

val text(std::string_view latin1) {
    return val(utf8FromLatin1(latin1));
}

template <typename Range, typename Make> val arrayOf(const Range& range, Make make) {
    val out = val::array();
    for (const auto& item : range)
        out.call<void>("push", make(item));
    return out;
}

const char* windowName(ToneWindow window) {
    static constexpr std::array names = {"Frame",      "Chorus", "Rotary", "Tremolo", "Swell",
                                         "Compressor", "Delay",  "Reverb", "Gate",    "Pedals"};
    return names[std::size_t(window)];
}

const char* kindName(ControlKind kind) {
    static constexpr std::array names = {"ReversedSlider", "DirectSlider", "Switch", "IndexedList",
                                         "MappedList",     "DelayTime",    "None"};
    return names[std::size_t(kind)];
}

const char* receiveName(ReceiveRule rule) {
    static constexpr std::array names = {"Ignored",    "Reversed",    "Direct",     "Switch",
                                         "Index",      "TwoEntry",    "RatioSteps", "AmpModel",
                                         "EffectType", "RotaryDepth", "TapTempo"};
    return names[std::size_t(rule)];
}

const char* extraName(ToneExtra extra) {
    static constexpr std::array names = {"None",           "PairedDrive2",    "ChecksReverb",
                                         "ChecksWah",      "ChecksTremChor",  "FeedbackLabel",
                                         "DelayTimeLabel", "FastNotAboveSlow"};
    return names[std::size_t(extra)];
}

int controlMaximum(const ToneParameter& p) {
    switch (p.kind) {
    case ControlKind::ReversedSlider:
    case ControlKind::DirectSlider:
        return kSliderMax;
    case ControlKind::DelayTime:
        return kDelayTimeMaxMs;
    case ControlKind::Switch:
        return 1;
    case ControlKind::IndexedList:
    case ControlKind::MappedList:
        return int(listEntries(p.member).size()) - 1;
    case ControlKind::None:
        break;
    }
    return 0;
}

val toneMapRows() {
    return arrayOf(toneMap(), [](const ToneParameter& p) {
        val row = val::object();
        row.set("controller", p.controller);
        row.set("member", std::string(p.member));
        row.set("label", std::string(p.label));
        row.set("window", windowName(p.window));
        row.set("kind", kindName(p.kind));
        row.set("receive", receiveName(p.receive));
        row.set("focusOnReceive", p.focusOnReceive);
        row.set("extra", extraName(p.extra));
        row.set("initial", p.initial);
        row.set("secondController", p.secondController);
        row.set("entries", arrayOf(listEntries(p.member), [](std::string_view e) { return text(e); }));
        row.set("maximum", controlMaximum(p));
        return row;
    });
}

const char* itemKindName(PanelItemKind kind) {
    static constexpr std::array names = {"VerticalSlider", "HorizontalSlider", "CheckBox", "DropDown",
                                         "Static"};
    return names[std::size_t(kind)];
}

void setPlace(val& out, const PanelRect& place) {
    out.set("x", place.x);
    out.set("y", place.y);
    out.set("w", place.w);
    out.set("h", place.h);
}

val panelLayoutTable() {
    val out = val::object();
    out.set("width", kPanelWidth);
    out.set("height", kPanelHeight);
    out.set("windows", arrayOf(panelWindows(), [](const PanelWindow& w) {
                val window = val::object();
                window.set("window", windowName(w.window));
                setPlace(window, w.place);
                return window;
            }));
    out.set("items", arrayOf(panelItems(), [](const PanelItem& i) {
                val item = val::object();
                item.set("window", windowName(i.window));
                item.set("kind", itemKindName(i.kind));
                item.set("name", std::string(i.name));
                item.set("member", std::string(i.member));
                setPlace(item, i.place);
                item.set("text", std::string(i.text));
                return item;
            }));
    return out;
}

// The waits the desktop editor keeps, in milliseconds.
val timingTable() {
    const PodFinder::Timing find{};
    val out = val::object();
    out.set("editBufferTimeoutMs", kEditBufferTimeoutMs);
    out.set("bankTimeoutMs", kBankTimeoutMs);
    out.set("tapTempoDelayMs", kTapTempoDelayMs);
    out.set("rotaryDepthReadDelayMs", kRotaryDepthReadDelayMs);
    out.set("findAnswerMs", int(find.answerTime.count()));
    out.set("findInquiryMs", int(find.inquiryTime.count()));
    out.set("progressDelayMs", kProgressDelayMs);
    return out;
}

// The sizes of the device's messages, and how many channels the device inquiry goes through.
val sizeTable() {
    val out = val::object();
    out.set("record", int(kRecordSize));
    out.set("singleDump", int(kSingleDumpSize));
    out.set("bankDump", int(kBankDumpSize));
    out.set("storeMessage", int(kStoreMessageSize));
    out.set("midiChannels", int(kMidiChannels));
    out.set("answersOfOmni", kAnswersOfOmni);
    return out;
}

// Every text the page shows, by its name in the core.
val textTable() {
    val out = val::object();
    for (const text::UiText& t : text::uiTexts())
        out.set(std::string(t.key), std::string(t.text));
    return out;
}

val effectRow(int index) {
    const EffectRow* row = effectForIndex(index);
    if (!row)
        return val::null();
    val out = val::object();
    out.set("index", row->index);
    out.set("code", row->code);
    out.set("delay", row->delay);
    out.set("tremChor", row->tremChor);
    out.set("window", windowName(row->window));
    return out;
}

// Controls: every function takes the control by its member name; a name the map does not know
// gives nothing.
val messagesFor(const std::string& member, int state) {
    const ToneParameter* p = findParameter(member);
    if (!p)
        return val::array();
    return arrayOf(controllerMessages(*p, state), [](const std::pair<std::uint8_t, std::uint8_t>& m) {
        val out = val::object();
        out.set("controller", m.first);
        out.set("value", m.second);
        return out;
    });
}

std::string valueTextFor(const std::string& member, int state) {
    const ToneParameter* p = findParameter(member);
    return p ? utf8FromLatin1(valueText(*p, state)) : std::string();
}

std::string labelledValueTextFor(const std::string& member, int state) {
    const ToneParameter* p = findParameter(member);
    return p ? utf8FromLatin1(labelledValueText(*p, state)) : std::string();
}

int positionFor(const std::string& member, int value) {
    const ToneParameter* p = findParameter(member);
    return p ? positionForValue(*p, value) : value;
}

val receivedStateFor(int controller, int value) {
    const ToneParameter* p = findController(std::uint8_t(controller));
    if (!p)
        return val::null();
    const std::optional<int> state = receivedControlState(*p, value);
    return state ? val(*state) : val::null();
}

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
    out.set("name", text(patch.name));
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

std::optional<PatchRecord> recordFrom(const val& array) {
    const Bytes bytes = bytesOf(array);
    if (bytes.size() != kRecordSize)
        return std::nullopt;
    PatchRecord record{};
    std::copy(bytes.begin(), bytes.end(), record.begin());
    return record;
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
    std::optional<PatchRecord> record = recordFrom(recordBytes);
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
    return arrayOf(bankListing(bytes), [](const std::string& line) { return text(line); });
}

val singleDumpOf(const val& recordBytes, int byte7) {
    const std::optional<PatchRecord> record = recordFrom(recordBytes);
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

// A name from the page: one character per UTF-16 unit, which acceptsName has checked.
std::string latin1FromText(const val& name) {
    std::string out;
    const int length = name["length"].as<int>();
    for (int i = 0; i < length; ++i) {
        const int unit = name.call<int>("charCodeAt", i);
        out += char(unit <= 0xFF ? unit : '?');
    }
    return out;
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
    out.set("text", text(failure.text));
    out.set("caption", text(failure.caption));
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
        e.set("name", text(entry.name));
        e.set("label", source.label(n));
        e.set("information", arrayOf(entry.information, [](const std::string& s) { return text(s); }));
        e.set("deviceCode", entry.deviceCode);
        entries.call<void>("push", e);
    }
    out.set("entries", entries);
    out.set("bytes", source.ok() ? byteArray(source.bytes) : val::null());
    out.set("guitarPortAsks", source.guitarPort.offerEffectChoice);
    out.set("guitarPortInformation",
            arrayOf(source.guitarPort.information, [](const std::string& s) { return text(s); }));
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

// The device and the cable.
val inquiryOf(int channel) {
    return byteArray(deviceInquiry(std::uint8_t(channel == kInquiryAllChannels ? channel : channel & 0x0F)));
}

val identityOf(const DeviceIdentity& identity) {
    val out = val::object();
    out.set("channel", identity.channel);
    out.set("member", identity.member);
    out.set("revision", std::string(identity.revision.begin(), identity.revision.end()));
    return out;
}

std::optional<DeviceIdentity> identityFrom(const val& object) {
    if (object.isNull() || object.isUndefined())
        return std::nullopt;
    DeviceIdentity identity;
    identity.channel = std::uint8_t(object["channel"].as<int>());
    identity.member = std::uint16_t(object["member"].as<int>());
    const std::string revision = object["revision"].as<std::string>();
    for (std::size_t i = 0; i < identity.revision.size() && i < revision.size(); ++i)
        identity.revision[i] = revision[i];
    return identity;
}

val readReply(const val& message) {
    const std::optional<DeviceIdentity> identity = readInquiryReply(bytesOf(message));
    return identity ? identityOf(*identity) : val::null();
}

std::string describeIdentity(const val& identity) {
    const std::optional<DeviceIdentity> id = identityFrom(identity);
    return id ? describeDevice(*id) : std::string();
}

std::string describeSearchOf(const val& search, const std::string& inputName, const std::string& outputName) {
    PodSearch s;
    const std::string outcome = search["outcome"].as<std::string>();
    s.outcome = outcome == "Found"       ? PodSearch::Outcome::Found
                : outcome == "Cancelled" ? PodSearch::Outcome::Cancelled
                                         : PodSearch::Outcome::NoAnswer;
    if (!search["channel"].isNull() && !search["channel"].isUndefined())
        s.channel = search["channel"].as<int>();
    s.identity = identityFrom(search["identity"]);
    const val busy = search["busyOutputs"];
    for (int i = 0, n = busy["length"].as<int>(); i < n; ++i)
        s.busyOutputs.push_back(busy[i].as<std::string>());
    s.outputsAsked = search["outputsAsked"].as<int>();
    s.simulatorListed = search["simulatorListed"].as<bool>();
    return describeSearch(s, inputName, outputName);
}

// The page's clock counts milliseconds as a double (performance.now()); the cable counts whole
// microseconds.
using Clock = CableClock::Clock;
Clock::time_point fromMs(double ms) {
    return Clock::time_point(std::chrono::microseconds(std::int64_t(ms * 1000.0)));
}
double toMs(Clock::time_point t) {
    return double(std::chrono::duration_cast<std::chrono::microseconds>(t.time_since_epoch()).count()) /
           1000.0;
}

val pacedSend(const val& message, double now, double cableFreeAt) {
    const Bytes bytes = bytesOf(message);
    CableClock cable;
    cable.carry(0, fromMs(cableFreeAt));
    val pieces = val::array();
    for (const ScheduledPiece& piece : cableSchedule(bytes.size(), kSysexPieceSize, cable, fromMs(now))) {
        val p = val::object();
        p.set("bytes", byteArray(std::span(bytes).subspan(piece.offset, piece.size)));
        p.set("at", toMs(piece.at));
        pieces.call<void>("push", p);
    }
    val out = val::object();
    out.set("pieces", pieces);
    out.set("doneAt", toMs(std::max(cable.freeAt(), fromMs(now))));
    return out;
}

double cableTimeMs(int bytes) {
    return double(cableTime(std::size_t(std::max(bytes, 0))).count()) / 1000.0;
}

// The device model, as the page's built-in simulator.
class Simulator {
public:
    val receive(const val& message) {
        return arrayOf(device_.receive(bytesOf(message)),
                       [](const PodDevice::Message& m) { return byteArray(m); });
    }
    val choosePatch(int program) { return byteArray(device_.choosePatch(program)); }
    val turnControl(int controller, int value) {
        return byteArray(device_.turnControl(std::uint8_t(controller & 0x7F), std::uint8_t(value & 0x7F)));
    }
    val editBufferDump() const { return byteArray(device_.editBufferDump()); }
    val bankDump() const { return byteArray(device_.bankDump()); }
    int currentProgram() const { return device_.currentProgram(); }
    int channel() const { return device_.channel(); }
    bool setChannel(int channel) { return device_.setChannel(channel); }

private:
    PodDevice device_;
};

} // namespace

EMSCRIPTEN_BINDINGS(amplix_core) {
    using emscripten::function;
    function("toneMap", &toneMapRows);
    function("texts", &textTable);
    function("panelLayout", &panelLayoutTable);
    function("timing", &timingTable);
    function("sizes", &sizeTable);
    function(
        "podLayerAmpModel", +[] { return kPodLayerAmpModel; });
    function(
        "guitarPortChoices", +[] {
            val out = val::object();
            out.set("compressor", kLoadCompressor);
            out.set("modulation", kLoadModulation);
            return out;
        });
    function(
        "connectionSummary", +[](const std::string& input, const std::string& output, int channel) {
            return connectionSummary(input, output, channel);
        });
    function("effectForIndex", &effectRow);
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
    function(
        "timeouts", +[] {
            val out = val::object();
            out.set("editBufferMs", kEditBufferTimeoutMs);
            out.set("bankMs", kBankTimeoutMs);
            return out;
        });

    function("controllerMessages", &messagesFor);
    function("valueText", &valueTextFor);
    function("labelledValueText", &labelledValueTextFor);
    function("positionForValue", &positionFor);
    function("receivedState", &receivedStateFor);
    function(
        "chorusFeedbackLabel", +[](int position) { return chorusFeedbackLabel(position); });
    function(
        "delayTimeLabel", +[](int ms) { return delayTimeLabel(ms); });

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

    function("deviceInquiry", &inquiryOf);
    function("readInquiryReply", &readReply);
    function("describeDevice", &describeIdentity);
    function("describeSearch", &describeSearchOf);
    function("pacedSend", &pacedSend);
    function("cableTimeMs", &cableTimeMs);

    emscripten::class_<Simulator>("PodDevice")
        .constructor<>()
        .function("receive", &Simulator::receive)
        .function("choosePatch", &Simulator::choosePatch)
        .function("turnControl", &Simulator::turnControl)
        .function("editBufferDump", &Simulator::editBufferDump)
        .function("bankDump", &Simulator::bankDump)
        .function("currentProgram", &Simulator::currentProgram)
        .function("channel", &Simulator::channel)
        .function("setChannel", &Simulator::setChannel);
}
