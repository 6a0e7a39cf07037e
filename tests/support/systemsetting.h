#pragma once

#include "core/lsettings.h"
#include "core/systemsettings.h"

#include <QMutexLocker>

namespace kytest {

// Stores an instrument setting for the rest of the test; an invalid value removes it, so that its
// built-in default applies again.
inline void setSystemSetting(const QString &inKey, const QVariant &inValue)
{
    LSettings *store = SystemSettings::instance()->settingsStore();
    QMutexLocker lock(&store->mutex());
    if (inValue.isValid())
        store->setValue(inKey, inValue);
    else
        store->remove(inKey);
}

} // namespace kytest
