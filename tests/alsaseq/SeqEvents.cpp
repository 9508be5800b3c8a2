// The sequencer model's events: queues, writing and draining, delivery along subscriptions,
// reading, and what the interface's port makes of the device's bytes.
#include "SeqModel.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace amplix::alsaseq::detail {

namespace {

using Clock = Model::Clock;
constexpr std::uint64_t kOne = 1;

// The input fd is readable exactly while the client has something to read.
void updateReadable(Client& client) {
    const bool wanted = !client.input.empty() || client.inputOverflow;
    if (wanted == client.readable)
        return;
    std::uint64_t value = kOne;
    const ssize_t done =
        wanted ? ::write(client.eventFd, &value, sizeof value) : ::read(client.eventFd, &value, sizeof value);
    (void)done;
    client.readable = wanted;
}

} // namespace

int Model::allocQueue(Client& client, const char* name) {
    std::lock_guard lock(mutex_);
    int number = 0;
    while (number < kMaxQueues && queues_.count(number))
        ++number;
    if (number == kMaxQueues)
        return -ENOMEM;
    Queue& queue = queues_[number];
    queue.owner = client.number;
    queue.name = name ? limitedName(name) : std::string();
    return number;
}

int Model::freeQueue(Client& client, int number) {
    std::lock_guard lock(mutex_);
    const auto found = queues_.find(number);
    if (found == queues_.end() || found->second.owner != client.number)
        return -EINVAL;
    queues_.erase(found);
    return 0;
}

int Model::setQueueTempo(Client& client, int number, const snd_seq_queue_tempo_t* tempo) {
    std::lock_guard lock(mutex_);
    const auto found = queues_.find(number);
    if (found == queues_.end())
        return -EINVAL;
    if (found->second.owner != client.number)
        return -EPERM;
    if (tempo->tempo == 0 || tempo->ppq <= 0)
        return -EINVAL;
    found->second.tempo = tempo->tempo;
    found->second.ppq = tempo->ppq;
    return 0;
}

// Queue control reaches the system timer port as an event, as it does in the kernel.
void Model::controlQueue(const snd_seq_event_t& event) {
    const auto found = queues_.find(event.data.queue.queue);
    if (found == queues_.end() || found->second.owner != event.source.client)
        return;
    Queue& queue = found->second;
    const auto now = Clock::now();
    switch (event.type) {
    case SND_SEQ_EVENT_START:
        queue.running = true;
        queue.origin = now;
        break;
    case SND_SEQ_EVENT_CONTINUE:
        if (!queue.running) {
            queue.running = true;
            queue.origin = now - queue.stoppedAt;
        }
        break;
    case SND_SEQ_EVENT_STOP:
        if (queue.running) {
            queue.running = false;
            queue.stoppedAt = now - queue.origin;
        }
        break;
    case SND_SEQ_EVENT_TEMPO:
        if (event.data.queue.param.value > 0)
            queue.tempo = unsigned(event.data.queue.param.value);
        break;
    default:
        break;
    }
}

void Model::stamp(snd_seq_event_t& event, int number, bool real) {
    const auto found = queues_.find(number);
    if (found == queues_.end())
        return;
    const Queue& queue = found->second;
    const auto elapsed = std::chrono::duration_cast<std::chrono::nanoseconds>(
        queue.running ? Clock::now() - queue.origin : queue.stoppedAt);
    event.queue = std::uint8_t(number);
    event.flags &= ~SND_SEQ_TIME_STAMP_MASK;
    if (real) {
        event.flags |= SND_SEQ_TIME_STAMP_REAL;
        event.time.time.tv_sec = unsigned(elapsed.count() / 1000000000);
        event.time.time.tv_nsec = unsigned(elapsed.count() % 1000000000);
    } else {
        event.time.tick = unsigned(elapsed.count() / 1000 * queue.ppq / queue.tempo);
    }
}

int Model::output(Client& client, const snd_seq_event_t* event) {
    if (!(client.streams & SND_SEQ_OPEN_OUTPUT))
        return -EINVAL;
    const std::size_t length = kEventSize + (isVariable(*event) ? event->data.ext.len : 0);
    if (length >= kOutputBufferSize)
        return -EINVAL; // alsa-lib's buffer never takes an event of its own size
    std::lock_guard lock(mutex_);
    if (kOutputBufferSize - client.outputBytes < length) {
        if (const int failed = drainLocked(client))
            return failed;
    }
    StoredEvent stored;
    stored.event = *event;
    if (isVariable(*event)) {
        const auto* bytes = static_cast<const std::uint8_t*>(event->data.ext.ptr);
        stored.data.assign(bytes, bytes + event->data.ext.len);
    }
    client.output.push_back(std::move(stored));
    client.outputBytes += length;
    return int(client.outputBytes);
}

int Model::drain(Client& client) {
    std::lock_guard lock(mutex_);
    return drainLocked(client);
}

// As the kernel takes a write: event by event, stopping at the first it refuses, which stays in
// alsa-lib's buffer with those after it.
int Model::drainLocked(Client& client) {
    int result = 0;
    std::size_t done = 0;
    for (; done < client.output.size(); ++done) {
        StoredEvent& stored = client.output[done];
        snd_seq_event_t event = stored.event;
        if (isVariable(event))
            event.data.ext.ptr = stored.data.data();
        if ((result = send(client, event)) < 0)
            break;
    }
    client.output.erase(client.output.begin(), client.output.begin() + std::ptrdiff_t(done));
    client.outputBytes = 0;
    for (const StoredEvent& stored : client.output)
        client.outputBytes += kEventSize + stored.data.size();
    return result;
}

// One event as the kernel takes it from a client's write.
int Model::send(Client& client, snd_seq_event_t& event) {
    event.source.client = std::uint8_t(client.number);
    if (event.type == SND_SEQ_EVENT_NONE)
        return 0;
    if (isVariable(event) != isVariableType(event))
        return -EINVAL;
    if (event.queue == SND_SEQ_ADDRESS_SUBSCRIBERS || event.dest.client == SND_SEQ_ADDRESS_SUBSCRIBERS) {
        if (!client.ports.count(event.source.port))
            return -EINVAL;
        event.dest.client = SND_SEQ_ADDRESS_SUBSCRIBERS;
        event.queue = SND_SEQ_QUEUE_DIRECT;
    }
    // Scheduled events are delivered at once: RtMidi and Chromium send everything direct.
    dispatch(event, 0);
    return 0;
}

// Past alsa-lib's buffer, straight to the kernel, as Chromium sends.
int Model::outputDirect(Client& client, const snd_seq_event_t* event) {
    if (!(client.streams & SND_SEQ_OPEN_OUTPUT))
        return -EINVAL;
    const std::size_t length = kEventSize + (isVariable(*event) ? event->data.ext.len : 0);
    std::lock_guard lock(mutex_);
    snd_seq_event_t copy = *event;
    if (const int refused = send(client, copy))
        return refused;
    return int(length);
}

// Broadcast from the system's announce port to whoever subscribed to it, as the kernel tells
// of clients and ports coming and going.
void Model::announce(int type, snd_seq_addr_t about) {
    snd_seq_event_t event;
    std::memset(&event, 0, sizeof event);
    event.type = snd_seq_event_type_t(type);
    event.flags = SND_SEQ_EVENT_LENGTH_FIXED;
    event.queue = SND_SEQ_QUEUE_DIRECT;
    event.source = address(kSystemClient, kAnnouncePort);
    event.dest.client = SND_SEQ_ADDRESS_SUBSCRIBERS;
    event.data.addr = about;
    dispatch(event, 0);
}

int Model::dispatch(snd_seq_event_t& event, int hop) {
    if (++hop >= kMaxHops)
        return -EMLINK;
    if (event.dest.client == SND_SEQ_ADDRESS_SUBSCRIBERS) {
        const std::vector<Subscription> subscriptions = subscriptions_;
        for (const Subscription& subscription : subscriptions) {
            if (!(subscription.sender == event.source))
                continue;
            snd_seq_event_t copy = event;
            copy.dest = subscription.dest;
            if (subscription.timeUpdate)
                stamp(copy, subscription.queue, subscription.timeReal);
            deliver(copy, hop);
        }
    } else if (event.dest.client != SND_SEQ_ADDRESS_BROADCAST) {
        deliver(event, hop);
    }
    return 0;
}

// One event to one port. Failures are the sender's to ignore, as the kernel ignores them for
// direct events.
void Model::deliver(snd_seq_event_t& event, int hop) {
    Client* client = findClient(event.dest.client);
    if (!client || !client->ports.count(event.dest.port))
        return;
    if (client == &system_) {
        if (event.dest.port == kTimerPort)
            controlQueue(event);
    } else if (client == &through_) {
        if (event.source.client == kSystemClient)
            return;
        snd_seq_event_t passed = event;
        passed.source = event.dest;
        passed.dest.client = SND_SEQ_ADDRESS_SUBSCRIBERS;
        passed.queue = SND_SEQ_QUEUE_DIRECT;
        dispatch(passed, hop);
    } else if (client == &interface_) {
        port_.take(event, Clock::now());
        wake_.notify_one();
    } else {
        snd_seq_event_t received = event;
        const Port& port = client->ports[event.dest.port];
        if (port.timestamping)
            stamp(received, port.timestampQueue, port.timestampReal);
        enqueue(*client, received);
    }
}

// Into the client's input pool; a full pool loses the event and the next read reports it.
void Model::enqueue(Client& client, const snd_seq_event_t& event) {
    if (!(client.streams & SND_SEQ_OPEN_INPUT))
        return;
    const std::size_t cells = cellsFor(event);
    if (client.inputCells + cells > kInputPoolCells) {
        client.inputOverflow = true;
    } else {
        StoredEvent stored;
        stored.event = event;
        if (isVariable(event)) {
            const auto* bytes = static_cast<const std::uint8_t*>(event.data.ext.ptr);
            stored.data.assign(bytes, bytes + event.data.ext.len);
            stored.event.data.ext.ptr = nullptr;
        }
        client.input.push_back(std::move(stored));
        client.inputCells += cells;
    }
    updateReadable(client);
    input_.notify_all();
}

int Model::inputPending(Client& client) {
    std::lock_guard lock(mutex_);
    return client.inputOverflow ? std::max(1, int(client.input.size())) : int(client.input.size());
}

int Model::input(Client& client, snd_seq_event_t** event) {
    *event = nullptr;
    if (!(client.streams & SND_SEQ_OPEN_INPUT))
        return -EINVAL;
    std::unique_lock lock(mutex_);
    if (!client.nonblocking)
        input_.wait(lock, [&] { return !client.input.empty() || client.inputOverflow; });
    if (client.inputOverflow) {
        client.input.clear();
        client.inputCells = 0;
        client.inputOverflow = false;
        updateReadable(client);
        return -ENOSPC;
    }
    if (client.input.empty())
        return -EAGAIN;
    client.current = std::move(client.input.front());
    client.input.pop_front();
    client.inputCells -= cellsFor(client.current.event);
    updateReadable(client);
    if (isVariable(client.current.event))
        client.current.event.data.ext.ptr = client.current.data.data();
    *event = &client.current.event;
    return 1;
}

void Model::emitFromInterface(snd_seq_event_t& event) {
    event.source = address(kInterfaceClient, 0);
    event.dest.client = SND_SEQ_ADDRESS_SUBSCRIBERS;
    event.queue = SND_SEQ_QUEUE_DIRECT;
    dispatch(event, 0);
}

} // namespace amplix::alsaseq::detail
