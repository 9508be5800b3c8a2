// The sequencer model's state: clients, ports, subscriptions, queues and event delivery.
#pragma once

#include "AlsaSeqModel.h"
#include "InterfacePort.h"

#include <alsa/asoundlib.h>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace amplix::alsaseq::detail {

// Sizes the kernel and alsa-lib work with.
inline constexpr std::size_t kNameSize = 64; // client and port names, with their 0
inline constexpr int kMaxClients = 192;      // application clients are 128 to 191
inline constexpr int kMaxPorts = 254;        // ports 0 to 253 of a client
inline constexpr int kMaxQueues = 32;
inline constexpr std::size_t kOutputBufferSize = 16384; // alsa-lib's buffer of written events
inline constexpr std::size_t kInputPoolCells = 200;     // a client's input pool, in 28-byte cells
inline constexpr int kMaxHops = 10;                     // deliveries one event may make in a chain
inline constexpr int kTimerPort = 0;
inline constexpr int kAnnouncePort = 1;

// An event and, in the kernel's pool, one cell.
inline constexpr std::size_t kEventSize = sizeof(snd_seq_event_t);

inline bool isVariableType(const snd_seq_event_t& event) {
    return event.type >= SND_SEQ_EVENT_SYSEX && event.type < SND_SEQ_EVENT_SYSEX + 10;
}

inline std::size_t cellsFor(const snd_seq_event_t& event) {
    return 1 + (isVariable(event) ? (event.data.ext.len + kEventSize - 1) / kEventSize : 0);
}

inline bool operator==(const snd_seq_addr_t& a, const snd_seq_addr_t& b) {
    return a.client == b.client && a.port == b.port;
}

inline snd_seq_addr_t address(int client, int port) {
    return {std::uint8_t(client), std::uint8_t(port)};
}

inline std::string limitedName(const char* name) {
    return std::string(name, strnlen(name, kNameSize - 1));
}

struct Port {
    std::string name;
    unsigned capability = 0;
    unsigned type = 0;
    int midiChannels = 0;
    int midiVoices = 0;
    int synthVoices = 0;
    bool timestamping = false;
    bool timestampReal = false;
    int timestampQueue = 0;
};

struct StoredEvent {
    snd_seq_event_t event{};
    std::vector<std::uint8_t> data; // a variable-length event's bytes
};

struct Client {
    int number = 0;
    bool kernel = false;
    std::string name;
    std::map<int, Port> ports;

    // Application clients only.
    int streams = 0;
    bool nonblocking = true;
    int eventFd = -1; // readable exactly while input is queued
    bool readable = false;
    std::deque<StoredEvent> input;
    std::size_t inputCells = 0;
    bool inputOverflow = false;
    StoredEvent current;             // the event last handed out: valid until the next call on the handle
    std::vector<StoredEvent> output; // written, not yet drained
    std::size_t outputBytes = 0;
};

struct Subscription {
    snd_seq_addr_t sender{};
    snd_seq_addr_t dest{};
    int queue = 0;
    bool exclusive = false;
    bool timeUpdate = false;
    bool timeReal = false;
};

struct Queue {
    using Clock = std::chrono::steady_clock;
    int owner = 0;
    std::string name;
    bool running = false;
    Clock::time_point origin{};  // queue time zero, while running
    Clock::duration stoppedAt{}; // queue time, while stopped
    unsigned tempo = 500000;     // microseconds a quarter note
    int ppq = 96;
};

// Serves AMPLIX_ALSASEQ_CONTROL, once per process, when it is set.
void startControlFromEnvironment();

class Model {
public:
    using Clock = std::chrono::steady_clock;

    // Made on first use and never destroyed: RtMidi objects may outlive any static destructor.
    static Model& instance();

    int open(snd_seq_t** handle, const char* name, int streams, int mode);
    int close(snd_seq_t* handle);
    int setClientName(Client& client, const char* name);

    int queryNextClient(snd_seq_client_info_t* info);
    int clientInfo(int client, snd_seq_client_info_t* info);
    int queryNextPort(snd_seq_port_info_t* info);
    int portInfo(int client, int port, snd_seq_port_info_t* info);
    int querySubscribers(snd_seq_query_subscribe_t* query);

    int createPort(Client& client, snd_seq_port_info_t* info);
    int deletePort(Client& client, int port);
    int setPortInfo(Client& client, int port, const snd_seq_port_info_t* info);

    int subscribe(Client& connector, const snd_seq_port_subscribe_t* subscription);
    int unsubscribe(Client& connector, const snd_seq_port_subscribe_t* subscription);

    int allocQueue(Client& client, const char* name);
    int freeQueue(Client& client, int queue);
    int setQueueTempo(Client& client, int queue, const snd_seq_queue_tempo_t* tempo);

    int output(Client& client, const snd_seq_event_t* event);
    int outputDirect(Client& client, const snd_seq_event_t* event);
    int drain(Client& client);
    int inputPending(Client& client);
    int input(Client& client, snd_seq_event_t** event);

    // The control interface.
    void unplug();
    void plugIn();
    bool pluggedIn();
    Stats stats();
    void withDevice(const std::function<void(PodDevice&)>& action);
    std::vector<std::uint8_t> atDevice(const std::function<std::vector<std::uint8_t>(PodDevice&)>& action);
    std::vector<std::vector<std::uint8_t>> deviceMessages();
    void clearLog();
    void setOutputBufferSize(std::size_t bytes);
    void setSysexWriteChunk(std::size_t bytes);
    bool waitIdle(std::chrono::milliseconds limit);
    void reset();

private:
    Model();
    void run();

    // All below with the lock held.
    Client* findClient(int number);
    Port* findPort(snd_seq_addr_t where);
    void fillClientInfo(snd_seq_client_info_t* info, const Client& client) const;
    void fillPortInfo(snd_seq_port_info_t* info, snd_seq_addr_t where, const Port& port) const;
    int checkPermission(const Client& connector, const Subscription& subscription);
    void endSubscriptions(int client, int port);
    // May wait, with the lock released, for the interface's output to drain.
    void updateInterfaceUse(std::unique_lock<std::mutex>& lock);
    void disconnectInterface();
    void notify(snd_seq_addr_t port, const Subscription& subscription, int type);
    void notifyEnds(const Client& connector, const Subscription& subscription, int type);
    int drainLocked(Client& client);
    int send(Client& client, snd_seq_event_t& event);
    void announce(int type, snd_seq_addr_t about);
    void announceInterface(bool arriving);
    int dispatch(snd_seq_event_t& event, int hop);
    void deliver(snd_seq_event_t& event, int hop);
    void enqueue(Client& client, const snd_seq_event_t& event);
    void stamp(snd_seq_event_t& event, int queue, bool real);
    void controlQueue(const snd_seq_event_t& event);
    void emitFromInterface(snd_seq_event_t& event);

    std::mutex mutex_;
    std::condition_variable wake_;  // the cable thread: new bytes to time
    std::condition_variable idle_;  // both cables empty
    std::condition_variable input_; // events for a blocking reader

    Client system_;
    Client through_;
    Client interface_;
    std::map<int, Client*> clients_;
    bool pluggedIn_ = true;
    std::vector<Subscription> subscriptions_;
    std::map<int, Queue> queues_;
    InterfacePort port_;
};

} // namespace amplix::alsaseq::detail

// alsa-lib's opaque types, laid out as the model needs them. RtMidi allocates them on its stack
// and clears them, so every member starts meaningful at zero.
struct _snd_seq : amplix::alsaseq::detail::Client {};

struct _snd_seq_client_info {
    int client;
    int type;
    char name[amplix::alsaseq::detail::kNameSize];
    int ports;
};

struct _snd_seq_port_info {
    snd_seq_addr_t addr;
    char name[amplix::alsaseq::detail::kNameSize];
    unsigned capability;
    unsigned type;
    int midiChannels;
    int midiVoices;
    int synthVoices;
    int readUse;
    int writeUse;
    int timestamping;
    int timestampReal;
    int timestampQueue;
};

struct _snd_seq_port_subscribe {
    snd_seq_addr_t sender;
    snd_seq_addr_t dest;
    int queue;
    int exclusive;
    int timeUpdate;
    int timeReal;
};

struct _snd_seq_query_subscribe {
    snd_seq_addr_t root;
    int type;
    int index;
    int count;
    snd_seq_addr_t addr;
    int queue;
    int exclusive;
    int timeUpdate;
    int timeReal;
};

struct _snd_seq_queue_tempo {
    int queue;
    unsigned tempo;
    int ppq;
};
