// MIDI's own bytes for the page: the status bytes it tells messages by, and the core's input
// parser, which joins what a cable carries into whole messages.
#include "web/bind/BindValues.h"

#include "midi/MessageJoiner.h"
#include "midi/MidiBytes.h"

#include <utility>
#include <vector>

using emscripten::val;
using namespace amplix;
using namespace amplix::bind;

namespace {

val statusByteTable() {
    val out = val::object();
    out.set("sysexStart", kSysexStart);
    out.set("sysexEnd", kSysexEnd);
    out.set("controlChange", kControlChange);
    out.set("programChange", kProgramChange);
    return out;
}

// The joiner calls back inside feed(); the page wants the messages as feed()'s result instead.
class Joiner {
public:
    Joiner() : joiner_([this](MessageJoiner::Message m) { whole_.push_back(std::move(m)); }) {}

    val feed(const val& bytes) {
        joiner_.feed(bytesOf(bytes));
        const val out = arrayOf(whole_, [](const MessageJoiner::Message& m) { return byteArray(m); });
        whole_.clear();
        return out;
    }

private:
    std::vector<MessageJoiner::Message> whole_;
    MessageJoiner joiner_;
};

} // namespace

EMSCRIPTEN_BINDINGS(amplix_midi) {
    emscripten::function("statusBytes", &statusByteTable);
    emscripten::class_<Joiner>("MessageJoiner").constructor<>().function("feed", &Joiner::feed);
}
