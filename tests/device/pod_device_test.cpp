// Tests of the device model: requests, dumps, store, bank, program changes, hostile input, factory patches.
#include "device/FactoryPatches.h"
#include "device/PodDevice.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

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

std::array<PatchRecord, kPatchLocations> distinctBank() {
    std::array<PatchRecord, kPatchLocations> bank{};
    for (std::size_t n = 0; n < bank.size(); ++n)
        bank[n] = distinctRecord(std::uint8_t(3 * n + 1));
    return bank;
}

// The messages are built by hand here rather than with the format's own builders, so these
// tests check those too.
void appendNibbles(Bytes& message, const PatchRecord& record) {
    for (auto b : record) {
        message.push_back(b >> 4);
        message.push_back(b & 0x0F);
    }
}

Bytes singleDump(const PatchRecord& record, std::uint8_t byte7) {
    Bytes m = {0xF0, 0x00, 0x01, 0x0C, 0x01, 0x01, 0x01, byte7};
    appendNibbles(m, record);
    m.push_back(0xF7);
    return m;
}

Bytes bankDump(const std::array<PatchRecord, kPatchLocations>& bank, std::uint8_t byte7) {
    Bytes m = {0xF0, 0x00, 0x01, 0x0C, 0x01, 0x01, 0x02, byte7};
    for (const auto& record : bank)
        appendNibbles(m, record);
    m.push_back(0xF7);
    return m;
}

Bytes storeMessage(std::uint8_t location, const PatchRecord& record, std::uint8_t byte7) {
    Bytes m = {0xF0, 0x00, 0x01, 0x0C, 0x01, 0x01, 0x00, location, byte7};
    appendNibbles(m, record);
    m.push_back(0xF7);
    return m;
}

const Bytes kEditRequestBytes = {0xF0, 0x00, 0x01, 0x0C, 0x01, 0x00, 0x01, 0xF7};
const Bytes kBankRequestBytes = {0xF0, 0x00, 0x01, 0x0C, 0x01, 0x00, 0x02, 0xF7};
constexpr std::uint8_t kByte7 = 0x35;

PodDevice deviceWithDistinctPatches() {
    PodDevice device;
    auto bank = distinctBank();
    for (std::size_t n = 0; n < bank.size(); ++n)
        device.setPatch(n, bank[n]);
    device.setEditBuffer(distinctRecord(200));
    device.setByte7(kByte7);
    return device;
}

struct Snapshot {
    PatchRecord editBuffer;
    PodDevice::Message bank;
    int program;
    bool operator==(const Snapshot&) const = default;
};
Snapshot snapshot(const PodDevice& d) {
    return {d.editBuffer(), d.bankDump(), d.currentProgram()};
}

} // namespace

TEST(PodDevice, AnswersRequestsByteExactly) {
    PodDevice device = deviceWithDistinctPatches();
    EXPECT_EQ(device.receive(kEditRequestBytes), std::vector<Bytes>{singleDump(distinctRecord(200), kByte7)});
    EXPECT_EQ(device.receive(kBankRequestBytes), std::vector<Bytes>{bankDump(distinctBank(), kByte7)});
}

TEST(PodDevice, StoreMessageWritesItsLocationOnly) {
    struct Case {
        std::uint8_t location;
        int storedAt; // -1: refused
    };
    const Case cases[] = {{0x00, 0}, {0x05, 5}, {0x23, 35}, {0x24, -1}, {0x7F, -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.location));
        PodDevice device = deviceWithDistinctPatches();
        auto before = snapshot(device);
        PatchRecord stored = distinctRecord(99);
        EXPECT_TRUE(device.receive(storeMessage(c.location, stored, 0x11)).empty());
        for (std::size_t n = 0; n < kPatchLocations; ++n)
            EXPECT_EQ(device.patch(n), int(n) == c.storedAt ? stored : distinctBank()[n]) << "location " << n;
        if (c.storedAt < 0) {
            EXPECT_EQ(snapshot(device), before);
        } else {
            EXPECT_EQ(device.currentProgram(), c.storedAt + 1);
            EXPECT_EQ(device.editBuffer(), stored);
        }
    }
}

TEST(PodDevice, SingleDumpLoadsTheEditBufferOnly) {
    PodDevice device = deviceWithDistinctPatches();
    PatchRecord sent = distinctRecord(42);
    EXPECT_TRUE(device.receive(singleDump(sent, 0x66)).empty());
    EXPECT_EQ(device.editBuffer(), sent);
    EXPECT_EQ(device.patch(0), distinctBank()[0]);
    // Byte 7 belongs to the device; what came in is not echoed back.
    EXPECT_EQ(device.receive(kEditRequestBytes).at(0), singleDump(sent, kByte7));
}

TEST(PodDevice, BankDumpRoundTripsAndSelectsTheFirstPatch) {
    PodDevice device;
    device.setByte7(kByte7);
    auto bank = distinctBank();
    Bytes sent = bankDump(bank, kByte7);
    EXPECT_TRUE(device.receive(sent).empty());
    EXPECT_EQ(device.receive(kBankRequestBytes).at(0), sent);
    EXPECT_EQ(device.editBuffer(), bank[0]);
    EXPECT_EQ(device.currentProgram(), 1);
}

TEST(PodDevice, ProgramChanges) {
    struct Case {
        Bytes message;
        int loads;   // location loaded into the edit buffer; -1: edit buffer unchanged
        Bytes reply; // empty: no answer
        int program; // current program afterwards
    };
    const Case cases[] = {
        {{0xC0, 0x01}, 0, {0xC0, 0x01}, 1},
        {{0xC0, 0x24}, 35, {0xC0, 0x24}, 36},
        {{0xC0, 0x01, 0x00}, 0, {0xC0, 0x01}, 1}, // the packed word's unused third byte
        {{0xC0, 0x00}, -1, {0xC0, 0x00}, 0},      // Manual Mode keeps the sound
        {{0xC0, 0x25}, -1, {}, 7},
        {{0xC0, 0x7F}, -1, {}, 7},
        {{0xC1, 0x05}, -1, {}, 7}, // another channel
        {{0xC0}, -1, {}, 7},       // cut short
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.message));
        PodDevice device = deviceWithDistinctPatches();
        device.receive(Bytes{0xC0, 0x07});
        device.setEditBuffer(distinctRecord(200));
        auto replies = device.receive(c.message);
        EXPECT_EQ(replies, c.reply.empty() ? std::vector<Bytes>{} : std::vector<Bytes>{c.reply});
        EXPECT_EQ(device.editBuffer(),
                  c.loads < 0 ? distinctRecord(200) : distinctBank()[std::size_t(c.loads)]);
        EXPECT_EQ(device.currentProgram(), c.program);
    }
}

TEST(PodDevice, ProgramChangeWithoutEchoStillLoads) {
    PodDevice device = deviceWithDistinctPatches();
    device.setEchoProgramChange(false);
    EXPECT_TRUE(device.receive(Bytes{0xC0, 0x03}).empty());
    EXPECT_EQ(device.editBuffer(), distinctBank()[2]);
}

TEST(PodDevice, ListensOnItsOwnChannelOnly) {
    PodDevice device = deviceWithDistinctPatches();
    EXPECT_FALSE(device.setChannel(16));
    ASSERT_TRUE(device.setChannel(9));
    EXPECT_TRUE(device.receive(Bytes{0xC0, 0x03}).empty());
    EXPECT_EQ(device.editBuffer(), distinctRecord(200));
    EXPECT_EQ(device.receive(Bytes{0xC9, 0x03}), std::vector<Bytes>{Bytes({0xC9, 0x03})});
    EXPECT_EQ(device.editBuffer(), distinctBank()[2]);
    // SysEx carries no channel.
    EXPECT_EQ(device.receive(kEditRequestBytes).size(), 1u);
}

TEST(PodDevice, IgnoresMalformedAndTruncatedMessages) {
    std::vector<Bytes> bad = {
        {},
        {0xF0},
        {0xF7},
        {0x05},
        {0x01, 0x0C},
        {0xF8},
        {0xF0, 0xF7},
        {0xF0, 0x00, 0x01, 0x0C, 0x01, 0x00, 0x03, 0xF7}, // unknown request
        {0xF0, 0x00, 0x01, 0x0D, 0x01, 0x00, 0x01, 0xF7}, // another maker
        {0xF0, 0x00, 0x01, 0x0C, 0x01, 0x00, 0x01, 0x00, 0xF7},
    };
    const Bytes valid[] = {kEditRequestBytes, kBankRequestBytes, singleDump(distinctRecord(9), 0),
                           storeMessage(0x04, distinctRecord(9), 0), bankDump(distinctBank(), 0)};
    for (const auto& message : valid) {
        // Every cut a broken transfer can leave, bare or closed with F7.
        for (std::size_t size = 1; size < message.size(); ++size) {
            bad.emplace_back(message.begin(), message.begin() + std::ptrdiff_t(size));
            if (size + 1 < message.size()) { // closing the longest cut gives the whole message
                bad.emplace_back(message.begin(), message.begin() + std::ptrdiff_t(size));
                bad.back().push_back(0xF7);
            }
        }
        Bytes longer = message;
        longer.insert(longer.end() - 1, 0x00);
        bad.push_back(longer);
        Bytes unterminated = message;
        unterminated.back() = 0x00;
        bad.push_back(unterminated);
        Bytes brokenByStatus = message;
        brokenByStatus[message.size() / 2] = 0x90;
        bad.push_back(brokenByStatus);
    }
    for (std::size_t at : {std::size_t(8), std::size_t(100), std::size_t(149)}) {
        Bytes wideNibble = singleDump(distinctRecord(9), 0);
        wideNibble[at] = 0x10;
        bad.push_back(wideNibble);
    }
    Bytes wideBankNibble = bankDump(distinctBank(), 0);
    wideBankNibble[5119] = 0x7F;
    bad.push_back(wideBankNibble);

    PodDevice device = deviceWithDistinctPatches();
    auto before = snapshot(device);
    for (const auto& message : bad) {
        EXPECT_TRUE(device.receive(message).empty()) << "size " << message.size();
        ASSERT_EQ(snapshot(device), before) << "size " << message.size();
    }
}

TEST(FactoryPatches, StayWithinTheRecordRanges) {
    // Largest value per record byte; bytes not listed are checked further down.
    std::array<int, kRecordParameterBytes> max{};
    max.fill(-1);
    for (std::size_t k : {0, 1, 2, 3, 4, 5, 6, 7, 24, 38})
        max[k] = 1;
    max[8] = 31;
    for (std::size_t k : {9, 10, 11, 12, 13, 14, 15, 17, 34, 36, 39, 40, 41, 42, 43, 45, 47})
        max[k] = 63;
    max[16] = 96;
    for (std::size_t k : {18, 19, 20, 22, 23})
        max[k] = 127;
    max[44] = 15;
    max[46] = 15;
    max[27] = 0x0F;
    for (std::size_t k : {21, 25, 26, 30, 31, 32, 33, 35, 37})
        max[k] = 0; // carried but never interpreted: left clear

    std::set<std::string> names;
    for (std::size_t n = 0; n < kPatchLocations; ++n) {
        SCOPED_TRACE("location " + locationLabel(n));
        const auto& p = factoryPatches()[n];
        for (std::size_t k = 0; k < max.size(); ++k) {
            if (max[k] >= 0) {
                EXPECT_LE(p[k], max[k]) << "byte " << k;
            }
        }

        auto word = [&](std::size_t k) { return 256 * (p[k] & 0x0F) + p[k + 1]; };
        EXPECT_LE(65536 * p[27] + 256 * p[28] + p[29], 98284);
        switch (p[46]) {
        case 0:
        case 1:
        case 3:
        case 4:
        case 8:
        case 12:
        case 13:
        case 15: // chorus and flanger
            EXPECT_LE(256 * p[48] + p[49], 6399);
            EXPECT_LE(word(50), 315);
            EXPECT_LE(p[52], 127);
            EXPECT_LE(word(53), 780);
            break;
        case 2: // rotary
            EXPECT_LE(p[48], 1);
            EXPECT_GE(word(49), 100);
            EXPECT_LE(word(49), 2894);
            EXPECT_GE(word(51), 100);
            EXPECT_LE(word(51), 2894);
            break;
        case 5:
        case 9: // tremolo
            EXPECT_LE(word(48), 3199);
            EXPECT_LE(p[50], 127);
            break;
        case 7:
        case 11: // compressor
            EXPECT_LE(p[48], 5);
            break;
        case 14: // swell
            EXPECT_LE(p[48], 63);
            break;
        default:
            break;
        }

        std::string name(p.begin() + kNameOffset, p.end());
        ASSERT_EQ(name.size(), 16u);
        EXPECT_NE(name.front(), ' ');
        for (unsigned char c : name)
            EXPECT_TRUE((c >= 0x20 && c <= 0x7E) || c >= 0xA0) << "character " << int(c);
        EXPECT_TRUE(names.insert(name).second) << "duplicate name " << name;
    }
}
