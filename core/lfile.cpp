#include "core/lfile.h"

#include "core/fileutility.h"

namespace {

bool isWriteMode(QIODevice::OpenMode mode)
{
    return mode.testFlag(QIODevice::WriteOnly);
}

} // namespace

LFile::LFile(const QString &inName)
    : QFile(inName)
{
}

LFile::~LFile() = default;

bool LFile::open(QIODevice::OpenMode inMode)
{
    lastMode = inMode;
    if (isWriteMode(lastMode))
        lastMode |= QIODevice::Unbuffered;
    return QFile::open(lastMode);
}

void LFile::close()
{
    QFile::close();
    if (isWriteMode(lastMode))
        FileUtility::FlushFileAfter(fileName(), "LFile::close");
}

bool LFile::remove()
{
    const QString name = fileName();
    if (!QFile::remove())
        return false;
    FileUtility::FlushDriveAfter(name, "LFile::remove");
    return true;
}

bool LFile::copy(const QString &inNewName)
{
    if (!QFile::copy(inNewName))
        return false;
    FileUtility::FlushFileAfter(inNewName, "LFile::copy");
    return true;
}

bool LFile::rename(const QString &inNewName)
{
    if (!QFile::rename(inNewName))
        return false;
    FileUtility::FlushFileAfter(inNewName, "LFile::rename");
    return true;
}

bool LFile::resize(qint64 inSize)
{
    if (!QFile::resize(inSize))
        return false;
    FileUtility::FlushFileAfter(fileName(), "LFile::resize");
    return true;
}

bool LFile::copy(const QString &inFileName, const QString &inNewName)
{
    if (!QFile::copy(inFileName, inNewName))
        return false;
    FileUtility::FlushFileAfter(inNewName, "LFile::copy");
    return true;
}

bool LFile::rename(const QString &inOldName, const QString &inNewName)
{
    if (!QFile::rename(inOldName, inNewName))
        return false;
    FileUtility::FlushFileAfter(inNewName, "LFile::rename");
    return true;
}

bool LFile::resize(const QString &inFileName, qint64 inSize)
{
    if (!QFile::resize(inFileName, inSize))
        return false;
    FileUtility::FlushFileAfter(inFileName, "LFile::resize");
    return true;
}

bool LFile::remove(const QString &inFileName)
{
    if (!QFile::remove(inFileName))
        return false;
    FileUtility::FlushDriveAfter(inFileName, "LFile::remove");
    return true;
}
