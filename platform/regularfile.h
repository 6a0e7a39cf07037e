#pragma once

#include <QFile>

namespace platform {

// Opens a file (the one QFile names) read-only, adding extraFlags, only when the name leads to a
// regular file. Anything else is refused without waiting: a FIFO would block the reader until some
// writer appears, and a device or socket may never end. False when the file cannot be opened or is
// no regular file; the QFile is then left closed.
bool openRegularForReading(QFile &file, QIODevice::OpenMode extraFlags = {});

} // namespace platform
