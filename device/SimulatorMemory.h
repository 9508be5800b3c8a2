// What the built-in simulator keeps between runs: its 36 patches as a bank file and its edit
// buffer as a single-patch file beside it, both files as File > Open and the Library take them.
#pragma once

#include "device/PodDevice.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace amplix {

// The bank stays a plain bank file, so the edit buffer, which a bank has no room for, goes
// into a file of its own.
inline constexpr std::string_view kSimulatorBankFile = "simulator-bank.syx";
inline constexpr std::string_view kSimulatorEditBufferFile = "simulator-edit-buffer.pod";

// A saved file as found at start-up: its bytes, the system's reason when it is there but
// cannot be read, or neither when it is not there.
struct SavedFile {
    std::optional<std::vector<std::uint8_t>> bytes;
    std::string unreadable;
};

struct SimulatorRestore {
    bool bankTaken = false;
    bool editBufferTaken = false;
    // For the status line when a file was not taken; empty when both were.
    std::string notice;
};

// What the notice calls the two parts: the files' names, or what else keeps them.
struct SavedNames {
    std::string_view bank = kSimulatorBankFile;
    std::string_view editBuffer = kSimulatorEditBufferFile;
};

// Puts what the files hold into a device that has its factory patches. A bank not taken leaves
// the factory patches; an edit buffer not taken is patch 1A, as the device has at power-on.
// A file is taken only whole and of its own kind; anything File > Open refuses is refused.
SimulatorRestore restoreSimulator(PodDevice& device, const SavedFile& bank, const SavedFile& editBuffer,
                                  const SavedNames& names = {});

// The device back to its factory patches at patch 1A; returns the program change it sends to
// say where it is.
PodDevice::Message resetSimulator(PodDevice& device);

} // namespace amplix
