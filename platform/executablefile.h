#pragma once

#include <QString>

namespace platform {

// The running executable's full path as the kernel reports it (/proc/self/exe); empty when it
// cannot be read.
QString currentExecutableFile();

} // namespace platform
