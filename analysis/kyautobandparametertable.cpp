#include "analysis/kyautobandparametertable.h"

#include "core/lfile.h"
#include "core/systemsettings.h"
#include "platform/logcategories.h"

#include <QDebug>
#include <QMutexLocker>
#include <QTextStream>

KyAutoBandParameterTable *KyAutoBandParameterTable::instance()
{
    static KyAutoBandParameterTable table;
    table.load();
    return &table;
}

KyAutoBandParameterTable::KyAutoBandParameterTable()
{
    load();
}

int KyAutoBandParameterTable::count() const
{
    QMutexLocker lock(&mMutex);
    return int(mDefaultSets.size());
}

QString KyAutoBandParameterTable::nameAt(int inIndex) const
{
    QMutexLocker lock(&mMutex);
    if (inIndex < 0 || inIndex >= mDefaultSets.size())
        return QString();
    return mDefaultSets.at(inIndex).name;
}

int KyAutoBandParameterTable::indexOf(const QString &inName) const
{
    QMutexLocker lock(&mMutex);
    for (int i = 0; i < mDefaultSets.size(); ++i) {
        if (mDefaultSets.at(i).name == inName)
            return i;
    }
    return -1;
}

KyBandDetectParameter KyAutoBandParameterTable::parameter(int inMarkerFlag, int inIndex) const
{
    QMutexLocker lock(&mMutex);
    const QList<KyAutoBandParameter> &sets =
        inMarkerFlag == 1 && !mMarkerSets.isEmpty() ? mMarkerSets : mDefaultSets;
    if (inIndex < 0 || inIndex >= sets.size())
        return KyBandDetectParameter();
    return sets.at(inIndex).toDetectParameter();
}

void KyAutoBandParameterTable::load()
{
    const QString path = SystemSettings::instance()->stringValue(QStringLiteral("AutoBandParameterFilePath"));

    // The whole reload holds the mutex: two reloads never overlap, and no reader sees a half-read
    // table.
    QMutexLocker lock(&mMutex);
    LFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;

    mDefaultSets.clear();
    mMarkerSets.clear();
    QList<KyAutoBandParameter> *current = &mDefaultSets;

    // readLine() drops "\n" and "\r\n" alike, so a file written with Windows line ends matches the
    // marker line and carries no "\r" into its last field.
    QTextStream stream(&file);
    while (!stream.atEnd()) {
        const QString line = stream.readLine();
        if (line.compare(QLatin1String("[Marker]"), Qt::CaseInsensitive) == 0) {
            current = &mMarkerSets;
            continue;
        }
        current->append(KyAutoBandParameter(line.split(QLatin1Char(','), Qt::KeepEmptyParts)));
    }
    file.close();

    if (mDefaultSets.size() != mMarkerSets.size())
        qCDebug(lcAnalysis).noquote() << "AutoBand.txt is invalid. The number of parameters must be same in default and in [Marker].";
}
