// Two MIDI services shown as one: the system's devices, then one more backend's (the simulator).
#pragma once

#include "midi/MidiService.h"

#include <map>
#include <memory>
#include <mutex>

namespace amplix {

// Device indexes run through the primary service's devices first and the last service's after
// them, so the last service's devices always close both lists. Handles are passed through
// unchanged (every backend numbers them from the one shared counter) and remembered, so each
// call reaches the backend that opened the handle.
class CombinedMidiService : public MidiService {
public:
    // Either may be null: no system MIDI could be opened, or no simulator is wanted.
    CombinedMidiService(std::unique_ptr<MidiService> primary, std::unique_ptr<MidiService> last);

    MidiService* primary() const { return primary_.get(); }
    MidiService* last() const { return last_.get(); }

    void setDeviceListener(MidiDeviceListener* listener) override;
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

private:
    struct Route {
        MidiService* service = nullptr;
        unsigned index = 0;
    };
    Route inputRoute(unsigned index);
    Route outputRoute(unsigned index);
    MidiService* owner(MidiHandle handle);
    void remember(MidiHandle handle, MidiService* service);
    void forget(MidiHandle handle);

    std::unique_ptr<MidiService> primary_;
    std::unique_ptr<MidiService> last_;
    std::mutex mutex_;
    std::map<MidiHandle, MidiService*> owners_;
};

} // namespace amplix
