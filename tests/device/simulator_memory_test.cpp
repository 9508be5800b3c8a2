// The simulator's saved files taken back at start-up, refused with their reason, and the reset.
#include "device/SimulatorMemory.h"

#include "device/FactoryPatches.h"
#include "tone/ToneMap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

using namespace amplix;
using Bytes = std::vector<std::uint8_t>;

namespace {

PatchRecord distinctRecord(std::uint8_t seed) {
    PatchRecord record{};
    for (std::size_t k = 0; k < record.size(); ++k)
        record[k] = std::uint8_t(seed + 37 * k);
    return record;
}

// A device whose every patch and edit buffer differ from the factory's.
PodDevice usedDevice() {
    PodDevice device;
    for (std::size_t n = 0; n < kPatchLocations; ++n)
        device.setPatch(n, distinctRecord(std::uint8_t(3 * n + 1)));
    device.setEditBuffer(distinctRecord(200));
    return device;
}

SavedFile saved(const Bytes& bytes) {
    return SavedFile{bytes, {}};
}
const SavedFile kMissing{};

Bytes savedBank() {
    return usedDevice().bankDump();
}
Bytes savedEditBuffer() {
    return usedDevice().editBufferDump();
}

Bytes changed(Bytes bytes, std::size_t offset, std::uint8_t value) {
    bytes[offset] = value;
    return bytes;
}
Bytes cut(Bytes bytes, std::size_t size) {
    bytes.resize(size);
    return bytes;
}

bool hasFactoryPatches(const PodDevice& device) {
    for (std::size_t n = 0; n < kPatchLocations; ++n)
        if (device.patch(n) != factoryPatches()[n])
            return false;
    return true;
}

} // namespace

TEST(SimulatorMemory, WhatOneRunLeavesTheNextTakesBackWhole) {
    const PodDevice before = usedDevice();
    PodDevice after;
    const SimulatorRestore restore =
        restoreSimulator(after, saved(before.bankDump()), saved(before.editBufferDump()));
    EXPECT_TRUE(restore.bankTaken);
    EXPECT_TRUE(restore.editBufferTaken);
    EXPECT_EQ(restore.notice, "");
    EXPECT_EQ(after.bankDump(), before.bankDump());
    EXPECT_EQ(after.editBuffer(), before.editBuffer());
    EXPECT_EQ(after.currentProgram(), 1);
    // Trailing bytes are ignored as File > Open ignores them.
    Bytes longer = before.bankDump();
    longer.push_back(0x00);
    PodDevice again;
    EXPECT_TRUE(restoreSimulator(again, saved(longer), saved(before.editBufferDump())).bankTaken);
    EXPECT_EQ(again.bankDump(), before.bankDump());
}

struct BadFile {
    const char* name;
    std::function<SavedFile()> file;
    const char* reason;
};
void PrintTo(const BadFile& file, std::ostream* out) {
    *out << file.name;
}

const BadFile kBadBanks[] = {
    {"missing", [] { return kMissing; }, "simulator-bank.syx: not found"},
    {"unreadable",
     [] {
         return SavedFile{std::nullopt, "Permission denied"};
     },
     "simulator-bank.syx: cannot be read: Permission denied"},
    {"empty", [] { return saved({}); }, "simulator-bank.syx: the file is empty"},
    {"truncated", [] { return saved(cut(savedBank(), kBankDumpSize - 1)); },
     "simulator-bank.syx: 5120 bytes; a bank has 5121"},
    {"header only", [] { return saved(cut(savedBank(), 7)); },
     "simulator-bank.syx: 7 bytes; a bank has 5121"},
    {"bad nibble", [] { return saved(changed(savedBank(), 301, 0x55)); },
     "simulator-bank.syx: the byte at offset 301 is 0x55, more than a nibble (0x0F) holds"},
    {"status byte", [] { return saved(changed(savedBank(), 4000, 0x90)); },
     "simulator-bank.syx: the byte at offset 4000 is 0x90, a status byte inside the SysEx"},
    {"no end", [] { return saved(changed(savedBank(), kBankDumpSize - 1, 0x00)); },
     "simulator-bank.syx: the byte at offset 5120 is 0x00, not the closing 0xF7"},
    {"foreign", [] { return saved(Bytes(600, 'x')); }, "simulator-bank.syx: not a patch or bank file"},
    {"a single patch", [] { return saved(savedEditBuffer()); },
     "simulator-bank.syx: a single patch, not a bank"},
};

class RefusedBank : public testing::TestWithParam<BadFile> {};

// The factory patches stay; the edit buffer's own file is still taken.
TEST_P(RefusedBank, LeavesTheFactoryPatchesAndSaysWhy) {
    PodDevice device;
    const SimulatorRestore restore = restoreSimulator(device, GetParam().file(), saved(savedEditBuffer()));
    EXPECT_FALSE(restore.bankTaken);
    EXPECT_TRUE(restore.editBufferTaken);
    EXPECT_EQ(restore.notice,
              std::string(GetParam().reason) + "; the simulator starts with its factory patches");
    EXPECT_TRUE(hasFactoryPatches(device));
    EXPECT_EQ(device.editBuffer(), usedDevice().editBuffer());
}

INSTANTIATE_TEST_SUITE_P(Files, RefusedBank, testing::ValuesIn(kBadBanks), [](const auto& info) {
    std::string name = info.param.name;
    std::replace(name.begin(), name.end(), ' ', '_');
    return name;
});

const BadFile kBadEditBuffers[] = {
    {"missing", [] { return kMissing; }, "simulator-edit-buffer.pod: not found"},
    {"empty", [] { return saved({}); }, "simulator-edit-buffer.pod: the file is empty"},
    {"truncated", [] { return saved(cut(savedEditBuffer(), 150)); },
     "simulator-edit-buffer.pod: 150 bytes; a patch has 151"},
    {"bad nibble", [] { return saved(changed(savedEditBuffer(), 8, 0x10)); },
     "simulator-edit-buffer.pod: the byte at offset 8 is 0x10, more than a nibble (0x0F) holds"},
    {"foreign", [] { return saved(Bytes(151, 0xF0)); },
     "simulator-edit-buffer.pod: not a patch or bank file"},
    {"a bank", [] { return saved(savedBank()); }, "simulator-edit-buffer.pod: a bank, not a single patch"},
};

class RefusedEditBuffer : public testing::TestWithParam<BadFile> {};

// The saved bank is taken, and the edit buffer is its patch 1A, as the device's at power-on.
TEST_P(RefusedEditBuffer, StartsAsPatch1AOfTheSavedBank) {
    PodDevice device;
    const SimulatorRestore restore = restoreSimulator(device, saved(savedBank()), GetParam().file());
    EXPECT_TRUE(restore.bankTaken);
    EXPECT_FALSE(restore.editBufferTaken);
    EXPECT_EQ(restore.notice,
              std::string(GetParam().reason) + "; the simulator's edit buffer starts as patch 1A");
    EXPECT_EQ(device.bankDump(), savedBank());
    EXPECT_EQ(device.editBuffer(), usedDevice().patch(0));
}

INSTANTIATE_TEST_SUITE_P(Files, RefusedEditBuffer, testing::ValuesIn(kBadEditBuffers), [](const auto& info) {
    std::string name = info.param.name;
    std::replace(name.begin(), name.end(), ' ', '_');
    return name;
});

// Kept elsewhere than in files (the browser): the notice names the part as its keeper does.
TEST(SimulatorMemory, TheNoticeNamesWhatKeptThePart) {
    PodDevice device;
    const SavedNames names{"the kept bank", "the kept edit buffer"};
    EXPECT_EQ(restoreSimulator(device, saved({1, 2, 3}), kMissing, names).notice,
              "the kept bank: not a patch or bank file; the simulator starts with its factory patches");
    EXPECT_EQ(restoreSimulator(device, saved(device.bankDump()), saved({}), names).notice,
              "the kept edit buffer: the file is empty; the simulator's edit buffer starts as patch 1A");
}

// The first run: both missing, one line about the bank alone.
TEST(SimulatorMemory, AFirstRunStartsFromTheFactoryPatchesAt1A) {
    PodDevice device;
    device.setEditBuffer(distinctRecord(9)); // whatever it held is replaced
    const SimulatorRestore restore = restoreSimulator(device, kMissing, kMissing);
    EXPECT_EQ(restore.notice, "simulator-bank.syx: not found; the simulator starts with its factory patches");
    EXPECT_TRUE(hasFactoryPatches(device));
    EXPECT_EQ(device.editBuffer(), factoryPatches()[0]);
}

TEST(SimulatorMemory, ResetBringsTheFactoryPatchesBackAndSaysItIsAt1A) {
    PodDevice device = usedDevice();
    device.setChannel(4);
    EXPECT_EQ(resetSimulator(device), (PodDevice::Message{0xC4, 0x01}));
    EXPECT_TRUE(hasFactoryPatches(device));
    EXPECT_EQ(device.editBuffer(), factoryPatches()[0]);
    EXPECT_EQ(device.currentProgram(), 1);
    EXPECT_EQ(device.channel(), 4); // its settings are no patches
}

// The owner writes the files again when, and only when, the revision grows.
TEST(SimulatorMemory, TheRevisionGrowsExactlyWhenWhatIsKeptChanges) {
    PodDevice device;
    const auto drive = findParameter("Drive")->controller;
    struct Step {
        const char* what;
        std::function<void()> act;
        bool changes;
    };
    const Step steps[] = {
        {"drive to 100",
         [&] {
             device.receive(Bytes{0xB0, drive, 100});
         },
         true},
        {"drive to 100 again",
         [&] {
             device.receive(Bytes{0xB0, drive, 100});
         },
         false},
        {"edit-buffer request",
         [&] {
             device.receive(Bytes{0xF0, 0x00, 0x01, 0x0C, 0x01, 0x00, 0x01, 0xF7});
         },
         false},
        {"program 2",
         [&] {
             device.receive(Bytes{0xC0, 0x02});
         },
         true},
        {"manual mode",
         [&] {
             device.receive(Bytes{0xC0, 0x00});
         },
         false},
        {"the same patch stored back", [&] { device.setPatch(1, device.patch(1)); }, false},
        {"another patch stored", [&] { device.setPatch(1, distinctRecord(5)); }, true},
        {"channel", [&] { device.setChannel(3); }, false},
    };
    for (const Step& step : steps) {
        const auto before = device.revision();
        step.act();
        EXPECT_EQ(device.revision() != before, step.changes) << step.what;
    }
}
