#pragma once

#include "core/defaultedsettings.h"

#include <QMutexLocker>
#include <QRect>

// The analysis program's own settings: "BI410AnalysisSoftware.ini" beside the executable when it is
// there (watched and flushed), else the per-user INI store.
class AnalysisSettings : public DefaultedSettings
{
public:
    static AnalysisSettings *instance();

    void beginGroup(const QString &inPrefix);
    void endGroup();
    void remove(const QString &inKey);
    // Writes pending changes to the file; false when the store has met a write error.
    bool sync();
    QStringList allKeys() const;
    bool contains(const QString &inKey) const;

    QRect rectValue(const QString &inKey) const;
    // Each element of a list value converted to int; an element that does not convert is 0.
    QList<int> intListValue(const QString &inKey) const;

    template <typename T>
    bool setValue(const QString &inKey, const T &inValue)
    {
        return setVariant(inKey, QVariant::fromValue(inValue));
    }

private:
    AnalysisSettings();
    ~AnalysisSettings() override;

    bool setVariant(const QString &inKey, const QVariant &inValue);
};
