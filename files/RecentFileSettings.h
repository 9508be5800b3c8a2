// File > Recent Files as the user's settings keep it, shared by the main and the Library window.
#pragma once

#include "files/RecentFiles.h"

#include <QString>
#include <QStringList>

amplix::RecentFiles storedRecentFiles();
// The stored list's paths, most recent first.
QStringList recentFilePaths();
// A file opened, imported or saved goes to the top of the stored list.
void noteRecentFile(const QString& path);
// False when it was not listed.
bool forgetRecentFile(const QString& path);
