#pragma once

#include <QString>

namespace RegularFile {

// Opens a regular file for reading without blocking, so a FIFO or a device
// under a file's name never stalls the caller; the name is checked again
// once open, as it may have been swapped in between. The descriptor, or -1
// with `error` set: errno, EISDIR for a folder, 0 for any other kind of file.
int OpenForReading(const QString& path, int& error);

} // namespace RegularFile
