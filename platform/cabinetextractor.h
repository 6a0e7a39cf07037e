#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// The external program that unpacks cabinet files, and the command line it takes.
class CabinetExtractor
{
public:
    static QString program();
    // Replaces the program (tests put a stand-in here); an empty path restores the default.
    static void setProgram(const QString &path);
    static QStringList arguments(const QString &destination, const QString &cabinet);
};

} // namespace platform
