// The library's patches, its steps and their undo.
#include "patch/PatchLibrary.h"

namespace amplix {

void PatchLibrary::load(const Records& records, bool onDevice) {
    records_ = device_ = records;
    loaded_ = true;
    known_.fill(onDevice);
    conflict_.fill(std::nullopt);
    steps_.clear();
    done_ = 0;
}

void PatchLibrary::restore(const Records& device, const Records& arranged) {
    load(device, false);
    records_ = arranged;
}

std::string PatchLibrary::name(std::size_t location) const {
    const auto dump = buildSingleDump(records_.at(location));
    return dumpName(dump);
}

template <typename Test> std::vector<std::size_t> PatchLibrary::locationsWhere(Test test) const {
    std::vector<std::size_t> out;
    for (std::size_t n = 0; n < kPatchLocations; ++n)
        if (test(n))
            out.push_back(n);
    return out;
}

std::vector<std::size_t> PatchLibrary::changedLocations() const {
    return locationsWhere([this](std::size_t n) { return changed(n); });
}

bool PatchLibrary::apply(std::string text, std::vector<std::pair<std::size_t, PatchRecord>> after) {
    Step step{std::move(text), {}, {}};
    for (const auto& [location, patch] : after)
        if (records_[location] != patch) {
            step.before.emplace_back(location, records_[location]);
            step.after.emplace_back(location, patch);
        }
    if (step.after.empty())
        return false;
    steps_.resize(done_); // a new step ends what could be redone
    steps_.push_back(std::move(step));
    return redo();
}

void PatchLibrary::settleConflicts() {
    for (std::size_t n = 0; n < kPatchLocations; ++n)
        if (!changed(n))
            conflict_[n].reset();
}

bool PatchLibrary::swap(std::size_t a, std::size_t b) {
    if (a >= kPatchLocations || b >= kPatchLocations)
        return false;
    return apply("Swap " + locationLabel(a) + " and " + locationLabel(b),
                 {{a, records_[b]}, {b, records_[a]}});
}

bool PatchLibrary::copy(std::size_t from, std::size_t to) {
    if (from >= kPatchLocations || to >= kPatchLocations)
        return false;
    return apply("Copy " + locationLabel(from) + " to " + locationLabel(to), {{to, records_[from]}});
}

bool PatchLibrary::put(std::size_t location, const PatchRecord& patch) {
    if (location >= kPatchLocations)
        return false;
    return apply("Put a patch into " + locationLabel(location), {{location, patch}});
}

bool PatchLibrary::rename(std::size_t location, std::string_view latin1Name) {
    if (location >= kPatchLocations)
        return false;
    // The name goes in as the device's own rename writes it into a dump.
    auto dump = buildSingleDump(records_[location]);
    writeDumpName(dump, latin1Name);
    return apply("Rename " + locationLabel(location), {{location, readRecord(dump, kDumpDataOffset)}});
}

std::string PatchLibrary::undoText() const {
    return canUndo() ? "Undo " + steps_[done_ - 1].text : std::string();
}

std::string PatchLibrary::redoText() const {
    return canRedo() ? "Redo " + steps_[done_].text : std::string();
}

std::string PatchLibrary::doneText() const {
    return canUndo() ? steps_[done_ - 1].text : std::string();
}

bool PatchLibrary::undo() {
    if (!canUndo())
        return false;
    for (const auto& [location, patch] : steps_[--done_].before)
        records_[location] = patch;
    settleConflicts();
    return true;
}

bool PatchLibrary::redo() {
    if (!canRedo())
        return false;
    for (const auto& [location, patch] : steps_[done_++].after)
        records_[location] = patch;
    settleConflicts();
    return true;
}

void PatchLibrary::markSent(std::size_t location) {
    setDevice(location, records_.at(location));
}

void PatchLibrary::setDevice(std::size_t location, const PatchRecord& patch) {
    device_.at(location) = patch;
    known_.at(location) = true;
    if (!changed(location))
        conflict_[location].reset();
}

void PatchLibrary::deviceHolds(std::size_t location, const PatchRecord& patch, DeviceChange how) {
    if (location >= kPatchLocations)
        return;
    const bool usersOwn = !known_[location] || changed(location);
    if (known_[location] && patch != device_[location]) {
        // Undoing back to the device's patch gives the one it holds now, never the one it lost.
        const PatchRecord lost = device_[location];
        for (Step& step : steps_)
            for (auto* side : {&step.before, &step.after})
                for (auto& [where, record] : *side)
                    if (where == location && record == lost)
                        record = patch;
    }
    if (!usersOwn)
        records_[location] = patch;
    else if (records_[location] != patch && (!known_[location] || patch != device_[location]))
        conflict_[location] = how;
    setDevice(location, patch);
}

std::optional<PatchLibrary::DeviceChange> PatchLibrary::conflict(std::size_t location) const {
    return location < kPatchLocations && changed(location) ? conflict_[location] : std::nullopt;
}

std::vector<std::size_t> PatchLibrary::conflicts() const {
    return locationsWhere([this](std::size_t n) { return conflict(n).has_value(); });
}

std::string PatchLibrary::conflictQuestion(std::size_t location, DeviceChange how) {
    const char* what = how == DeviceChange::Stored     ? " was stored from the main window"
                       : how == DeviceChange::BankSent ? " was sent to the POD in a bank from the main window"
                                                       : " was changed on the POD";
    return locationLabel(location) + what + " after you changed it here. Send yours over it?";
}

void PatchLibrary::discardChanges() {
    records_ = device_;
    conflict_.fill(std::nullopt);
    steps_.clear();
    done_ = 0;
}

std::vector<std::size_t> PatchLibrary::confirmSent(const std::vector<std::size_t>& sent,
                                                   const Records& readBack) {
    std::vector<std::size_t> mismatches;
    for (const std::size_t location : sent) {
        if (location >= kPatchLocations)
            continue;
        if (readBack[location] == records_[location]) {
            markSent(location);
        } else {
            // The device holds what was read back: a location sent unchanged (the whole bank
            // sent) and not taken must be marked too, or it would never be sent again.
            setDevice(location, readBack[location]);
            mismatches.push_back(location);
        }
    }
    return mismatches;
}

} // namespace amplix
