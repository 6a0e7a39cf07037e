#include "image/tiffcodec.h"

#include "image/imagefile.h"

// Placeholder until the codec lands: every call fails.
bool writeTiffFile(const QString &, const ImageFile &)
{
    return false;
}

bool readTiffFile(const QString &, ImageFile &)
{
    return false;
}

bool readTiffTags(const QString &, QMap<QString, QString> &)
{
    return false;
}

bool readTiffDirectory(const QString &, ImageTagList &, int *, int *, quint32 *)
{
    return false;
}
