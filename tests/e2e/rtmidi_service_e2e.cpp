// RtMidiService on a real JACK server, against the Python POD peer; and with no server at all.
#include "JackFixture.h"

#include "midi/RtMidiService.h"
#include "patch/SysexFormat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>

namespace amplix {
namespace {

using e2e::hex;
using std::chrono::milliseconds;
using Bytes = std::vector<std::uint8_t>;

const Bytes kEditRequest(kEditBufferRequest.begin(), kEditBufferRequest.end());
const Bytes kBankReq(kBankRequest.begin(), kBankRequest.end());
const Bytes kSingleDumpHeader(sysExHeader.begin(), sysExHeader.end());
const Bytes kBankDumpHeader(sysExHeaderAll.begin(), sysExHeaderAll.end());
constexpr std::size_t kFirstNibble = kDumpDataOffset;
constexpr std::size_t kNameSize = kNameLength;
constexpr std::size_t kJackLargestSysex = 16379;
constexpr milliseconds kAnswerLimit{3000};
constexpr milliseconds kQuietTime{300};
constexpr int kAttempts = 3;

// Collects what the service delivers; the calls come from the JACK process thread.
class RecordingSink : public MidiInputSink {
public:
    void midiData(MidiHandle, std::uint32_t message) override {
        note([&] { shorts.push_back(message); });
    }
    void midiLongData(MidiHandle, std::shared_ptr<SysexBuffer> buffer) override {
        note([&] { buffers.push_back(std::move(buffer)); });
    }
    void midiError(MidiHandle, std::uint32_t) override {
        note([&] { ++errors; });
    }
    void midiLongError(MidiHandle, std::shared_ptr<SysexBuffer>) override {
        note([&] { ++errors; });
    }

    std::shared_ptr<SysexBuffer> waitForBuffer(milliseconds limit) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, limit, [&] { return !buffers.empty(); });
        return buffers.empty() ? nullptr : buffers.front();
    }
    int calls() {
        std::lock_guard lock(mutex_);
        return calls_;
    }
    void clear() {
        std::lock_guard lock(mutex_);
        buffers.clear();
    }

    std::vector<std::shared_ptr<SysexBuffer>> buffers;
    std::vector<std::uint32_t> shorts;
    int errors = 0;

private:
    template <typename F> void note(F&& f) {
        {
            std::lock_guard lock(mutex_);
            f();
            ++calls_;
        }
        changed_.notify_all();
    }
    std::mutex mutex_;
    std::condition_variable changed_;
    int calls_ = 0;
};

std::vector<std::string> names(unsigned count, auto&& nameOf) {
    std::vector<std::string> out;
    for (unsigned i = 0; i < count; ++i)
        out.push_back(nameOf(i));
    return out;
}

// Patch n's name out of the nibble pairs of a dump.
std::string patchName(const SysexBuffer& dump, std::size_t patch) {
    std::string name;
    for (std::size_t k = kNameOffset; k < kNameOffset + kNameSize; ++k) {
        const std::size_t at = kFirstNibble + 2 * (patch * kRecordSize + k);
        name += char(dump.data[at] << 4 | dump.data[at + 1]);
    }
    return name;
}

bool nibblesOnly(const SysexBuffer& dump, std::size_t size) {
    return std::all_of(dump.data.begin() + kFirstNibble, dump.data.begin() + (size - 1),
                       [](std::uint8_t b) { return b <= 0x0F; });
}

Bytes dumpLike(std::size_t size, const Bytes& header) {
    Bytes bytes(size);
    std::copy(header.begin(), header.end(), bytes.begin());
    for (std::size_t i = header.size(); i + 1 < size; ++i)
        bytes[i] = std::uint8_t((i * 7) & 0x0F);
    bytes.back() = kSysexEnd;
    return bytes;
}

class RtMidiOnJack : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("AMPLIX_MIDI_API", "jack", 1);
        std::string whyNot;
        if (!jack_.start(whyNot))
            GTEST_SKIP() << "JACK cannot start here: " << whyNot;
        std::printf("jackd ready after %.3f s\n", jack_.readySeconds());
        ASSERT_TRUE(peer_.start(whyNot)) << whyNot;
        std::printf("peer ready after %.3f s\n", peer_.readySeconds());
        service_ = std::make_unique<RtMidiService>();
        ASSERT_EQ(service_->apiName(), "jack");
    }

    void TearDown() override {
        service_.reset(); // its JACK clients go before the server does
        peer_.stop();
        jack_.stop();
    }

    unsigned indexOf(const std::vector<std::string>& list, const std::string& name) {
        auto it = std::find(list.begin(), list.end(), name);
        EXPECT_NE(it, list.end()) << name << " is not listed";
        return unsigned(it - list.begin());
    }
    std::vector<std::string> inputs() {
        return names(service_->inputCount(), [&](unsigned i) { return service_->inputName(i); });
    }
    std::vector<std::string> outputs() {
        return names(service_->outputCount(), [&](unsigned i) { return service_->outputName(i); });
    }

    // Opens both ports to the peer and starts input.
    void connect() {
        const unsigned out = indexOf(outputs(), peer_.inputPort());
        const unsigned in = indexOf(inputs(), peer_.outputPort());
        ASSERT_EQ(service_->openOutput(out, output_), kMidiOk);
        ASSERT_EQ(service_->openInput(in, sink_, input_), kMidiOk);
        ASSERT_EQ(service_->startInput(input_), kMidiOk);
    }

    // Sends a request with a fresh buffer armed and waits for the buffer to come back. An
    // answer lost in a period jackd dropped (an xrun) is asked for again; one lost without an
    // xrun is a fault and is not.
    std::shared_ptr<SysexBuffer> request(const Bytes& message, double* roundTripMs = nullptr) {
        for (int attempt = 0; attempt < kAttempts; ++attempt) {
            const int xruns = jack_.xruns();
            EXPECT_EQ(service_->addBuffer(input_, std::make_shared<SysexBuffer>()), kMidiOk);
            const auto sent = e2e::Clock::now();
            EXPECT_EQ(service_->sendSysex(output_, message.data(), message.size()), kMidiOk);
            if (auto answer = sink_.waitForBuffer(kAnswerLimit)) {
                if (roundTripMs)
                    *roundTripMs =
                        std::chrono::duration<double, std::milli>(e2e::Clock::now() - sent).count();
                return answer;
            }
            if (jack_.xruns() == xruns)
                break;
            service_->resetInput(input_); // hands the armed buffer back, as the editor's time-out does
            service_->startInput(input_);
            sink_.clear();
        }
        return nullptr;
    }

    std::string transportNote() {
        return "jackd xruns: " + std::to_string(jack_.xruns()) + "; peer log:\n" + peer_.log();
    }

    e2e::JackServer jack_;
    e2e::PodPeer peer_;
    std::unique_ptr<RtMidiService> service_;
    RecordingSink sink_;
    MidiHandle output_ = kNoHandle;
    MidiHandle input_ = kNoHandle;
};

TEST_F(RtMidiOnJack, ListsThePeerButNeverItsOwnPorts) {
    const auto inputsBefore = inputs();
    const auto outputsBefore = outputs();
    indexOf(inputsBefore, peer_.outputPort());
    indexOf(outputsBefore, peer_.inputPort());

    connect();
    // Our open ports would otherwise appear in the other list and shift the numbers.
    EXPECT_EQ(inputs(), inputsBefore);
    EXPECT_EQ(outputs(), outputsBefore);

    struct Case {
        const char* what;
        unsigned index;
    };
    const Case cases[] = {{"far out", 999}, {"one past the end of inputs", unsigned(inputsBefore.size())}};
    for (const auto& c : cases) {
        MidiHandle handle = 12345;
        EXPECT_EQ(service_->openInput(c.index, sink_, handle), kMidiBadDeviceId) << c.what;
        EXPECT_EQ(handle, kNoHandle) << c.what;
    }
    const Case outputCases[] = {{"far out", 999},
                                {"one past the end of outputs", unsigned(outputsBefore.size())}};
    for (const auto& c : outputCases) {
        MidiHandle handle = 12345;
        EXPECT_EQ(service_->openOutput(c.index, handle), kMidiBadDeviceId) << c.what;
        EXPECT_EQ(handle, kNoHandle) << c.what;
    }
}

TEST_F(RtMidiOnJack, EditBufferRequestBringsTheWholeSinglePatchDump) {
    connect();
    double roundTripMs = 0;
    auto dump = request(kEditRequest, &roundTripMs);
    ASSERT_NE(dump, nullptr) << "no answer; " << transportNote();
    std::printf("edit-buffer request to whole dump: %.2f ms\n", roundTripMs);

    EXPECT_EQ(dump->bytesRecorded, kSingleDumpSize);
    EXPECT_TRUE(std::equal(kSingleDumpHeader.begin(), kSingleDumpHeader.end(), dump->data.begin()));
    EXPECT_EQ(dump->data[kSingleDumpSize - 1], kSysexEnd);
    EXPECT_TRUE(nibblesOnly(*dump, kSingleDumpSize));
    EXPECT_EQ(patchName(*dump, 0), "Peer Edit Buffer");
    const auto record = peer_.waitForRecord(1, kAnswerLimit);
    ASSERT_FALSE(record.empty()) << transportNote();
    EXPECT_EQ(record.front(), hex(kEditRequest));

    // A few more for a steadier figure; the buffer is armed anew for each, as the editor does.
    std::vector<double> times;
    for (int i = 0; i < 10; ++i) {
        sink_.clear();
        auto again = request(kEditRequest, &roundTripMs);
        ASSERT_NE(again, nullptr) << "no answer; " << transportNote();
        EXPECT_EQ(again->bytesRecorded, kSingleDumpSize);
        times.push_back(roundTripMs);
    }
    std::sort(times.begin(), times.end());
    std::printf("round trip over 10: min %.2f ms, median %.2f ms, max %.2f ms\n", times.front(), times[5],
                times.back());
}

TEST_F(RtMidiOnJack, BankRequestBringsAll5121BytesInOneBuffer) {
    connect();
    double roundTripMs = 0;
    auto dump = request(kBankReq, &roundTripMs);
    ASSERT_NE(dump, nullptr) << "no answer; " << transportNote();
    std::printf("bank request to whole dump: %.2f ms\n", roundTripMs);

    EXPECT_EQ(dump->bytesRecorded, kBankDumpSize);
    EXPECT_TRUE(std::equal(kBankDumpHeader.begin(), kBankDumpHeader.end(), dump->data.begin()));
    EXPECT_EQ(dump->data[kBankDumpSize - 1], kSysexEnd);
    EXPECT_TRUE(nibblesOnly(*dump, kBankDumpSize));
    EXPECT_EQ(patchName(*dump, 0), "Peer Bank 01    ");
    EXPECT_EQ(patchName(*dump, 35), "Peer Bank 36    ");
    EXPECT_EQ(sink_.errors, 0);
}

TEST_F(RtMidiOnJack, WhatIsSentArrivesByteForByteInOrder) {
    connect();
    const Bytes singleDump = dumpLike(kSingleDumpSize, kSingleDumpHeader);
    const Bytes bankDump = dumpLike(kBankDumpSize, kBankDumpHeader);

    EXPECT_EQ(service_->sendShort(output_, packShortMessage(kControlChange | 2, 13, 100)), kMidiOk);
    EXPECT_EQ(service_->sendShort(output_, packShortMessage(kProgramChange | 2, 5)), kMidiOk);
    EXPECT_EQ(service_->sendSysex(output_, singleDump.data(), singleDump.size()), kMidiOk);
    EXPECT_EQ(service_->sendSysex(output_, bankDump.data(), bankDump.size()), kMidiOk);
    // Two banks straight after: the send waits for room instead of dropping one.
    EXPECT_EQ(service_->sendSysex(output_, bankDump.data(), bankDump.size()), kMidiOk);
    EXPECT_EQ(service_->sendSysex(output_, bankDump.data(), bankDump.size()), kMidiOk);

    const std::vector<std::string> expected{"b20d64",      "c205",        hex(singleDump),
                                            hex(bankDump), hex(bankDump), hex(bankDump)};
    EXPECT_EQ(peer_.waitForRecord(expected.size(), kAnswerLimit), expected) << transportNote();
}

TEST_F(RtMidiOnJack, RefusedSendsReportAnErrorAndSendNothing) {
    connect();
    const Bytes tooLong = dumpLike(kJackLargestSysex + 1, kSingleDumpHeader);
    const Bytes longest = dumpLike(kJackLargestSysex, kSingleDumpHeader);
    MidiHandle closed = kNoHandle;
    ASSERT_EQ(service_->openOutput(indexOf(outputs(), peer_.inputPort()), closed), kMidiOk);
    ASSERT_EQ(service_->closeOutput(closed), kMidiOk);

    struct Case {
        const char* what;
        MidiHandle output;
        const std::uint8_t* data;
        std::size_t size;
        int result;
    };
    const Case cases[] = {
        {"empty message", output_, kEditBufferRequest.data(), 0, kMidiError},
        {"no data", output_, nullptr, 8, kMidiError},
        {"longer than RtMidi's JACK queue", output_, tooLong.data(), tooLong.size(), kMidiError},
        {"closed output", closed, kEditBufferRequest.data(), kEditBufferRequest.size(), kMidiInvalidHandle},
    };
    for (const auto& c : cases)
        EXPECT_EQ(service_->sendSysex(c.output, c.data, c.size), c.result) << c.what;
    EXPECT_EQ(service_->sendShort(output_, 0x0D), kMidiError) << "data byte as status";
    EXPECT_EQ(service_->sendShort(output_, kSysexStart), kMidiError) << "SysEx start as a short message";

    // The longest message that fits still goes; it is the only thing the peer sees.
    EXPECT_EQ(service_->sendSysex(output_, longest.data(), longest.size()), kMidiOk);
    EXPECT_EQ(peer_.waitForRecord(1, kAnswerLimit), std::vector<std::string>{hex(longest)})
        << transportNote();
    std::this_thread::sleep_for(kQuietTime);
    EXPECT_EQ(peer_.record().size(), 1u);
}

TEST_F(RtMidiOnJack, ClosedInputHearsNothingAndReopensCleanly) {
    connect();
    ASSERT_EQ(service_->addBuffer(input_, std::make_shared<SysexBuffer>()), kMidiOk);
    ASSERT_EQ(service_->closeInput(input_), kMidiOk);
    EXPECT_EQ(service_->closeInput(input_), kMidiInvalidHandle);
    EXPECT_EQ(service_->addBuffer(input_, std::make_shared<SysexBuffer>()), kMidiInvalidHandle);

    // The peer answers, but nobody listens any more.
    ASSERT_EQ(service_->sendSysex(output_, kEditBufferRequest.data(), kEditBufferRequest.size()), kMidiOk);
    ASSERT_EQ(peer_.waitForRecord(1, kAnswerLimit).size(), 1u) << transportNote();
    std::this_thread::sleep_for(kQuietTime);
    EXPECT_EQ(sink_.calls(), 0);

    const MidiHandle old = input_;
    ASSERT_EQ(service_->openInput(indexOf(inputs(), peer_.outputPort()), sink_, input_), kMidiOk);
    EXPECT_NE(input_, old);
    ASSERT_EQ(service_->startInput(input_), kMidiOk);
    auto dump = request(kEditRequest);
    ASSERT_NE(dump, nullptr) << "no answer; " << transportNote();
    EXPECT_EQ(dump->bytesRecorded, kSingleDumpSize);
}

// With no server to talk to, the editor must still start: nothing listed, nothing opened,
// nothing thrown, nothing printed.
TEST(RtMidiWithoutJack, ListsNothingAndRefusesEveryOpen) {
    const std::string nobody = "amplix-e2e-nobody-" + std::to_string(getpid());
    setenv("JACK_DEFAULT_SERVER", nobody.c_str(), 1);
    setenv("JACK_NO_START_SERVER", "1", 1);
    const bool sequencer = std::filesystem::exists("/dev/snd/seq");

    struct Case {
        const char* api;
        const char* expectedApi; // where the machine has no ALSA sequencer
        bool quiet;              // a forced ALSA that fails is allowed its one complaint
    };
    const Case cases[] = {{"jack", "jack", true}, {"", "jack", true}, {"alsa", "none", false}};
    for (const auto& c : cases) {
        if (*c.api)
            setenv("AMPLIX_MIDI_API", c.api, 1);
        else
            unsetenv("AMPLIX_MIDI_API");
        if (sequencer && std::string(c.api) != "jack")
            continue; // a real sequencer answers here
        SCOPED_TRACE(std::string("AMPLIX_MIDI_API=") + c.api);

        ::testing::internal::CaptureStderr();
        {
            RtMidiService service;
            EXPECT_EQ(service.apiName(), c.expectedApi);
            EXPECT_EQ(service.inputCount(), 0u);
            EXPECT_EQ(service.outputCount(), 0u);
            EXPECT_EQ(service.inputName(0), "");
            RecordingSink sink;
            MidiHandle input = 1, output = 1;
            EXPECT_EQ(service.openInput(0, sink, input), kMidiBadDeviceId);
            EXPECT_EQ(service.openOutput(0, output), kMidiBadDeviceId);
            EXPECT_EQ(input, kNoHandle);
            EXPECT_EQ(output, kNoHandle);
            EXPECT_EQ(service.sendSysex(output, kEditBufferRequest.data(), kEditBufferRequest.size()),
                      kMidiInvalidHandle);
            EXPECT_EQ(service.inputCount(), 0u); // a second look retries and stays quiet too
        }
        const std::string printed = ::testing::internal::GetCapturedStderr();
        if (c.quiet) {
            EXPECT_EQ(printed, "");
        }
    }
}

} // namespace
} // namespace amplix
