// The sequencer model: what the kernel's sequencer core and alsa-lib do for the calls RtMidi makes.
#include "SeqModel.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

namespace amplix::alsaseq::detail {

namespace {

using Clock = Model::Clock;

constexpr unsigned kReadable = SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ;
constexpr unsigned kWritable = SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE;
// The kernel waits this long for the interface's buffer to drain when its last writer leaves.
constexpr auto kDrainLimit = std::chrono::seconds(10);

void copyName(char (&to)[kNameSize], const std::string& name) {
    std::memset(to, 0, kNameSize);
    name.copy(to, kNameSize - 1);
}

Port kernelPort(const char* name, unsigned capability, unsigned type) {
    Port port;
    port.name = name;
    port.capability = capability;
    port.type = type;
    port.midiChannels = 16;
    return port;
}

Subscription fromInfo(const snd_seq_port_subscribe_t* info) {
    Subscription subscription;
    subscription.sender = info->sender;
    subscription.dest = info->dest;
    subscription.queue = info->queue;
    subscription.exclusive = info->exclusive != 0;
    subscription.timeUpdate = info->timeUpdate != 0;
    subscription.timeReal = info->timeReal != 0;
    return subscription;
}

} // namespace

Model& Model::instance() {
    static Model* model = new Model;
    return *model;
}

Model::Model() : port_([this](snd_seq_event_t& event) { emitFromInterface(event); }) {
    system_.number = kSystemClient;
    system_.kernel = true;
    system_.name = "System";
    system_.ports[kTimerPort] = kernelPort("Timer", SND_SEQ_PORT_CAP_WRITE | kReadable, 0);
    system_.ports[kAnnouncePort] = kernelPort("Announce", kReadable, 0);

    through_.number = kThroughClient;
    through_.kernel = true;
    through_.name = kThroughClientName;
    through_.ports[0] = kernelPort(kThroughPortName, kReadable | kWritable,
                                   SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_SOFTWARE);

    interface_.number = kInterfaceClient;
    interface_.kernel = true;
    interface_.name = kInterfaceClientName;
    interface_.ports[0] =
        kernelPort(kInterfacePortName, kReadable | kWritable | SND_SEQ_PORT_CAP_DUPLEX,
                   SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_HARDWARE | SND_SEQ_PORT_TYPE_PORT);

    clients_[kSystemClient] = &system_;
    clients_[kThroughClient] = &through_;
    clients_[kInterfaceClient] = &interface_;
    std::thread([this] { run(); }).detach();
}

// The cables' clock: sleeps until the next byte is due in either direction.
void Model::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        const auto next = port_.advance(Clock::now());
        if (port_.outputEmpty())
            idle_.notify_all();
        if (next == Clock::time_point::max())
            wake_.wait(lock);
        else
            wake_.wait_until(lock, next);
    }
}

int Model::open(snd_seq_t** handle, const char* name, int streams, int mode) {
    if (!handle)
        return -EINVAL;
    *handle = nullptr;
    if (!name || (std::strcmp(name, "default") != 0 && std::strcmp(name, "hw") != 0))
        return -ENOENT;
    if (streams < SND_SEQ_OPEN_OUTPUT || streams > SND_SEQ_OPEN_DUPLEX)
        return -EINVAL;
    std::lock_guard lock(mutex_);
    int number = kFirstApplicationClient;
    while (number < kMaxClients && clients_.count(number))
        ++number;
    if (number == kMaxClients)
        return -ENOMEM;
    const int fd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (fd < 0)
        return -errno;
    auto* client = new _snd_seq;
    client->number = number;
    client->name = "Client-" + std::to_string(number);
    client->streams = streams;
    client->nonblocking = (mode & SND_SEQ_NONBLOCK) != 0;
    client->eventFd = fd;
    clients_[number] = client;
    *handle = client;
    announce(SND_SEQ_EVENT_CLIENT_START, address(number, 0));
    startControlFromEnvironment();
    return 0;
}

int Model::close(snd_seq_t* handle) {
    std::unique_lock lock(mutex_);
    Client& client = *handle;
    clients_.erase(client.number);
    for (const auto& [number, port] : client.ports) {
        endSubscriptions(client.number, number);
        announce(SND_SEQ_EVENT_PORT_EXIT, address(client.number, number));
    }
    client.ports.clear();
    announce(SND_SEQ_EVENT_CLIENT_EXIT, address(client.number, 0));
    std::erase_if(queues_, [&](const auto& entry) { return entry.second.owner == client.number; });
    updateInterfaceUse(lock);
    ::close(client.eventFd);
    delete handle;
    return 0;
}

int Model::setClientName(Client& client, const char* name) {
    if (!name)
        return -EINVAL;
    std::lock_guard lock(mutex_);
    client.name = limitedName(name);
    announce(SND_SEQ_EVENT_CLIENT_CHANGE, address(client.number, 0));
    return 0;
}

Client* Model::findClient(int number) {
    const auto found = clients_.find(number);
    return found == clients_.end() ? nullptr : found->second;
}

Port* Model::findPort(snd_seq_addr_t where) {
    Client* client = findClient(where.client);
    if (!client)
        return nullptr;
    const auto found = client->ports.find(where.port);
    return found == client->ports.end() ? nullptr : &found->second;
}

// A sound card's kernel client lists as one only where the card can be found beside it. Chromium
// takes a kernel client numbered 16 or more for a card's and leaves its ports out when udev shows
// no such card (Midi Through, 14, it keeps); this machine has no card to find. So the interface
// lists as a user client, as a driver in user space would, and every program sees it.
void Model::fillClientInfo(snd_seq_client_info_t* info, const Client& client) const {
    std::memset(info, 0, sizeof *info);
    info->client = client.number;
    info->type = client.kernel && &client != &interface_ ? SND_SEQ_KERNEL_CLIENT : SND_SEQ_USER_CLIENT;
    copyName(info->name, client.name);
    info->ports = int(client.ports.size());
}

int Model::queryNextClient(snd_seq_client_info_t* info) {
    std::lock_guard lock(mutex_);
    const auto next = clients_.upper_bound(info->client);
    if (next == clients_.end())
        return -ENOENT;
    fillClientInfo(info, *next->second);
    return 0;
}

int Model::clientInfo(int number, snd_seq_client_info_t* info) {
    std::lock_guard lock(mutex_);
    const Client* client = findClient(number);
    if (!client)
        return -ENOENT;
    fillClientInfo(info, *client);
    return 0;
}

void Model::fillPortInfo(snd_seq_port_info_t* info, snd_seq_addr_t where, const Port& port) const {
    std::memset(info, 0, sizeof *info);
    info->addr = where;
    copyName(info->name, port.name);
    info->capability = port.capability;
    info->type = port.type;
    info->midiChannels = port.midiChannels;
    info->midiVoices = port.midiVoices;
    info->synthVoices = port.synthVoices;
    for (const Subscription& subscription : subscriptions_) {
        info->readUse += subscription.sender == where;
        info->writeUse += subscription.dest == where;
    }
    info->timestamping = port.timestamping;
    info->timestampReal = port.timestampReal;
    info->timestampQueue = port.timestampQueue;
}

int Model::queryNextPort(snd_seq_port_info_t* info) {
    std::lock_guard lock(mutex_);
    const Client* client = findClient(info->addr.client);
    if (!client)
        return -ENXIO;
    // Port numbers are bytes: the -1 a search starts from wraps round to port 0.
    info->addr.port = std::uint8_t(info->addr.port + 1);
    const auto next = client->ports.lower_bound(info->addr.port);
    if (next == client->ports.end())
        return -ENOENT;
    fillPortInfo(info, address(client->number, next->first), next->second);
    return 0;
}

int Model::portInfo(int number, int port, snd_seq_port_info_t* info) {
    std::lock_guard lock(mutex_);
    const Client* client = findClient(number);
    if (!client)
        return -ENXIO;
    const auto found = client->ports.find(port);
    if (found == client->ports.end())
        return -ENOENT;
    fillPortInfo(info, address(number, port), found->second);
    return 0;
}

int Model::querySubscribers(snd_seq_query_subscribe_t* query) {
    std::lock_guard lock(mutex_);
    if (!findPort(query->root))
        return -ENXIO;
    if (query->type != SND_SEQ_QUERY_SUBS_READ && query->type != SND_SEQ_QUERY_SUBS_WRITE)
        return -ENXIO;
    const bool reading = query->type == SND_SEQ_QUERY_SUBS_READ;
    std::vector<const Subscription*> found;
    for (const Subscription& subscription : subscriptions_)
        if ((reading ? subscription.sender : subscription.dest) == query->root)
            found.push_back(&subscription);
    query->count = int(found.size());
    if (query->index < 0 || std::size_t(query->index) >= found.size())
        return -ENOENT;
    const Subscription& subscription = *found[std::size_t(query->index)];
    query->addr = reading ? subscription.dest : subscription.sender;
    query->queue = subscription.queue;
    query->exclusive = subscription.exclusive;
    query->timeUpdate = subscription.timeUpdate;
    query->timeReal = subscription.timeReal;
    return 0;
}

namespace {

void applyPortInfo(Port& port, const snd_seq_port_info_t* info) {
    if (info->name[0])
        port.name = limitedName(info->name);
    port.capability = info->capability;
    port.type = info->type;
    port.midiChannels = info->midiChannels;
    port.midiVoices = info->midiVoices;
    port.synthVoices = info->synthVoices;
    port.timestamping = info->timestamping != 0;
    port.timestampReal = info->timestampReal != 0;
    port.timestampQueue = info->timestampQueue;
}

} // namespace

int Model::createPort(Client& client, snd_seq_port_info_t* info) {
    std::lock_guard lock(mutex_);
    // The lowest free number: the port number asked for is taken only on request, which RtMidi
    // never makes.
    int number = 0;
    while (number < kMaxPorts && client.ports.count(number))
        ++number;
    if (number == kMaxPorts)
        return -ENOMEM;
    Port port;
    port.name = "port-" + std::to_string(number);
    applyPortInfo(port, info);
    client.ports[number] = port;
    info->addr = address(client.number, number);
    announce(SND_SEQ_EVENT_PORT_START, info->addr);
    return 0;
}

int Model::deletePort(Client& client, int port) {
    std::unique_lock lock(mutex_);
    if (!client.ports.erase(port))
        return -ENOENT;
    endSubscriptions(client.number, port);
    announce(SND_SEQ_EVENT_PORT_EXIT, address(client.number, port));
    updateInterfaceUse(lock);
    return 0;
}

int Model::setPortInfo(Client& client, int port, const snd_seq_port_info_t* info) {
    std::lock_guard lock(mutex_);
    const auto found = client.ports.find(port);
    if (found != client.ports.end()) {
        applyPortInfo(found->second, info);
        announce(SND_SEQ_EVENT_PORT_CHANGE, address(client.number, port));
    }
    return 0;
}

int Model::checkPermission(const Client& connector, const Subscription& subscription) {
    const Port* sender = findPort(subscription.sender);
    const Port* dest = findPort(subscription.dest);
    if (!sender || !dest)
        return -EINVAL;
    // A third client may not route ports that forbid it; the owners need no permission.
    if (connector.number != subscription.sender.client && connector.number != subscription.dest.client &&
        ((sender->capability | dest->capability) & SND_SEQ_PORT_CAP_NO_EXPORT))
        return -EPERM;
    if (connector.number != subscription.sender.client && (sender->capability & kReadable) != kReadable)
        return -EPERM;
    if (connector.number != subscription.dest.client && (dest->capability & kWritable) != kWritable)
        return -EPERM;
    return 0;
}

// Each end hears of a subscription made or ended, unless it did that itself.
void Model::notifyEnds(const Client& connector, const Subscription& subscription, int type) {
    if (connector.number != subscription.sender.client)
        notify(subscription.sender, subscription, type);
    if (connector.number != subscription.dest.client)
        notify(subscription.dest, subscription, type);
}

int Model::subscribe(Client& connector, const snd_seq_port_subscribe_t* info) {
    std::unique_lock lock(mutex_);
    const Subscription subscription = fromInfo(info);
    if (const int refused = checkPermission(connector, subscription))
        return refused;
    for (const Subscription& existing : subscriptions_)
        if (existing.sender == subscription.sender && existing.dest == subscription.dest)
            return -EBUSY;
    subscriptions_.push_back(subscription);
    notifyEnds(connector, subscription, SND_SEQ_EVENT_PORT_SUBSCRIBED);
    updateInterfaceUse(lock);
    return 0;
}

int Model::unsubscribe(Client& connector, const snd_seq_port_subscribe_t* info) {
    std::unique_lock lock(mutex_);
    const Subscription subscription = fromInfo(info);
    if (const int refused = checkPermission(connector, subscription))
        return refused == -EINVAL ? -ENXIO : refused;
    const auto found = std::find_if(subscriptions_.begin(), subscriptions_.end(), [&](const Subscription& s) {
        return s.sender == subscription.sender && s.dest == subscription.dest;
    });
    if (found == subscriptions_.end())
        return -ENOENT;
    subscriptions_.erase(found);
    notifyEnds(connector, subscription, SND_SEQ_EVENT_PORT_UNSUBSCRIBED);
    updateInterfaceUse(lock);
    return 0;
}

// A port goes away: its subscriptions end, and the port at each other end hears of it.
void Model::endSubscriptions(int client, int port) {
    const snd_seq_addr_t gone = address(client, port);
    std::vector<Subscription> ended;
    std::erase_if(subscriptions_, [&](const Subscription& subscription) {
        const bool ends = subscription.sender == gone || subscription.dest == gone;
        if (ends)
            ended.push_back(subscription);
        return ends;
    });
    for (const Subscription& subscription : ended)
        notify(subscription.sender == gone ? subscription.dest : subscription.sender, subscription,
               SND_SEQ_EVENT_PORT_UNSUBSCRIBED);
}

// The kernel's bridge opens the rawmidi input and output only while they are subscribed to, and
// lets the last writer go only once the output buffer has drained.
void Model::updateInterfaceUse(std::unique_lock<std::mutex>& lock) {
    const snd_seq_addr_t interface = address(kInterfaceClient, 0);
    const auto subscribed = [&](bool reading) {
        return std::any_of(subscriptions_.begin(), subscriptions_.end(),
                           [&](const Subscription& s) { return (reading ? s.sender : s.dest) == interface; });
    };
    if (!pluggedIn_)
        return;
    if (subscribed(true) && !port_.inputOpen())
        port_.openInput();
    else if (!subscribed(true) && port_.inputOpen())
        port_.closeInput();
    if (subscribed(false) && !port_.outputOpen()) {
        port_.openOutput();
    } else if (!subscribed(false) && port_.outputOpen()) {
        idle_.wait_for(lock, kDrainLimit, [&] { return port_.outputEmpty(); });
        if (pluggedIn_ && !subscribed(false))
            port_.closeOutput();
    }
}

void Model::notify(snd_seq_addr_t port, const Subscription& subscription, int type) {
    const Client* owner = findClient(port.client);
    if (!owner || owner->kernel)
        return;
    snd_seq_event_t event;
    std::memset(&event, 0, sizeof event);
    event.type = snd_seq_event_type_t(type);
    event.flags = SND_SEQ_EVENT_LENGTH_FIXED;
    event.queue = SND_SEQ_QUEUE_DIRECT;
    event.source = address(kSystemClient, kAnnouncePort);
    event.dest = port;
    event.data.connect.sender = subscription.sender;
    event.data.connect.dest = subscription.dest;
    deliver(event, 0);
}

// Ports that go away end their subscriptions first, then the port and the client are announced
// gone; one that arrives is announced client first. Chromium follows its devices by these alone.
void Model::disconnectInterface() {
    const bool listed = clients_.erase(kInterfaceClient) != 0;
    endSubscriptions(kInterfaceClient, 0);
    port_.disconnect();
    idle_.notify_all();
    if (listed)
        announceInterface(false);
}

void Model::announceInterface(bool arriving) {
    if (arriving) {
        announce(SND_SEQ_EVENT_CLIENT_START, address(kInterfaceClient, 0));
        announce(SND_SEQ_EVENT_PORT_START, address(kInterfaceClient, 0));
    } else {
        announce(SND_SEQ_EVENT_PORT_EXIT, address(kInterfaceClient, 0));
        announce(SND_SEQ_EVENT_CLIENT_EXIT, address(kInterfaceClient, 0));
    }
}

void Model::unplug() {
    std::lock_guard lock(mutex_);
    if (!pluggedIn_)
        return;
    pluggedIn_ = false;
    disconnectInterface();
}

void Model::plugIn() {
    std::lock_guard lock(mutex_);
    if (pluggedIn_)
        return;
    pluggedIn_ = true;
    clients_[kInterfaceClient] = &interface_;
    announceInterface(true);
}

bool Model::pluggedIn() {
    std::lock_guard lock(mutex_);
    return pluggedIn_;
}

Stats Model::stats() {
    std::lock_guard lock(mutex_);
    return port_.stats();
}

void Model::withDevice(const std::function<void(PodDevice&)>& action) {
    std::lock_guard lock(mutex_);
    action(port_.device());
}

std::vector<std::uint8_t>
Model::atDevice(const std::function<std::vector<std::uint8_t>(PodDevice&)>& action) {
    std::lock_guard lock(mutex_);
    std::vector<std::uint8_t> sent = action(port_.device());
    port_.deviceSends(sent, Clock::now());
    wake_.notify_one();
    return sent;
}

std::vector<std::vector<std::uint8_t>> Model::deviceMessages() {
    std::lock_guard lock(mutex_);
    return port_.messages();
}

void Model::clearLog() {
    std::lock_guard lock(mutex_);
    port_.clearLog();
}

void Model::setOutputBufferSize(std::size_t bytes) {
    std::lock_guard lock(mutex_);
    port_.setOutputBufferSize(bytes);
}

void Model::setSysexWriteChunk(std::size_t bytes) {
    std::lock_guard lock(mutex_);
    port_.setSysexWriteChunk(bytes);
}

bool Model::waitIdle(std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    return idle_.wait_for(lock, limit, [&] { return port_.idle(); });
}

void Model::reset() {
    std::lock_guard lock(mutex_);
    disconnectInterface();
    pluggedIn_ = true;
    clients_[kInterfaceClient] = &interface_;
    announceInterface(true);
    port_.resetDevice();
    port_.resetCounters();
    port_.setOutputBufferSize(kDefaultOutputBufferSize);
    port_.setSysexWriteChunk(0);
    port_.openLog();
}

} // namespace amplix::alsaseq::detail

namespace amplix::alsaseq {

using detail::Model;

void unplug() {
    Model::instance().unplug();
}
void plugIn() {
    Model::instance().plugIn();
}
bool pluggedIn() {
    return Model::instance().pluggedIn();
}
Stats stats() {
    return Model::instance().stats();
}
void withDevice(const std::function<void(PodDevice&)>& action) {
    Model::instance().withDevice(action);
}
std::vector<std::uint8_t> atDevice(const std::function<std::vector<std::uint8_t>(PodDevice&)>& action) {
    return Model::instance().atDevice(action);
}
std::vector<std::vector<std::uint8_t>> deviceMessages() {
    return Model::instance().deviceMessages();
}
void clearLog() {
    Model::instance().clearLog();
}
void setOutputBufferSize(std::size_t bytes) {
    Model::instance().setOutputBufferSize(bytes);
}
void setSysexWriteChunk(std::size_t bytes) {
    Model::instance().setSysexWriteChunk(bytes);
}
bool waitIdle(std::chrono::milliseconds limit) {
    return Model::instance().waitIdle(limit);
}
void reset() {
    Model::instance().reset();
}

} // namespace amplix::alsaseq
