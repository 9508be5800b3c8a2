// Reading a file the user chose, never more of it than the caller can use.
#include "files/BoundedRead.h"

#include <QFile>

#include <algorithm>

namespace {
constexpr qint64 kReadPieceSize = 64 * 1024;
} // namespace

std::optional<QByteArray> readFileBounded(const QString& path, qint64 limit, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    QByteArray data;
    while (data.size() < limit) {
        const QByteArray piece = file.read(std::min(kReadPieceSize, limit - data.size()));
        if (piece.isEmpty())
            break;
        data += piece;
    }
    return data;
}
