#include "core/filenamevalidator.h"

#include <QRegularExpression>
#include <QRegularExpressionValidator>

QRegularExpressionValidator *fileNameValidator(int inMaxLength)
{
    // \x5c is the backslash and \xa5 the yen sign, which stood for it on the instrument's keyboard.
    const QString pattern = QStringLiteral("^[^ :*?\\x5c\\xa5\\/\"<>|][^:*?\\x5c\\xa5\\/\"<>|]{0,%1}").arg(inMaxLength);
    return new QRegularExpressionValidator(QRegularExpression(pattern));
}
