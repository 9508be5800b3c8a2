// The interface's port: the kernel bridge's buffer rule, both cables at 31250 baud, the device.
#include "InterfacePort.h"

#include "midi/MessageJoiner.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace amplix::alsaseq::detail {

namespace {

using Clock = InterfacePort::Clock;
constexpr auto kNever = Clock::time_point::max();

// The kernel's printk rate limit: at most ten lines in five seconds.
constexpr std::size_t kReportBurst = 10;
constexpr auto kReportInterval = std::chrono::seconds(5);
constexpr const char* kOverrunText = "ALSA: seq_midi: MIDI output buffer overrun\n";

// Room for any decoded non-SysEx event, as the kernel's bridge allows.
constexpr std::size_t kShortEventBytes = 10;

} // namespace

InterfacePort::InterfacePort(Emit emit) : emit_(std::move(emit)) {
    snd_midi_event_new(kInputEventSize, &decoder_);
    snd_midi_event_new(kInputEventSize, &encoder_);
    resetDevice();
    openLog();
    if (const char* size = std::getenv("AMPLIX_ALSASEQ_OUTPUT_BUFFER"); size && *size)
        outputCapacity_ = std::strtoul(size, nullptr, 10);
}

InterfacePort::~InterfacePort() {
    inlet_.reset();
    snd_midi_event_free(decoder_);
    snd_midi_event_free(encoder_);
    if (log_)
        std::fclose(log_);
}

void InterfacePort::openLog() {
    if (log_)
        std::fclose(log_);
    log_ = nullptr;
    if (const char* path = std::getenv("AMPLIX_ALSASEQ_LOG"); path && *path)
        log_ = std::fopen(path, "a");
}

void InterfacePort::take(const snd_seq_event_t& event, Clock::time_point now) {
    if (!outputOpen_)
        return; // nobody subscribed to write: the kernel has no rawmidi output to give it to
    if (event.type == SND_SEQ_EVENT_SYSEX) {
        // SysEx goes into the buffer as it is, and the decoder starts afresh after it.
        if (!isVariable(event))
            return;
        writeSysex(static_cast<const std::uint8_t*>(event.data.ext.ptr), event.data.ext.len, now);
        snd_midi_event_reset_decode(decoder_);
        return;
    }
    std::uint8_t bytes[kShortEventBytes];
    const long size = snd_midi_event_decode(decoder_, bytes, sizeof bytes, &event);
    if (size <= 0)
        return; // not a MIDI event
    countEvent(std::size_t(size));
    if (fits(std::size_t(size))) {
        append(bytes, std::size_t(size), now);
    } else {
        reportOverrun(std::size_t(size), now);
        snd_midi_event_reset_decode(decoder_);
    }
}

void InterfacePort::writeSysex(const std::uint8_t* bytes, std::size_t size, Clock::time_point now) {
    countEvent(size);
    // Whole or not at all; with a chunk size, each chunk on its own and nothing after the first
    // that does not fit.
    const std::size_t chunk = sysexWriteChunk_ ? sysexWriteChunk_ : size;
    for (std::size_t done = 0; done < size; done += chunk) {
        const std::size_t piece = std::min(chunk, size - done);
        if (!fits(piece)) {
            reportOverrun(size, now);
            return;
        }
        append(bytes + done, piece, now);
    }
}

void InterfacePort::countEvent(std::size_t size) {
    ++stats_.eventsToPort;
    stats_.largestEventToPort = std::max(stats_.largestEventToPort, size);
}

bool InterfacePort::fits(std::size_t size) const {
    return output_.size() <= outputCapacity_ && outputCapacity_ - output_.size() >= size;
}

void InterfacePort::append(const std::uint8_t* bytes, std::size_t size, Clock::time_point now) {
    if (output_.empty())
        outputDue_ = std::max(now, outputFree_) + kByteTime;
    output_.insert(output_.end(), bytes, bytes + size);
    stats_.largestBufferFill = std::max(stats_.largestBufferFill, output_.size());
}

void InterfacePort::reportOverrun(std::size_t size, Clock::time_point now) {
    ++stats_.overruns;
    while (!overrunReports_.empty() && now - overrunReports_.front() >= kReportInterval)
        overrunReports_.pop_front();
    if (overrunReports_.size() < kReportBurst) {
        overrunReports_.push_back(now);
        std::fputs(kOverrunText, stderr);
    }
    if (log_) {
        std::fprintf(log_, "overrun %zu\n", size);
        std::fflush(log_);
    }
}

Clock::time_point InterfacePort::advance(Clock::time_point now) {
    for (;;) {
        const auto outputAt = output_.empty() ? kNever : outputDue_;
        const auto returnAt = returnCable_.empty() ? kNever : returnDue_;
        const auto at = std::min(outputAt, returnAt);
        if (at == kNever || at > now)
            return at;
        if (outputAt <= returnAt) {
            const std::uint8_t byte = output_.front();
            output_.pop_front();
            ++stats_.bytesToDevice;
            outputFree_ = at;
            outputDue_ = at + kByteTime;
            inletTime_ = at;
            inlet_->feed(std::span(&byte, 1));
        } else {
            const std::uint8_t byte = returnCable_.front();
            returnCable_.pop_front();
            ++stats_.bytesFromDevice;
            returnFree_ = at;
            returnDue_ = at + kByteTime;
            sendBack(byte);
        }
    }
}

void InterfacePort::deviceReceives(std::vector<std::uint8_t> message, Clock::time_point at) {
    if (log_) {
        std::fputs("device recv", log_);
        for (const std::uint8_t byte : message)
            std::fprintf(log_, " %02X", byte);
        std::fputc('\n', log_);
        std::fflush(log_);
    }
    for (const auto& answer : device_.receive(message))
        toReturnCable(answer, at);
    messages_.push_back(std::move(message));
}

void InterfacePort::toReturnCable(const std::vector<std::uint8_t>& message, Clock::time_point at) {
    if (message.empty())
        return;
    if (returnCable_.empty())
        returnDue_ = std::max(at, returnFree_) + kByteTime;
    returnCable_.insert(returnCable_.end(), message.begin(), message.end());
}

void InterfacePort::sendBack(std::uint8_t byte) {
    if (!inputOpen_)
        return; // nobody reads the port: the kernel has the rawmidi input closed
    ++bytesSinceEvent_;
    snd_seq_event_t event;
    std::memset(&event, 0, sizeof event);
    if (snd_midi_event_encode_byte(encoder_, byte, &event) <= 0)
        return;
    ++stats_.eventsFromPort;
    stats_.largestEventFromPort = std::max(stats_.largestEventFromPort, bytesSinceEvent_);
    bytesSinceEvent_ = 0;
    emit_(event);
}

void InterfacePort::openOutput() {
    outputOpen_ = true;
    snd_midi_event_reset_decode(decoder_);
}

void InterfacePort::closeOutput() {
    outputOpen_ = false;
    output_.clear();
}

void InterfacePort::openInput() {
    inputOpen_ = true;
    bytesSinceEvent_ = 0;
    snd_midi_event_reset_encode(encoder_);
}

void InterfacePort::disconnect() {
    closeOutput();
    closeInput();
    returnCable_.clear();
    // A fresh parser: whatever SysEx the device had half received is broken off with the cable.
    // The device's MIDI In joins the bytes with the editor's own parser: a SysEx broken off never
    // gets through, and neither does one cut at the buffer's end.
    inlet_ = std::make_unique<MessageJoiner>(
        [this](std::vector<std::uint8_t> message) { deviceReceives(std::move(message), inletTime_); });
}

void InterfacePort::resetDevice() {
    device_ = PodDevice();
    disconnect();
}

void InterfacePort::resetCounters() {
    stats_ = {};
    messages_.clear();
    overrunReports_.clear();
}

} // namespace amplix::alsaseq::detail
