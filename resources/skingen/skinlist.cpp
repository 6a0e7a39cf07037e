#include "skinlist.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

bool readSkinList(const QString &fileName, QList<SkinEntry> *entries, QString *error)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *error = QStringLiteral("%1: %2").arg(fileName, file.errorString());
        return false;
    }
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    QSet<QString> seen;
    entries->clear();
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines.at(i).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const auto fail = [&](const QString &why) {
            *error = QStringLiteral("%1:%2: %3").arg(fileName).arg(i + 1).arg(why);
            return false;
        };
        const QStringList fields = line.split(QRegularExpression(QStringLiteral("\\s+")));
        if (fields.size() != 3)
            return fail(QStringLiteral("expected \"path width height\""));
        bool okWidth = false;
        bool okHeight = false;
        const SkinEntry entry{fields.at(0),
                              QSize(fields.at(1).toInt(&okWidth), fields.at(2).toInt(&okHeight))};
        if (!okWidth || !okHeight || entry.size.width() <= 0 || entry.size.height() <= 0)
            return fail(QStringLiteral("the size must be two positive numbers"));
        if (!entry.path.startsWith(QLatin1String(":/")) || entry.path.contains(QLatin1String(".."))
            || !entry.path.endsWith(QLatin1String(".png")))
            return fail(QStringLiteral("the path must be a \":/...png\" resource path"));
        if (seen.contains(entry.path))
            return fail(QStringLiteral("%1 is listed twice").arg(entry.path));
        seen.insert(entry.path);
        entries->append(entry);
    }
    if (entries->isEmpty()) {
        *error = QStringLiteral("%1: no images listed").arg(fileName);
        return false;
    }
    return true;
}

QString skinStem(const QString &path)
{
    return QFileInfo(path).completeBaseName();
}
