#include "app/imagefileinfoitem.h"

#include <QFileInfo>

ImageFileInfoItem::ImageFileInfoItem(const QString &inPath, bool inSelected)
    : mSelected(inSelected)
{
    if (!inPath.isEmpty() && QFileInfo::exists(inPath)) {
        mPath = inPath;
        mSeenModified = Modified();
        mSeenCreated = Created();
    }
}

QString ImageFileInfoItem::Name() const
{
    return mPath.section(QLatin1Char('/'), -1, -1);
}

QString ImageFileInfoItem::Method() const
{
    const QString last = mPath.section(QLatin1Char('_'), -1, -1);
    if (last.startsWith(QLatin1String("Ch")))
        return QStringLiteral("Chemiluminescence");
    if (last.startsWith(QLatin1String("Co")))
        return QStringLiteral("Colorimetric");
    if (last.startsWith(QLatin1String("Fl")))
        return QStringLiteral("Fluorescence");
    return QString();
}

QDateTime ImageFileInfoItem::Modified() const
{
    if (mPath.isEmpty())
        return QDateTime();
    return QFileInfo(mPath).lastModified();
}

QDateTime ImageFileInfoItem::Created() const
{
    if (mPath.isEmpty())
        return QDateTime();
    const QFileInfo info(mPath);
    const QDateTime birth = info.birthTime();
    return birth.isValid() ? birth : info.metadataChangeTime();
}

bool ImageFileInfoItem::operator==(const ImageFileInfoItem &inOther) const
{
    return mPath == inOther.mPath && mSeenCreated == inOther.mSeenCreated
           && mSeenModified == inOther.mSeenModified;
}
