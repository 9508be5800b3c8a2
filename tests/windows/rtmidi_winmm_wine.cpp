// The MIDI service on the Windows multimedia API, as a Windows program under Wine. Wine's MIDI
// driver talks to the ALSA sequencer, and the sequencer model preloaded into Wine stands for a
// USB MIDI interface with a POD behind it: the ports by name, the inquiry, a patch read and a
// bank sent at the cable's pace, through the same service the editor uses on Linux.
#include "device/FactoryPatches.h"
#include "midi/CablePacing.h"
#include "midi/DeviceInquiry.h"
#include "midi/RtMidiService.h"
#include "patch/SysexFormat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace amplix {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Wine names a device by its sequencer port.
const std::string kInterface = "USB MIDI Interface MIDI 1";

// What comes back from the interface, from the input's own thread.
struct Inbox : MidiInputSink {
    void midiData(MidiHandle, std::uint32_t message) override {
        std::lock_guard lock(mutex);
        shortMessages.push_back(message);
        arrived.notify_all();
    }
    void midiLongData(MidiHandle, std::shared_ptr<SysexBuffer> buffer) override {
        std::lock_guard lock(mutex);
        buffers.push_back(std::move(buffer));
        arrived.notify_all();
    }
    void midiError(MidiHandle, std::uint32_t) override { ++errors; }
    void midiLongError(MidiHandle, std::shared_ptr<SysexBuffer>) override { ++errors; }

    std::shared_ptr<SysexBuffer> next(std::chrono::milliseconds limit) {
        std::unique_lock lock(mutex);
        if (!arrived.wait_for(lock, limit, [&] { return !buffers.empty(); }))
            return nullptr;
        auto buffer = buffers.front();
        buffers.erase(buffers.begin());
        return buffer;
    }

    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<std::uint32_t> shortMessages;
    std::vector<std::shared_ptr<SysexBuffer>> buffers;
    int errors = 0;
};

std::vector<std::string> names(RtMidiService& rt, bool inputs) {
    std::vector<std::string> out;
    const unsigned count = inputs ? rt.inputCount() : rt.outputCount();
    for (unsigned i = 0; i < count; ++i)
        out.push_back(inputs ? rt.inputName(i) : rt.outputName(i));
    return out;
}

unsigned indexOf(const std::vector<std::string>& list, const std::string& name) {
    return unsigned(std::find(list.begin(), list.end(), name) - list.begin());
}

std::vector<std::uint8_t> received(const SysexBuffer& buffer) {
    return {buffer.data.begin(), buffer.data.begin() + std::ptrdiff_t(buffer.bytesRecorded)};
}

// The model's log of what reached the device ("device recv ..." and "overrun ..." lines).
std::string deviceLog() {
    const char* path = std::getenv("AMPLIX_ALSASEQ_LOG");
    std::ifstream in(path ? path : "", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The line the model logs for a message the device received whole.
std::string loggedAsReceived(std::span<const std::uint8_t> message) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string line = "device recv";
    for (const std::uint8_t byte : message)
        line += {' ', kDigits[byte >> 4], kDigits[byte & 0x0F]};
    return line + "\n";
}

// The service with both ports open on the interface and the input started.
class WinMMOnWine : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(rt.apiName(), "winmm");
        ASSERT_EQ(rt.openOutput(indexOf(names(rt, false), kInterface), out), MidiResult::Ok);
        ASSERT_EQ(rt.openInput(indexOf(names(rt, true), kInterface), inbox, in), MidiResult::Ok);
        ASSERT_EQ(rt.startInput(in), MidiResult::Ok);
    }
    void TearDown() override {
        EXPECT_EQ(rt.closeInput(in), MidiResult::Ok);
        EXPECT_EQ(rt.closeOutput(out), MidiResult::Ok);
        EXPECT_EQ(inbox.errors, 0);
    }
    // Sends message with a fresh buffer armed; what came back, or nothing within limit.
    std::vector<std::uint8_t> ask(std::span<const std::uint8_t> message,
                                  std::chrono::milliseconds limit = 3s) {
        EXPECT_EQ(rt.addBuffer(in, std::make_shared<SysexBuffer>()), MidiResult::Ok);
        EXPECT_EQ(rt.sendSysex(out, message.data(), message.size()), MidiResult::Ok);
        const auto buffer = inbox.next(limit);
        return buffer ? received(*buffer) : std::vector<std::uint8_t>{};
    }

    Inbox inbox;
    RtMidiService rt; // after the inbox, so its input thread has ended before the inbox goes
    MidiHandle in = kNoHandle, out = kNoHandle;
};

// Listed by the name the settings keep, once in each direction, with no number added; a number
// past the list is refused.
TEST(WinMM, IsChosenAndListsTheInterfaceByItsOwnName) {
    RtMidiService rt;
    EXPECT_EQ(rt.apiName(), "winmm");
    for (const bool inputs : {true, false}) {
        const auto list = names(rt, inputs);
        EXPECT_EQ(std::count(list.begin(), list.end(), kInterface), 1) << inputs << ": " << list.size();
    }
    MidiHandle out = kNoHandle;
    EXPECT_EQ(rt.openOutput(rt.outputCount(), out), MidiResult::BadDeviceId);
    EXPECT_EQ(out, kNoHandle);
}

TEST_F(WinMMOnWine, TheDeviceInquiryIsAnsweredByAPod) {
    const auto inquiry = deviceInquiry(kInquiryAllChannels);
    const auto reply = ask(inquiry);
    const auto identity = readInquiryReply(reply);
    ASSERT_TRUE(identity) << reply.size() << " bytes";
    EXPECT_EQ(identity->member, kPodMember);
}

// The edit buffer comes back whole in one buffer: the factory's first patch, as the POD starts.
TEST_F(WinMMOnWine, ASinglePatchIsRead) {
    const auto dump = ask(kEditBufferRequest);
    ASSERT_EQ(dump.size(), kSingleDumpSize);
    EXPECT_FALSE(firstInvalidDumpByte(dump));
    EXPECT_EQ(readRecord(dump, kDumpDataOffset), factoryPatches()[0]);
}

// The factory bank reversed goes out as one paced SysEx: the send returns no earlier than the
// cable has carried it, the device takes it whole and unchanged (no overrun), and reads back the
// same patches.
TEST_F(WinMMOnWine, APacedBankArrivesIntact) {
    std::array<PatchRecord, kPatchLocations> reversed{};
    std::reverse_copy(factoryPatches().begin(), factoryPatches().end(), reversed.begin());
    const auto bank = buildBankDump(reversed);
    const std::size_t logged = deviceLog().size();
    const auto started = Clock::now();
    ASSERT_EQ(rt.sendSysex(out, bank.data(), bank.size()), MidiResult::Ok);
    EXPECT_GE(Clock::now() - started, cableTime(kBankDumpSize));

    const auto back = ask(kBankRequest, 12s);
    ASSERT_EQ(back.size(), kBankDumpSize);
    for (std::size_t n = 0; n < kPatchLocations; ++n)
        EXPECT_EQ(readRecord(back, bankPatchOffset(n)), reversed[n]) << locationLabel(n);
    const std::string log = deviceLog().substr(logged);
    EXPECT_EQ(log.find("overrun"), std::string::npos) << log.substr(0, 400);
    EXPECT_NE(log.find(loggedAsReceived(bank)), std::string::npos) << log.substr(0, 400);
}

} // namespace
} // namespace amplix
