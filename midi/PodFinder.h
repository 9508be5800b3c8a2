// Finding the device among the MIDI ports: which input and output reach it, and its channel.
#pragma once

#include "midi/DeviceInquiry.h"
#include "midi/MidiService.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace amplix {

// Two channels answering the device inquiry means the device takes every channel: omni mode.
inline constexpr int kAnswersOfOmni = 2;

struct PodSearch {
    enum class Outcome { Found, NoAnswer, Cancelled };
    Outcome outcome = Outcome::NoAnswer;
    unsigned input = 0; // device indexes of the pair that reached the device
    unsigned output = 0;
    // The one channel that answered the device inquiry; none when several did (omni mode) or
    // none did (a device that does not know the inquiry).
    std::optional<int> channel;
    std::optional<DeviceIdentity> identity;
    std::vector<std::string> busyOutputs; // outputs that could not be opened, by name
    int outputsAsked = 0;                 // outputs the edit-buffer request went to
    bool simulatorListed = false;         // the built-in simulator is there to fall back on
};

// Asks each output in turn for the edit buffer while listening on every input at once; the first
// input that brings a single-patch dump within answerTime marks the pair. Then the device inquiry
// goes to that output for channels 0 to 15 in turn. Nothing else is sent anywhere. The built-in
// simulator is neither asked nor heard: it always answers, so it would hide a device that is
// missing. Runs to its end in the calling thread; the service's own threads may
// deliver meanwhile.
class PodFinder {
public:
    struct Timing {
        std::chrono::milliseconds answerTime{300};
        std::chrono::milliseconds inquiryTime{100};
    };
    // Steps done of the steps there are: one for each output asked, then one for each channel.
    using Progress = std::function<void(int done, int total)>;

    explicit PodFinder(MidiService& midi) : PodFinder(midi, Timing{}) {}
    PodFinder(MidiService& midi, Timing timing) : midi_(midi), timing_(timing) {}

    PodSearch run(const Progress& progress, const std::atomic<bool>& cancel);

private:
    MidiService& midi_;
    Timing timing_;
};

// What the search found, for the user: "Found a POD (software 1.00) on channel 3: in ..., out
// ..." or how many outputs were asked without an answer. Busy outputs are named either way.
std::string describeSearch(const PodSearch& search, const std::string& inputName,
                           const std::string& outputName);

} // namespace amplix
