// The tone map, the panel's layout, the texts and the controls, for the page.
#include "web/bind/BindValues.h"

#include "app/UiTexts.h"
#include "import/GuitarPort.h"
#include "midi/CablePacing.h"
#include "midi/MidiBytes.h"
#include "midi/PodFinder.h"
#include "patch/SysexFormat.h"
#include "tone/PanelLayout.h"
#include "tone/ToneLists.h"
#include "tone/ToneMap.h"

#include <array>
#include <string>

using emscripten::val;
using namespace amplix;
using namespace amplix::bind;

namespace {

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
        row.set("label", std::string(controlLabel(p.member)));
        row.set("window", windowName(p.window));
        row.set("kind", kindName(p.kind));
        row.set("receive", receiveName(p.receive));
        row.set("focusOnReceive", p.focusOnReceive);
        row.set("extra", extraName(p.extra));
        row.set("initial", p.initial);
        row.set("secondController", p.secondController);
        row.set("entries", arrayOf(listEntries(p.member), [](std::string_view e) { return latin1Text(e); }));
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

} // namespace

EMSCRIPTEN_BINDINGS(amplix_tone) {
    using emscripten::function;
    function("toneMap", &toneMapRows);
    function("texts", &textTable);
    function("panelLayout", &panelLayoutTable);
    function("timing", &timingTable);
    function("sizes", &sizeTable);
    function(
        "podLayerAmpModel", +[] { return kPodLayerAmpModel; });
    function("effectForIndex", &effectRow);
    function("controllerMessages", &messagesFor);
    function("valueText", &valueTextFor);
    function("labelledValueText", &labelledValueTextFor);
    function("positionForValue", &positionFor);
    function("receivedState", &receivedStateFor);
    function(
        "chorusFeedbackLabel", +[](int position) { return chorusFeedbackLabel(position); });
    function(
        "delayTimeLabel", +[](int ms) { return delayTimeLabel(ms); });
}
