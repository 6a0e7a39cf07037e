#include "document/kysafefile.h"

#include "core/fileutility.h"
#include "platform/regularfile.h"
#include "platform/writeaccess.h"

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
    // A FIFO or a device would keep the reader waiting, or never end.
    if (!platform::openRegularForReading(file))
        return false;
    outBytes = file.readAll();
    if (file.error() == QFileDevice::NoError)
        return true;
    outBytes.clear();
    return false;
}

bool IsBlocked(const QString &inPath)
{
    // A replacement renames a new file over the old one in the old one's folder (a link's target's
    // folder), and refuses an old file it may not write: both must allow it.
    const QFileInfo target(inPath);
    if (target.exists() || target.isSymLink()) {
        if (!target.isFile())
            return true;
        const QFileInfo replaced(FileUtility::ReplacedFile(inPath));
        return !platform::mayWrite(replaced.filePath()) || !platform::mayWrite(replaced.absolutePath());
    }
    QString folder = inPath;
    for (;;) {
        const qsizetype slash = folder.lastIndexOf(QLatin1Char('/'));
        if (slash < 0)
            folder = QStringLiteral(".");
        else
            folder.truncate(std::max<qsizetype>(slash, 1));
        const QFileInfo info(folder);
        if (info.exists())
            return !info.isDir() || !platform::mayWrite(folder);
        if (slash <= 0)
            return false;
    }
}

} // namespace KySafeFile
