// Writing a whole file so that a failure never destroys the file it was to replace.
#pragma once

#include <QString>

#include <cstdint>

// Writes beside the old file and moves the new one over it only once every byte is out.
// False when the file cannot be created or not every byte could be written; the old file is
// then as it was, and error takes the system's reason, when asked for.
bool saveWholeFile(const QString& path, const std::uint8_t* data, qint64 size, QString* error = nullptr);
