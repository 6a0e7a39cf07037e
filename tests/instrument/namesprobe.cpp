// Answers questions about the instrument's name lists from wherever this program is copied to (so
// that a "Method.ini" placed beside it is found), one line per argument:
//
//   store          the file of the name store
//   index:NAME     the light index of a name
//   light:N        the name of light index N
//   mode:ID        method|light index|light name|filter|filter slot|method type of a light mode
//   filters        every filter name, joined by "|"

#include "instrument/instrumentnames.h"
#include "instrument/lightmode.h"
#include "instrument/lightsource.h"

#include "core/lsettings.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    for (const QString &query : app.arguments().mid(1)) {
        const QString command = query.section(QLatin1Char(':'), 0, 0);
        const QString argument = query.section(QLatin1Char(':'), 1);
        if (command == QLatin1String("store")) {
            out << InstrumentNames::instance()->settingsStore()->fileName() << '\n';
        } else if (command == QLatin1String("index")) {
            out << LightSource::indexOfName(argument) << '\n';
        } else if (command == QLatin1String("light")) {
            out << LightSource(argument.toInt()).name() << '\n';
        } else if (command == QLatin1String("mode")) {
            const LightMode mode(argument.toInt());
            out << QStringList{mode.methodName(), QString::number(mode.light().index()), mode.light().name(),
                               mode.filter().name(), QString::number(mode.filterIndex()), mode.methodTypeName()}
                       .join(QLatin1Char('|'))
                << '\n';
        } else if (command == QLatin1String("filters")) {
            out << InstrumentNames::filterNames().join(QLatin1Char('|')) << '\n';
        } else {
            return 2;
        }
    }
    return 0;
}
