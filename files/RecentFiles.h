// File > Recent Files: which files it lists, in which order, and how each item reads.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace amplix {

inline constexpr std::size_t kRecentFilesKept = 8;

// The files last opened, imported or saved, most recent first, each once, at most eight. Paths
// are compared as given: the caller hands in absolute ones.
class RecentFiles {
public:
    RecentFiles() = default;
    // A list as the settings kept it, which anyone may have edited: empty entries and repeats go
    // (the earlier, more recent, stays) and only the first eight count.
    explicit RecentFiles(const std::vector<std::string>& stored);

    // The file goes to the top; one already listed moves there rather than showing twice.
    void add(std::string_view path);
    // False when the file was not listed.
    bool remove(std::string_view path);
    const std::vector<std::string>& paths() const { return paths_; }

private:
    std::vector<std::string> paths_;
};

// The menu item of the list's entry index (0 is the most recent): "&1 bank1.syx", the number its
// access key, the file's name shown as it is (an '&' in it is no access key).
std::string recentFileItemText(std::size_t index, std::string_view path);
// The status line's words for an item whose file is gone.
std::string recentFileGoneText(std::string_view path);
// Several files dropped at once: only the first is taken (each would replace the one before).
std::string firstOfDroppedText(std::size_t count, std::string_view firstPath);

} // namespace amplix
