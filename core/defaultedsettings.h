#pragma once

#include <QColor>
#include <QHash>
#include <QMap>
#include <QMutexLocker>
#include <QRecursiveMutex>
#include <QRect>
#include <QStringList>
#include <QVariant>

class LSettings;

// Typed reads of an INI store in which every key may have a built-in default: a stored value wins,
// a missing key gives the default, a key without a default gives the type's zero, and no store at
// all gives zeros throughout.
//
// Reads arrive from the GUI thread and from pool threads at once, so every store access holds the
// store's mutex. The current group is kept per thread: a group opened by the GUI thread must not
// redirect a read made meanwhile by the open task.
class DefaultedSettings
{
public:
    DefaultedSettings(const DefaultedSettings &) = delete;
    DefaultedSettings &operator=(const DefaultedSettings &) = delete;

    unsigned int uintValue(const QString &inKey) const;
    int intValue(const QString &inKey) const;
    bool boolValue(const QString &inKey) const;
    double doubleValue(const QString &inKey) const;
    QString stringValue(const QString &inKey) const;
    QStringList stringListValue(const QString &inKey) const;
    QColor colorValue(const QString &inKey) const;

    // A list value: the stored list, else the default list, else empty (also without a store). A
    // single stored value is a list of one, never a list of its characters.
    QVariantList listValue(const QString &inKey) const;

    LSettings *settingsStore() const { return store; }
    const QMap<QString, QVariant> &defaultValues() const { return defaults; }

protected:
    DefaultedSettings();
    virtual ~DefaultedSettings();

    void addDefault(const QString &inKey, const QVariant &inValue);

    // A list default of numbers, one variant per element.
    template <typename T>
    static QVariantList variantList(std::initializer_list<T> inValues)
    {
        QVariantList list;
        for (const T &v : inValues)
            list.append(v);
        return list;
    }
    void setStore(LSettings *inStore);

    // The store's answer for the key (under the calling thread's group) with the key's default,
    // first converted by convert, as fallback. Invalid without a store.
    template <typename Convert>
    QVariant read(const QString &inKey, Convert convert) const
    {
        if (!store)
            return QVariant();
        const auto it = defaults.constFind(inKey);
        const QVariant fallback = it == defaults.constEnd() ? convert(QVariant()) : convert(*it);
        QMutexLocker lock(&storeMutex());
        return storeValue(groupedKey(inKey), fallback);
    }

    QString groupedKey(const QString &inKey) const;
    QRecursiveMutex &storeMutex() const;
    QVariant storeValue(const QString &inKey, const QVariant &inFallback) const;
    void pushGroup(const QString &inPrefix);
    void popGroup();

    LSettings *store = nullptr;

private:
    QMap<QString, QVariant> defaults;
    QHash<Qt::HANDLE, QStringList> groups; // guarded by the store's mutex
};
