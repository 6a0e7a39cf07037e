#pragma once

#include <benchmark/benchmark.h>

#include <QtGlobal>
#include <QString>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace kybench {

// The console output, plus every benchmark's time kept by name so that Finalize can print ratios.
class TimesReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &inRuns) override
    {
        ConsoleReporter::ReportRuns(inRuns);
        // With repetitions the median stands for the benchmark, else its single run.
        for (const Run &run : inRuns) {
            const std::string name = run.run_name.str();
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                times[name] = run.GetAdjustedRealTime();
                medians[name] = true;
            } else if (run.run_type == Run::RT_Iteration && !medians.count(name)) {
                times[name] = run.GetAdjustedRealTime();
            }
        }
    }

protected:
    // The time of the first benchmark whose name starts with inPrefix (arguments follow a "/"), or 0.
    double time(const char *inPrefix) const
    {
        const auto it = std::find_if(times.begin(), times.end(), [inPrefix](const auto &entry) {
            return entry.first.rfind(inPrefix, 0) == 0;
        });
        return it == times.end() ? 0.0 : it->second;
    }

    std::map<std::string, double> times;

private:
    std::map<std::string, bool> medians;
};

// The console output, then every benchmark's time as a multiple of the baseline benchmark's (a
// memcpy, say), under a title; nothing more when the baseline did not run.
class MultiplesReporter : public TimesReporter
{
public:
    MultiplesReporter(const char *inBaseline, std::string inTitle)
        : baselineName(inBaseline)
        , title(std::move(inTitle))
    {
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        const double baseline = time(baselineName);
        if (baseline <= 0)
            return;
        std::printf("\n%s:\n", title.c_str());
        for (const auto &[name, value] : times)
            std::printf("  %-40s %7.3f ms  %5.2fx\n", name.c_str(), value, value / baseline);
    }

private:
    const char *baselineName;
    std::string title;
};

// The image code reports every read and save on the debug output; a benchmark prints only warnings.
inline void quietDebugOutput()
{
    qInstallMessageHandler([](QtMsgType inType, const QMessageLogContext &, const QString &inMessage) {
        if (inType != QtDebugMsg)
            std::fprintf(stderr, "%s\n", qPrintable(inMessage));
    });
}

// The floor for any reader: inSize bytes of the file at inPath into a buffer that is already
// there, with open, read and close. False when the file cannot be opened or holds fewer bytes.
inline bool readPlain(const char *inPath, char *outBuffer, qint64 inSize)
{
    const int fd = ::open(inPath, O_RDONLY);
    if (fd < 0)
        return false;
    qint64 done = 0;
    while (done < inSize) {
        const ssize_t n = ::read(fd, outBuffer + done, size_t(inSize - done));
        if (n <= 0)
            break;
        done += n;
    }
    ::close(fd);
    return done == inSize;
}

} // namespace kybench
