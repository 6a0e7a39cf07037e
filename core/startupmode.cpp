#include "core/startupmode.h"

#include "core/fileutility.h"
#include "core/lfile.h"
#include "core/systemsettings.h"

bool writeStartupMode(int inMode)
{
    const QString path = SystemSettings::instance()->stringValue(QStringLiteral("BootModeFilePath"));
    const QString folder = path.section(QLatin1Char('/'), 0, -2);
    if (!FileUtility::MakePathFor(folder))
        return false;
    LFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return false;
    const QByteArray text = QByteArray::number(inMode);
    const bool written = file.write(text) == text.size();
    file.close();
    return written && file.error() == QFileDevice::NoError;
}
