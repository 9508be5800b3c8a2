// The library's row texts.
#include "patch/LibraryRow.h"

#include "tone/ToneLists.h"
#include "tone/ToneMap.h"

namespace amplix {

namespace {

std::string listEntry(std::span<const std::string_view> entries, int index) {
    if (index < 0 || std::size_t(index) >= entries.size())
        return {};
    return std::string(entries[std::size_t(index)]);
}

// The blanks Qt's trimmed() takes off a Latin-1 name, so both faces title a row alike.
bool isBlank(unsigned char c) {
    return c == ' ' || (c >= 0x09 && c <= 0x0D) || c == 0x85 || c == 0xA0;
}

} // namespace

std::string ampModelText(const PatchRecord& record) {
    return listEntry(kAmpModelNames, recordField("AmpModel", record));
}

std::string effectText(const PatchRecord& record) {
    const EffectRow* effect = effectForCode(recordField("EffectSel", record));
    return effect ? listEntry(kEffectNames, effect->index) : std::string();
}

std::string locationList(std::span<const std::size_t> locations) {
    std::string out;
    for (const std::size_t location : locations) {
        if (!out.empty())
            out += ", ";
        out += locationLabel(location);
    }
    return out;
}

std::string rowTitle(std::size_t location, const PatchRecord& record) {
    const std::string name = dumpName(buildSingleDump(record));
    std::size_t begin = 0, end = name.size();
    while (begin < end && isBlank(static_cast<unsigned char>(name[begin])))
        ++begin;
    while (end > begin && isBlank(static_cast<unsigned char>(name[end - 1])))
        --end;
    return locationLabel(location) + ' ' + name.substr(begin, end - begin);
}

LibraryRow libraryRow(std::size_t location, const PatchRecord& record) {
    return {locationLabel(location), dumpName(buildSingleDump(record)), ampModelText(record),
            effectText(record), rowTitle(location, record)};
}

} // namespace amplix
