// The device model: requests, dumps, store, programs, controllers, bad input. (How a controller's
// value is stored in the record: tone_map_test.)
#include "device/PodDevice.h"
#include "tone/ToneMap.h"

#include <gtest/gtest.h>

using namespace amplix;
using Bytes = std::vector<std::uint8_t>;

namespace {

// Bytes that differ from their neighbours and use both nibbles, so a byte out of place shows.
PatchRecord distinctRecord(std::uint8_t seed) {
    PatchRecord record{};
    for (std::size_t k = 0; k < record.size(); ++k)
        record[k] = std::uint8_t(seed + 37 * k);
    return record;
}
PatchRecord bankRecord(std::size_t n) {
    return distinctRecord(std::uint8_t(3 * n + 1));
}

// Built by hand rather than with the format's own builders, so these tests check those too.
Bytes sysex(Bytes head, std::size_t records, const PatchRecord& record = {}) {
    for (std::size_t n = 0; n < records; ++n)
        for (auto b : records == 1 ? record : bankRecord(n))
            head.insert(head.end(), {std::uint8_t(b >> 4), std::uint8_t(b & 0x0F)});
    head.push_back(0xF7);
    return head;
}
Bytes singleDump(const PatchRecord& record, std::uint8_t byte7) {
    return sysex({0xF0, 0x00, 0x01, 0x0C, 0x01, 0x01, 0x01, byte7}, 1, record);
}
Bytes bankDump(std::uint8_t byte7) {
    return sysex({0xF0, 0x00, 0x01, 0x0C, 0x01, 0x01, 0x02, byte7}, kPatchLocations);
}
Bytes storeMessage(std::uint8_t location, const PatchRecord& record) {
    return sysex({0xF0, 0x00, 0x01, 0x0C, 0x01, 0x01, 0x00, location, 0x11}, 1, record);
}
const Bytes kEditRequestBytes = {0xF0, 0x00, 0x01, 0x0C, 0x01, 0x00, 0x01, 0xF7};
const Bytes kBankRequestBytes = {0xF0, 0x00, 0x01, 0x0C, 0x01, 0x00, 0x02, 0xF7};
constexpr std::uint8_t kByte7 = 0x35;

PodDevice deviceWithDistinctPatches() {
    PodDevice device;
    for (std::size_t n = 0; n < kPatchLocations; ++n)
        device.setPatch(n, bankRecord(n));
    device.setEditBuffer(distinctRecord(200));
    device.setByte7(kByte7);
    return device;
}
auto state(const PodDevice& d) {
    return std::tuple(d.editBuffer(), d.bankDump(), d.currentProgram());
}

constexpr int kChorusCode = 0;
constexpr std::size_t kEffectByte = 46;
constexpr int kChannel = 5;

// The record as a dump from the device shows it now.
PatchRecord dumpedEditBuffer(PodDevice& device) {
    const auto replies = device.receive(kEditRequestBytes);
    EXPECT_EQ(replies.size(), 1u);
    return replies.empty() ? PatchRecord{} : readRecord(replies.front(), kDumpDataOffset);
}

// Distinct bytes, with the given effect in the low nibble of the effect byte; the high nibble
// is set so a device that reads the whole byte picks the wrong layout.
PodDevice deviceEditingEffect(int effect) {
    PodDevice device;
    device.setChannel(kChannel);
    PatchRecord record = distinctRecord(11);
    record[kEffectByte] = std::uint8_t(0x30 | effect);
    device.setEditBuffer(record);
    return device;
}

Bytes controlChange(int controller, int value) {
    return {std::uint8_t(0xB0 | kChannel), std::uint8_t(controller), std::uint8_t(value)};
}

} // namespace

// Byte 7 belongs to the device: what came in is not echoed back.
TEST(PodDevice, DumpsComeAndGoByteExactly) {
    PodDevice device = deviceWithDistinctPatches();
    EXPECT_EQ(device.receive(kEditRequestBytes), std::vector<Bytes>{singleDump(distinctRecord(200), kByte7)});
    EXPECT_EQ(device.receive(kBankRequestBytes), std::vector<Bytes>{bankDump(kByte7)});

    EXPECT_TRUE(device.receive(singleDump(distinctRecord(42), 0x66)).empty());
    EXPECT_EQ(device.receive(kEditRequestBytes), std::vector<Bytes>{singleDump(distinctRecord(42), kByte7)});
    EXPECT_EQ(device.patch(0), bankRecord(0)); // a single dump loads the edit buffer only

    PodDevice fresh;
    fresh.setByte7(kByte7);
    EXPECT_TRUE(fresh.receive(bankDump(kByte7)).empty());
    EXPECT_EQ(fresh.receive(kBankRequestBytes), std::vector<Bytes>{bankDump(kByte7)});
    EXPECT_EQ(std::pair(fresh.editBuffer(), fresh.currentProgram()),
              std::pair(bankRecord(0), 1)); // 1A chosen
}

TEST(PodDevice, StoreMessageWritesItsLocationOnly) {
    for (auto [location, storedAt] : {std::pair{0x00, 0}, {0x05, 5}, {0x23, 35}, {0x24, -1}, {0x7F, -1}}) {
        PodDevice device = deviceWithDistinctPatches();
        const auto before = state(device);
        EXPECT_TRUE(device.receive(storeMessage(std::uint8_t(location), distinctRecord(99))).empty());
        for (std::size_t n = 0; n < kPatchLocations; ++n)
            EXPECT_EQ(device.patch(n), int(n) == storedAt ? distinctRecord(99) : bankRecord(n)) << location;
        if (storedAt < 0) {
            EXPECT_EQ(state(device), before) << location;
        } else {
            EXPECT_EQ(std::pair(device.currentProgram(), device.editBuffer()),
                      std::pair(storedAt + 1, distinctRecord(99)));
        }
    }
}

TEST(PodDevice, ProgramChangesOnItsOwnChannel) {
    // The message; the location loaded (-1: the edit buffer kept); the reply; the program then.
    const std::tuple<Bytes, int, Bytes, int> cases[] = {
        {{0xC0, 0x01}, 0, {0xC0, 0x01}, 1},
        {{0xC0, 0x24}, 35, {0xC0, 0x24}, 36},
        {{0xC0, 0x01, 0x00}, 0, {0xC0, 0x01}, 1}, // the packed word's unused third byte
        {{0xC0, 0x00}, -1, {0xC0, 0x00}, 0},      // Manual Mode keeps the sound
        {{0xC0, 0x25}, -1, {}, 7},
        {{0xC0, 0x7F}, -1, {}, 7},
        {{0xC1, 0x05}, -1, {}, 7}, // another channel
        {{0xC0}, -1, {}, 7},       // cut short
    };
    for (bool echo : {true, false}) {
        for (const auto& [message, loads, reply, program] : cases) {
            PodDevice device = deviceWithDistinctPatches();
            device.receive(Bytes{0xC0, 0x07});
            device.setEditBuffer(distinctRecord(200));
            device.setEchoProgramChange(echo);
            EXPECT_EQ(device.receive(message),
                      reply.empty() || !echo ? std::vector<Bytes>{} : std::vector<Bytes>{reply});
            EXPECT_EQ(device.editBuffer(), loads < 0 ? distinctRecord(200) : bankRecord(std::size_t(loads)));
            EXPECT_EQ(device.currentProgram(), program) << testing::PrintToString(message);
        }
    }
    PodDevice device = deviceWithDistinctPatches();
    EXPECT_FALSE(device.setChannel(16));
    ASSERT_TRUE(device.setChannel(9));
    EXPECT_TRUE(device.receive(Bytes{0xC0, 0x03}).empty());
    EXPECT_EQ(device.editBuffer(), distinctRecord(200));
    EXPECT_EQ(device.receive(Bytes{0xC9, 0x03}), std::vector<Bytes>{Bytes({0xC9, 0x03})});
    EXPECT_EQ(device.editBuffer(), bankRecord(2));
    EXPECT_EQ(device.receive(kEditRequestBytes).size(), 1u); // SysEx carries no channel
}

TEST(PodDevice, IgnoresMalformedAndTruncatedMessages) {
    // The last three: an unknown request, another maker's, a request a byte too long.
    std::vector<Bytes> bad = {{},
                              {0xF0},
                              {0xF7},
                              {0x05},
                              {0x01, 0x0C},
                              {0xF8},
                              {0xF0, 0xF7},
                              {0xF0, 0x00, 0x01, 0x0C, 0x01, 0x00, 0x03, 0xF7},
                              {0xF0, 0x00, 0x01, 0x0D, 0x01, 0x00, 0x01, 0xF7},
                              {0xF0, 0x00, 0x01, 0x0C, 0x01, 0x00, 0x01, 0x00, 0xF7}};
    for (const Bytes& message : {kEditRequestBytes, kBankRequestBytes, singleDump(distinctRecord(9), 0),
                                 storeMessage(0x04, distinctRecord(9)), bankDump(0)}) {
        // Every cut a broken transfer can leave, bare or closed with F7.
        for (std::size_t size = 1; size < message.size(); ++size) {
            bad.emplace_back(message.begin(), message.begin() + std::ptrdiff_t(size));
            if (size + 1 < message.size()) { // closing the longest cut gives the whole message
                bad.push_back(bad.back());
                bad.back().push_back(0xF7);
            }
        }
        bad.push_back(message);
        bad.back().insert(bad.back().end() - 1, 0x00); // longer
        bad.push_back(message);
        bad.back().back() = 0x00; // unterminated
        bad.push_back(message);
        bad.back()[message.size() / 2] = 0x90; // broken by a status byte
        for (std::size_t at : {message.size() / 3, message.size() - 2}) {
            bad.push_back(message);
            bad.back()[at] |= 0x10; // a nibble too wide, or a request's byte changed
        }
    }
    PodDevice device = deviceWithDistinctPatches();
    const auto before = state(device);
    for (const auto& message : bad) {
        EXPECT_TRUE(device.receive(message).empty()) << "size " << message.size();
        ASSERT_EQ(state(device), before) << "size " << message.size();
    }
}

TEST(PodDeviceControllers, ChoosingAnEffectSwitchesItsDelayAndModulationOn) {
    const std::tuple<int, std::uint8_t, std::uint8_t> cases[] = {
        {6, 1, 0}, {10, 0, 0}, {8, 0, 1}, {4, 1, 1}, {2, 0, 1}, {11, 0, 0}, {14, 1, 0}, {5, 1, 1}};
    for (const auto& [code, delayOn, effectOn] : cases) {
        PodDevice device = deviceEditingEffect(kChorusCode);
        PatchRecord expected = device.editBuffer();
        device.receive(controlChange(19, code));
        const PatchRecord after = dumpedEditBuffer(device);
        EXPECT_EQ(after[kEffectByte] & 0x0F, code);
        expected[kEffectByte] = after[kEffectByte];
        expected[3] = delayOn;
        expected[4] = effectOn;
        EXPECT_EQ(after, expected) << code;
    }
}

TEST(PodDeviceControllers, SomeChangeNothing) {
    // Tap tempo the device only sends; the wah switch has no byte in a patch; no such
    // controllers; another channel; cut short; a status byte for a value.
    const Bytes messages[] = {controlChange(64, 127),
                              controlChange(43, 127),
                              controlChange(0, 5),
                              controlChange(60, 5),
                              controlChange(127, 5),
                              {std::uint8_t(0xB0 | (kChannel + 1)), 13, 100},
                              {std::uint8_t(0xB0 | kChannel), 13},
                              {std::uint8_t(0xB0 | kChannel), 13, 0x80}};
    PodDevice device = deviceEditingEffect(kChorusCode);
    const PatchRecord before = device.editBuffer();
    for (const auto& message : messages)
        EXPECT_TRUE(device.receive(message).empty()) << testing::PrintToString(message);
    EXPECT_EQ(device.tapTempo(), Bytes({0xB5, 64, 127}));
    EXPECT_EQ(device.editBuffer(), before);
}

TEST(PodDeviceControllers, EditsStayInTheEditBufferUntilAnotherPatchIsChosen) {
    PodDevice device;
    const PatchRecord stored = device.patch(0);
    device.receive(Bytes{0xB0, 13, 100});
    EXPECT_EQ(device.turnControl(14, 20), Bytes({0xB0, 14, 20})); // a knob turned at the device
    EXPECT_EQ(device.editBuffer()[9], 50);
    EXPECT_EQ(device.editBuffer()[11], 10);
    EXPECT_EQ(device.patch(0), stored);
    // Manual Mode keeps the sound as edited; choosing a patch brings back what is stored.
    EXPECT_EQ(device.receive(Bytes{0xC0, 0x00}), std::vector<Bytes>{Bytes({0xC0, 0x00})});
    EXPECT_EQ(device.editBuffer()[9], 50);
    EXPECT_EQ(device.receive(Bytes{0xC0, 0x01}), std::vector<Bytes>{Bytes({0xC0, 0x01})});
    EXPECT_EQ(device.editBuffer(), stored);
}
