// MIDI input parsing: short messages with running status, SysEx into the armed buffer.
#include "midi/MidiInputPort.h"

namespace amplix {

void MidiInputPort::start() {
    std::lock_guard lock(mutex_);
    if (!closed_)
        started_ = true;
}

void MidiInputPort::reset() {
    std::lock_guard lock(mutex_);
    started_ = false;
    inSysex_ = false;
    sysexToBuffer_ = false;
    runningStatus_ = 0;
    dataCount_ = dataNeeded_ = 0;
    if (buffer_ && !closed_)
        giveBackBuffer(false);
    buffer_.reset();
}

void MidiInputPort::close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    started_ = false;
    buffer_.reset();
}

MidiResult MidiInputPort::addBuffer(std::shared_ptr<SysexBuffer> buffer) {
    std::lock_guard lock(mutex_);
    if (closed_ || !buffer)
        return MidiResult::InvalidHandle;
    if (buffer_)
        return MidiResult::Error; // one buffer serves one request
    buffer->bytesRecorded = 0;
    buffer_ = std::move(buffer);
    return MidiResult::Ok;
}

bool MidiInputPort::hasBuffer() const {
    std::lock_guard lock(mutex_);
    return buffer_ != nullptr;
}

void MidiInputPort::receive(const std::uint8_t* bytes, std::size_t size) {
    std::lock_guard lock(mutex_);
    if (!started_ || closed_)
        return;
    for (std::size_t i = 0; i < size; ++i)
        handleByte(bytes[i]);
}

// The data bytes a status byte takes; F0 and F7 are dealt with before this is asked.
int MidiInputPort::dataBytesFor(std::uint8_t status) {
    const std::size_t length = shortMessageLength(status);
    return length > 0 ? int(length) - 1 : 0;
}

void MidiInputPort::handleByte(std::uint8_t byte) {
    if (byte >= kRealTimeFirst) { // real-time bytes may appear anywhere, even inside a SysEx
        sink_->midiData(handle_, byte);
        return;
    }
    if (byte == kSysexStart) {
        if (inSysex_ && sysexToBuffer_)
            giveBackBuffer(true); // a new SysEx broke off the one in progress
        runningStatus_ = 0;
        dataCount_ = dataNeeded_ = 0;
        beginSysex();
        return;
    }
    if (byte == kSysexEnd) {
        if (inSysex_) {
            inSysex_ = false;
            if (sysexToBuffer_) {
                appendSysex(byte);
                if (buffer_)
                    giveBackBuffer(false);
            }
            sysexToBuffer_ = false;
        }
        return;
    }
    if (byte & kStatusBit) { // any other status byte ends a SysEx in progress as broken
        if (inSysex_) {
            if (sysexToBuffer_ && buffer_)
                giveBackBuffer(true);
            inSysex_ = false;
            sysexToBuffer_ = false;
        }
        dataCount_ = 0;
        dataNeeded_ = dataBytesFor(byte);
        if (dataNeeded_ == 0) {
            runningStatus_ = 0;
            sink_->midiData(handle_, byte);
        } else {
            runningStatus_ = byte;
        }
        return;
    }
    // A data byte.
    if (inSysex_) {
        if (sysexToBuffer_)
            appendSysex(byte);
        return;
    }
    if (runningStatus_ == 0) {
        sink_->midiError(handle_, byte);
        return;
    }
    if (dataNeeded_ == 0)
        dataNeeded_ = dataBytesFor(runningStatus_);
    data_[dataCount_++] = byte;
    if (dataCount_ == dataNeeded_) {
        std::uint8_t status = runningStatus_;
        sink_->midiData(handle_, packShortMessage(status, data_[0], dataCount_ > 1 ? data_[1] : 0));
        dataCount_ = 0;
        if (status >= kSystemMessage) { // no running status for system common messages
            runningStatus_ = 0;
            dataNeeded_ = 0;
        }
    }
}

void MidiInputPort::beginSysex() {
    inSysex_ = true;
    sysexToBuffer_ = buffer_ != nullptr; // a SysEx that starts with no buffer armed is lost whole
    if (sysexToBuffer_)
        appendSysex(kSysexStart);
}

void MidiInputPort::appendSysex(std::uint8_t byte) {
    if (!buffer_)
        return;
    if (buffer_->bytesRecorded < buffer_->data.size())
        buffer_->data[buffer_->bytesRecorded++] = byte;
    // A full buffer goes back at once. The rest of an oversized message is dropped, even into a
    // buffer armed meanwhile: that one waits for a message of its own, from its F0.
    if (buffer_->bytesRecorded == buffer_->data.size()) {
        giveBackBuffer(false);
        sysexToBuffer_ = false;
    }
}

void MidiInputPort::giveBackBuffer(bool asError) {
    auto buffer = std::move(buffer_);
    buffer_.reset();
    if (!buffer)
        return;
    if (asError)
        sink_->midiLongError(handle_, std::move(buffer));
    else
        sink_->midiLongData(handle_, std::move(buffer));
}

} // namespace amplix
