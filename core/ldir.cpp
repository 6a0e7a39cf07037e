#include "core/ldir.h"

#include "core/fileutility.h"

LDir::LDir(const QString &inPath)
    : QDir(inPath)
{
}

LDir::LDir(const LDir &inOther) = default;

LDir &LDir::operator=(const LDir &inOther) = default;

LDir::~LDir() = default;

bool LDir::mkdir(const QString &inName) const
{
    if (!QDir::mkdir(inName))
        return false;
    FileUtility::FlushDriveAfter(absolutePath(), "LDir::mkdir");
    return true;
}

bool LDir::rmdir(const QString &inName) const
{
    if (!QDir::rmdir(inName))
        return false;
    FileUtility::FlushDriveAfter(absolutePath(), "LDir::rmdir");
    return true;
}
