#include "core/defaultedsettings.h"

#include "core/lsettings.h"

#include <QMutexLocker>
#include <QThread>

DefaultedSettings::DefaultedSettings() = default;

DefaultedSettings::~DefaultedSettings()
{
    delete store;
}

void DefaultedSettings::addDefault(const QString &inKey, const QVariant &inValue)
{
    defaults.insert(inKey, inValue);
}

void DefaultedSettings::setStore(LSettings *inStore)
{
    store = inStore;
}

unsigned int DefaultedSettings::uintValue(const QString &inKey) const
{
    return read(inKey, [](const QVariant &v) { return QVariant(v.toUInt()); }).toUInt();
}

int DefaultedSettings::intValue(const QString &inKey) const
{
    return read(inKey, [](const QVariant &v) { return QVariant(v.toInt()); }).toInt();
}

bool DefaultedSettings::boolValue(const QString &inKey) const
{
    return read(inKey, [](const QVariant &v) { return QVariant(v.toBool()); }).toBool();
}

double DefaultedSettings::doubleValue(const QString &inKey) const
{
    return read(inKey, [](const QVariant &v) { return QVariant(v.toDouble()); }).toDouble();
}

QString DefaultedSettings::stringValue(const QString &inKey) const
{
    return read(inKey, [](const QVariant &v) { return QVariant(v.toString()); }).toString();
}

QStringList DefaultedSettings::stringListValue(const QString &inKey) const
{
    return read(inKey, [](const QVariant &v) { return QVariant(v.toStringList()); }).toStringList();
}

QColor DefaultedSettings::colorValue(const QString &inKey) const
{
    const QVariant answer =
        read(inKey, [](const QVariant &v) { return QVariant(qvariant_cast<QColor>(v)); });
    return qvariant_cast<QColor>(answer);
}

QVariantList DefaultedSettings::listValue(const QString &inKey) const
{
    // An INI file gives a single value back as text, and Qt 6 turns text into a list of its
    // characters: "7" must read as the list [7], not [55].
    const auto asList = [](const QVariant &v) -> QVariantList {
        if (v.typeId() == QMetaType::QString) {
            const QString text = v.toString();
            return text.isEmpty() ? QVariantList() : QVariantList{text};
        }
        return v.toList();
    };
    if (!store)
        return {};
    const QVariant answer = read(inKey, [&](const QVariant &v) { return QVariant(asList(v)); });
    return asList(answer);
}

QRecursiveMutex &DefaultedSettings::storeMutex() const
{
    return store->mutex();
}

QVariant DefaultedSettings::storeValue(const QString &inKey, const QVariant &inFallback) const
{
    return store->value(inKey, inFallback);
}

QString DefaultedSettings::groupedKey(const QString &inKey) const
{
    const auto it = groups.constFind(QThread::currentThreadId());
    if (it == groups.constEnd() || it->isEmpty())
        return inKey;
    return it->join(QLatin1Char('/')) + QLatin1Char('/') + inKey;
}

void DefaultedSettings::pushGroup(const QString &inPrefix)
{
    if (!store)
        return;
    QMutexLocker lock(&store->mutex());
    groups[QThread::currentThreadId()].append(inPrefix);
}

void DefaultedSettings::popGroup()
{
    if (!store)
        return;
    QMutexLocker lock(&store->mutex());
    const auto it = groups.find(QThread::currentThreadId());
    if (it == groups.end())
        return;
    if (!it->isEmpty())
        it->removeLast();
    if (it->isEmpty())
        groups.erase(it);
}
