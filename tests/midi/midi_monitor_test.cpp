// The monitor's lines for every kind of message, and the log the MIDI paths write into.
#include "midi/DeviceInquiry.h"
#include "midi/MidiMonitor.h"
#include "patch/SysexFormat.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace amplix;

namespace {

using Bytes = std::vector<std::uint8_t>;

template <std::size_t N> Bytes bytesOf(const std::array<std::uint8_t, N>& a) {
    return Bytes(a.begin(), a.end());
}

Bytes namedDump(const char* name) {
    auto dump = buildSingleDump(PatchRecord{});
    writeDumpName(dump, name);
    return bytesOf(dump);
}

Bytes storeMessage(const char* name, int location) {
    Bytes message = namedDump(name);
    message.push_back(0);
    makeStoreMessage(message, location);
    return message;
}

Bytes bankDump(const char* firstName) {
    std::array<PatchRecord, kPatchLocations> patches{};
    const Bytes first = namedDump(firstName);
    patches[0] = readRecord(first, kDumpDataOffset);
    return bytesOf(buildBankDump(patches));
}

struct Case {
    MidiDirection direction;
    Bytes bytes;
    std::string line;
};

constexpr auto In = MidiDirection::In;
constexpr auto Out = MidiDirection::Out;

} // namespace

TEST(MidiMonitor, ControllersAreNamedAsThePanelNamesTheirControls) {
    const std::vector<Case> cases = {
        {Out, {0xB0, 13, 100}, "out CC 13 Drive 100"},                // reversed slider
        {In, {0xB0, 1, 64}, "in CC 1 Rotary > Depth 64"},             // reversed slider, effect window
        {Out, {0xB0, 23, 90}, "out CC 23 Noise Gate > Threshold 90"}, // direct slider
        {Out, {0xB0, 26, 127}, "out CC 26 Vol Boost 127 (On)"},       // switch
        {In, {0xB0, 26, 63}, "in CC 26 Vol Boost 63 (Off)"},
        {Out, {0xB0, 12, 0}, "out CC 12 Amp Model 0 (Tube Preamp)"}, // indexed list
        {Out, {0xB0, 19, 2}, "out CC 19 Effects 2 (Rotary)"},        // mapped list: effect code
        {Out, {0xB0, 19, 99}, "out CC 19 Effects 99"},               // no effect has that code
        {Out, {0xB0, 37, 127}, "out CC 37 Reverb > Reverb Type 127 (Room Reverb)"}, // two entries
        {Out, {0xB0, 37, 0}, "out CC 37 Reverb > Reverb Type 0 (Spring Reverb)"},
        {Out, {0xB0, 42, 50}, "out CC 42 Compressor > Compression Ratio 50 (2:1)"}, // ratio steps
        {Out, {0xB0, 30, 12}, "out CC 30 Delay > Delay Time (high bits) 12"},       // delay time
        {Out, {0xB0, 62, 5}, "out CC 62 Delay > Delay Time (low bits) 5"},
        {In, {0xB0, 64, 127}, "in CC 64 Tap Tempo 127"},
        {In, {0xB0, 99, 100}, "in CC 99 100"},   // no parameter
        {In, {0xB5, 13, 0}, "in CC 13 Drive 0"}, // any channel
    };
    for (const Case& c : cases)
        EXPECT_EQ(describeMidi(c.direction, c.bytes), c.line);
}

TEST(MidiMonitor, ProgramsNameTheirLocation) {
    const std::vector<Case> cases = {
        {Out, {0xC0, 0}, "out Program 0 (Manual Mode)"},
        {Out, {0xC0, 1}, "out Program 1 (1A)"},
        {In, {0xC0, 9}, "in Program 9 (3A)"},
        {In, {0xC0, 36}, "in Program 36 (9D)"},
        {In, {0xC0, 37}, "in Program 37"},
        {In, {0xCF, 127}, "in Program 127"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(describeMidi(c.direction, c.bytes), c.line);
}

TEST(MidiMonitor, OtherShortMessagesAndStrayBytesShowTheirBytes) {
    const std::vector<Case> cases = {
        {In, {0x90, 0x3C, 0x64}, "in Message 90 3C 64"},
        {In, {0xF8}, "in Message F8"},
        {In, {0x0D}, "in Data byte 0D without a status byte"},
        {In, {0xB0, 13}, "in Message B0 0D"}, // cut short: no meaning guessed
        {In, {}, "in"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(describeMidi(c.direction, c.bytes), c.line);
}

TEST(MidiMonitor, SysexIsToldByWhatTheDeviceMakesOfIt) {
    Bytes cut = namedDump("Brit Crunch");
    cut.erase(cut.end() - 2); // still ends in F7
    Bytes bankCut = bankDump("Clean");
    bankCut.erase(bankCut.begin() + 100);
    Bytes storeCut = storeMessage("Lead", 5);
    storeCut.erase(storeCut.begin() + 20);
    const std::vector<Case> cases = {
        {Out, bytesOf(kEditBufferRequest), "out SysEx 8 bytes: edit buffer request"},
        {Out, bytesOf(kBankRequest), "out SysEx 8 bytes: bank request"},
        {In, namedDump("Brit Crunch"), "in SysEx 151 bytes: patch 'Brit Crunch'"},
        {In, namedDump("Caf\xE9"), "in SysEx 151 bytes: patch 'Caf\xE9'"}, // Latin-1 as kept
        {In, namedDump(""), "in SysEx 151 bytes: patch ''"},
        {In, namedDump(" Two  Blanks "), "in SysEx 151 bytes: patch ' Two  Blanks'"}, // the padding goes
        {In, cut, "in SysEx 150 bytes: patch cut short"},
        {In, bankDump("Clean"), "in SysEx 5121 bytes: bank of 36 patches, 1A 'Clean'"},
        {In, bankCut, "in SysEx 5120 bytes: bank cut short"},
        {Out, storeMessage("Lead", 5), "out SysEx 152 bytes: store to 2B, patch 'Lead'"},
        {Out, storeCut, "out SysEx 151 bytes: patch cut short"},
        {Out, bytesOf(deviceInquiry(0)), "out SysEx 6 bytes: device inquiry on channel 1"},
        {Out, bytesOf(deviceInquiry(15)), "out SysEx 6 bytes: device inquiry on channel 16"},
        {Out, bytesOf(deviceInquiry(kInquiryAllChannels)),
         "out SysEx 6 bytes: device inquiry on every channel"},
        {In, bytesOf(inquiryReply({1, kPodMember, {'0', '1', '0', '0'}})),
         "in SysEx 17 bytes: inquiry reply from a POD (software 1.00) on channel 2"},
        {In, bytesOf(inquiryReply({kInquiryAllChannels, kPodProMember, {'0', '2', '0', '3'}})),
         "in SysEx 17 bytes: inquiry reply from a POD Pro (software 2.03) for every channel"},
        {In, {0xF0, 0x43, 0x10, 0x01, 0xF7}, "in SysEx 5 bytes"}, // another maker's
        {In, {0xF0, 0x00, 0x01, 0x0C}, "in SysEx 4 bytes: not ended"},
        {In, {0xF0}, "in SysEx 1 bytes: not ended"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(describeMidi(c.direction, c.bytes), c.line);
}

TEST(MidiMonitor, LinesStartWithTheTimeOfDay) {
    const Bytes pc = {0xC0, 9};
    EXPECT_EQ(monitorLine(0, In, pc), "00:00:00.000 in Program 9 (3A)");
    EXPECT_EQ(monitorLine(((13 * 60 + 5) * 60 + 9) * 1000 + 42, Out, pc), "13:05:09.042 out Program 9 (3A)");
    EXPECT_EQ(monitorLine(24 * 3600 * 1000 - 1, In, pc), "23:59:59.999 in Program 9 (3A)");
}

TEST(MidiMonitorLog, KeepsNothingUntilListenedToAndNothingAfterStop) {
    MidiMonitorLog log;
    const std::uint8_t cc[3] = {0xB0, 13, 100};
    log.note(Out, cc, 3);
    EXPECT_FALSE(log.listening());
    int wakes = 0;
    log.listen([&] { ++wakes; });
    EXPECT_TRUE(log.take().empty());
    log.note(Out, cc, 3);
    log.noteShort(In, 0x0509C0); // program 9; the third byte is no part of it
    log.noteShort(In, 0x0D);     // a lone data byte
    log.note(In, cc, 0);         // an input's empty buffer coming back
    EXPECT_EQ(wakes, 1);         // once until taken
    const auto entries = log.take();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].direction, Out);
    EXPECT_EQ(entries[0].bytes, (Bytes{0xB0, 13, 100}));
    EXPECT_EQ(entries[1].bytes, (Bytes{0xC0, 9}));
    EXPECT_EQ(entries[2].bytes, (Bytes{0x0D}));
    EXPECT_GT(entries[0].msSinceEpoch, 0);
    log.note(Out, cc, 3);
    EXPECT_EQ(wakes, 2);
    log.stop();
    log.note(Out, cc, 3);
    EXPECT_TRUE(log.take().empty());
    EXPECT_EQ(wakes, 2);
}

TEST(MidiMonitorLog, KeepsTheNewestWhenNobodyTakesAndCountsTheRest) {
    MidiMonitorLog log;
    log.listen(nullptr);
    for (std::size_t i = 0; i < MidiMonitorLog::kMaxPending + 5; ++i) {
        const std::uint8_t pc[2] = {0xC0, std::uint8_t(i % 128)};
        log.note(In, pc, 2);
    }
    const auto entries = log.take();
    ASSERT_EQ(entries.size(), MidiMonitorLog::kMaxPending);
    EXPECT_EQ(entries.front().bytes[1], 5);
    EXPECT_EQ(log.takeDropped(), 5u);
    EXPECT_EQ(log.takeDropped(), 0u);
}

TEST(MidiMonitorLog, TwoThreadsNoteWhileOneTakesAndNothingIsLostOrTorn) {
    MidiMonitorLog log;
    log.listen([] {});
    constexpr int kEach = 2000;
    auto writer = [&](std::uint8_t controller) {
        for (int i = 0; i < kEach; ++i) {
            const std::uint8_t cc[3] = {0xB0, controller, std::uint8_t(i % 128)};
            log.note(In, cc, 3);
        }
    };
    std::thread a(writer, 13), b(writer, 14);
    std::vector<MonitorEntry> all;
    while (all.size() < 2 * kEach) {
        auto some = log.take();
        all.insert(all.end(), some.begin(), some.end());
    }
    a.join();
    b.join();
    int seen[2] = {0, 0};
    for (const auto& e : all) {
        ASSERT_EQ(e.bytes.size(), 3u);
        ASSERT_TRUE(e.bytes[1] == 13 || e.bytes[1] == 14);
        // Each writer's messages come in the order it wrote them.
        int& n = seen[e.bytes[1] - 13];
        EXPECT_EQ(e.bytes[2], n % 128);
        ++n;
    }
    EXPECT_EQ(seen[0], kEach);
    EXPECT_EQ(seen[1], kEach);
}
