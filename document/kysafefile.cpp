#include "document/kysafefile.h"

#include "core/fileutility.h"
#include "platform/regularfile.h"
#include "platform/writeaccess.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>

namespace KySafeFile {

bool Write(const QString &inPath, const QByteArray &inBytes)
{
    QSaveFile file(inPath);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly)) {
        FileUtility::NoteWriteError(errno);
        return false;
    }
    if (file.write(inBytes) != inBytes.size()) {
        FileUtility::NoteWriteError(errno);
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
    // The cause goes where a failed write's would (FileUtility::NoteWriteError).
    const auto blocked = [](int inError) {
        FileUtility::NoteWriteError(inError);
        return true;
    };
    int error = 0;
    const QFileInfo target(inPath);
    if (target.exists() || target.isSymLink()) {
        if (!target.isFile())
            return blocked(target.isDir() ? EISDIR : 0);
        const QFileInfo replaced(FileUtility::ReplacedFile(inPath));
        if (!platform::mayWrite(replaced.filePath(), &error) || !platform::mayWrite(replaced.absolutePath(), &error))
            return blocked(error);
        return false;
    }
    QString folder = inPath;
    for (;;) {
        const qsizetype slash = folder.lastIndexOf(QLatin1Char('/'));
        if (slash < 0)
            folder = QStringLiteral(".");
        else
            folder.truncate(std::max<qsizetype>(slash, 1));
        const QFileInfo info(folder);
        if (info.exists()) {
            if (!info.isDir())
                return blocked(ENOTDIR);
            return !platform::mayWrite(folder, &error) && blocked(error);
        }
        if (slash <= 0)
            return false;
    }
}

} // namespace KySafeFile
