#pragma once

#include "app/kyimagefilelistmodel.h"
#include "testmain.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QMap>
#include <QSignalSpy>
#include <QTemporaryDir>

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

// Every entry under inRoot (hidden ones too) with its bytes; folders map to "<dir>". Comparing
// two of them shows that nothing was added, removed or changed.
inline QMap<QString, QByteArray> snapshot(const QString &inRoot)
{
    QMap<QString, QByteArray> tree;
    QDirIterator it(inRoot, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    const QDir root(inRoot);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        tree.insert(root.relativeFilePath(path),
                    info.isDir() ? QByteArray("<dir>") : kytest::readFile(path));
    }
    return tree;
}

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
