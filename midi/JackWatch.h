// The RtMidi service's own words with libjack: the client name, silence, the look for a server,
// and a watch on the server and on the connections of our ports.
#pragma once

#include <atomic>
#include <string>
#include <string_view>

struct _jack_client; // libjack's jack_client_t

namespace amplix {

// The client name of every RtMidi object and JACK client the editor opens.
inline constexpr const char* kClientName = "Amplix 32";

// True for a port of one of our own clients. Our ports would otherwise show up in the other list
// (an open output is an input to everybody else) and shift the device numbers kept in the
// configuration file. Both ALSA ("client:port nn:n") and JACK ("client:port", a second client
// "client-01") start with the client name.
bool isOwnPort(std::string_view name);

// libjack prints several lines for every failed connection attempt, and each device listing
// retries while no server runs. The editor reports MIDI trouble in its own dialogs instead.
void quietJack();

// Asking first keeps RtMidi's JACK constructors from warning on the console when no server
// runs (they warn before an error callback can be installed). Without libjack: true.
bool jackServerRunning();

// A port-less client of our own on the JACK server: it hears the server go away, and sees
// whether a device port still has its connection to one of our ports.
class JackWatch {
public:
    JackWatch() = default;
    JackWatch(const JackWatch&) = delete;
    JackWatch& operator=(const JackWatch&) = delete;
    ~JackWatch();

    void open();
    bool serverGone() const { return gone_; }

    // True when the device port exists and none of our ports called ownPort is connected to it:
    // it vanished and came back, or the server did.
    bool lostConnection(const std::string& device, std::string_view ownPort) const;

private:
    _jack_client* client_ = nullptr; // stays null without libjack
    std::atomic<bool> gone_{false};
};

} // namespace amplix
