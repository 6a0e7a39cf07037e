#pragma once

#include "app/kyimagefilelistmodel.h"
#include "platform/safefileops.h"
#include "testmain.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QMap>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace browsertest {

// Makes a capture folder with the given files (each holding its own name as bytes) and returns
// its path.
inline QString makeCapture(const QString &inParent, const QString &inName,
                           const QStringList &inFiles = {QStringLiteral("image.tif")})
{
    const QString path = inParent + QLatin1Char('/') + inName;
    if (!QDir().mkpath(path))
        return QString();
    for (const QString &file : inFiles)
        kytest::writeFile(path + QLatin1Char('/') + file, file.toUtf8());
    return path;
}

// Every entry under inRoot (hidden ones too) with its bytes; folders map to "<dir>", links to
// "link:" and their text, pipes and other special files to "<special>". Comparing two of them
// shows that nothing was added, removed or changed.
inline QMap<QString, QByteArray> snapshot(const QString &inRoot)
{
    QMap<QString, QByteArray> tree;
    QDirIterator it(inRoot, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    const QDir root(inRoot);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        QByteArray link;
        QByteArray value;
        if (platform::readSymLink(path, &link))
            value = "link:" + link;
        else if (info.isDir())
            value = "<dir>";
        else if (info.isFile())
            value = kytest::readFile(path);
        else
            value = "<special>";
        tree.insert(root.relativeFilePath(path), value);
    }
    return tree;
}

// Keeps an entry from being removed, renamed or changed while it lives, for root too: a folder so
// marked takes no new entries and loses none. ok() is false where the mark cannot be set (it
// needs the immutable-file capability, which root normally holds).
class Unremovable
{
public:
    explicit Unremovable(const QString &inPath)
        // The descriptor follows the entry when a folder above it is renamed.
        : mFd(::open(QFile::encodeName(inPath).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC))
    {
        mOk = mFd >= 0 && setMark(true);
    }
    ~Unremovable()
    {
        if (mOk)
            setMark(false);
        if (mFd >= 0)
            ::close(mFd);
    }
    Unremovable(const Unremovable &) = delete;
    Unremovable &operator=(const Unremovable &) = delete;
    bool ok() const { return mOk; }

private:
    bool setMark(bool inOn)
    {
        int flags = 0;
        if (::ioctl(mFd, FS_IOC_GETFLAGS, &flags) != 0)
            return false;
        flags = inOn ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        return ::ioctl(mFd, FS_IOC_SETFLAGS, &flags) == 0;
    }

    int mFd = -1;
    bool mOk = false;
};

// Scans the model's folder on the pool and waits for the list to be installed.
inline bool scan(KyImageFileListModel &ioModel)
{
    QSignalSpy updated(&ioModel, &KyImageFileListModel::updated);
    ioModel.Update();
    return updated.wait(10000);
}

inline QStringList names(const KyImageFileListModel &inModel)
{
    QStringList result;
    for (const ImageFileInfoItem &item : inModel.Items())
        result << item.Name();
    return result;
}

} // namespace browsertest
