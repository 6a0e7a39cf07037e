// Peak memory of the save command on a capture the program shows: writes a sample capture of a
// kind at a multiple of the full size (2046 x 3072 pixels per multiple), starts the program's main
// window on it as the command line does, lets the screen show it, and then saves the document the
// way the save command's task does (TeskApp::saveDocument: in place). Prints the resident set
// (VmRSS) of the program showing the capture, and the peak (VmHWM) the save reaches, in megabytes.
// The summary PDF the window writes after the save is not part of it.
//
//   save_memory KIND SCALE FOLDER      KIND gel, marker, fluor or color; SCALE 1, 4, 16 ...
//
// A scale of n multiplies the pixels by n: both sides by sqrt(n). The capture is written into
// FOLDER once and kept there; the measuring run is a process of its own, started afterwards.
// Runs offscreen (QT_QPA_PLATFORM=offscreen) or under a display.

#include "app/startup.h"
#include "app/teskapp.h"
#include "app/teskwindow.h"
#include "capturefolder.h"
#include "support/timesreporter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTimer>

#include <cmath>
#include <cstdio>

namespace {

// A line of /proc/self/status in megabytes.
double statusMegabytes(const char *inKey)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1.0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(inKey))
            return line.mid(int(qstrlen(inKey))).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return -1.0;
}

// Starts a new peak: the kernel sets VmHWM back to the present VmRSS.
bool resetPeak()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    return refs.open(QIODevice::WriteOnly) && refs.write("5") == 1;
}

} // namespace

int main(int argc, char **argv)
{
    kybench::quietDebugOutput();
    if (argc < 4) {
        std::fprintf(stderr, "usage: save_memory KIND SCALE FOLDER\n");
        return 2;
    }
    const QString kind = QString::fromLocal8Bit(argv[1]);
    const double scale = QString::fromLocal8Bit(argv[2]).toDouble();
    const int width = int(std::lround(2046 * std::sqrt(scale)));
    const int height = int(std::lround(3072 * std::sqrt(scale)));
    const QString parent = QStringLiteral("%1/%2-%3x%4").arg(QString::fromLocal8Bit(argv[3]), kind).arg(width).arg(height);

    if (!QDir(parent).exists()) {
        QCoreApplication writing(argc, argv);
        if (kybench::captureFolder("save_memory", parent, kind, width, height).isEmpty())
            return 1;
        return QProcess::execute(QCoreApplication::applicationFilePath(), QCoreApplication::arguments().mid(1));
    }

    int result = 1;
    char *programArgv[] = {argv[0], nullptr};
    int programArgc = 1;
    startApplication(programArgc, programArgv, [&] {
        auto window = std::make_unique<TeskWindow>();
        const QString folder = kybench::captureFolder("save_memory", parent, kind, width, height);
        const QString what = QStringLiteral("%1 x%2 (%3 x %4)").arg(kind).arg(scale).arg(width).arg(height);
        QObject::connect(TeskApp::instance(), &TeskApp::imageOpened, window.get(), [&result, what] {
            // The screen shows the capture once the events of the open are through.
            QTimer::singleShot(500, [&result, what] {
                const double shown = statusMegabytes("VmRSS:");
                resetPeak();
                const bool saved = TeskApp::instance()->saveDocument();
                const double peak = statusMegabytes("VmHWM:");
                std::printf("%s: showing %.0f MB, save peak %.0f MB (+%.0f MB)%s\n", qPrintable(what), shown, peak,
                            peak - shown, saved ? "" : ", save failed");
                result = saved ? 0 : 1;
                QCoreApplication::exit(0);
            });
        });
        QTimer::singleShot(0, [folder] { TeskApp::instance()->openImage(folder); });
        // An open that fails asks the user in a box that nobody answers here.
        QTimer::singleShot(600000, [] {
            std::fprintf(stderr, "save_memory: the capture did not open within ten minutes\n");
            QCoreApplication::exit(1);
        });
        return window;
    });
    return result;
}
