// The device inquiry, Find POD's report, the cable's pace and the device model as the simulator.
#include "web/bind/BindValues.h"

#include "app/UiTexts.h"
#include "device/PodDevice.h"
#include "device/SimulatorMemory.h"
#include "midi/CablePacing.h"
#include "midi/DeviceInquiry.h"
#include "midi/DeviceNames.h"
#include "midi/PodFinder.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>

using emscripten::val;
using namespace amplix;
using namespace amplix::bind;

namespace {

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
    // What the browser kept of an earlier visit, taken back as the desktop takes its files: each
    // part is the bytes kept, or null when nothing was kept.
    val restore(const val& bank, const val& editBuffer) {
        const SimulatorRestore restored =
            restoreSimulator(device_, savedPart(bank), savedPart(editBuffer),
                             {text::kKeptSimulatorBank, text::kKeptSimulatorEditBuffer});
        val out = val::object();
        out.set("bankTaken", restored.bankTaken);
        out.set("editBufferTaken", restored.editBufferTaken);
        out.set("notice", restored.notice);
        return out;
    }
    val reset() { return byteArray(resetSimulator(device_)); }
    // A double holds every revision a page will ever reach exactly.
    double revision() const { return double(device_.revision()); }

private:
    static SavedFile savedPart(const val& bytes) {
        if (bytes.isNull() || bytes.isUndefined())
            return {};
        return SavedFile{bytesOf(bytes), {}};
    }

    PodDevice device_;
};

} // namespace

EMSCRIPTEN_BINDINGS(amplix_device) {
    using emscripten::function;
    function(
        "connectionSummary", +[](const std::string& input, const std::string& output, int channel) {
            return connectionSummary(input, output, channel);
        });
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
        .function("setChannel", &Simulator::setChannel)
        .function("restore", &Simulator::restore)
        .function("reset", &Simulator::reset)
        .function("revision", &Simulator::revision);
}
