// The search for the device: the edit-buffer request on each output, the answer on any input,
// then the device inquiry channel by channel; the built-in simulator left out.
#include "midi/PodFinder.h"

#include "midi/DeviceNames.h"
#include "midi/SimulatorMidiService.h"
#include "patch/SysexFormat.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

namespace amplix {
namespace {

constexpr int kChannels = 16;
// Two channels answering means the device takes every channel: it is in omni mode.

bool isSimulator(const std::string& name) {
    return name == SimulatorMidiService::kDeviceName;
}

struct Arrival {
    MidiHandle input = kNoHandle;
    std::shared_ptr<SysexBuffer> buffer;
};

// Every input's returned buffers, in order, for the searching thread.
class Inbox : public MidiInputSink {
public:
    void midiData(MidiHandle, std::uint32_t) override {}
    void midiError(MidiHandle, std::uint32_t) override {}
    void midiLongData(MidiHandle input, std::shared_ptr<SysexBuffer> buffer) override { put(input, buffer); }
    void midiLongError(MidiHandle input, std::shared_ptr<SysexBuffer> buffer) override { put(input, buffer); }

    // The next arrival before the deadline, if any.
    std::optional<Arrival> take(std::chrono::steady_clock::time_point deadline) {
        std::unique_lock lock(mutex_);
        if (!ready_.wait_until(lock, deadline, [this] { return !arrivals_.empty(); }))
            return std::nullopt;
        Arrival next = std::move(arrivals_.front());
        arrivals_.pop_front();
        return next;
    }

private:
    void put(MidiHandle input, std::shared_ptr<SysexBuffer> buffer) {
        {
            std::lock_guard lock(mutex_);
            arrivals_.push_back({input, std::move(buffer)});
        }
        ready_.notify_one();
    }

    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<Arrival> arrivals_;
};

struct OpenInput {
    unsigned index = 0;
    MidiHandle handle = kNoHandle;
};

// The inputs of the search, open and armed while it lasts.
class Listening {
public:
    Listening(MidiService& midi, Inbox& inbox) : midi_(midi) {
        const unsigned count = midi.inputCount();
        for (unsigned index = 0; index < count; ++index) {
            MidiHandle handle = kNoHandle;
            if (isSimulator(midi.inputName(index)) || midi.openInput(index, inbox, handle) != MidiResult::Ok)
                continue;
            inputs_.push_back({index, handle});
            arm(handle);
            midi.startInput(handle);
        }
    }
    ~Listening() {
        for (const OpenInput& input : inputs_) {
            midi_.resetInput(input.handle);
            midi_.closeInput(input.handle);
        }
    }
    Listening(const Listening&) = delete;
    Listening& operator=(const Listening&) = delete;

    void arm(MidiHandle handle) { midi_.addBuffer(handle, std::make_shared<SysexBuffer>()); }
    std::optional<unsigned> indexOf(MidiHandle handle) const {
        for (const OpenInput& input : inputs_)
            if (input.handle == handle)
                return input.index;
        return std::nullopt;
    }

private:
    MidiService& midi_;
    std::vector<OpenInput> inputs_;
};

std::span<const std::uint8_t> received(const SysexBuffer& buffer) {
    return {buffer.data.data(), std::min(buffer.bytesRecorded, buffer.data.size())};
}

// The outputs that may lead to a device: all but the built-in simulator.
std::vector<unsigned> outputsToAsk(MidiService& midi, bool& simulatorListed) {
    std::vector<unsigned> outputs;
    const unsigned count = midi.outputCount();
    for (unsigned index = 0; index < count; ++index) {
        if (isSimulator(midi.outputName(index)))
            simulatorListed = true;
        else
            outputs.push_back(index);
    }
    return outputs;
}

} // namespace

PodSearch PodFinder::run(const Progress& progress, const std::atomic<bool>& cancel) {
    PodSearch search;
    Inbox inbox;
    Listening listening(midi_, inbox);
    const std::vector<unsigned> outputs = outputsToAsk(midi_, search.simulatorListed);
    const int total = int(outputs.size()) + kChannels;
    int done = 0;
    const auto step = [&] {
        if (progress)
            progress(++done, total);
    };

    // Waits for an arrival that passes the test until the deadline; every buffer is re-armed.
    const auto await = [&](std::chrono::milliseconds time, const auto& wanted) -> std::optional<MidiHandle> {
        const auto deadline = std::chrono::steady_clock::now() + time;
        while (!cancel) {
            auto arrival = inbox.take(deadline);
            if (!arrival)
                return std::nullopt;
            listening.arm(arrival->input);
            if (arrival->buffer && wanted(received(*arrival->buffer), arrival->input))
                return arrival->input;
        }
        return std::nullopt;
    };

    MidiHandle found = kNoHandle;
    for (unsigned output : outputs) {
        if (cancel)
            break;
        MidiHandle handle = kNoHandle;
        const MidiResult opened = midi_.openOutput(output, handle);
        if (opened != MidiResult::Ok) {
            if (opened == MidiResult::Allocated)
                search.busyOutputs.push_back(midi_.outputName(output));
            step();
            continue;
        }
        std::optional<MidiHandle> answered;
        if (midi_.sendSysex(handle, kEditBufferRequest.data(), kEditBufferRequest.size()) == MidiResult::Ok) {
            ++search.outputsAsked;
            answered = await(timing_.answerTime, [](std::span<const std::uint8_t> bytes, MidiHandle) {
                return bytes.size() == kSingleDumpSize && classifyDump(bytes) == DumpKind::SinglePatch;
            });
        }
        step();
        if (!answered) {
            midi_.closeOutput(handle);
            continue;
        }
        search.output = output;
        search.input = *listening.indexOf(*answered);
        found = handle;
        break;
    }
    if (found == kNoHandle) {
        search.outcome = cancel ? PodSearch::Outcome::Cancelled : PodSearch::Outcome::NoAnswer;
        return search;
    }

    done = int(outputs.size());
    int answers = 0;
    for (int channel = 0; channel < kChannels && answers < kAnswersOfOmni && !cancel; ++channel) {
        const auto inquiry = deviceInquiry(std::uint8_t(channel));
        std::optional<DeviceIdentity> identity;
        if (midi_.sendSysex(found, inquiry.data(), inquiry.size()) == MidiResult::Ok)
            await(timing_.inquiryTime, [&](std::span<const std::uint8_t> bytes, MidiHandle input) {
                if (input != kNoHandle && listening.indexOf(input) != search.input)
                    return false;
                identity = readInquiryReply(bytes);
                return identity.has_value();
            });
        step();
        if (!identity)
            continue;
        ++answers;
        search.identity = identity;
        search.channel = channel;
    }
    midi_.closeOutput(found);
    if (answers != 1)
        search.channel.reset();
    search.outcome = cancel ? PodSearch::Outcome::Cancelled : PodSearch::Outcome::Found;
    return search;
}

std::string describeSearch(const PodSearch& search, const std::string& inputName,
                           const std::string& outputName) {
    std::string text;
    switch (search.outcome) {
    case PodSearch::Outcome::Found:
        text = "Found " + (search.identity ? describeDevice(*search.identity) : std::string("a POD"));
        if (search.channel)
            text += " on channel " + std::to_string(*search.channel + 1);
        else if (search.identity)
            text += " answering on every channel";
        text += ": in " + portLabel(inputName) + ", out " + portLabel(outputName);
        break;
    case PodSearch::Outcome::NoAnswer:
        if (search.outputsAsked == 0)
            text = "No MIDI output to ask for the POD.";
        else
            text = "No POD answered on the " +
                   (search.outputsAsked == 1 ? std::string("one output")
                                             : std::to_string(search.outputsAsked) + " outputs") +
                   " asked. Check that both MIDI cables are connected and the POD is switched on.";
        break;
    case PodSearch::Outcome::Cancelled:
        text = "Search cancelled.";
        break;
    }
    if (!search.busyOutputs.empty()) {
        text += search.outcome == PodSearch::Outcome::Found ? ". " : " ";
        text += "In use by another program, not asked:";
        for (std::size_t n = 0; n < search.busyOutputs.size(); ++n)
            text += (n ? ", " : " ") + portLabel(search.busyOutputs[n]);
        text += '.';
    }
    if (search.outcome == PodSearch::Outcome::NoAnswer && search.simulatorListed)
        text += " The built-in " + std::string(SimulatorMidiService::kDeviceName) +
                " is there to work without a device.";
    return text;
}

} // namespace amplix
