#include "document/kysafefile.h"

#include "core/fileutility.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace KySafeFile {

bool Write(const QString &inPath, const QByteArray &inBytes)
{
    QSaveFile file(inPath);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(inBytes) != inBytes.size()) {
        file.cancelWriting();
        return false;
    }
    return FileUtility::CommitSaveFile(file, "KySafeFile::Write");
}

bool Read(const QString &inPath, QByteArray &outBytes)
{
    QFile file(inPath);
    outBytes.clear();
    if (!file.open(QIODevice::ReadOnly))
        return false;
    outBytes = file.readAll();
    if (file.error() == QFileDevice::NoError)
        return true;
    outBytes.clear();
    return false;
}

bool IsBlocked(const QString &inPath)
{
    const QFileInfo target(inPath);
    if (target.exists() || target.isSymLink())
        return !target.isFile();
    QString folder = inPath;
    for (;;) {
        const qsizetype slash = folder.lastIndexOf(QLatin1Char('/'));
        if (slash < 0)
            folder = QStringLiteral(".");
        else
            folder.truncate(std::max<qsizetype>(slash, 1));
        const QFileInfo info(folder);
        if (info.exists())
            return !info.isDir() || !info.isWritable();
        if (slash <= 0)
            return false;
    }
}

} // namespace KySafeFile
