// alsa-lib's sequencer functions that RtMidi, the editor and Chromium's Web MIDI call, answered by the model.
// Declared by alsa-lib's own header, so every signature is checked against it; these and the
// control functions are all the library exports.
#pragma GCC visibility push(default)
#include <alsa/asoundlib.h>
#pragma GCC visibility pop

#include "SeqModel.h"

#include <poll.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

using amplix::alsaseq::detail::Client;
using amplix::alsaseq::detail::kNameSize;
using amplix::alsaseq::detail::Model;

namespace {

Model& model() {
    return Model::instance();
}

void copyName(char (&to)[kNameSize], const char* name) {
    std::memset(to, 0, kNameSize);
    if (name)
        std::strncpy(to, name, kNameSize - 1);
}

// A subscription between this client's port myport and client:port, from it or to it.
int connection(snd_seq_t* handle, int myport, int client, int port, bool from, bool connect) {
    snd_seq_port_subscribe_t sub{};
    const snd_seq_addr_t mine{static_cast<unsigned char>(snd_seq_client_id(handle)),
                              static_cast<unsigned char>(myport)};
    const snd_seq_addr_t other{static_cast<unsigned char>(client), static_cast<unsigned char>(port)};
    sub.sender = from ? other : mine;
    sub.dest = from ? mine : other;
    return connect ? model().subscribe(*handle, &sub) : model().unsubscribe(*handle, &sub);
}

} // namespace

extern "C" {

// Handles and clients.

int snd_seq_open(snd_seq_t** handle, const char* name, int streams, int mode) {
    return model().open(handle, name, streams, mode);
}

int snd_seq_close(snd_seq_t* handle) {
    return handle ? model().close(handle) : -EINVAL;
}

int snd_seq_client_id(snd_seq_t* handle) {
    return handle->number;
}

int snd_seq_set_client_name(snd_seq_t* seq, const char* name) {
    return model().setClientName(*seq, name);
}

size_t snd_seq_client_info_sizeof(void) {
    return sizeof(snd_seq_client_info_t);
}

int snd_seq_client_info_get_client(const snd_seq_client_info_t* info) {
    return info->client;
}

const char* snd_seq_client_info_get_name(snd_seq_client_info_t* info) {
    return info->name;
}

snd_seq_client_type_t snd_seq_client_info_get_type(const snd_seq_client_info_t* info) {
    return snd_seq_client_type_t(info->type);
}

void snd_seq_client_info_set_client(snd_seq_client_info_t* info, int client) {
    info->client = client;
}

int snd_seq_query_next_client(snd_seq_t*, snd_seq_client_info_t* info) {
    return model().queryNextClient(info);
}

int snd_seq_get_any_client_info(snd_seq_t*, int client, snd_seq_client_info_t* info) {
    return model().clientInfo(client, info);
}

// Ports.

size_t snd_seq_port_info_sizeof(void) {
    return sizeof(snd_seq_port_info_t);
}

const snd_seq_addr_t* snd_seq_port_info_get_addr(const snd_seq_port_info_t* info) {
    return &info->addr;
}

unsigned int snd_seq_port_info_get_capability(const snd_seq_port_info_t* info) {
    return info->capability;
}

int snd_seq_port_info_get_client(const snd_seq_port_info_t* info) {
    return info->addr.client;
}

const char* snd_seq_port_info_get_name(const snd_seq_port_info_t* info) {
    return info->name;
}

int snd_seq_port_info_get_port(const snd_seq_port_info_t* info) {
    return info->addr.port;
}

unsigned int snd_seq_port_info_get_type(const snd_seq_port_info_t* info) {
    return info->type;
}

void snd_seq_port_info_set_capability(snd_seq_port_info_t* info, unsigned int capability) {
    info->capability = capability;
}

void snd_seq_port_info_set_client(snd_seq_port_info_t* info, int client) {
    info->addr.client = static_cast<unsigned char>(client);
}

void snd_seq_port_info_set_midi_channels(snd_seq_port_info_t* info, int channels) {
    info->midiChannels = channels;
}

void snd_seq_port_info_set_name(snd_seq_port_info_t* info, const char* name) {
    copyName(info->name, name);
}

void snd_seq_port_info_set_port(snd_seq_port_info_t* info, int port) {
    info->addr.port = static_cast<unsigned char>(port);
}

void snd_seq_port_info_set_timestamp_queue(snd_seq_port_info_t* info, int queue) {
    info->timestampQueue = queue;
}

void snd_seq_port_info_set_timestamp_real(snd_seq_port_info_t* info, int realtime) {
    info->timestampReal = realtime != 0;
}

void snd_seq_port_info_set_timestamping(snd_seq_port_info_t* info, int enable) {
    info->timestamping = enable != 0;
}

void snd_seq_port_info_set_type(snd_seq_port_info_t* info, unsigned int type) {
    info->type = type;
}

int snd_seq_query_next_port(snd_seq_t*, snd_seq_port_info_t* info) {
    return model().queryNextPort(info);
}

int snd_seq_get_any_port_info(snd_seq_t*, int client, int port, snd_seq_port_info_t* info) {
    return model().portInfo(client, port, info);
}

int snd_seq_get_port_info(snd_seq_t* handle, int port, snd_seq_port_info_t* info) {
    return model().portInfo(handle->number, port, info);
}

int snd_seq_set_port_info(snd_seq_t* handle, int port, snd_seq_port_info_t* info) {
    return model().setPortInfo(*handle, port, info);
}

int snd_seq_create_port(snd_seq_t* handle, snd_seq_port_info_t* info) {
    return model().createPort(*handle, info);
}

int snd_seq_create_simple_port(snd_seq_t* seq, const char* name, unsigned int caps, unsigned int type) {
    snd_seq_port_info_t info;
    std::memset(&info, 0, sizeof info);
    copyName(info.name, name);
    info.capability = caps;
    info.type = type;
    info.midiChannels = 16;
    info.midiVoices = 64;
    const int result = model().createPort(*seq, &info);
    return result < 0 ? result : info.addr.port;
}

int snd_seq_delete_port(snd_seq_t* handle, int port) {
    return model().deletePort(*handle, port);
}

int snd_seq_delete_simple_port(snd_seq_t* seq, int port) {
    return model().deletePort(*seq, port);
}

// Subscriptions.

size_t snd_seq_port_subscribe_sizeof(void) {
    return sizeof(snd_seq_port_subscribe_t);
}

int snd_seq_port_subscribe_malloc(snd_seq_port_subscribe_t** ptr) {
    *ptr = static_cast<snd_seq_port_subscribe_t*>(std::calloc(1, sizeof(snd_seq_port_subscribe_t)));
    return *ptr ? 0 : -ENOMEM;
}

void snd_seq_port_subscribe_free(snd_seq_port_subscribe_t* ptr) {
    std::free(ptr);
}

void snd_seq_port_subscribe_set_dest(snd_seq_port_subscribe_t* info, const snd_seq_addr_t* addr) {
    info->dest = *addr;
}

void snd_seq_port_subscribe_set_sender(snd_seq_port_subscribe_t* info, const snd_seq_addr_t* addr) {
    info->sender = *addr;
}

void snd_seq_port_subscribe_set_time_real(snd_seq_port_subscribe_t* info, int val) {
    info->timeReal = val != 0;
}

void snd_seq_port_subscribe_set_time_update(snd_seq_port_subscribe_t* info, int val) {
    info->timeUpdate = val != 0;
}

int snd_seq_subscribe_port(snd_seq_t* handle, snd_seq_port_subscribe_t* sub) {
    return model().subscribe(*handle, sub);
}

int snd_seq_unsubscribe_port(snd_seq_t* handle, snd_seq_port_subscribe_t* sub) {
    return model().unsubscribe(*handle, sub);
}

// alsa-lib's shorthands for a subscription between our port and another (Wine's MIDI driver
// uses them).
int snd_seq_connect_from(snd_seq_t* handle, int myport, int src_client, int src_port) {
    return connection(handle, myport, src_client, src_port, true, true);
}

int snd_seq_connect_to(snd_seq_t* handle, int myport, int dest_client, int dest_port) {
    return connection(handle, myport, dest_client, dest_port, false, true);
}

int snd_seq_disconnect_from(snd_seq_t* handle, int myport, int src_client, int src_port) {
    return connection(handle, myport, src_client, src_port, true, false);
}

int snd_seq_disconnect_to(snd_seq_t* handle, int myport, int dest_client, int dest_port) {
    return connection(handle, myport, dest_client, dest_port, false, false);
}

size_t snd_seq_query_subscribe_sizeof(void) {
    return sizeof(snd_seq_query_subscribe_t);
}

void snd_seq_query_subscribe_set_root(snd_seq_query_subscribe_t* info, const snd_seq_addr_t* addr) {
    info->root = *addr;
}

void snd_seq_query_subscribe_set_type(snd_seq_query_subscribe_t* info, snd_seq_query_subs_type_t type) {
    info->type = type;
}

void snd_seq_query_subscribe_set_index(snd_seq_query_subscribe_t* info, int index) {
    info->index = index;
}

const snd_seq_addr_t* snd_seq_query_subscribe_get_addr(const snd_seq_query_subscribe_t* info) {
    return &info->addr;
}

int snd_seq_query_port_subscribers(snd_seq_t*, snd_seq_query_subscribe_t* subs) {
    return model().querySubscribers(subs);
}

// Queues.

int snd_seq_alloc_named_queue(snd_seq_t* seq, const char* name) {
    return model().allocQueue(*seq, name);
}

int snd_seq_free_queue(snd_seq_t* handle, int q) {
    return model().freeQueue(*handle, q);
}

size_t snd_seq_queue_tempo_sizeof(void) {
    return sizeof(snd_seq_queue_tempo_t);
}

void snd_seq_queue_tempo_set_ppq(snd_seq_queue_tempo_t* info, int ppq) {
    info->ppq = ppq;
}

void snd_seq_queue_tempo_set_tempo(snd_seq_queue_tempo_t* info, unsigned int tempo) {
    info->tempo = tempo;
}

int snd_seq_set_queue_tempo(snd_seq_t* handle, int q, snd_seq_queue_tempo_t* tempo) {
    return model().setQueueTempo(*handle, q, tempo);
}

// As in alsa-lib: an event to the system timer port, sent with the next drain.
int snd_seq_control_queue(snd_seq_t* seq, int q, int type, int value, snd_seq_event_t* ev) {
    snd_seq_event_t own;
    if (!ev) {
        snd_seq_ev_clear(&own);
        snd_seq_ev_set_direct(&own);
        ev = &own;
    }
    snd_seq_ev_set_queue_control(ev, type, q, value);
    return model().output(*seq, ev);
}

// Events.

int snd_seq_event_output(snd_seq_t* handle, snd_seq_event_t* ev) {
    return model().output(*handle, ev);
}

int snd_seq_event_output_direct(snd_seq_t* handle, snd_seq_event_t* ev) {
    return model().outputDirect(*handle, ev);
}

int snd_seq_drain_output(snd_seq_t* handle) {
    return model().drain(*handle);
}

int snd_seq_event_input(snd_seq_t* handle, snd_seq_event_t** ev) {
    return model().input(*handle, ev);
}

int snd_seq_event_input_pending(snd_seq_t* seq, int) {
    return model().inputPending(*seq);
}

int snd_seq_free_event(snd_seq_event_t*) {
    return 0;
}

int snd_seq_poll_descriptors_count(snd_seq_t*, short events) {
    return (events & (POLLIN | POLLOUT)) ? 1 : 0;
}

// The client's eventfd: readable while events wait, always writable.
int snd_seq_poll_descriptors(snd_seq_t* handle, struct pollfd* pfds, unsigned int space, short events) {
    if (space < 1)
        return 0;
    pfds->fd = handle->eventFd;
    pfds->events = short(events & (POLLIN | POLLOUT));
    pfds->revents = 0;
    return 1;
}

} // extern "C"
