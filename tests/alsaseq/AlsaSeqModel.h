// Control of the ALSA sequencer model: the USB MIDI interface, its cable and the POD behind it.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace amplix {
class PodDevice;
}

#define AMPLIX_ALSASEQ_API __attribute__((visibility("default")))

namespace amplix::alsaseq {

// What the model lists, as a machine with one USB MIDI interface and no other MIDI hardware
// lists it.
inline constexpr int kSystemClient = 0;
inline constexpr int kThroughClient = 14;
inline constexpr int kInterfaceClient = 20;
inline constexpr int kFirstApplicationClient = 128;
inline constexpr const char* kThroughClientName = "Midi Through";
inline constexpr const char* kThroughPortName = "Midi Through Port-0";
inline constexpr const char* kInterfaceClientName = "USB MIDI Interface";
inline constexpr const char* kInterfacePortName = "USB MIDI Interface MIDI 1";

// The interface's rawmidi output buffer, as the kernel sizes it by default.
inline constexpr std::size_t kDefaultOutputBufferSize = 4096;

struct Stats {
    std::size_t eventsToPort = 0;       // sequencer events that reached the interface's port
    std::size_t largestEventToPort = 0; // in MIDI bytes
    std::size_t overruns = 0;           // events dropped whole: the output buffer had no room
    std::size_t largestBufferFill = 0;  // the output buffer's highest fill, in bytes
    std::size_t bytesToDevice = 0;      // bytes that crossed the cable to the device
    std::size_t bytesFromDevice = 0;    // bytes that crossed the cable back
    std::size_t eventsFromPort = 0;     // events the port made of them for its subscribers
    std::size_t largestEventFromPort = 0;
};

// The interface vanishes: client 20 is no longer listed, its subscriptions end and whatever is
// still in its buffers or on the cables is lost. The device keeps its memory.
AMPLIX_ALSASEQ_API void unplug();
// It comes back under the same number and names, with no subscriptions.
AMPLIX_ALSASEQ_API void plugIn();
AMPLIX_ALSASEQ_API bool pluggedIn();

AMPLIX_ALSASEQ_API Stats stats();
// Runs action on the device under the model's lock; action must not call back into the model.
AMPLIX_ALSASEQ_API void withDevice(const std::function<void(PodDevice&)>& action);
// Every complete message the device received, in order, since the start or clearLog().
// The user at the device: runs action on it under the model's lock and sends what it returns
// (a control change, a program change) down the cable back to the computer; returns that too.
AMPLIX_ALSASEQ_API std::vector<std::uint8_t>
atDevice(const std::function<std::vector<std::uint8_t>(PodDevice&)>& action);
AMPLIX_ALSASEQ_API std::vector<std::vector<std::uint8_t>> deviceMessages();
AMPLIX_ALSASEQ_API void clearLog();
AMPLIX_ALSASEQ_API void setOutputBufferSize(std::size_t bytes);
// 0 (the default): a SysEx event goes into the output buffer whole or not at all. n: in pieces
// of n bytes, each needing room of its own, the rest of the event lost at the first that has none.
AMPLIX_ALSASEQ_API void setSysexWriteChunk(std::size_t bytes);
// Until both cables are empty; false when that takes longer than limit.
AMPLIX_ALSASEQ_API bool waitIdle(std::chrono::milliseconds limit = std::chrono::seconds(10));
// Back to the start: plugged in with no subscriptions to the interface, nothing in flight, a
// device with its factory patches, counters and log cleared, the default output buffer.
// Application clients stay as they are. AMPLIX_ALSASEQ_LOG is read again: the file it names
// gets a line for every message the device receives ("device recv F0 00 ... F7") and every
// overrun ("overrun 5121").
AMPLIX_ALSASEQ_API void reset();

// The model driven from another process (a test beside a browser with the model preloaded): a
// thread answers one command line with one reply line on the unix socket at path. The first
// process to open the sequencer starts it when AMPLIX_ALSASEQ_CONTROL names a path. False when
// the path is unusable or another process answers there already; a dead socket file is replaced.
//   unplug | plugin | plugged          ok | ok | ok 1 or ok 0
//   stats                              ok eventsToPort=N largestEventToPort=N overruns=N ...
//   bank | edit | program              ok <hex of the bank dump> | <hex of the edit buffer dump> | <n>
//   log | clearlog                     ok <hex> <hex> ..., each message the device received | ok
//   knob <controller> <value>          ok <hex of the control change the device sends>
//   choose <program 0..36>             ok <hex of the program change the device sends>
//   idle <ms>                          ok once both cables are quiet, error busy after ms
//   reset                              ok
// Anything else, or a bad argument: "error <reason>"; the connection stays open.
AMPLIX_ALSASEQ_API bool serveControl(const char* path);

} // namespace amplix::alsaseq
