#include "widgets/kyskin.h"

#include <QHash>
#include <QMutex>
#include <QMutexLocker>

namespace KySkin {

QImage image(const QString &inPath)
{
    // Some two hundred small pictures, a few megabytes in all, kept for the life of the process:
    // every screen shows them again and again.
    static QMutex mutex;
    static QHash<QString, QImage> decoded;
    QMutexLocker lock(&mutex);
    auto it = decoded.constFind(inPath);
    if (it == decoded.constEnd())
        it = decoded.insert(inPath, QImage(inPath));
    return *it;
}

} // namespace KySkin
