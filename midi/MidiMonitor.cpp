// What a MIDI message means, in the monitor's words, and the log its window reads.
#include "midi/MidiMonitor.h"

#include "app/UiTexts.h"
#include "midi/DeviceInquiry.h"
#include "midi/MidiBytes.h"
#include "midi/MidiTrace.h"
#include "patch/SysexFormat.h"
#include "tone/PanelLayout.h"
#include "tone/ToneMap.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <utility>

namespace amplix {

namespace {

constexpr int kChannelsShownFrom = 1;

// A text with its placeholders filled in order.
std::string filled(std::string_view format, std::initializer_list<std::string_view> values) {
    std::string out;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size() && format[i + 1] >= '1' && format[i + 1] <= '9') {
            const std::size_t n = std::size_t(format[++i] - '1');
            if (n < values.size())
                out += *(values.begin() + n);
            continue;
        }
        out += format[i];
    }
    return out;
}

std::string number(std::size_t n) {
    return std::to_string(n);
}

// The entry a list's controller value selects; nothing for a control whose value is all it says.
std::optional<int> listIndexForValue(const ToneParameter& p, int value) {
    switch (p.list) {
    case ListMap::None:
        return value;
    case ListMap::Effect:
        if (const EffectRow* row = effectForCode(value))
            return row->index;
        return std::nullopt;
    case ListMap::CompressionRatio:
        return ratioIndexForValue(value);
    case ListMap::TwoEntry:
        return twoEntryIndexForValue(value);
    }
    return std::nullopt;
}

std::string controllerMeaning(std::uint8_t controller, std::uint8_t value) {
    const ToneParameter* p = findController(controller);
    const std::string cc = number(controller), v = number(value);
    if (!p)
        return filled(text::kMonitorControllerUnknown, {cc, v});
    if (p->kind == ControlKind::None)
        return filled(text::kMonitorController, {cc, text::kMonitorTapTempo, v});
    std::string name = controlName(p->member);
    if (name.empty())
        return filled(text::kMonitorControllerUnknown, {cc, v});
    switch (p->kind) {
    case ControlKind::DelayTime:
        name = filled(controller == p->secondController ? text::kMonitorLowBits : text::kMonitorHighBits,
                      {name});
        break;
    case ControlKind::Switch:
        return filled(text::kMonitorControllerEntry, {cc, name, v, valueText(*p, value >= 64 ? 1 : 0)});
    case ControlKind::IndexedList:
    case ControlKind::MappedList:
        if (const auto index = listIndexForValue(*p, value))
            return filled(text::kMonitorControllerEntry, {cc, name, v, valueText(*p, *index)});
        break;
    default:
        break;
    }
    return filled(text::kMonitorController, {cc, name, v});
}

std::string programMeaning(std::uint8_t program) {
    const std::string n = number(program);
    if (program == 0)
        return filled(text::kMonitorProgramAt, {n, text::kMonitorManualMode});
    if (program <= kLastProgram)
        return filled(text::kMonitorProgramAt, {n, locationLabel(std::size_t(program - 1))});
    return filled(text::kMonitorProgram, {n});
}

// A name as the device pads it, without the blanks after it.
std::string shownName(std::string name) {
    name.erase(name.find_last_not_of(' ') + 1);
    return name;
}

std::string recordName(const PatchRecord& record) {
    return shownName(dumpName(buildSingleDump(record)));
}

// What the device makes of a SysEx, or empty when it is none of the device's messages.
std::string sysexMeaning(std::span<const std::uint8_t> bytes) {
    const auto equals = [&](std::span<const std::uint8_t> message) {
        return std::equal(bytes.begin(), bytes.end(), message.begin(), message.end());
    };
    if (bytes.back() != kSysexEnd)
        return std::string(text::kMonitorNotEnded);
    if (equals(kEditBufferRequest))
        return std::string(text::kMonitorEditBufferRequest);
    if (equals(kBankRequest))
        return std::string(text::kMonitorBankRequest);
    if (const auto channel = inquiryChannel(bytes))
        return *channel == kInquiryAllChannels
                   ? std::string(text::kMonitorInquiryAll)
                   : filled(text::kMonitorInquiry, {number(*channel + kChannelsShownFrom)});
    if (const auto identity = readInquiryReply(bytes)) {
        if (identity->channel == kInquiryAllChannels)
            return filled(text::kMonitorInquiryReplyAll, {describeDevice(*identity)});
        return filled(text::kMonitorInquiryReply,
                      {describeDevice(*identity), number(identity->channel + kChannelsShownFrom)});
    }
    if (bytes.size() >= kHeaderSize && std::equal(kStoreHeader.begin(), kStoreHeader.end(), bytes.begin())) {
        if (bytes.size() != kStoreMessageSize)
            return std::string(text::kMonitorPatchCut);
        return filled(text::kMonitorStore, {locationLabel(bytes[kStoreLocationOffset]),
                                            recordName(readRecord(bytes, kStoreDataOffset))});
    }
    switch (classifyDump(bytes)) {
    case DumpKind::SinglePatch:
        if (bytes.size() != kSingleDumpSize)
            return std::string(text::kMonitorPatchCut);
        return filled(text::kMonitorPatch, {shownName(dumpName(bytes))});
    case DumpKind::Bank:
        if (bytes.size() != kBankDumpSize)
            return std::string(text::kMonitorBankCut);
        return filled(text::kMonitorBank, {recordName(readRecord(bytes, bankPatchOffset(0)))});
    case DumpKind::Other:
        break;
    }
    return {};
}

std::string meaning(std::span<const std::uint8_t> bytes) {
    const std::uint8_t status = bytes[0];
    if (status == kSysexStart) {
        const std::string size = number(bytes.size());
        const std::string what = sysexMeaning(bytes);
        return what.empty() ? filled(text::kMonitorSysex, {size})
                            : filled(text::kMonitorSysexMeaning, {size, what});
    }
    if (status < kStatusBit)
        return filled(text::kMonitorStray, {hexBytes(bytes.data(), bytes.size())});
    const std::size_t length = shortMessageLength(status);
    if (length == bytes.size()) {
        if ((status & kMessageTypeMask) == kControlChange)
            return controllerMeaning(bytes[1], bytes[2]);
        if ((status & kMessageTypeMask) == kProgramChange)
            return programMeaning(bytes[1]);
    }
    return filled(text::kMonitorShort, {hexBytes(bytes.data(), bytes.size())});
}

} // namespace

std::string describeMidi(MidiDirection direction, std::span<const std::uint8_t> bytes) {
    std::string line(direction == MidiDirection::Out ? text::kMidiPortOut : text::kMidiPortIn);
    if (bytes.empty())
        return line;
    line += ' ';
    line += meaning(bytes);
    return line;
}

std::string monitorLine(std::int64_t msOfDay, MidiDirection direction, std::span<const std::uint8_t> bytes) {
    constexpr std::int64_t kMsPerDay = 24 * 60 * 60 * 1000;
    const std::int64_t ms = ((msOfDay % kMsPerDay) + kMsPerDay) % kMsPerDay;
    char time[16];
    std::snprintf(time, sizeof time, "%02d:%02d:%02d.%03d ", int(ms / 3600000), int(ms / 60000 % 60),
                  int(ms / 1000 % 60), int(ms % 1000));
    return time + describeMidi(direction, bytes);
}

void MidiMonitorLog::listen(std::function<void()> wake) {
    std::lock_guard lock(mutex_);
    wake_ = std::move(wake);
    woken_ = false;
    listening_.store(true, std::memory_order_relaxed);
}

void MidiMonitorLog::stop() {
    std::lock_guard lock(mutex_);
    listening_.store(false, std::memory_order_relaxed);
    wake_ = nullptr;
    pending_.clear();
    dropped_ = 0;
}

void MidiMonitorLog::add(MidiDirection direction, const std::uint8_t* data, std::size_t size) {
    if (!data || size == 0)
        return;
    MonitorEntry entry;
    entry.msSinceEpoch = std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::system_clock::now().time_since_epoch())
                             .count();
    entry.direction = direction;
    entry.bytes.assign(data, data + size);
    std::lock_guard lock(mutex_);
    if (!listening_.load(std::memory_order_relaxed))
        return; // stopped meanwhile
    if (pending_.size() == kMaxPending) {
        pending_.pop_front();
        ++dropped_;
    }
    pending_.push_back(std::move(entry));
    if (!woken_ && wake_) {
        woken_ = true;
        wake_();
    }
}

void MidiMonitorLog::addShort(MidiDirection direction, std::uint32_t message) {
    const std::uint8_t bytes[3] = {shortStatus(message), shortData1(message), shortData2(message)};
    // A lone data byte (no status before it) is one byte long.
    const std::size_t length = bytes[0] < kStatusBit ? 1 : shortMessageLength(bytes[0]);
    add(direction, bytes, std::max<std::size_t>(length, 1));
}

std::vector<MonitorEntry> MidiMonitorLog::take() {
    std::lock_guard lock(mutex_);
    std::vector<MonitorEntry> out(std::make_move_iterator(pending_.begin()),
                                  std::make_move_iterator(pending_.end()));
    pending_.clear();
    woken_ = false;
    return out;
}

std::size_t MidiMonitorLog::takeDropped() {
    std::lock_guard lock(mutex_);
    return std::exchange(dropped_, 0);
}

} // namespace amplix
