// What the editor knows of the device's patches, and their names in lists and menus.
#include "patch/DevicePatches.h"

#include "app/UiTexts.h"
#include "import/FileFailure.h"

namespace amplix {

namespace {
// Between a location and its name: the labels line up as a column before the names.
constexpr std::string_view kNameGap = "  ";
} // namespace

void DevicePatches::hold(std::size_t location, const PatchRecord& record) {
    if (location < kPatchLocations)
        patches_[location] = record;
}

void DevicePatches::holdAll(const Records& records) {
    for (std::size_t n = 0; n < kPatchLocations; ++n)
        patches_[n] = records[n];
}

void DevicePatches::forget() {
    patches_.fill(std::nullopt);
}

std::string DevicePatches::name(std::size_t location) const {
    if (!known(location))
        return {};
    std::string name;
    for (std::size_t j = 0; j < kNameLength; ++j) {
        const auto c = std::uint8_t((*patches_[location])[kNameOffset + j]);
        if (c == 0)
            break;
        // A control character would break the line, or start a menu's shortcut column at a tab.
        name += c < 0x20 || c == 0x7F ? ' ' : char(c);
    }
    name.erase(name.find_last_not_of(' ') + 1);
    return name;
}

std::string DevicePatches::entry(std::size_t location) const {
    const std::string named = name(location);
    const std::string label = locationLabel(location);
    return named.empty() ? label : label + std::string(kNameGap) + named;
}

std::string DevicePatches::menuEntry(std::size_t location) const {
    const std::string label = locationLabel(location);
    std::string entry = fillText(text::kMenuPatchLocation, {label.substr(0, 1), label.substr(1)});
    const std::string named = name(location);
    if (named.empty())
        return entry;
    entry += kNameGap;
    for (const char c : named) {
        entry += c;
        if (c == '&')
            entry += '&';
    }
    return entry;
}

DevicePatches::Records bankRecords(std::span<const std::uint8_t> bank) {
    DevicePatches::Records records{};
    for (std::size_t n = 0; n < kPatchLocations; ++n)
        records[n] = readRecord(bank, bankPatchOffset(n));
    return records;
}

} // namespace amplix
