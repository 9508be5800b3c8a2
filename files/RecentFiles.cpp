// File > Recent Files: the list's rules, free of any window.
#include "files/RecentFiles.h"

#include "app/UiTexts.h"
#include "import/FileFailure.h"

#include <algorithm>
#include <string>

namespace amplix {

RecentFiles::RecentFiles(const std::vector<std::string>& stored) {
    for (const std::string& path : stored) {
        if (paths_.size() == kRecentFilesKept)
            break;
        if (!path.empty() && std::find(paths_.begin(), paths_.end(), path) == paths_.end())
            paths_.push_back(path);
    }
}

void RecentFiles::add(std::string_view path) {
    if (path.empty())
        return;
    remove(path);
    paths_.insert(paths_.begin(), std::string(path));
    if (paths_.size() > kRecentFilesKept)
        paths_.resize(kRecentFilesKept);
}

bool RecentFiles::remove(std::string_view path) {
    const auto at = std::find(paths_.begin(), paths_.end(), path);
    if (at == paths_.end())
        return false;
    paths_.erase(at);
    return true;
}

namespace {

// Qt and Windows alike take an '&' for the access letter; "&&" shows one.
std::string menuEscaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (c == '&')
            out += '&';
        out += c;
    }
    return out;
}

// The Windows build keeps paths with either separator.
std::string_view fileNameOfPath(std::string_view path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

} // namespace

std::string recentFileItemText(std::size_t index, std::string_view path) {
    return fillText(text::kMenuFileRecentEntry,
                    {std::to_string(index + 1), menuEscaped(fileNameOfPath(path))});
}

std::string recentFileGoneText(std::string_view path) {
    return fillText(text::kStatusRecentGone, {fileNameOfPath(path)});
}

std::string firstOfDroppedText(std::size_t count, std::string_view firstPath) {
    return fillText(text::kStatusDropFirstOnly, {std::to_string(count), fileNameOfPath(firstPath)});
}

} // namespace amplix
