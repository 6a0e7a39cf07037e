#include "core/analysissettings.h"
#include "instrument/kestova.h"
#include "core/kyviewmode.h"
#include "core/systemsettings.h"
#include "instrument/instrumentnames.h"
#include "widgets/kyfonts.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    registerFontSubstitutions();

    // Process-wide objects are made here, on the GUI thread: a QObject first touched by a pool
    // thread would belong to a thread without an event loop.
    AnalysisSettings::instance();
    SystemSettings::instance();
    KyViewMode::instance();
    InstrumentNames::instance();
    Kestova::instance();

    QTextStream(stderr) << "The analysis window is not built yet: this build holds the settings, "
                           "files, instrument images, lane analysis and documents, which the tests "
                           "exercise; it opens no capture folder.\n";
    return 0;
}
