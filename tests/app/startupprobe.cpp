// The program's start-up with a stand-in main window, for the start-up tests: the whole start
// (application object, translation, instance slots from KY_INSTANCE_LOCK_DIR, event loop) as main
// runs it. It reports on standard output:
//   "refused"         the instance limit was reached (in place of the message box, which would
//                     wait for a user);
//   "window"          the main window was made (the instance holds its slot from here on);
//   "open: <path>"    the application object asked the window to open a path.
// The window closes, ending the program, once the file named by KY_PROBE_RELEASE_FILE exists, or
// 300 ms after the start without that variable.
// With KY_PROBE_STALLED_OPEN set, the window first starts an open whose read never returns and
// reports "home: <folder>" (the probe's own user folders, which a program that ends without its
// teardown leaves behind) and "opening".
#include "app/startup.h"
#include "app/teskapp.h"
#include "testmain.h"

#include <QDir>
#include <QFileInfo>
#include <QSemaphore>
#include <QTextStream>
#include <QTimer>

namespace {

void say(const QString &line)
{
    QTextStream out(stdout);
    out << line << '\n';
    out.flush();
}

std::unique_ptr<QWidget> makeWindow()
{
    auto window = std::make_unique<QWidget>();
    QWidget *shown = window.get();
    QObject::connect(TeskApp::instance(), &TeskApp::open, shown,
                     [](const QString &path) { say(QStringLiteral("open: ") + path); });
    const QString release = qEnvironmentVariable("KY_PROBE_RELEASE_FILE");
    if (release.isEmpty()) {
        QTimer::singleShot(300, shown, &QWidget::close);
    } else {
        auto *poll = new QTimer(shown);
        QObject::connect(poll, &QTimer::timeout, shown, [shown, release] {
            if (QFileInfo::exists(release))
                shown->close();
        });
        poll->start(20);
    }
    say(QStringLiteral("window"));
    if (qEnvironmentVariableIsSet("KY_PROBE_STALLED_OPEN")) {
        say(QStringLiteral("home: ") + QFileInfo(qEnvironmentVariable("XDG_CONFIG_HOME")).path());
        TeskApp::instance()->setOpener([](const QString &) -> KyDocument * {
            static QSemaphore never;
            never.acquire();
            return nullptr;
        });
        if (TeskApp::instance()->openImage(QDir::currentPath()))
            say(QStringLiteral("opening"));
    }
    return window;
}

} // namespace

int main(int argc, char *argv[])
{
    kytest::isolateUserFolders();
    return startApplication(argc, argv, makeWindow, [] { say(QStringLiteral("refused")); });
}
