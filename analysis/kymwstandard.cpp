#include "analysis/kymwstandard.h"

#include "core/analysissettings.h"
#include "core/lfile.h"
#include "core/systemsettings.h"
#include "platform/logcategories.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include <algorithm>

namespace {

const QString kGroup = QStringLiteral("MW");
const QString kExtension = QStringLiteral(".stdl");

QString standardFolder()
{
    return SystemSettings::instance()->stringValue(QStringLiteral("MWStandardFilePath"));
}

// The readable standard files of the folder (no links), ordered by name ignoring case, ties in
// plain order so that the choice between names differing only in case is always the same.
QFileInfoList standardFiles()
{
    const QString folder = standardFolder();
    if (folder.isEmpty())
        return {};
    QFileInfoList files = QDir(folder).entryInfoList(
        QStringList{QLatin1Char('*') + kExtension},
        QDir::Files | QDir::Readable | QDir::NoSymLinks | QDir::NoDotAndDotDot, QDir::Unsorted);
    std::sort(files.begin(), files.end(), [](const QFileInfo &a, const QFileInfo &b) {
        const int folded = a.fileName().compare(b.fileName(), Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a.fileName() < b.fileName();
    });
    return files;
}

// The file of a standard: the exact name when it exists, else the first file whose name differs
// only in case (the instrument's file system did not tell case apart). Empty when there is none.
QString standardFilePath(const QString &name)
{
    if (!KyMwStandard::isStorableName(name))
        return QString();
    const QString folder = standardFolder();
    if (folder.isEmpty())
        return QString();
    const QString fileName = name + kExtension;
    const QString exact = QDir(folder).filePath(fileName);
    if (QFileInfo::exists(exact))
        return exact;
    for (const QFileInfo &info : standardFiles()) {
        if (info.fileName().compare(fileName, Qt::CaseInsensitive) == 0)
            return info.filePath();
    }
    return QString();
}

// The settings keys of the group "MW" that name the same standard as name: the exact key first,
// then those that differ only in case.
QStringList entryKeys(const QString &name)
{
    AnalysisSettings *settings = AnalysisSettings::instance();
    settings->beginGroup(kGroup);
    const QStringList keys = settings->allKeys();
    settings->endGroup();
    QStringList found;
    if (keys.contains(name))
        found.append(name);
    for (const QString &key : keys) {
        if (key != name && key.compare(name, Qt::CaseInsensitive) == 0)
            found.append(key);
    }
    return found;
}

QString fullKey(const QString &key)
{
    return kGroup + QLatin1Char('/') + key;
}

} // namespace

KyMwStandard::KyMwStandard(const QString &inName)
    : mName(inName)
{
    if (!inName.isEmpty())
        load(inName);
}

bool KyMwStandard::load(const QString &inName)
{
    mName = inName;
    mValues = readFile(inName, &mText);
    if (mValues.isEmpty()) {
        mChecks.clear();
        qCDebug(lcAnalysis, "Failed to load MW standard [%s]", inName.toLocal8Bit().constData());
        return false;
    }
    mChecks = QVector<bool>(mValues.size(), true);
    return true;
}

void KyMwStandard::set(const QString &inName, const QString &inText, const QList<int> &inValues,
                       const QVector<bool> &inChecks)
{
    mName = inName;
    mText = inText;
    mValues = inValues;
    mChecks = inChecks;
}

void KyMwStandard::setCheck(int inIndex, bool inUsed)
{
    if (inIndex < 0 || inIndex >= mValues.size() || inIndex >= mChecks.size())
        return;
    mChecks[inIndex] = inUsed;
}

bool KyMwStandard::operator==(const KyMwStandard &inOther) const
{
    return mName == inOther.mName && mText == inOther.mText && mValues == inOther.mValues
           && mChecks == inOther.mChecks;
}

bool KyMwStandard::isStorableName(const QString &inName)
{
    if (inName.isEmpty())
        return false;
    for (const QChar ch : inName) {
        switch (ch.unicode()) {
        case u'/':
        case u',':
        case u'\n':
        case u'\r':
        case u'\v':
        case u'\f':
        case 0x85:
        case 0x2028:
        case 0x2029:
            return false;
        default:
            break;
        }
    }
    return true;
}

QList<int> KyMwStandard::readFile(const QString &inName, QString *outText)
{
    QList<int> values;
    if (!isStorableName(inName))
        return values;

    const QStringList keys = entryKeys(inName);
    if (!keys.isEmpty()) {
        AnalysisSettings *settings = AnalysisSettings::instance();
        settings->beginGroup(kGroup);
        const QStringList entry = settings->stringListValue(keys.first());
        settings->endGroup();
        if (!entry.isEmpty()) {
            if (outText)
                *outText = entry.first();
            for (qsizetype i = 1; i < entry.size(); ++i)
                values.append(entry.at(i).toInt());
            return values;
        }
    }

    const QString path = standardFilePath(inName);
    if (path.isEmpty())
        return values;
    LFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return values;
    QTextStream stream(&file);
    QString word;
    stream >> word;
    if (outText)
        *outText = word;
    while (!stream.atEnd()) {
        word.clear();
        stream >> word;
        if (!word.isEmpty())
            values.append(word.toInt());
    }
    file.close();
    return values;
}

QStringList KyMwStandard::standardNames()
{
    QStringList names;
    const auto add = [&names](const QString &name) {
        if (isStorableName(name) && !names.contains(name, Qt::CaseInsensitive))
            names.append(name);
    };

    AnalysisSettings *settings = AnalysisSettings::instance();
    settings->beginGroup(kGroup);
    const QStringList keys = settings->allKeys();
    settings->endGroup();
    for (const QString &key : keys)
        add(key);

    for (const QFileInfo &info : standardFiles()) {
        const QString fileName = info.fileName();
        add(fileName.left(fileName.lastIndexOf(QLatin1Char('.'))));
    }
    return names;
}

bool KyMwStandard::isRemovable(const QString &inName)
{
    return standardFilePath(inName).isEmpty();
}

bool KyMwStandard::remove(const QString &inName)
{
    // An empty name would address the whole group and remove every standard.
    if (!isStorableName(inName))
        return true;
    AnalysisSettings *settings = AnalysisSettings::instance();
    for (const QString &key : entryKeys(inName))
        settings->remove(fullKey(key));
    return settings->sync();
}

bool KyMwStandard::save(const QString &inName, const QString &inText, const QList<int> &inValues)
{
    if (!isStorableName(inName))
        return false;
    QStringList entry{inText};
    for (int value : inValues)
        entry.append(QString::number(value));

    AnalysisSettings *settings = AnalysisSettings::instance();
    // The name replaces any entry that differs from it only in case.
    for (const QString &key : entryKeys(inName))
        settings->remove(fullKey(key));
    const bool stored = settings->setValue(fullKey(inName), entry);
    return settings->sync() && stored;
}
