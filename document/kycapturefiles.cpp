#include "document/kycapturefiles.h"

#include "core/fileutility.h"
#include "core/ldir.h"

#include <algorithm>

namespace KyCaptureFiles {

QStringList TiffFileNames(const QString &inFolder)
{
    // QDir("") is the current folder: an empty path must list nothing.
    if (inFolder.isEmpty())
        return QStringList();
    const LDir dir(FileUtility::Slashed(inFolder));
    QStringList names = dir.entryList(QStringList{QStringLiteral("*.tif")},
                                      QDir::Files | QDir::NoSymLinks | QDir::NoDotAndDotDot, QDir::Unsorted);
    std::sort(names.begin(), names.end(), [](const QString &inA, const QString &inB) {
        const int folded = inA.compare(inB, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : inA < inB;
    });
    return names;
}

QString CapturePrefix(const QString &inName)
{
    const qsizetype minus = inName.lastIndexOf(QLatin1Char('-'));
    if (minus >= 0)
        return inName.left(minus);
    const qsizetype dot = inName.lastIndexOf(QLatin1Char('.'));
    return dot >= 0 ? inName.left(dot) : inName;
}

QStringList FirstCapture(const QStringList &inNames)
{
    if (inNames.isEmpty())
        return QStringList();
    const QString prefix = CapturePrefix(inNames.first());
    QStringList names;
    for (const QString &name : inNames) {
        if (name.startsWith(prefix))
            names.append(name);
    }
    return names;
}

QStringList CaptureFileNames(const QString &inFolder)
{
    return FirstCapture(TiffFileNames(inFolder));
}

} // namespace KyCaptureFiles
