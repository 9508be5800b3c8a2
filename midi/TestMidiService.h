// A MIDI backend for tests: records what is sent and lets the test deliver input.
#pragma once

#include "midi/MidiInputPort.h"
#include "midi/MidiService.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace amplix {

class TestMidiService : public MidiService {
public:
    struct Sent {
        MidiHandle output = kNoHandle;
        bool sysex = false;
        std::uint32_t shortMessage = 0;
        std::vector<std::uint8_t> bytes; // the short message's bytes, or the whole SysEx
    };

    std::vector<std::string> inputs{"Test MIDI In"};
    std::vector<std::string> outputs{"Test MIDI Out"};
    // Forced open results per device index (for example MidiResult::Allocated, MidiResult::NoMemory).
    std::map<unsigned, MidiResult> outputOpenResult;
    std::map<unsigned, MidiResult> inputOpenResult;
    MidiResult addBufferResult = MidiResult::Ok;
    MidiResult sysexSendResult = MidiResult::Ok;
    // Called after every successful SysEx send, e.g. to answer a request.
    std::function<void(const std::vector<std::uint8_t>&)> onSysexSent;
    // The same with the index of the output device it went to, for answers that depend on it.
    std::function<void(unsigned output, const std::vector<std::uint8_t>&)> onSysexSentTo;

    // Every service call in order, such as "openOutput 1" or "resetInput".
    std::vector<std::string> calls;
    std::vector<Sent> sent;

    // Feeds bytes into the open input as if the device had sent them.
    void deliver(const std::vector<std::uint8_t>& bytes);
    // Feeds them only into the inputs open on device index.
    void deliverTo(unsigned index, const std::vector<std::uint8_t>& bytes);
    MidiHandle openInputHandle() const;
    MidiHandle openOutputHandle() const;
    std::vector<std::vector<std::uint8_t>> sentSysex() const;
    std::vector<std::uint32_t> sentShort() const;
    void clearLog();

    // Devices taken out of inputs or outputs are gone for the ports open on them, and back
    // once listed again under the same name; a look tells the listener. Not logged in calls.
    void setDeviceListener(MidiDeviceListener* listener) override { listener_ = listener; }
    void lookAtDevices() override;
    int looks = 0;

    unsigned inputCount() override;
    std::string inputName(unsigned index) override;
    unsigned outputCount() override;
    std::string outputName(unsigned index) override;
    MidiResult openOutput(unsigned index, MidiHandle& output) override;
    MidiResult openInput(unsigned index, MidiInputSink& sink, MidiHandle& input) override;
    MidiResult startInput(MidiHandle input) override;
    MidiResult resetInput(MidiHandle input) override;
    MidiResult closeInput(MidiHandle input) override;
    MidiResult resetOutput(MidiHandle output) override;
    MidiResult closeOutput(MidiHandle output) override;
    MidiResult addBuffer(MidiHandle input, std::shared_ptr<SysexBuffer> buffer) override;
    MidiResult sendShort(MidiHandle output, std::uint32_t message) override;
    MidiResult sendSysex(MidiHandle output, const std::uint8_t* data, std::size_t size) override;

private:
    MidiInputPort* port(MidiHandle input);
    void log(const std::string& call) { calls.push_back(call); }

    std::map<MidiHandle, std::unique_ptr<MidiInputPort>> inputsOpen_;
    std::map<MidiHandle, unsigned> inputIndexes_;
    std::map<MidiHandle, unsigned> outputsOpen_;
    MidiDeviceListener* listener_ = nullptr;
    std::map<MidiHandle, std::string> devices_; // each open port's device, by name
    std::set<MidiHandle> absent_;
};

} // namespace amplix
