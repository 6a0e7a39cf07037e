#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/mount.h>

namespace kytest {

// A small RAM file system mounted for the life of the object, for saves that must meet a full or
// a read-only disk. Mounting needs the right to (root with CAP_SYS_ADMIN); without it isMounted()
// is false and the test skips.
class TmpfsMount
{
public:
    explicit TmpfsMount(int inKilobytes)
    {
        const QByteArray options = "size=" + QByteArray::number(inKilobytes) + "k";
        mMounted = mRoot.isValid()
                   && ::mount("tmpfs", QFile::encodeName(mRoot.path()).constData(), "tmpfs", 0, options.constData())
                          == 0;
    }
    ~TmpfsMount()
    {
        if (mMounted)
            ::umount2(QFile::encodeName(mRoot.path()).constData(), MNT_DETACH);
    }
    TmpfsMount(const TmpfsMount &) = delete;
    TmpfsMount &operator=(const TmpfsMount &) = delete;

    bool isMounted() const { return mMounted; }
    QString path() const { return mRoot.path(); }
    // Makes the mounted file system read-only; its files stay as they are.
    bool makeReadOnly()
    {
        return mMounted
               && ::mount(nullptr, QFile::encodeName(mRoot.path()).constData(), nullptr, MS_REMOUNT | MS_RDONLY,
                          nullptr)
                      == 0;
    }
    // Fills what space is left with one file; true once a write meets the full disk.
    bool fill() const
    {
        QFile filler(mRoot.path() + QStringLiteral("/filler"));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size()) {
        }
        return filler.error() != QFileDevice::NoError;
    }

private:
    QTemporaryDir mRoot;
    bool mMounted = false;
};

} // namespace kytest
