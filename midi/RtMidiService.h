// The MIDI service on RtMidi: the ALSA sequencer, else JACK, chosen once at start-up.
#pragma once

#include "midi/MidiService.h"

#include <chrono>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace amplix {

// AMPLIX_MIDI_API=alsa or =jack forces one system; otherwise ALSA is tried first and JACK
// second. When neither can be reached the service lists no devices and every open answers
// kMidiBadDeviceId, so the editor still starts. A JACK server that appears later is picked
// up by the next listing once a second has passed since the last look found none. On JACK a
// listing also connects open ports again whose device (or the whole server) went away and is
// back.
//
// Threads: the user-interface thread lists, opens, closes and sends; RtMidi's input thread
// (the JACK process thread, or RtMidi's ALSA reader) only feeds the input ports.
class RtMidiService : public MidiService {
public:
    RtMidiService();
    ~RtMidiService() override;
    RtMidiService(const RtMidiService&) = delete;
    RtMidiService& operator=(const RtMidiService&) = delete;

    // "alsa", "jack", or "none" when no MIDI system could be chosen.
    std::string apiName() const;

    unsigned inputCount() override;
    std::string inputName(unsigned index) override;
    unsigned outputCount() override;
    std::string outputName(unsigned index) override;

    int openOutput(unsigned index, MidiHandle& output) override;
    int openInput(unsigned index, MidiInputSink& sink, MidiHandle& input) override;
    int startInput(MidiHandle input) override;
    int resetInput(MidiHandle input) override;
    int closeInput(MidiHandle input) override;
    int resetOutput(MidiHandle output) override;
    int closeOutput(MidiHandle output) override;
    int addBuffer(MidiHandle input, std::shared_ptr<SysexBuffer> buffer) override;
    int sendShort(MidiHandle output, std::uint32_t message) override;
    int sendSysex(MidiHandle output, const std::uint8_t* data, std::size_t size) override;

private:
    enum class System { None, Alsa, Jack };
    struct Listers;
    struct InputEntry;
    struct OutputEntry;

    bool ensureListers();
    void reconnectLostPorts();
    void dropClientsOfGoneServer();
    std::vector<std::string> inputNames();
    std::vector<std::string> outputNames();
    std::vector<std::string> listing(bool inputs);
    template <typename Action> int onInputPort(MidiHandle input, Action action);
    int sendBytes(MidiHandle output, const std::uint8_t* data, std::size_t size);

    mutable std::mutex mutex_;
    System system_ = System::None;
    // When no JACK server answered the last time it was asked; listings within
    // kJackProbeInterval after it list nothing without asking again.
    static constexpr std::chrono::milliseconds kJackProbeInterval{1000};
    std::optional<std::chrono::steady_clock::time_point> lastFailedJackProbe_;
    // The look for a JACK server started with the service, until a listing takes its answer.
    std::future<bool> firstJackProbe_;
    std::chrono::steady_clock::time_point firstJackProbeStarted_;
    // One input and one output object kept only for listing devices.
    std::unique_ptr<Listers> listers_;
    std::map<MidiHandle, std::unique_ptr<InputEntry>> inputs_;
    std::map<MidiHandle, std::unique_ptr<OutputEntry>> outputs_;
};

} // namespace amplix
