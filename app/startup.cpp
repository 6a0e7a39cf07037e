#include "app/startup.h"

#include "app/teskapp.h"
#include "core/analysissettings.h"
#include "core/kyviewmode.h"
#include "core/systemsettings.h"
#include "instrument/instrumentnames.h"
#include "instrument/kestova.h"
#include "platform/instanceslots.h"
#include "platform/quickexit.h"
#include "platform/logcategories.h"
#include "widgets/kyfonts.h"

#include <QDebug>
#include <QFileInfo>
#include <QMessageBox>
#include <QTranslator>

using platform::InstanceSlots;

namespace {

// How long the end of the program waits for an open to end by itself: about what a whole capture
// takes to read.
constexpr int kOpenEndWaitMilliseconds = 2000;

} // namespace

void showInstanceLimitMessage()
{
    QMessageBox::information(nullptr, QStringLiteral("Brevik Ziredo 410 Analysis Software"),
                             QStringLiteral("Maximum number of images have been opened."),
                             QMessageBox::Ok, QMessageBox::NoButton);
}

int runApplication(TeskApp &app, InstanceSlots &instances, const MainWindowFactory &createWindow,
                   const LimitNotice &notice)
{
    int running = 0;
    int slot = -1;
    {
        // Count and claim as one step: two starts at the same moment must not both find the same
        // free slot, or both squeeze in under the limit.
        const InstanceSlots::Guard guard = instances.lockGuard();
        running = instances.countRunning();
        if (running < InstanceSlots::kSlotCount)
            slot = instances.claim();
    }
    if (running >= InstanceSlots::kSlotCount) {
        if (notice)
            notice();
        return kInstanceLimitExitCode;
    }
    if (slot >= 0)
        qCDebug(lcApp) << "instance slot" << InstanceSlots::slotName(slot);
    else
        qCDebug(lcApp) << "running without an instance slot";

    std::unique_ptr<QWidget> window = createWindow ? createWindow() : nullptr;
    if (!window) {
        instances.release();
        return 0;
    }
    window->show();
    app.setMainWindow(window.get());
    const int result = app.run();
    instances.release();
    window.reset();
    // An open the window gave up at its close may be stuck in a read that never returns; the
    // teardown would wait for its thread for ever, though nothing of the open is kept.
    if (!app.waitForOpen(kOpenEndWaitMilliseconds)) {
        qCDebug(lcApp) << "An open did not end: the program ends without waiting for it.";
        AnalysisSettings::instance()->sync();
        platform::endProcessNow(result);
    }
    return result;
}

int startApplication(int &argc, char **argv, const MainWindowFactory &createWindow,
                     const LimitNotice &notice)
{
    TeskApp app(argc, argv);
    registerFontSubstitutions();
    // Process-wide objects are made here, on the GUI thread: a QObject first touched by a pool
    // thread would belong to a thread without an event loop.
    AnalysisSettings::instance();
    SystemSettings::instance();
    KyViewMode::instance();
    InstrumentNames::instance();
    Kestova::instance();

    QTranslator translator;
    // Named after the executable without its last extension, beside it.
    const QString translationName = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    if (translator.load(translationName, QCoreApplication::applicationDirPath()))
        QCoreApplication::installTranslator(&translator);

    InstanceSlots instances;
    return runApplication(app, instances, createWindow, notice);
}
