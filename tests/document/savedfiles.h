#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMap>
#include <QStringList>

#include "platform/writeaccess.h"

#include <csignal>
#include <cstdlib>
#include <sys/resource.h>
#include <unistd.h>

// Helpers for tests of what a save leaves on the disk.
namespace kytest {

// Every entry (files and folders) under a folder, relative, sorted; folders end with "/". Hidden
// entries are listed too, so that a temporary file left behind shows.
inline QStringList treeOf(const QString &inRoot)
{
    QStringList entries;
    QDirIterator it(inRoot, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QString relative = QDir(inRoot).relativeFilePath(it.filePath());
        entries << (it.fileInfo().isDir() ? relative + QLatin1Char('/') : relative);
    }
    entries.sort();
    return entries;
}

// Writes a file, making its folder.
inline bool writeBytes(const QString &inPath, const QByteArray &inBytes)
{
    QDir().mkpath(QFileInfo(inPath).absolutePath());
    QFile file(inPath);
    return file.open(QIODevice::WriteOnly) && file.write(inBytes) == inBytes.size();
}

inline QByteArray readBytes(const QString &inPath)
{
    QFile file(inPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Every file below a folder, hidden ones included (relative path -> bytes).
inline QMap<QString, QByteArray> filesBelow(const QString &inFolder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(inFolder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(QDir(inFolder).relativeFilePath(path), readBytes(path));
    }
    return files;
}

// A copy of the files (not the folders) of a folder into a new one.
inline bool copyFolder(const QString &inSource, const QString &inTarget)
{
    if (!QDir().mkpath(inTarget))
        return false;
    for (const QFileInfo &info : QDir(inSource).entryInfoList(QDir::Files)) {
        if (!QFile::copy(info.filePath(), inTarget + QLatin1Char('/') + info.fileName()))
            return false;
    }
    return true;
}

// An analysis report's lines, the time of the analysis (line 2) checked to lie between the two
// times and replaced by "<now>"; one line about what is wrong instead when it is not a file of
// lines ending in "\n".
inline QStringList reportLines(const QString &inPath, const QDateTime &inBefore, const QDateTime &inAfter)
{
    const QByteArray bytes = readBytes(inPath);
    if (bytes.isEmpty() || !bytes.endsWith('\n') || bytes.contains('\r'))
        return {QStringLiteral("<no report, or not one line feed per line>")};
    QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
    lines.removeLast();
    const QString prefix = QStringLiteral("Date and time of analysis,");
    if (lines.size() < 2 || !lines[1].startsWith(prefix))
        return lines;
    const QDateTime when = QDateTime::fromString(lines[1].mid(prefix.size()), QStringLiteral("yyyy:MM:dd hh:mm:ss"));
    if (when.isValid() && when >= inBefore.addSecs(-1) && when <= inAfter.addSecs(1))
        lines[1] = prefix + QStringLiteral("<now>");
    return lines;
}

// Mean absolute difference of the colour bytes of two pictures of one size; -1 for another size.
inline double meanDifference(const QImage &inA, const QImage &inB)
{
    const QImage a = inA.convertToFormat(QImage::Format_RGB888);
    const QImage b = inB.convertToFormat(QImage::Format_RGB888);
    if (a.size() != b.size() || a.isNull())
        return -1.0;
    double sum = 0.0;
    for (int y = 0; y < a.height(); ++y) {
        const uchar *p = a.constScanLine(y);
        const uchar *q = b.constScanLine(y);
        for (int i = 0; i < 3 * a.width(); ++i)
            sum += std::abs(int(p[i]) - int(q[i]));
    }
    return sum / (3.0 * a.width() * a.height());
}

// A lower file-size limit for the life of the object: writes beyond it fail (EFBIG) instead of
// ending the process. It binds the whole process: keep the scope to the one call under test.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t inBytes)
    {
        getrlimit(RLIMIT_FSIZE, &mOld);
        mOldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = mOld;
        limit.rlim_cur = inBytes;
        mSet = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &mOld);
        std::signal(SIGXFSZ, mOldHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    bool isSet() const { return mSet; }

private:
    rlimit mOld{};
    void (*mOldHandler)(int) = SIG_DFL;
    bool mSet = false;
};

// Root may write whatever the permission bits say: while the tests run as root, the saves ask a
// stand-in that judges by the owner's bits, as they bind the unprivileged user who owns the capture.
class OwnerPermissions
{
public:
    OwnerPermissions()
        : mSet(::geteuid() == 0)
    {
        if (mSet)
            mPrevious = platform::setWriteCheck(&ownerMayWrite);
    }
    ~OwnerPermissions()
    {
        if (mSet)
            platform::setWriteCheck(mPrevious);
    }
    OwnerPermissions(const OwnerPermissions &) = delete;
    OwnerPermissions &operator=(const OwnerPermissions &) = delete;

private:
    static bool ownerMayWrite(const QString &inPath)
    {
        const QFileInfo info(inPath);
        const QFile::Permissions needed =
            info.isDir() ? (QFile::WriteOwner | QFile::ExeOwner) : QFileDevice::Permissions(QFile::WriteOwner);
        return info.exists() && (info.permissions() & needed) == needed;
    }
    platform::WriteCheck mPrevious = nullptr;
    bool mSet = false;
};

} // namespace kytest
