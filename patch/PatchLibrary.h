// The device's 36 patches as the library holds them: arranged, renamed and replaced step by
// step, every step undoable, each location marked while it differs from what the device has.
#pragma once

#include "patch/SysexFormat.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace amplix {

class PatchLibrary {
public:
    using Records = std::array<PatchRecord, kPatchLocations>;

    // Patches as the device has them (read from it, or from a bank file taken for its memory):
    // nothing is marked changed and there is nothing to undo. onDevice: they were read from the
    // device, so each location is known to be there until it changes.
    void load(const Records& records, bool onDevice = true);
    // Patches as an earlier session left them: what the device was last known to hold and the
    // arrangement made since, each location that differs marked. The device may have changed
    // meanwhile, so none is known to be there; there is nothing to undo.
    void restore(const Records& device, const Records& arranged);
    // Back to knowing nothing of the patches, as before the first load.
    void unload() { *this = PatchLibrary{}; }
    // Patches were loaded: before, the library knows the locations and nothing of their patches.
    bool loaded() const { return loaded_; }

    const PatchRecord& record(std::size_t location) const { return records_.at(location); }
    // What the device was last known to hold there (a file's patch until then).
    const PatchRecord& deviceRecord(std::size_t location) const { return device_.at(location); }
    const Records& records() const { return records_; }
    // The name as the lists show it: up to its first 00, 8-bit characters, padding kept.
    std::string name(std::size_t location) const;
    // The location differs from what the device was last known to hold.
    bool changed(std::size_t location) const { return records_.at(location) != device_.at(location); }
    std::vector<std::size_t> changedLocations() const;

    // Arranging. Each returns false and records nothing when it would change nothing or names a
    // location past 9D; otherwise it is one undo step.
    bool swap(std::size_t a, std::size_t b);
    bool copy(std::size_t from, std::size_t to);
    // Another patch into a location: one from a file, or the panel's sound.
    bool put(std::size_t location, const PatchRecord& patch);
    // The device's own rule: the name's characters up to its first 00 or its 16th, then spaces.
    bool rename(std::size_t location, std::string_view latin1Name);

    bool canUndo() const { return done_ > 0; }
    bool canRedo() const { return done_ < steps_.size(); }
    // What undo or redo would do, "Swap 1A and 2B", "Copy 1A to 3C", "Put a patch into 4D",
    // "Rename 2A"; empty when there is nothing.
    std::string undoText() const;
    std::string redoText() const;
    // What the last step done did, "Copy 1A to 3C"; empty when there is none.
    std::string doneText() const;
    bool undo();
    bool redo();

    // The device now holds the location as the library has it: its mark goes. Not a step.
    void markSent(std::size_t location);
    // The device holds the location exactly as the library has it: read from it or sent and
    // confirmed, and unchanged since.
    bool onDevice(std::size_t location) const { return known_.at(location) && !changed(location); }
    // The bank read back after sending the locations `sent`: each the device holds as the
    // library has it is marked sent; the others are returned, in order, and keep their marks.
    std::vector<std::size_t> confirmSent(const std::vector<std::size_t>& sent, const Records& readBack);
    // How the device came to hold a patch other than by the library's own sending.
    enum class DeviceChange {
        Stored,   // the main window stored its sound there
        BankSent, // the main window sent a whole bank
        Read,     // a bank read from the device shows it changed there
    };
    // The device holds patch at location, taken by another way. A location the user has not
    // changed here shows it from now on, unmarked; one the user changed (or that holds a file's
    // patch) keeps the user's patch and its mark, and is a conflict until it is sent, given up or
    // changed back. Not a step: the history's idea of what the device held there follows it.
    void deviceHolds(std::size_t location, const PatchRecord& patch, DeviceChange how);
    // The change of the device that came after the user's own at location, while it stands.
    std::optional<DeviceChange> conflict(std::size_t location) const;
    std::vector<std::size_t> conflicts() const;
    // The question before the user's patch goes over the device's: "3A was stored from the main
    // window after you changed it here. Send yours over it?"
    static std::string conflictQuestion(std::size_t location, DeviceChange how);
    // Every location back to what the device holds; nothing to undo or redo.
    void discardChanges();

private:
    struct Step {
        std::string text;
        std::vector<std::pair<std::size_t, PatchRecord>> before, after;
    };
    bool apply(std::string text, std::vector<std::pair<std::size_t, PatchRecord>> after);
    // The device holds patch at location: what the library shows there stays as it is.
    void setDevice(std::size_t location, const PatchRecord& patch);
    template <typename Test> std::vector<std::size_t> locationsWhere(Test test) const;
    // A location back as the device has it is no conflict any more.
    void settleConflicts();

    bool loaded_ = false;
    Records records_{};
    Records device_{};
    std::array<bool, kPatchLocations> known_{}; // device_ is what the device holds, not a file's
    std::array<std::optional<DeviceChange>, kPatchLocations> conflict_{};
    std::vector<Step> steps_;
    std::size_t done_ = 0; // steps_[0, done_) are done; the rest can be redone
};

} // namespace amplix
