#pragma once

#include "core/defaultedsettings.h"

// The read-only instrument settings "BI410.ini": beside the executable when it is there, else in the
// instrument's settings folder.
class SystemSettings : public DefaultedSettings
{
public:
    static SystemSettings *instance();

    QList<unsigned int> uintListValue(const QString &inKey) const;
    QList<double> doubleListValue(const QString &inKey) const;

private:
    SystemSettings();
    ~SystemSettings() override;
};
