#include "app/savefailuretext.h"

#include <QCoreApplication>

#include <cerrno>

QString saveFailureText(const QString &inFailure, int inError, const QString &inOtherwise)
{
    // The boxes are the window's: so are the translations.
    QString cause;
    switch (inError) {
    case ENOSPC:
    case EDQUOT:
        cause = QCoreApplication::translate("TeskWindow", "There is not enough free space on the disk.");
        break;
    case EFBIG:
        cause = QCoreApplication::translate("TeskWindow", "The file is larger than the disk or the system allows.");
        break;
    case EACCES:
    case EPERM:
        cause = QCoreApplication::translate("TeskWindow", "You have no permission to write to the folder.");
        break;
    case EROFS:
        cause = QCoreApplication::translate("TeskWindow", "The disk is read-only.");
        break;
    default:
        return inOtherwise;
    }
    return inFailure + QLatin1Char(' ') + cause;
}
