// The test double of the MIDI service.
#include "midi/TestMidiService.h"

#include <algorithm>

namespace amplix {

void TestMidiService::deliver(const std::vector<std::uint8_t>& bytes) {
    for (auto& [handle, port] : inputsOpen_)
        port->receive(bytes.data(), bytes.size());
}

void TestMidiService::deliverTo(unsigned index, const std::vector<std::uint8_t>& bytes) {
    for (auto& [handle, port] : inputsOpen_)
        if (inputIndexes_[handle] == index)
            port->receive(bytes.data(), bytes.size());
}

MidiHandle TestMidiService::openInputHandle() const {
    return inputsOpen_.empty() ? kNoHandle : inputsOpen_.begin()->first;
}

MidiHandle TestMidiService::openOutputHandle() const {
    return outputsOpen_.empty() ? kNoHandle : outputsOpen_.begin()->first;
}

std::vector<std::vector<std::uint8_t>> TestMidiService::sentSysex() const {
    std::vector<std::vector<std::uint8_t>> out;
    for (const auto& s : sent)
        if (s.sysex)
            out.push_back(s.bytes);
    return out;
}

std::vector<std::uint32_t> TestMidiService::sentShort() const {
    std::vector<std::uint32_t> out;
    for (const auto& s : sent)
        if (!s.sysex)
            out.push_back(s.shortMessage);
    return out;
}

void TestMidiService::clearLog() {
    calls.clear();
    sent.clear();
}

unsigned TestMidiService::inputCount() {
    return unsigned(inputs.size());
}
std::string TestMidiService::inputName(unsigned index) {
    return index < inputs.size() ? inputs[index] : std::string();
}
unsigned TestMidiService::outputCount() {
    return unsigned(outputs.size());
}
std::string TestMidiService::outputName(unsigned index) {
    return index < outputs.size() ? outputs[index] : std::string();
}

MidiResult TestMidiService::openOutput(unsigned index, MidiHandle& output) {
    log("openOutput " + std::to_string(index));
    output = kNoHandle;
    if (auto forced = outputOpenResult.find(index);
        forced != outputOpenResult.end() && forced->second != MidiResult::Ok)
        return forced->second;
    if (index >= outputs.size())
        return MidiResult::BadDeviceId;
    output = nextMidiHandle();
    outputsOpen_[output] = index;
    devices_[output] = outputs[index];
    return MidiResult::Ok;
}

MidiResult TestMidiService::openInput(unsigned index, MidiInputSink& sink, MidiHandle& input) {
    log("openInput " + std::to_string(index));
    input = kNoHandle;
    if (auto forced = inputOpenResult.find(index);
        forced != inputOpenResult.end() && forced->second != MidiResult::Ok)
        return forced->second;
    if (index >= inputs.size())
        return MidiResult::BadDeviceId;
    input = nextMidiHandle();
    inputsOpen_[input] = std::make_unique<MidiInputPort>(input, sink);
    inputIndexes_[input] = index;
    devices_[input] = inputs[index];
    return MidiResult::Ok;
}

MidiInputPort* TestMidiService::port(MidiHandle input) {
    auto it = inputsOpen_.find(input);
    return it == inputsOpen_.end() ? nullptr : it->second.get();
}

MidiResult TestMidiService::startInput(MidiHandle input) {
    log("startInput");
    if (auto* p = port(input)) {
        p->start();
        return MidiResult::Ok;
    }
    return MidiResult::InvalidHandle;
}

MidiResult TestMidiService::resetInput(MidiHandle input) {
    log("resetInput");
    if (auto* p = port(input)) {
        p->reset();
        return MidiResult::Ok;
    }
    return MidiResult::InvalidHandle;
}

MidiResult TestMidiService::closeInput(MidiHandle input) {
    log("closeInput");
    auto it = inputsOpen_.find(input);
    if (it == inputsOpen_.end())
        return MidiResult::InvalidHandle;
    it->second->close();
    inputsOpen_.erase(it);
    inputIndexes_.erase(input);
    devices_.erase(input);
    absent_.erase(input);
    return MidiResult::Ok;
}

MidiResult TestMidiService::resetOutput(MidiHandle output) {
    log("resetOutput");
    return outputsOpen_.count(output) ? MidiResult::Ok : MidiResult::InvalidHandle;
}

MidiResult TestMidiService::closeOutput(MidiHandle output) {
    log("closeOutput");
    devices_.erase(output);
    absent_.erase(output);
    return outputsOpen_.erase(output) ? MidiResult::Ok : MidiResult::InvalidHandle;
}

void TestMidiService::lookAtDevices() {
    ++looks;
    for (const auto& [handle, device] : devices_) {
        const auto& listed = inputIndexes_.count(handle) ? inputs : outputs;
        const bool there = std::find(listed.begin(), listed.end(), device) != listed.end();
        if (there == !absent_.count(handle))
            continue;
        if (there)
            absent_.erase(handle);
        else
            absent_.insert(handle);
        if (listener_)
            there ? listener_->deviceBack(handle, device) : listener_->deviceGone(handle, device);
    }
}

MidiResult TestMidiService::addBuffer(MidiHandle input, std::shared_ptr<SysexBuffer> buffer) {
    log("addBuffer");
    if (addBufferResult != MidiResult::Ok)
        return addBufferResult;
    auto* p = port(input);
    return p ? p->addBuffer(std::move(buffer)) : MidiResult::InvalidHandle;
}

MidiResult TestMidiService::sendShort(MidiHandle output, std::uint32_t message) {
    if (!outputsOpen_.count(output))
        return MidiResult::InvalidHandle;
    Sent s;
    s.output = output;
    s.shortMessage = message;
    s.bytes = {shortStatus(message), shortData1(message), shortData2(message)};
    sent.push_back(std::move(s));
    return MidiResult::Ok;
}

MidiResult TestMidiService::sendSysex(MidiHandle output, const std::uint8_t* data, std::size_t size) {
    log("sendSysex " + std::to_string(size));
    if (!outputsOpen_.count(output) || size == 0)
        return MidiResult::InvalidHandle;
    if (sysexSendResult != MidiResult::Ok)
        return sysexSendResult;
    Sent s;
    s.output = output;
    s.sysex = true;
    s.bytes.assign(data, data + size);
    sent.push_back(s);
    const unsigned index = outputsOpen_.at(output);
    if (onSysexSent)
        onSysexSent(s.bytes);
    if (onSysexSentTo)
        onSysexSentTo(index, s.bytes);
    return MidiResult::Ok;
}

} // namespace amplix
