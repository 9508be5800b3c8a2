// The MIDI service on RtMidi: device lists, ports, sending, and input fed to MidiInputPort.
#include "midi/RtMidiService.h"

#include "midi/JackWatch.h"
#include "midi/MidiInputPort.h"
#include "midi/MidiTrace.h"

#include <RtMidi.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <new>
#include <optional>
#include <string_view>
#include <system_error>

namespace amplix {

namespace {

constexpr const char* kInputPortName = "MIDI In";
constexpr const char* kOutputPortName = "MIDI Out";
constexpr const char* kApiVariable = "AMPLIX_MIDI_API";
constexpr const char* kAlsaName = "alsa";
constexpr const char* kJackName = "jack";
constexpr const char* kAlsaSequencerDevice = "/dev/snd/seq";

// RtMidi's ALSA reader decodes into a buffer of this size; the bank dump must fit in one.
constexpr unsigned kInputBufferSize = unsigned(kSysexBufferSize);
constexpr unsigned kInputBufferCount = 4;

// RtMidi's JACK output queues each message with an int length in front in a ring buffer of
// 16384 bytes, one of which always stays free. A longer message is dropped without a word,
// so it is refused here instead.
constexpr std::size_t kJackRingBufferSize = 16384;
constexpr std::size_t kJackLargestMessage = kJackRingBufferSize - 1 - sizeof(int);

// Status bytes that bound the short messages.
constexpr std::uint8_t kFirstStatus = 0x80;
constexpr std::uint8_t kMessageTypeMask = 0xF0;
constexpr std::uint8_t kChannelPressure = 0xD0;
constexpr std::uint8_t kSystemMessage = 0xF0;
constexpr std::uint8_t kTimeCodeQuarterFrame = 0xF1;
constexpr std::uint8_t kSongPosition = 0xF2;
constexpr std::uint8_t kSongSelect = 0xF3;

struct ErrorTrap {
    bool failed = false;
    bool outOfMemory = false;
    void clear() { failed = outOfMemory = false; }
};

// Warnings (an unknown port number, no JACK server) are answered by our own checks; real
// errors become result codes. Either way nothing is printed and nothing is thrown.
void trapRtMidiError(RtMidiError::Type type, const std::string&, void* user) {
    if (type == RtMidiError::WARNING || type == RtMidiError::DEBUG_WARNING)
        return;
    auto* trap = static_cast<ErrorTrap*>(user);
    trap->failed = true;
    trap->outOfMemory = trap->outOfMemory || type == RtMidiError::MEMORY_ERROR;
}

int openFailure(const ErrorTrap& trap) {
    return trap.outOfMemory ? kMidiNoMemory : kMidiAllocated;
}

int openFailure(const RtMidiError& error) {
    return error.getType() == RtMidiError::MEMORY_ERROR ? kMidiNoMemory : kMidiAllocated;
}

// Runs on RtMidi's input thread: hand the bytes on and nothing else.
void deliverInput(double, std::vector<unsigned char>* message, void* user) {
    if (message && !message->empty())
        static_cast<MidiInputPort*>(user)->receive(message->data(), message->size());
}

bool apiCompiled(RtMidi::Api api) {
    std::vector<RtMidi::Api> apis;
    RtMidi::getCompiledApi(apis);
    return std::find(apis.begin(), apis.end(), api) != apis.end();
}

std::string forcedApi() {
    const char* value = std::getenv(kApiVariable);
    std::string name = value ? value : "";
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return name;
}

bool alsaSequencerPresent() {
    std::error_code error;
    return std::filesystem::exists(kAlsaSequencerDevice, error);
}

std::vector<std::string> visiblePorts(RtMidi& midi) {
    std::vector<std::string> names;
    const unsigned count = midi.getPortCount();
    for (unsigned i = 0; i < count; ++i) {
        std::string name = midi.getPortName(i);
        if (!name.empty() && !isOwnPort(name)) // empty: the port vanished while listing
            names.push_back(std::move(name));
    }
    return names;
}

// The device number the user chose counts in the filtered list; RtMidi counts every port.
std::optional<unsigned> rtMidiPortNumber(RtMidi& midi, const std::string& name) {
    const unsigned count = midi.getPortCount();
    for (unsigned i = 0; i < count; ++i)
        if (midi.getPortName(i) == name)
            return i;
    return std::nullopt;
}

RtMidi::Api rtMidiApi(bool alsa) {
    return alsa ? RtMidi::LINUX_ALSA : RtMidi::UNIX_JACK;
}

std::size_t shortMessageLength(std::uint8_t status) {
    if (status < kFirstStatus || status == kSysexStart || status == kSysexEnd)
        return 0;
    switch (status & kMessageTypeMask) {
    case kProgramChange:
    case kChannelPressure:
        return 2;
    case kSystemMessage:
        if (status == kTimeCodeQuarterFrame || status == kSongSelect)
            return 2;
        return status == kSongPosition ? 3 : 1;
    default:
        return 3;
    }
}

} // namespace

struct RtMidiService::Listers {
    ErrorTrap trap;
    std::unique_ptr<RtMidiIn> input;
    std::unique_ptr<RtMidiOut> output;
    JackWatch watch; // JACK only
};

struct RtMidiService::InputEntry {
    InputEntry(MidiHandle handle, MidiInputSink& sink) : port(handle, sink) {}
    MidiInputPort port;
    ErrorTrap trap;
    std::string device; // the listed name it was opened by
    // Declared last, so it is destroyed first: its thread has stopped before the port goes.
    std::unique_ptr<RtMidiIn> midi;
};

struct RtMidiService::OutputEntry {
    ErrorTrap trap;
    std::string device;
    std::unique_ptr<RtMidiOut> midi;
};

namespace {

// What every input needs before its port opens: the ALSA reader sizes its buffer then, and
// JACK may deliver in the very next period.
void prepareInput(RtMidiIn& midi, MidiInputPort& port) {
    midi.ignoreTypes(false, true, true);
    midi.setBufferSize(kInputBufferSize, kInputBufferCount);
    midi.setCallback(&deliverInput, &port);
}

// Opens a new RtMidi object of an open entry on the device it was opened by; null when the
// device is not there or refuses.
template <typename Midi, typename Prepare>
std::unique_ptr<Midi> reopenOn(const std::string& device, ErrorTrap& trap, const char* portName,
                               Prepare prepare) {
    try {
        auto midi = std::make_unique<Midi>(RtMidi::UNIX_JACK, kClientName);
        midi->setErrorCallback(&trapRtMidiError, &trap);
        const auto number = rtMidiPortNumber(*midi, device);
        if (!number)
            return nullptr;
        prepare(*midi);
        trap.clear();
        midi->openPort(*number, portName);
        if (trap.failed || !midi->isPortOpen())
            return nullptr;
        return midi;
    } catch (...) {
        return nullptr;
    }
}

} // namespace

RtMidiService::RtMidiService() {
    const std::string forced = forcedApi();
    // Without the sequencer device alsa-lib and RtMidi would each print a complaint before
    // RtMidi throws; a forced ALSA is tried regardless.
    const bool tryAlsa = forced != kJackName && apiCompiled(RtMidi::LINUX_ALSA) &&
                         (forced == kAlsaName || alsaSequencerPresent());
    if (tryAlsa) {
        try {
            auto listers = std::make_unique<Listers>();
            listers->input = std::make_unique<RtMidiIn>(RtMidi::LINUX_ALSA, kClientName);
            listers->input->setErrorCallback(&trapRtMidiError, &listers->trap);
            listers->output = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, kClientName);
            listers->output->setErrorCallback(&trapRtMidiError, &listers->trap);
            listers_ = std::move(listers);
            system_ = System::Alsa;
        } catch (...) {
            // No sequencer here (DRIVER_ERROR): RtMidi does not fall back by itself.
        }
    }
    if (system_ == System::None && forced != kAlsaName && apiCompiled(RtMidi::UNIX_JACK)) {
        quietJack();
        system_ = System::Jack; // the listers follow once a server answers
        // The first look for a server starts now, on a thread of its own: when none runs,
        // libjack sleeps several milliseconds before it gives up, time in which the editor
        // builds its window. The first listing takes the answer.
        try {
            firstJackProbeStarted_ = std::chrono::steady_clock::now();
            firstJackProbe_ = std::async(std::launch::async, jackServerRunning);
        } catch (...) {
            // No thread to be had: the first listing asks itself.
        }
    }
}

RtMidiService::~RtMidiService() {
    std::lock_guard lock(mutex_);
    for (auto& [handle, entry] : inputs_)
        entry->port.close();
    inputs_.clear();
    outputs_.clear();
    listers_.reset();
}

std::string RtMidiService::apiName() const {
    std::lock_guard lock(mutex_);
    switch (system_) {
    case System::Alsa:
        return kAlsaName;
    case System::Jack:
        return kJackName;
    default:
        return "none";
    }
}

bool RtMidiService::ensureListers() {
    dropClientsOfGoneServer();
    if (listers_) {
        reconnectLostPorts();
        return true;
    }
    if (system_ != System::Jack)
        return false;
    // Asking libjack costs several milliseconds of its own sleeping when no server answers,
    // and one listing asks for every count and name in turn: a server that was not there a
    // moment ago is not asked for again until kJackProbeInterval has passed.
    const auto now = std::chrono::steady_clock::now();
    bool running = false;
    if (firstJackProbe_.valid()) {
        // The look started with the service counts as a failed try at the time it started;
        // when that is longer ago than the interval, the server is asked again below.
        running = firstJackProbe_.get();
        if (!running) {
            lastFailedJackProbe_ = firstJackProbeStarted_;
            midiTrace("no JACK server answered at start-up");
        }
    }
    if (!running) {
        if (lastFailedJackProbe_ && now - *lastFailedJackProbe_ < kJackProbeInterval)
            return false;
        if (!jackServerRunning()) {
            lastFailedJackProbe_ = now;
            midiTrace("no JACK server answers");
            return false;
        }
    }
    lastFailedJackProbe_.reset();
    try {
        auto listers = std::make_unique<Listers>();
        listers->input = std::make_unique<RtMidiIn>(RtMidi::UNIX_JACK, kClientName);
        listers->input->setErrorCallback(&trapRtMidiError, &listers->trap);
        listers->output = std::make_unique<RtMidiOut>(RtMidi::UNIX_JACK, kClientName);
        listers->output->setErrorCallback(&trapRtMidiError, &listers->trap);
        listers->watch.open();
        listers_ = std::move(listers);
    } catch (...) {
        return false;
    }
    reconnectLostPorts();
    return true;
}

// Clients of a server that went away never work again, not even with a new server of the same
// name, and all of them are closed before a new one opens: libjack keeps one table of clients
// per process, and a dead client closed after a new one took its place in the table leaves a
// dangling entry that crashes the next close. The open ports stay open, without a client, and
// refuse to send until a listing finds their device again.
void RtMidiService::dropClientsOfGoneServer() {
    if (!listers_ || !listers_->watch.serverGone())
        return;
    for (auto& [handle, entry] : inputs_)
        entry->midi.reset();
    for (auto& [handle, entry] : outputs_)
        entry->midi.reset();
    listers_.reset();
}

// JACK drops a connection for good when either end goes, and a server that stopped takes every
// client with it. A port the editor holds open is therefore connected again, on a new client,
// once its device is listed again: the next device listing (the MIDI setup dialog's) mends the
// link without the editor closing anything.
void RtMidiService::reconnectLostPorts() {
    const JackWatch& watch = listers_->watch;
    for (auto& [handle, entry] : outputs_)
        if (watch.lostConnection(entry->device, kOutputPortName))
            if (auto midi =
                    reopenOn<RtMidiOut>(entry->device, entry->trap, kOutputPortName, [](RtMidiOut&) {}))
                std::swap(entry->midi, midi); // the old object goes here, its client with it
    for (auto& [handle, entry] : inputs_)
        if (watch.lostConnection(entry->device, kInputPortName))
            if (auto midi =
                    reopenOn<RtMidiIn>(entry->device, entry->trap, kInputPortName,
                                       [&port = entry->port](RtMidiIn& in) { prepareInput(in, port); }))
                std::swap(entry->midi, midi);
}

std::vector<std::string> RtMidiService::inputNames() {
    if (!ensureListers())
        return {};
    return visiblePorts(*listers_->input);
}

std::vector<std::string> RtMidiService::outputNames() {
    if (!ensureListers())
        return {};
    return visiblePorts(*listers_->output);
}

// A listing under the lock; one that throws lists nothing.
std::vector<std::string> RtMidiService::listing(bool inputs) {
    std::lock_guard lock(mutex_);
    try {
        return inputs ? inputNames() : outputNames();
    } catch (...) {
        return {};
    }
}

unsigned RtMidiService::inputCount() {
    return unsigned(listing(true).size());
}

std::string RtMidiService::inputName(unsigned index) {
    const auto names = listing(true);
    return index < names.size() ? names[index] : std::string();
}

unsigned RtMidiService::outputCount() {
    return unsigned(listing(false).size());
}

std::string RtMidiService::outputName(unsigned index) {
    const auto names = listing(false);
    return index < names.size() ? names[index] : std::string();
}

int RtMidiService::openOutput(unsigned index, MidiHandle& output) {
    output = kNoHandle;
    std::lock_guard lock(mutex_);
    try {
        const auto names = outputNames();
        // RtMidi on JACK takes any port number and reports the port open.
        if (index >= names.size())
            return kMidiBadDeviceId;
        auto entry = std::make_unique<OutputEntry>();
        entry->device = names[index];
        entry->midi = std::make_unique<RtMidiOut>(rtMidiApi(system_ == System::Alsa), kClientName);
        entry->midi->setErrorCallback(&trapRtMidiError, &entry->trap);
        const auto number = rtMidiPortNumber(*entry->midi, names[index]);
        if (!number)
            return kMidiBadDeviceId; // gone since it was listed
        entry->trap.clear();
        entry->midi->openPort(*number, kOutputPortName);
        if (entry->trap.failed || !entry->midi->isPortOpen())
            return openFailure(entry->trap);
        output = nextMidiHandle();
        outputs_.emplace(output, std::move(entry));
        return kMidiOk;
    } catch (const std::bad_alloc&) {
        return kMidiNoMemory;
    } catch (const RtMidiError& error) {
        return openFailure(error);
    } catch (...) {
        return kMidiAllocated;
    }
}

int RtMidiService::openInput(unsigned index, MidiInputSink& sink, MidiHandle& input) {
    input = kNoHandle;
    std::lock_guard lock(mutex_);
    try {
        const auto names = inputNames();
        if (index >= names.size())
            return kMidiBadDeviceId;
        auto entry = std::make_unique<InputEntry>(nextMidiHandle(), sink);
        entry->device = names[index];
        entry->midi = std::make_unique<RtMidiIn>(rtMidiApi(system_ == System::Alsa), kClientName);
        entry->midi->setErrorCallback(&trapRtMidiError, &entry->trap);
        const auto number = rtMidiPortNumber(*entry->midi, names[index]);
        if (!number)
            return kMidiBadDeviceId;
        prepareInput(*entry->midi, entry->port);
        entry->trap.clear();
        entry->midi->openPort(*number, kInputPortName);
        if (entry->trap.failed || !entry->midi->isPortOpen())
            return openFailure(entry->trap);
        input = entry->port.handle();
        inputs_.emplace(input, std::move(entry));
        return kMidiOk;
    } catch (const std::bad_alloc&) {
        return kMidiNoMemory;
    } catch (const RtMidiError& error) {
        return openFailure(error);
    } catch (...) {
        return kMidiAllocated;
    }
}

// What is done to an open input port, under the lock; an unknown handle is refused.
template <typename Action> int RtMidiService::onInputPort(MidiHandle input, Action action) {
    std::lock_guard lock(mutex_);
    auto it = inputs_.find(input);
    return it == inputs_.end() ? kMidiInvalidHandle : action(it->second->port);
}

int RtMidiService::startInput(MidiHandle input) {
    return onInputPort(input, [](MidiInputPort& port) {
        port.start();
        return kMidiOk;
    });
}

int RtMidiService::resetInput(MidiHandle input) {
    return onInputPort(input, [](MidiInputPort& port) {
        port.reset();
        return kMidiOk;
    });
}

int RtMidiService::closeInput(MidiHandle input) {
    std::lock_guard lock(mutex_);
    auto it = inputs_.find(input);
    if (it == inputs_.end())
        return kMidiInvalidHandle;
    // The port refuses bytes from here on, so the sink hears nothing more. RtMidi's
    // cancelCallback is not used: it clears the callback pointer while the JACK thread may be
    // about to call it. Destroying the RtMidiIn closes the JACK client (or joins the ALSA
    // reader), which waits out a callback in progress; only then does the port go.
    it->second->port.close();
    try {
        it->second->midi.reset();
    } catch (...) {
    }
    inputs_.erase(it);
    return kMidiOk;
}

// Output is never held back: sendSysex returns once RtMidi has taken the whole message,
// and cutting one off half-way would leave the device inside a broken SysEx. Unlike a sound
// module the device plays no notes, so there is nothing to silence either; no bytes are sent.
int RtMidiService::resetOutput(MidiHandle output) {
    std::lock_guard lock(mutex_);
    return outputs_.count(output) ? kMidiOk : kMidiInvalidHandle;
}

int RtMidiService::closeOutput(MidiHandle output) {
    std::lock_guard lock(mutex_);
    auto it = outputs_.find(output);
    if (it == outputs_.end())
        return kMidiInvalidHandle;
    try {
        it->second->midi.reset(); // on JACK this lets queued bytes go out first
    } catch (...) {
    }
    outputs_.erase(it);
    return kMidiOk;
}

int RtMidiService::addBuffer(MidiHandle input, std::shared_ptr<SysexBuffer> buffer) {
    return onInputPort(input, [&](MidiInputPort& port) { return port.addBuffer(std::move(buffer)); });
}

int RtMidiService::sendShort(MidiHandle output, std::uint32_t message) {
    const std::uint8_t bytes[] = {shortStatus(message), shortData1(message), shortData2(message)};
    const std::size_t length = shortMessageLength(bytes[0]);
    std::lock_guard lock(mutex_);
    if (length == 0)
        return outputs_.count(output) ? kMidiError : kMidiInvalidHandle;
    return sendBytes(output, bytes, length);
}

int RtMidiService::sendSysex(MidiHandle output, const std::uint8_t* data, std::size_t size) {
    std::lock_guard lock(mutex_);
    if (!outputs_.count(output))
        return kMidiInvalidHandle;
    if (!data || size == 0) // RtMidi throws std::out_of_range on an empty message
        return kMidiError;
    if (system_ == System::Jack && size > kJackLargestMessage)
        return kMidiError;
    return sendBytes(output, data, size);
}

int RtMidiService::sendBytes(MidiHandle output, const std::uint8_t* data, std::size_t size) {
    auto it = outputs_.find(output);
    if (it == outputs_.end())
        return kMidiInvalidHandle;
    dropClientsOfGoneServer();
    OutputEntry& entry = *it->second;
    if (!entry.midi)
        return kMidiError; // its server went away
    try {
        entry.trap.clear();
        // On JACK this waits while RtMidi's queue is full and returns once the message is
        // queued whole; the next process period puts it on the wire.
        entry.midi->sendMessage(data, size);
        return entry.trap.failed ? kMidiError : kMidiOk;
    } catch (const std::bad_alloc&) {
        return kMidiNoMemory;
    } catch (...) {
        return kMidiError;
    }
}

} // namespace amplix
