// The built-in POD simulator as a MIDI service: one input and one output, a PodDevice behind.
#pragma once

#include "app/UiTexts.h"
#include "device/PodDevice.h"
#include "midi/CablePacing.h"
#include "midi/MidiInputPort.h"
#include "midi/MidiService.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace amplix {

// Whatever goes to the output reaches the device at the speed of a MIDI cable: the send returns
// once the device has the whole message. What the device answers comes back on the input at
// the same speed, from a worker thread, in small slices, so a reset in the middle of a dump
// hands back the part that has arrived. With Pacing::Immediate sends reach the device at once
// and answers are delivered whole on the sending thread instead (for tests and scripts).
// Opening, resetting or closing the input drops what is still on the wire, so the tail of a
// dump cut off never trails into the next answer.
class SimulatorMidiService : public MidiService {
public:
    static constexpr const char* kDeviceName = text::kSimulatorName.data(); // NUL-terminated literal
    enum class Pacing { WireSpeed, Immediate };

    static constexpr std::size_t kSliceBytes = 16;

    explicit SimulatorMidiService(Pacing pacing = Pacing::WireSpeed);
    ~SimulatorMidiService() override;
    SimulatorMidiService(const SimulatorMidiService&) = delete;
    SimulatorMidiService& operator=(const SimulatorMidiService&) = delete;

    // Runs fn on the device, never alongside a send; fn must not call back into the service.
    void withDevice(const std::function<void(PodDevice&)>& fn);
    // Something done on the device itself (a knob turned, a patch chosen): fn runs on the device
    // as withDevice runs it, and the message it returns goes out on the input as the device's own.
    void operateDevice(const std::function<PodDevice::Message(PodDevice&)>& fn);
    // Called after each message or operation that changed the device's stored patches or edit
    // buffer, on the thread that made the change, with the device locked: it must only take note.
    void setChangeListener(std::function<void()> listener);
    // Blocks until every answer queued so far has left the wire.
    void waitUntilIdle();
    // Bytes that have left the wire so far, whether an open input took them or not.
    std::size_t bytesDelivered() const;

    unsigned inputCount() override { return 1; }
    std::string inputName(unsigned index) override;
    unsigned outputCount() override { return 1; }
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
    using Clock = std::chrono::steady_clock;

    MidiResult toDevice(MidiHandle output, std::span<const std::uint8_t> message);
    // What the device sends: on the wire back at wire speed (the caller holds deviceMutex_, so
    // messages leave in the device's order), or handed on at once otherwise.
    void queueOnWire(const std::vector<PodDevice::Message>& messages);
    void handOn(const std::vector<PodDevice::Message>& messages);
    std::shared_ptr<MidiInputPort> inputPort(MidiHandle input);
    // Drops what is still on the wire; the caller holds deliveryMutex_.
    void flushWire();
    void runWire();
    // The caller holds deviceMutex_.
    void noteChanges();

    const Pacing pacing_;

    std::mutex deviceMutex_; // one message into the device at a time
    PodDevice device_;
    std::function<void()> changeListener_;
    std::uint64_t revisionSeen_ = 0;

    std::mutex sendMutex_; // one message on the cable to the device at a time
    CableClock sendCable_;

    // Held while a slice is being handed to the input, so a reset or close never overlaps one.
    std::mutex deliveryMutex_;

    mutable std::mutex mutex_; // everything below
    std::condition_variable wireChanged_;
    std::shared_ptr<MidiInputPort> input_;
    MidiHandle output_ = kNoHandle;
    std::deque<std::uint8_t> wire_;
    Clock::time_point wireFreeAt_{};
    std::uint64_t flushCount_ = 0;
    bool sliceInFlight_ = false;
    std::size_t bytesDelivered_ = 0;
    bool stopping_ = false;
    std::thread worker_;
};

} // namespace amplix
