#include "platform/cabinetextractor.h"

#include <QMutex>

namespace platform {

namespace {
QMutex g_mutex;
QString g_program;
} // namespace

QString CabinetExtractor::program()
{
    QMutexLocker lock(&g_mutex);
    return g_program.isEmpty() ? QStringLiteral("/usr/bin/cabextract") : g_program;
}

void CabinetExtractor::setProgram(const QString &path)
{
    QMutexLocker lock(&g_mutex);
    g_program = path;
}

QStringList CabinetExtractor::arguments(const QString &destination, const QString &cabinet)
{
    return {QStringLiteral("-d"), destination, cabinet};
}

} // namespace platform
