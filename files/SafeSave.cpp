// Saving through a temporary file in the same folder.
#include "files/SafeSave.h"

#include <QSaveFile>

bool saveWholeFile(const QString& path, const std::uint8_t* data, qint64 size) {
    QSaveFile file(path);
    // Unbuffered, so a disk that fills up fails the write itself: a buffered write is flushed at
    // commit, where a short write goes unnoticed and a cut file would replace the old one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    if (file.write(reinterpret_cast<const char*>(data), size) != size) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
