// A look at the ALSA sequencer's subscriptions, so the editor sees that a device it had open
// came back without its connection to us.
#pragma once

#include <string>
#include <string_view>

struct _snd_seq; // alsa-lib's snd_seq_t

namespace amplix {

// A port-less client of our own. An ALSA subscription ends with either of its ports: when an
// interface is unplugged or a program with virtual ports restarts, the device may come back
// under the same name, but our port is no longer connected to it.
class AlsaWatch {
public:
    AlsaWatch() = default;
    AlsaWatch(const AlsaWatch&) = delete;
    AlsaWatch& operator=(const AlsaWatch&) = delete;
    ~AlsaWatch();

    void open();

    // True when the device port (named as RtMidi lists it, "client:port 20:0") exists and
    // none of our ports called ownPort is subscribed to it in that port's direction: "MIDI Out"
    // sends to the device, "MIDI In" receives from it.
    bool lostConnection(const std::string& device, std::string_view ownPort) const;

private:
    _snd_seq* seq_ = nullptr; // stays null without alsa-lib or a sequencer
};

} // namespace amplix
