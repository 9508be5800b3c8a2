// Reading a file the user chose, never more of it than the caller can use.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <span>

// The first `limit` bytes of the file (all of it when shorter), read in pieces and closed before
// returning, so that a device or a pipe without a size is bounded too. Nothing when the file
// cannot be opened for reading; error then takes the system's reason, when asked for.
std::optional<QByteArray> readFileBounded(const QString& path, qint64 limit, QString* error = nullptr);

// The bytes of a file read, for the core readers.
inline std::span<const std::uint8_t> byteSpan(const QByteArray& bytes) {
    return {reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size())};
}
