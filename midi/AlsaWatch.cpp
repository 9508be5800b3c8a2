// The ALSA watch: asks the sequencer which ports are subscribed to a device port.
#include "midi/AlsaWatch.h"

#include "midi/DeviceNames.h"
#include "midi/JackWatch.h"

#if defined(AMPLIX_HAVE_ALSA)
#include <alsa/asoundlib.h>
#endif

namespace amplix {

namespace {
constexpr std::string_view kOutputPort = "MIDI Out";
}

AlsaWatch::~AlsaWatch() {
#if defined(AMPLIX_HAVE_ALSA)
    if (seq_)
        snd_seq_close(seq_);
#endif
}

void AlsaWatch::open() {
#if defined(AMPLIX_HAVE_ALSA)
    if (seq_)
        return;
    if (snd_seq_open(&seq_, "default", SND_SEQ_OPEN_OUTPUT, SND_SEQ_NONBLOCK) < 0) {
        seq_ = nullptr;
        return;
    }
    snd_seq_set_client_name(seq_, kClientName);
#endif
}

bool AlsaWatch::lostConnection(const std::string& device, std::string_view ownPort) const {
#if defined(AMPLIX_HAVE_ALSA)
    const auto address = sequencerAddress(device);
    if (!seq_ || !address)
        return false;
    snd_seq_port_info_t* port = nullptr;
    snd_seq_port_info_alloca(&port);
    if (snd_seq_get_any_port_info(seq_, address->client, address->port, port) < 0)
        return false; // still gone: nothing to connect to yet
    snd_seq_client_info_t* client = nullptr;
    snd_seq_client_info_alloca(&client);
    snd_seq_query_subscribe_t* query = nullptr;
    snd_seq_query_subscribe_alloca(&query);
    snd_seq_addr_t root{};
    root.client = std::uint8_t(address->client);
    root.port = std::uint8_t(address->port);
    snd_seq_query_subscribe_set_root(query, &root);
    // We send to the device: our port writes to it. We listen: the device's port is read.
    snd_seq_query_subscribe_set_type(query, ownPort == kOutputPort ? SND_SEQ_QUERY_SUBS_WRITE
                                                                   : SND_SEQ_QUERY_SUBS_READ);
    for (int index = 0;; ++index) {
        snd_seq_query_subscribe_set_index(query, index);
        if (snd_seq_query_port_subscribers(seq_, query) < 0)
            return true;
        const snd_seq_addr_t* other = snd_seq_query_subscribe_get_addr(query);
        if (snd_seq_get_any_client_info(seq_, other->client, client) < 0 ||
            snd_seq_get_any_port_info(seq_, other->client, other->port, port) < 0)
            continue;
        if (isOwnPort(std::string(snd_seq_client_info_get_name(client)) + ":") &&
            snd_seq_port_info_get_name(port) == ownPort)
            return false;
    }
#else
    (void)device;
    (void)ownPort;
    return false;
#endif
}

} // namespace amplix
