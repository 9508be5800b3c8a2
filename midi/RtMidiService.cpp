// The MIDI service on RtMidi: choosing the system, device lists, opening and closing ports.
#include "midi/RtMidiEntries.h"

#include "midi/MidiTrace.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <new>
#include <system_error>

namespace amplix {

namespace {

constexpr const char* kApiVariable = "AMPLIX_MIDI_API";
constexpr const char* kAlsaName = "alsa";
constexpr const char* kJackName = "jack";
constexpr const char* kWinMMName = "winmm";
constexpr const char* kAlsaSequencerDevice = "/dev/snd/seq";

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

RtMidi::Api rtMidiApi(RtMidiService::System system) {
    switch (system) {
    case RtMidiService::System::Alsa:
        return RtMidi::LINUX_ALSA;
    case RtMidiService::System::WinMM:
        return RtMidi::WINDOWS_MM;
    default:
        return RtMidi::UNIX_JACK;
    }
}

} // namespace

// One input and one output object for listing, and the watch on our connections.
std::unique_ptr<RtMidiService::Listers> RtMidiService::makeListers(System system) {
    const RtMidi::Api api = rtMidiApi(system);
    auto listers = std::make_unique<Listers>();
    listers->api = api;
    listers->input = std::make_unique<RtMidiIn>(api, kClientName);
    listers->input->setErrorCallback(&trapRtMidiError, &listers->trap);
    listers->output = std::make_unique<RtMidiOut>(api, kClientName);
    listers->output->setErrorCallback(&trapRtMidiError, &listers->trap);
    if (api == RtMidi::LINUX_ALSA)
        listers->alsaWatch.open();
    else if (api == RtMidi::UNIX_JACK)
        listers->jackWatch.open();
    return listers;
}

RtMidiService::RtMidiService() {
    const std::string forced = forcedApi();
    // Without the sequencer device alsa-lib and RtMidi would each print a complaint before
    // RtMidi throws; a forced ALSA is tried regardless.
    const bool free = forced != kAlsaName && forced != kJackName && forced != kWinMMName;
    const bool tryAlsa =
        apiCompiled(RtMidi::LINUX_ALSA) && (forced == kAlsaName || (free && alsaSequencerPresent()));
    const auto start = [this](System system) {
        try {
            listers_ = makeListers(system);
            system_ = system;
        } catch (...) {
            // Not reachable here (DRIVER_ERROR): RtMidi does not fall back by itself.
        }
    };
    if (tryAlsa)
        start(System::Alsa);
    if (system_ == System::None && (free || forced == kWinMMName) && apiCompiled(RtMidi::WINDOWS_MM))
        start(System::WinMM);
    if (system_ == System::None && (free || forced == kJackName) && apiCompiled(RtMidi::UNIX_JACK)) {
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
    case System::WinMM:
        return kWinMMName;
    default:
        return "none";
    }
}

bool RtMidiService::ensureListers(bool askNow) {
    dropClientsOfGoneServer();
    if (listers_) {
        followDevices();
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
        if (!askNow && lastFailedJackProbe_ && now - *lastFailedJackProbe_ < kJackProbeInterval)
            return false;
        if (!jackServerRunning()) {
            lastFailedJackProbe_ = now;
            midiTrace("no JACK server answers");
            return false;
        }
    }
    lastFailedJackProbe_.reset();
    try {
        listers_ = makeListers(System::Jack);
    } catch (...) {
        return false;
    }
    followDevices();
    return true;
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

MidiResult RtMidiService::openOutput(unsigned index, MidiHandle& output) {
    output = kNoHandle;
    std::lock_guard lock(mutex_);
    return guardedOpen([&] {
        const auto names = outputNames();
        // RtMidi on JACK takes any port number and reports the port open.
        if (index >= names.size())
            return MidiResult::BadDeviceId;
        auto entry = std::make_shared<OutputEntry>();
        entry->device = names[index];
        entry->midi = std::make_unique<RtMidiOut>(rtMidiApi(system_), kClientName);
        entry->midi->setErrorCallback(&trapRtMidiError, &entry->trap);
        const auto number = rtMidiPortNumber(*entry->midi, names[index]);
        if (!number)
            return MidiResult::BadDeviceId; // gone since it was listed
        entry->trap.clear();
        entry->midi->openPort(*number, kOutputPortName);
        if (entry->trap.failed || !entry->midi->isPortOpen())
            return openFailure(entry->trap);
        output = nextMidiHandle();
        outputs_.emplace(output, std::move(entry));
        return MidiResult::Ok;
    });
}

MidiResult RtMidiService::openInput(unsigned index, MidiInputSink& sink, MidiHandle& input) {
    input = kNoHandle;
    std::lock_guard lock(mutex_);
    return guardedOpen([&] {
        const auto names = inputNames();
        if (index >= names.size())
            return MidiResult::BadDeviceId;
        auto entry = std::make_unique<InputEntry>(nextMidiHandle(), sink);
        entry->device = names[index];
        entry->midi = std::make_unique<RtMidiIn>(rtMidiApi(system_), kClientName);
        entry->midi->setErrorCallback(&trapRtMidiError, &entry->trap);
        const auto number = rtMidiPortNumber(*entry->midi, names[index]);
        if (!number)
            return MidiResult::BadDeviceId;
        prepareInput(*entry->midi, entry->port);
        entry->trap.clear();
        entry->midi->openPort(*number, kInputPortName);
        if (entry->trap.failed || !entry->midi->isPortOpen())
            return openFailure(entry->trap);
        input = entry->port.handle();
        inputs_.emplace(input, std::move(entry));
        return MidiResult::Ok;
    });
}

// What is done to an open input port, under the lock; an unknown handle is refused.
template <typename Action> MidiResult RtMidiService::onInputPort(MidiHandle input, Action action) {
    std::lock_guard lock(mutex_);
    auto it = inputs_.find(input);
    return it == inputs_.end() ? MidiResult::InvalidHandle : action(it->second->port);
}

MidiResult RtMidiService::startInput(MidiHandle input) {
    return onInputPort(input, [](MidiInputPort& port) {
        port.start();
        return MidiResult::Ok;
    });
}

MidiResult RtMidiService::resetInput(MidiHandle input) {
    return onInputPort(input, [](MidiInputPort& port) {
        port.reset();
        return MidiResult::Ok;
    });
}

MidiResult RtMidiService::closeInput(MidiHandle input) {
    std::lock_guard lock(mutex_);
    auto it = inputs_.find(input);
    if (it == inputs_.end())
        return MidiResult::InvalidHandle;
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
    return MidiResult::Ok;
}

// Output is never held back: sendSysex returns once the whole message is on the cable, and
// cutting one off half-way would leave the device inside a broken SysEx. Unlike a sound
// module the device plays no notes, so there is nothing to silence either; no bytes are sent.
MidiResult RtMidiService::resetOutput(MidiHandle output) {
    std::lock_guard lock(mutex_);
    return outputs_.count(output) ? MidiResult::Ok : MidiResult::InvalidHandle;
}

MidiResult RtMidiService::closeOutput(MidiHandle output) {
    std::lock_guard lock(mutex_);
    auto it = outputs_.find(output);
    if (it == outputs_.end())
        return MidiResult::InvalidHandle;
    try {
        it->second->midi.reset(); // on JACK this lets queued bytes go out first
    } catch (...) {
    }
    outputs_.erase(it);
    return MidiResult::Ok;
}

MidiResult RtMidiService::addBuffer(MidiHandle input, std::shared_ptr<SysexBuffer> buffer) {
    return onInputPort(input, [&](MidiInputPort& port) { return port.addBuffer(std::move(buffer)); });
}

} // namespace amplix
