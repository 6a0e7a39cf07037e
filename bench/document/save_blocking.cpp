// How long the save command holds the GUI thread, summary PDF included: writes a sample capture of
// a kind at a multiple of the full size (2046 x 3072 pixels per multiple), starts the program's
// main window on it as the command line does, lays lanes and finds bands so that the save writes a
// summary PDF, and then saves as File > Save does, a few times. A 1 ms timer on the GUI thread
// tells the longest time between two of its ticks (the longest the window could not repaint or
// answer) and the sum of the gaps over 20 ms, beside the save's whole time.
//
//   save_blocking KIND SCALE FOLDER [LANES] [SAVES]   KIND gel, marker, fluor or color; SCALE 1, 4, 16 ...
//
// The capture is written into FOLDER once and kept there (as save_memory does); the measuring run
// is a process of its own. Runs offscreen (QT_QPA_PLATFORM=offscreen) or under a display.

#include "analysis/kyautobandparametertable.h"
#include "app/startup.h"
#include "app/teskapp.h"
#include "app/teskwindow.h"
#include "document/kydocument.h"
#include "capturefolder.h"
#include "support/timesreporter.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr qint64 kCountedGapNs = 20'000'000;

// Ticks on the GUI thread and keeps the gaps between them.
class GapMeter : public QObject
{
public:
    GapMeter()
    {
        mTimer.setTimerType(Qt::PreciseTimer);
        connect(&mTimer, &QTimer::timeout, this, &GapMeter::tick);
    }
    // Also called where the save is seen to have ended: the gap up to then counts, even when the
    // timer would have ticked only later.
    void tick()
    {
        const qint64 now = mClock.nsecsElapsed();
        const qint64 gap = now - mLast;
        mLongest = std::max(mLongest, gap);
        if (gap > kCountedGapNs)
            mCounted += gap;
        mLast = now;
    }
    void start()
    {
        mLongest = 0;
        mCounted = 0;
        mClock.start();
        mLast = 0;
        mTimer.start(1);
    }
    void stop() { mTimer.stop(); }
    double longestMs() const { return mLongest / 1e6; }
    double countedMs() const { return mCounted / 1e6; }
    double elapsedMs() const { return mClock.nsecsElapsed() / 1e6; }

private:
    QTimer mTimer;
    QElapsedTimer mClock;
    qint64 mLast = 0;
    qint64 mLongest = 0;
    qint64 mCounted = 0;
};

} // namespace

int main(int argc, char **argv)
{
    kybench::quietDebugOutput();
    if (argc < 4) {
        std::fprintf(stderr, "usage: save_blocking KIND SCALE FOLDER [LANES] [SAVES]\n");
        return 2;
    }
    const QString kind = QString::fromLocal8Bit(argv[1]);
    const double scale = QString::fromLocal8Bit(argv[2]).toDouble();
    const int lanes = argc > 4 ? QString::fromLocal8Bit(argv[4]).toInt() : 25;
    const int saves = argc > 5 ? QString::fromLocal8Bit(argv[5]).toInt() : 3;
    const int width = int(std::lround(2046 * std::sqrt(scale)));
    const int height = int(std::lround(3072 * std::sqrt(scale)));
    const QString parent = QStringLiteral("%1/%2-%3x%4").arg(QString::fromLocal8Bit(argv[3]), kind).arg(width).arg(height);

    if (!QDir(parent).exists()) {
        QCoreApplication writing(argc, argv);
        if (kybench::captureFolder("save_blocking", parent, kind, width, height).isEmpty())
            return 1;
        return QProcess::execute(QCoreApplication::applicationFilePath(), QCoreApplication::arguments().mid(1));
    }

    int result = 1;
    char *programArgv[] = {argv[0], nullptr};
    int programArgc = 1;
    GapMeter *meter = nullptr;
    startApplication(programArgc, programArgv, [&] {
        auto window = std::make_unique<TeskWindow>();
        TeskWindow *shown = window.get();
        meter = new GapMeter;
        const QString folder = kybench::captureFolder("save_blocking", parent, kind, width, height);
        const QString what = QStringLiteral("%1 x%2 (%3 x %4), %5 lanes").arg(kind).arg(scale).arg(width).arg(height).arg(lanes);
        QObject::connect(TeskApp::instance(), &TeskApp::imageOpened, shown, [&result, what, shown, lanes, saves, &meter] {
            KyDocument *document = TeskApp::currentDocument();
            document->SetDefaultLanes(lanes, 0.8);
            const KyAutoBandParameterTable *sets = KyAutoBandParameterTable::instance();
            document->DetectBands(document->ChannelMask(), sets->parameter(0, 2), sets->parameter(1, 2));
            // Synthetic lanes need not meet the sample's bands: two bands a lane in every channel
            // where detection found none, so that the summary table has rows to print.
            for (int c = 0; c < 3; ++c)
                for (int lane = 0; lane < lanes; ++lane)
                    if (document->BandCount(c, lane) == 0)
                        for (int k = 1; k <= 2; ++k)
                            document->AddBand(c, lane, document->ImageHeight() * k / 3);
            int bands = 0;
            for (int c = 0; c < 3; ++c)
                for (int lane = 0; lane < lanes; ++lane)
                    bands += document->BandCount(c, lane);
            std::printf("%d bands\n", bands);
            std::fflush(stdout);
            if (!document->HasAnalysis()) {
                std::fprintf(stderr, "save_blocking: no analysis to save\n");
                QCoreApplication::exit(1);
                return;
            }
            // The screen shows the capture once the events of the open are through.
            QTimer::singleShot(500, [&result, what, shown, saves, &meter] {
                auto next = std::make_shared<std::function<void(int)>>();
                *next = [&result, what, shown, saves, &meter, next](int inLeft) {
                    if (inLeft == 0) {
                        result = 0;
                        QCoreApplication::exit(0);
                        return;
                    }
                    meter->start();
                    shown->startSave(TeskWindow::kAfterSave_Nothing);
                    auto poll = std::make_shared<QTimer>();
                    QObject::connect(poll.get(), &QTimer::timeout, [poll, &meter, what, next, inLeft, shown] {
                        if (shown->isSaving())
                            return;
                        poll->stop();
                        meter->tick();
                        const double total = meter->elapsedMs();
                        meter->stop();
                        const bool saved = !TeskApp::currentDocument()->IsDirty();
                        std::printf("%s: save %.0f ms, GUI thread longest gap %.0f ms, gaps over 20 ms %.0f ms%s\n",
                                    qPrintable(what), total, meter->longestMs(), meter->countedMs(),
                                    saved ? "" : ", save failed");
                        std::fflush(stdout);
                        QTimer::singleShot(300, [next, inLeft] { (*next)(inLeft - 1); });
                    });
                    poll->start(5);
                };
                (*next)(saves);
            });
        });
        QTimer::singleShot(0, [folder] { TeskApp::instance()->openImage(folder); });
        QTimer::singleShot(600000, [] {
            std::fprintf(stderr, "save_blocking: the capture did not open within ten minutes\n");
            QCoreApplication::exit(1);
        });
        window->show();
        return window;
    });
    delete meter;
    return result;
}
