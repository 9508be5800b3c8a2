// The RtMidi service's own words with libjack: silence, the look for a server, the watch.
#include "midi/JackWatch.h"

#include <algorithm>

#if defined(AMPLIX_HAVE_LIBJACK)
#include <jack/jack.h>
#endif

namespace amplix {

bool isOwnPort(std::string_view name) {
    const std::string_view client = name.substr(0, name.find(':'));
    const std::string_view ours = kClientName;
    if (!client.starts_with(ours))
        return false;
    const std::string_view rest = client.substr(ours.size());
    return rest.empty() ||
           (rest.size() > 1 && rest.front() == '-' &&
            std::all_of(rest.begin() + 1, rest.end(), [](char c) { return c >= '0' && c <= '9'; }));
}

void quietJack() {
#if defined(AMPLIX_HAVE_LIBJACK)
    jack_set_error_function([](const char*) {});
    jack_set_info_function([](const char*) {});
#endif
}

bool jackServerRunning() {
#if defined(AMPLIX_HAVE_LIBJACK)
    jack_status_t status{};
    jack_client_t* client = jack_client_open(kClientName, JackNoStartServer, &status);
    if (!client)
        return false;
    jack_client_close(client);
#endif
    return true;
}

JackWatch::~JackWatch() {
#if defined(AMPLIX_HAVE_LIBJACK)
    if (client_)
        jack_client_close(client_);
#endif
}

void JackWatch::open() {
#if defined(AMPLIX_HAVE_LIBJACK)
    jack_status_t status{};
    client_ = jack_client_open(kClientName, JackNoStartServer, &status);
    if (!client_)
        return;
    // libjack tells of the server's end through the client thread, which activation starts.
    jack_on_shutdown(
        client_, [](void* gone) { static_cast<std::atomic<bool>*>(gone)->store(true); }, &gone_);
    jack_activate(client_);
#endif
}

bool JackWatch::lostConnection(const std::string& device, std::string_view ownPort) const {
#if defined(AMPLIX_HAVE_LIBJACK)
    if (!client_ || gone_ || device.empty())
        return false;
    jack_port_t* port = jack_port_by_name(client_, device.c_str());
    if (!port)
        return false; // still gone: nothing to connect to yet
    const char** connections = jack_port_get_all_connections(client_, port);
    bool ours = false;
    for (const char** c = connections; c && *c && !ours; ++c) {
        const std::string_view name = *c;
        ours = isOwnPort(name) && name.substr(name.find(':') + 1) == ownPort;
    }
    if (connections)
        jack_free(connections);
    return !ours;
#else
    (void)device;
    (void)ownPort;
    return false;
#endif
}

} // namespace amplix
