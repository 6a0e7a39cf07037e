#pragma once

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QStringList>

#include <csignal>
#include <sys/resource.h>

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

} // namespace kytest
