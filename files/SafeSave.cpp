// Saving through a temporary file in the same folder.
#include "files/SafeSave.h"

#include <QSaveFile>

bool saveWholeFile(const QString& path, const std::uint8_t* data, qint64 size, QString* error) {
    QSaveFile file(path);
    const auto fail = [&] {
        if (error)
            *error = file.errorString();
        return false;
    };
    // Unbuffered, so a disk that fills up fails the write itself: a buffered write is flushed at
    // commit, where a short write goes unnoticed and a cut file would replace the old one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail();
    // A write may take part of the bytes; the next one then fails with the system's reason.
    for (qint64 done = 0; done < size;) {
        const qint64 written = file.write(reinterpret_cast<const char*>(data) + done, size - done);
        if (written <= 0) {
            fail();
            file.cancelWriting();
            return false;
        }
        done += written;
    }
    return file.commit() || fail();
}
