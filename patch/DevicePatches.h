// What the editor knows of the 36 patches the device holds, and the names it shows them by.
#pragma once

#include "patch/SysexFormat.h"

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>

namespace amplix {

// Learnt from a bank read, a store and a bank sent; a location not heard of stays unknown.
class DevicePatches {
public:
    using Records = std::array<PatchRecord, kPatchLocations>;

    // Past 9D nothing is held.
    void hold(std::size_t location, const PatchRecord& record);
    void holdAll(const Records& records);
    // Another device, or the same one changed behind the editor's back: nothing is known.
    void forget();

    bool known(std::size_t location) const { return location < kPatchLocations && patches_[location]; }
    const std::optional<PatchRecord>& at(std::size_t location) const { return patches_.at(location); }

    // The name as the device shows it, up to its first 00, without the padding; empty while the
    // patch is not known. 8-bit (Latin-1) characters.
    std::string name(std::size_t location) const;
    // "3A  Brit Crunch"; the label alone while the name is unknown or blank.
    std::string entry(std::size_t location) const;
    // The Patch menu's item: the label with its accelerator as the menu has always had it
    // ("3&A"), then the name with every & doubled so it stays a character.
    std::string menuEntry(std::size_t location) const;

private:
    std::array<std::optional<PatchRecord>, kPatchLocations> patches_{};
};

// The records of a bank dump, in location order.
DevicePatches::Records bankRecords(std::span<const std::uint8_t> bank);

} // namespace amplix
