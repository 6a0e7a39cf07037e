#include "document/kysafefile.h"

#include "core/fileutility.h"
#include "platform/filesync.h"
#include "platform/regularfile.h"
#include "platform/safefileops.h"
#include "platform/writeaccess.h"
#include "platform/logcategories.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
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

QString CreateTemporary(const QString &inPath)
{
    if (inPath.isEmpty())
        return QString();
    const QString replaced = FileUtility::ReplacedFile(FileUtility::Slashed(inPath));
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    // Made as the file itself would be (the umask decides), not owner-only as a temporary file.
    for (int attempt = 0; attempt < 64; ++attempt) {
        QString name = replaced + QLatin1Char('.');
        for (int i = 0; i < 6; ++i)
            name += QLatin1Char(kLetters[QRandomGenerator::global()->bounded(52)]);
        QFile file(name);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            continue;
        // As in every whole-file write, the new file gets the permissions of the one it replaces;
        // a file system that keeps no permissions refuses that, and the file is written all the same.
        const QFileInfo old(replaced);
        if (old.isFile() && !file.setPermissions(old.permissions()))
            qCDebug(lcDocument).noquote() << QStringLiteral("KySafeFile::CreateTemporary(): permissions of %1 not kept").arg(replaced);
        return name;
    }
    return QString();
}

bool Install(const QString &inTemporary, const QString &inPath)
{
    const QString replaced = FileUtility::ReplacedFile(FileUtility::Slashed(inPath));
    int error = 0;
    if (!platform::syncFile(inTemporary, &error) || !platform::renameReplacing(inTemporary, replaced, &error)) {
        qCDebug(lcDocument).noquote() << QStringLiteral("KySafeFile::Install(): %1 not installed as %2 (error %3)")
                                  .arg(inTemporary, replaced)
                                  .arg(error);
        QFile::remove(inTemporary);
        return false;
    }
    FileUtility::FlushDriveAfter(replaced, "KySafeFile::Install");
    return true;
}

} // namespace KySafeFile
