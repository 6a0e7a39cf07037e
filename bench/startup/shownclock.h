#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <ctime>
#include <functional>
#include <unistd.h>

// Prints "<what> <CLOCK_MONOTONIC time in nanoseconds>" on standard output.
inline void printMark(const char *inWhat)
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::printf("%s %lld\n", inWhat, static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
    std::fflush(stdout);
}

// Watches every paint event of the process. The first one of any window is marked "painted"; the
// first one of a widget that inShows accepts marks the picture as shown: once that painting has
// gone out (the next turn of the event loop), "shown" is marked, with the processor time the GUI
// thread has used until then ("gui-cpu", nanoseconds), and the process ends at once, without
// tearing anything down: the time to the picture is all that is measured.
class ShownClock : public QObject
{
public:
    explicit ShownClock(std::function<bool(QWidget *)> inShows) : mShows(std::move(inShows)) {}

    bool eventFilter(QObject *inObject, QEvent *inEvent) override
    {
        if (inEvent->type() != QEvent::Paint || !inObject->isWidgetType())
            return false;
        if (!mPainted) {
            mPainted = true;
            QTimer::singleShot(0, [] { printMark("painted"); });
        }
        if (!mSeen && mShows(static_cast<QWidget *>(inObject))) {
            mSeen = true;
            QTimer::singleShot(0, [] {
                printMark("shown");
                timespec used{};
                clock_gettime(CLOCK_THREAD_CPUTIME_ID, &used);
                std::printf("gui-cpu %lld\n", static_cast<long long>(used.tv_sec) * 1000000000LL + used.tv_nsec);
                std::fflush(stdout);
                _exit(0);
            });
        }
        return false;
    }

private:
    std::function<bool(QWidget *)> mShows;
    bool mPainted = false;
    bool mSeen = false;
};
