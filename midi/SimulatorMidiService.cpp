// The built-in simulator backend: feeds the device model and plays its answers back at wire speed.
#include "midi/SimulatorMidiService.h"

#include <algorithm>
#include <new>
#include <vector>

namespace amplix {
namespace {

constexpr unsigned kOnlyDevice = 0;

} // namespace

SimulatorMidiService::SimulatorMidiService(Pacing pacing) : pacing_(pacing) {
    if (pacing_ == Pacing::WireSpeed)
        worker_ = std::thread([this] { runWire(); });
}

SimulatorMidiService::~SimulatorMidiService() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wireChanged_.notify_all();
    if (worker_.joinable())
        worker_.join();
}

void SimulatorMidiService::withDevice(const std::function<void(PodDevice&)>& fn) {
    std::lock_guard lock(deviceMutex_);
    fn(device_);
    noteChanges();
}

void SimulatorMidiService::setChangeListener(std::function<void()> listener) {
    std::lock_guard lock(deviceMutex_);
    changeListener_ = std::move(listener);
    revisionSeen_ = device_.revision();
}

void SimulatorMidiService::noteChanges() {
    if (device_.revision() == revisionSeen_)
        return;
    revisionSeen_ = device_.revision();
    if (changeListener_)
        changeListener_();
}

void SimulatorMidiService::waitUntilIdle() {
    std::unique_lock lock(mutex_);
    wireChanged_.wait(lock, [this] { return stopping_ || (wire_.empty() && !sliceInFlight_); });
}

std::size_t SimulatorMidiService::bytesDelivered() const {
    std::lock_guard lock(mutex_);
    return bytesDelivered_;
}

std::string SimulatorMidiService::inputName(unsigned index) {
    return index == kOnlyDevice ? kDeviceName : std::string();
}

std::string SimulatorMidiService::outputName(unsigned index) {
    return index == kOnlyDevice ? kDeviceName : std::string();
}

MidiResult SimulatorMidiService::openOutput(unsigned index, MidiHandle& output) {
    output = kNoHandle;
    if (index != kOnlyDevice)
        return MidiResult::BadDeviceId;
    std::lock_guard lock(mutex_);
    if (output_ != kNoHandle)
        return MidiResult::Allocated;
    output_ = output = nextMidiHandle();
    return MidiResult::Ok;
}

MidiResult SimulatorMidiService::openInput(unsigned index, MidiInputSink& sink, MidiHandle& input) {
    input = kNoHandle;
    if (index != kOnlyDevice)
        return MidiResult::BadDeviceId;
    std::lock_guard delivery(deliveryMutex_);
    std::lock_guard lock(mutex_);
    if (input_)
        return MidiResult::Allocated;
    try {
        auto handle = nextMidiHandle();
        input_ = std::make_shared<MidiInputPort>(handle, sink);
        input = handle;
    } catch (const std::bad_alloc&) {
        return MidiResult::NoMemory;
    }
    // An answer already under way would reach the new input as a stray tail.
    flushWire();
    return MidiResult::Ok;
}

std::shared_ptr<MidiInputPort> SimulatorMidiService::inputPort(MidiHandle input) {
    std::lock_guard lock(mutex_);
    if (!input_ || input == kNoHandle || input_->handle() != input)
        return nullptr;
    return input_;
}

MidiResult SimulatorMidiService::startInput(MidiHandle input) {
    auto port = inputPort(input);
    if (!port)
        return MidiResult::InvalidHandle;
    port->start();
    return MidiResult::Ok;
}

MidiResult SimulatorMidiService::resetInput(MidiHandle input) {
    std::lock_guard delivery(deliveryMutex_);
    auto port = inputPort(input);
    if (!port)
        return MidiResult::InvalidHandle;
    {
        // The rest of a dump cut off by the reset is not wanted once the input starts again.
        std::lock_guard lock(mutex_);
        flushWire();
    }
    port->reset();
    return MidiResult::Ok;
}

MidiResult SimulatorMidiService::closeInput(MidiHandle input) {
    std::lock_guard delivery(deliveryMutex_);
    std::shared_ptr<MidiInputPort> port;
    {
        std::lock_guard lock(mutex_);
        if (!input_ || input == kNoHandle || input_->handle() != input)
            return MidiResult::InvalidHandle;
        port = std::move(input_);
        input_.reset();
        flushWire();
    }
    // With deliveryMutex_ held no slice is being handed over, and the port itself refuses
    // anything after close, so the sink is never called again.
    port->close();
    return MidiResult::Ok;
}

MidiResult SimulatorMidiService::resetOutput(MidiHandle output) {
    std::lock_guard lock(mutex_);
    // Sending is synchronous: nothing waits to be dropped.
    return output != kNoHandle && output == output_ ? MidiResult::Ok : MidiResult::InvalidHandle;
}

MidiResult SimulatorMidiService::closeOutput(MidiHandle output) {
    std::lock_guard lock(mutex_);
    if (output == kNoHandle || output != output_)
        return MidiResult::InvalidHandle;
    output_ = kNoHandle;
    return MidiResult::Ok;
}

MidiResult SimulatorMidiService::addBuffer(MidiHandle input, std::shared_ptr<SysexBuffer> buffer) {
    auto port = inputPort(input);
    if (!port)
        return MidiResult::InvalidHandle;
    return port->addBuffer(std::move(buffer));
}

MidiResult SimulatorMidiService::sendShort(MidiHandle output, std::uint32_t message) {
    std::uint8_t bytes[] = {shortStatus(message), shortData1(message), shortData2(message)};
    const std::size_t length = shortMessageLength(bytes[0]);
    if (length == 0)
        return MidiResult::Error;
    return toDevice(output, std::span(bytes, length));
}

MidiResult SimulatorMidiService::sendSysex(MidiHandle output, const std::uint8_t* data, std::size_t size) {
    if (data == nullptr || size == 0)
        return MidiResult::Error;
    return toDevice(output, std::span(data, size));
}

MidiResult SimulatorMidiService::toDevice(MidiHandle output, std::span<const std::uint8_t> message) {
    {
        std::lock_guard lock(mutex_);
        if (output == kNoHandle || output != output_)
            return MidiResult::InvalidHandle;
    }
    // The cable to the device runs at the same speed as the one back: at wire speed a message
    // reaches the device when its last byte would have, and the send returns then, as that of
    // a driver that hands a message on whole does. Messages from several threads go one after
    // the other, in the order they got the cable.
    std::unique_lock sending(sendMutex_, std::defer_lock);
    if (pacing_ == Pacing::WireSpeed) {
        sending.lock();
        std::this_thread::sleep_until(sendCable_.carry(message.size(), Clock::now()));
    }
    std::vector<PodDevice::Message> replies;
    try {
        std::unique_lock device(deviceMutex_);
        replies = device_.receive(message);
        noteChanges();
        if (pacing_ == Pacing::WireSpeed) {
            // Queued under the device lock, so answers leave in the order the device gave them.
            queueOnWire(replies);
            return MidiResult::Ok;
        }
    } catch (const std::bad_alloc&) {
        return MidiResult::NoMemory;
    }
    handOn(replies);
    return MidiResult::Ok;
}

void SimulatorMidiService::operateDevice(const std::function<PodDevice::Message(PodDevice&)>& fn) {
    std::vector<PodDevice::Message> sent;
    {
        std::unique_lock device(deviceMutex_);
        sent.push_back(fn(device_));
        noteChanges();
        if (sent.front().empty())
            return;
        if (pacing_ == Pacing::WireSpeed) {
            queueOnWire(sent);
            return;
        }
    }
    handOn(sent);
}

void SimulatorMidiService::queueOnWire(const std::vector<PodDevice::Message>& messages) {
    std::lock_guard lock(mutex_);
    // An idle wire starts now; a busy one sends on right after what it is sending.
    if (!messages.empty() && wire_.empty() && !sliceInFlight_)
        wireFreeAt_ = std::max(wireFreeAt_, Clock::now());
    for (const auto& message : messages)
        wire_.insert(wire_.end(), message.begin(), message.end());
    wireChanged_.notify_all();
}

void SimulatorMidiService::handOn(const std::vector<PodDevice::Message>& messages) {
    std::shared_ptr<MidiInputPort> port;
    {
        std::lock_guard lock(mutex_);
        port = input_;
        for (const auto& message : messages)
            bytesDelivered_ += message.size();
    }
    if (port)
        for (const auto& message : messages)
            port->receive(message.data(), message.size());
}

void SimulatorMidiService::flushWire() {
    wire_.clear();
    ++flushCount_;
    wireChanged_.notify_all();
}

void SimulatorMidiService::runWire() {
    std::vector<std::uint8_t> slice;
    slice.reserve(kSliceBytes);
    std::unique_lock lock(mutex_);
    for (;;) {
        wireChanged_.wait(lock, [this] { return stopping_ || !wire_.empty(); });
        if (stopping_)
            return;

        // A slice is handed over when its last byte would have arrived. The schedule follows
        // the wire's own clock, so waking late for one slice never delays the ones after it.
        std::size_t count = std::min(kSliceBytes, wire_.size());
        auto due = wireFreeAt_ + cableTime(count);
        auto flushes = flushCount_;
        if (wireChanged_.wait_until(lock, due, [&] { return stopping_ || flushCount_ != flushes; }))
            continue;

        lock.unlock();
        std::lock_guard delivery(deliveryMutex_);
        lock.lock();
        if (stopping_)
            return;
        if (flushCount_ != flushes || wire_.size() < count)
            continue;

        slice.assign(wire_.begin(), wire_.begin() + std::ptrdiff_t(count));
        wire_.erase(wire_.begin(), wire_.begin() + std::ptrdiff_t(count));
        wireFreeAt_ = due;
        bytesDelivered_ += count;
        sliceInFlight_ = true;
        auto port = input_;
        lock.unlock();
        if (port)
            port->receive(slice.data(), slice.size());
        lock.lock();
        sliceInFlight_ = false;
        if (wire_.empty())
            wireChanged_.notify_all();
    }
}

} // namespace amplix
