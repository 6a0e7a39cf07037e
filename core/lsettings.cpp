#include "core/lsettings.h"

#include "core/fileutility.h"
#include "platform/logcategories.h"

#include <QDebug>
#include <QFileInfo>

LSettings::LSettings(const QString &inFileName)
    : QSettings(inFileName, QSettings::IniFormat)
{
    if (QFileInfo::exists(inFileName))
        watcher.addPath(inFileName);
    connect(&watcher, &QFileSystemWatcher::fileChanged, this, &LSettings::onFileChanged);
}

LSettings::LSettings(QSettings::Format inFormat, QSettings::Scope inScope,
                     const QString &inOrganization, const QString &inApplication)
    : QSettings(inFormat, inScope, inOrganization, inApplication)
{
}

LSettings::~LSettings()
{
    qCDebug(lcCore, "~LSettings()");
}

void LSettings::onFileChanged(const QString &inPath)
{
    if (!FileUtility::FlushFile(inPath))
        qCDebug(lcCore).noquote() << QStringLiteral("Filed to flush file when LSettings::sync(). ") + fileName();
    // QSettings saves by writing a new file and renaming it over the old one; the watcher loses
    // the path with the old file, so it must watch the new one.
    if (!watcher.files().contains(inPath) && QFileInfo::exists(inPath))
        watcher.addPath(inPath);
}
