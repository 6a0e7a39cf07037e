#include "platform/systempaths.h"

namespace platform {

QString systemDriveRoot()
{
    return QStringLiteral("/");
}

} // namespace platform
