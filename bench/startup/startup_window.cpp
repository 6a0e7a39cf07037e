// The program's start as main runs it, with a capture folder as its argument, ending when the
// capture is first painted on the analysis screen (shownclock.h). Besides the first painting it
// marks the moments main starts ("main"), the main window is built ("built"), the open starts
// ("open") and the document arrives ("opened").
//
//   startup_window CAPTURE-FOLDER
#include "shownclock.h"

#include "app/startup.h"
#include "app/teskapp.h"
#include "app/teskwindow.h"
#include "widgets/kyimageview.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    printMark("main");
    return startApplication(argc, argv, [] {
        auto *clock = new ShownClock([](QWidget *inWidget) {
            const auto *view = qobject_cast<KyImageView *>(inWidget);
            return view && view->imageWidth() > 0;
        });
        clock->setParent(qApp);
        qApp->installEventFilter(clock);
        QObject::connect(TeskApp::instance(), &TeskApp::open, clock, [] { printMark("open"); });
        QObject::connect(TeskApp::instance(), &TeskApp::imageOpened, clock, [] { printMark("opened"); });
        auto window = std::make_unique<TeskWindow>();
        printMark("built");
        return window;
    });
}
