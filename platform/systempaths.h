#pragma once

#include <QString>

namespace platform {

// The root that stands for the instrument's system drive ("C:/") in built-in path defaults.
QString systemDriveRoot();

} // namespace platform
