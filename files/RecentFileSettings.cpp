// File > Recent Files in the settings: read and written whole, so each window sees the other's.
#include "files/RecentFileSettings.h"

#include <QFileInfo>
#include <QSettings>

namespace {

const QString kRecentKey = QStringLiteral("Files/recent");

void store(const amplix::RecentFiles& files) {
    QStringList paths;
    for (const std::string& path : files.paths())
        paths << QString::fromStdString(path);
    QSettings().setValue(kRecentKey, paths);
}

} // namespace

amplix::RecentFiles storedRecentFiles() {
    std::vector<std::string> paths;
    for (const QString& path : QSettings().value(kRecentKey).toStringList())
        paths.push_back(path.toStdString());
    return amplix::RecentFiles(paths);
}

QStringList recentFilePaths() {
    const amplix::RecentFiles files = storedRecentFiles();
    QStringList paths;
    for (const std::string& path : files.paths())
        paths << QString::fromStdString(path);
    return paths;
}

void noteRecentFile(const QString& path) {
    amplix::RecentFiles files = storedRecentFiles();
    // One file reached by two relative paths is listed once.
    files.add(QFileInfo(path).absoluteFilePath().toStdString());
    store(files);
}

bool forgetRecentFile(const QString& path) {
    amplix::RecentFiles files = storedRecentFiles();
    if (!files.remove(path.toStdString()))
        return false;
    store(files);
    return true;
}
