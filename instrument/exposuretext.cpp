#include "instrument/exposuretext.h"

#include <algorithm>
#include <limits>

namespace {

// The text read as a decimal whole number, surrounding white space ignored; 0 when it is not one.
qint64 integerValue(QStringView inText)
{
    bool ok = false;
    const int value = inText.trimmed().toInt(&ok);
    return ok ? value : 0;
}

} // namespace

QString exposureTimeText(quint32 inMSec)
{
    if (inMSec == 0)
        return QStringLiteral("Automatic");
    const quint32 minutes = inMSec / 60000;
    QString text;
    if (minutes > 0)
        text = QStringLiteral("%1 min").arg(minutes);
    if (inMSec % 60000 == 0)
        return text;
    if (minutes > 0)
        text += QLatin1Char(' ');
    const quint32 seconds = (inMSec - minutes * 60000) / 1000;
    const quint32 rest = inMSec - (minutes * 60 + seconds) * 1000;
    if (rest > 0) {
        QString digits = (QStringLiteral("000") + QString::number(rest)).right(3);
        while (digits.endsWith(QLatin1Char('0')))
            digits.chop(1);
        text += QStringLiteral("%1.%2 s").arg(seconds).arg(digits);
    } else {
        text += QStringLiteral("%1.0 s").arg(seconds);
    }
    return text;
}

qint32 parseExposureTimeText(const QString &inText)
{
    if (inText == QLatin1String("Automatic"))
        return 0;
    const QStringView text(inText);
    const qsizetype minAt = text.indexOf(QLatin1String("min"));
    qint64 total = 0;
    QStringView rest = text;
    if (minAt >= 0) {
        total = integerValue(text.left(minAt)) * 60000;
        rest = text.mid(minAt + 3);
    }
    const qsizetype sAt = rest.indexOf(QLatin1Char('s'));
    if (sAt >= 0)
        rest = rest.left(sAt);

    const qsizetype pointAt = rest.indexOf(QLatin1Char('.'));
    const qint64 seconds = integerValue(pointAt >= 0 ? rest.left(pointAt) : rest);
    total += seconds * 1000;
    if (pointAt >= 0) {
        const QString fraction = rest.mid(rest.lastIndexOf(QLatin1Char('.')) + 1).toString().simplified()
                                 + QStringLiteral("000");
        total += integerValue(QStringView(fraction).left(3));
    }
    return qint32(std::clamp<qint64>(total, std::numeric_limits<qint32>::min(),
                                      std::numeric_limits<qint32>::max()));
}
