// The MIDI service on RtMidi: the ALSA sequencer, else JACK, chosen once at start-up; on Windows
// the Windows multimedia MIDI devices.
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

// AMPLIX_MIDI_API=alsa, =jack or =winmm forces one system; otherwise ALSA is tried first, then
// Windows MM, then JACK, of those RtMidi was built with. When none can be reached the service
// lists no devices and every open answers MidiResult::BadDeviceId, so the editor still starts.
// A JACK server that appears later is picked up by the next listing once a second has passed
// since the last look found none.
//
// Output goes at the pace of a MIDI cable (31250 baud): a SysEx is handed on no earlier than
// the cable has carried what went before, on ALSA in pieces of 256 bytes (the kernel drops a
// sequencer event that does not fit whole into a hardware port's buffer), on JACK and Windows MM
// whole, and sendSysex returns once its last byte is due at the device.
//
// Open ports follow their devices: a device that goes away (unplugged, its program ended) makes
// sends fail at once, and when it is listed again under its name the port is opened on it anew.
// Every listing, every SysEx send and, now and then, a short send look.
//
// Threads: the user-interface thread lists, opens, closes and sends; a send may come from a
// thread of its own while the user-interface thread only paints. RtMidi's input thread (the
// JACK process thread, or RtMidi's ALSA reader) only feeds the input ports.
class RtMidiService : public MidiService {
public:
    RtMidiService();
    ~RtMidiService() override;
    RtMidiService(const RtMidiService&) = delete;
    RtMidiService& operator=(const RtMidiService&) = delete;

    // "alsa", "jack", "winmm", or "none" when no MIDI system could be chosen.
    std::string apiName() const;

    void setDeviceListener(MidiDeviceListener* listener) override;
    // Costs a listing of both directions while a port is open, nothing otherwise.
    void lookAtDevices() override;
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

    enum class System { None, Alsa, Jack, WinMM };

private:
    struct Listers;
    struct InputEntry;
    struct OutputEntry;
    using Clock = std::chrono::steady_clock;

    static std::unique_ptr<Listers> makeListers(System system);
    // A send asks for a JACK server now; a listing not within kJackProbeInterval of a failed try.
    bool ensureListers(bool askNow = false);
    void followDevices();
    template <typename Entry, typename Prepare>
    void follow(MidiHandle handle, Entry& entry, const std::vector<std::string>& names, const char* portName,
                Prepare prepare);
    void dropClientsOfGoneServer();
    std::vector<std::string> inputNames();
    std::vector<std::string> outputNames();
    std::vector<std::string> listing(bool inputs);
    template <typename Action> MidiResult onInputPort(MidiHandle input, Action action);
    MidiResult sendBytes(OutputEntry& entry, const std::uint8_t* data, std::size_t size);

    mutable std::mutex mutex_;
    // One message on the cable at a time, held for a whole paced send; taken before mutex_.
    std::mutex sendMutex_;
    System system_ = System::None;
    // When no JACK server answered the last time it was asked; listings within
    // kJackProbeInterval after it list nothing without asking again.
    static constexpr std::chrono::milliseconds kJackProbeInterval{1000};
    std::optional<Clock::time_point> lastFailedJackProbe_;
    // The look for a JACK server started with the service, until a listing takes its answer.
    std::future<bool> firstJackProbe_;
    Clock::time_point firstJackProbeStarted_;
    // Short sends look after the devices at most this often; a drag sends dozens a second.
    static constexpr std::chrono::milliseconds kShortSendLookInterval{250};
    Clock::time_point lastLook_{};
    MidiDeviceListener* listener_ = nullptr; // under mutex_
    // One input and one output object kept only for listing devices.
    std::unique_ptr<Listers> listers_;
    std::map<MidiHandle, std::unique_ptr<InputEntry>> inputs_;
    // Shared, so a paced send keeps its entry while the lock is let go between pieces.
    std::map<MidiHandle, std::shared_ptr<OutputEntry>> outputs_;
};

} // namespace amplix
