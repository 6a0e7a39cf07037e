#include "app/teskwindow.h"
#include "core/analysissettings.h"
#include "core/kyviewmode.h"
#include "core/systemsettings.h"
#include "document/kycurrentdocument.h"
#include "instrument/instrumentnames.h"
#include "instrument/kestova.h"
#include "widgets/kyfonts.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    registerFontSubstitutions();

    // Process-wide objects are made here, on the GUI thread: a QObject first touched by a pool
    // thread would belong to a thread without an event loop.
    AnalysisSettings::instance();
    SystemSettings::instance();
    KyViewMode::instance();
    KyCurrentDocument::instance();
    InstrumentNames::instance();
    Kestova::instance();

    TeskWindow window;
    window.show();
    return app.exec();
}
