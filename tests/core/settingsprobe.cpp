// Reads and writes the process-wide settings objects from wherever this program is copied to, and
// prints the answers, one per line.
//
//   settingsprobe an-path | sys-path
//   settingsprobe an-write KEY VALUE
//   settingsprobe an-int KEY | an-string KEY
//   settingsprobe sys-string KEY | sys-uintlist KEY | sys-doublelist KEY | sys-int KEY

#include "core/analysissettings.h"
#include "core/lsettings.h"
#include "core/systemsettings.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    QTextStream out(stdout);
    if (args.isEmpty())
        return 2;
    const QString command = args.at(0);
    const QString key = args.value(1);
    AnalysisSettings *an = AnalysisSettings::instance();
    SystemSettings *sys = SystemSettings::instance();

    if (command == QLatin1String("an-path")) {
        out << an->settingsStore()->fileName() << '\n';
    } else if (command == QLatin1String("sys-path")) {
        out << sys->settingsStore()->fileName() << '\n';
    } else if (command == QLatin1String("an-write")) {
        const bool ok = an->setValue(key, args.value(2));
        const bool synced = an->sync();
        out << (ok && synced ? "ok" : "failed") << '\n';
    } else if (command == QLatin1String("an-int")) {
        out << an->intValue(key) << '\n';
    } else if (command == QLatin1String("an-string")) {
        out << an->stringValue(key) << '\n';
    } else if (command == QLatin1String("sys-string")) {
        out << sys->stringValue(key) << '\n';
    } else if (command == QLatin1String("sys-int")) {
        out << sys->intValue(key) << '\n';
    } else if (command == QLatin1String("sys-uintlist")) {
        QStringList parts;
        for (unsigned int v : sys->uintListValue(key))
            parts << QString::number(v);
        out << parts.join(QLatin1Char(',')) << '\n';
    } else if (command == QLatin1String("sys-doublelist")) {
        QStringList parts;
        for (double v : sys->doubleListValue(key))
            parts << QString::number(v, 'g', 17);
        out << parts.join(QLatin1Char(',')) << '\n';
    } else {
        return 2;
    }
    return 0;
}
