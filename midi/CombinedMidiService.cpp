// Index and handle routing between the system MIDI service and the one listed after it.
#include "midi/CombinedMidiService.h"

namespace amplix {

CombinedMidiService::CombinedMidiService(std::unique_ptr<MidiService> primary,
                                         std::unique_ptr<MidiService> last)
    : primary_(std::move(primary)), last_(std::move(last)) {}

namespace {
unsigned inputsOf(MidiService* service) {
    return service ? service->inputCount() : 0;
}
unsigned outputsOf(MidiService* service) {
    return service ? service->outputCount() : 0;
}
} // namespace

void CombinedMidiService::setDeviceListener(MidiDeviceListener* listener) {
    for (MidiService* service : {primary_.get(), last_.get()})
        if (service)
            service->setDeviceListener(listener);
}

void CombinedMidiService::lookAtDevices() {
    for (MidiService* service : {primary_.get(), last_.get()})
        if (service)
            service->lookAtDevices();
}

unsigned CombinedMidiService::inputCount() {
    return inputsOf(primary_.get()) + inputsOf(last_.get());
}
unsigned CombinedMidiService::outputCount() {
    return outputsOf(primary_.get()) + outputsOf(last_.get());
}

// Counts are asked afresh on every call: the system's device list may change between calls.
CombinedMidiService::Route CombinedMidiService::inputRoute(unsigned index) {
    unsigned first = inputsOf(primary_.get());
    if (index < first)
        return {primary_.get(), index};
    if (index - first < inputsOf(last_.get()))
        return {last_.get(), index - first};
    return {};
}

CombinedMidiService::Route CombinedMidiService::outputRoute(unsigned index) {
    unsigned first = outputsOf(primary_.get());
    if (index < first)
        return {primary_.get(), index};
    if (index - first < outputsOf(last_.get()))
        return {last_.get(), index - first};
    return {};
}

std::string CombinedMidiService::inputName(unsigned index) {
    auto route = inputRoute(index);
    return route.service ? route.service->inputName(route.index) : std::string();
}

std::string CombinedMidiService::outputName(unsigned index) {
    auto route = outputRoute(index);
    return route.service ? route.service->outputName(route.index) : std::string();
}

MidiResult CombinedMidiService::openOutput(unsigned index, MidiHandle& output) {
    output = kNoHandle;
    auto route = outputRoute(index);
    if (!route.service)
        return MidiResult::BadDeviceId;
    const MidiResult result = route.service->openOutput(route.index, output);
    if (result == MidiResult::Ok)
        remember(output, route.service);
    return result;
}

MidiResult CombinedMidiService::openInput(unsigned index, MidiInputSink& sink, MidiHandle& input) {
    input = kNoHandle;
    auto route = inputRoute(index);
    if (!route.service)
        return MidiResult::BadDeviceId;
    const MidiResult result = route.service->openInput(route.index, sink, input);
    if (result == MidiResult::Ok)
        remember(input, route.service);
    return result;
}

MidiResult CombinedMidiService::startInput(MidiHandle input) {
    auto* service = owner(input);
    return service ? service->startInput(input) : MidiResult::InvalidHandle;
}

MidiResult CombinedMidiService::resetInput(MidiHandle input) {
    auto* service = owner(input);
    return service ? service->resetInput(input) : MidiResult::InvalidHandle;
}

MidiResult CombinedMidiService::closeInput(MidiHandle input) {
    auto* service = owner(input);
    if (!service)
        return MidiResult::InvalidHandle;
    const MidiResult result = service->closeInput(input);
    forget(input);
    return result;
}

MidiResult CombinedMidiService::resetOutput(MidiHandle output) {
    auto* service = owner(output);
    return service ? service->resetOutput(output) : MidiResult::InvalidHandle;
}

MidiResult CombinedMidiService::closeOutput(MidiHandle output) {
    auto* service = owner(output);
    if (!service)
        return MidiResult::InvalidHandle;
    const MidiResult result = service->closeOutput(output);
    forget(output);
    return result;
}

MidiResult CombinedMidiService::addBuffer(MidiHandle input, std::shared_ptr<SysexBuffer> buffer) {
    auto* service = owner(input);
    return service ? service->addBuffer(input, std::move(buffer)) : MidiResult::InvalidHandle;
}

MidiResult CombinedMidiService::sendShort(MidiHandle output, std::uint32_t message) {
    auto* service = owner(output);
    return service ? service->sendShort(output, message) : MidiResult::InvalidHandle;
}

MidiResult CombinedMidiService::sendSysex(MidiHandle output, const std::uint8_t* data, std::size_t size) {
    auto* service = owner(output);
    return service ? service->sendSysex(output, data, size) : MidiResult::InvalidHandle;
}

MidiService* CombinedMidiService::owner(MidiHandle handle) {
    std::lock_guard lock(mutex_);
    auto it = owners_.find(handle);
    return it == owners_.end() ? nullptr : it->second;
}

void CombinedMidiService::remember(MidiHandle handle, MidiService* service) {
    std::lock_guard lock(mutex_);
    owners_[handle] = service;
}

void CombinedMidiService::forget(MidiHandle handle) {
    std::lock_guard lock(mutex_);
    owners_.erase(handle);
}

} // namespace amplix
