#include "platform/printerstatus.h"

#include <QString>

namespace platform {

using namespace printerbits;

bool evaluatePrinterReadiness(const PrinterSnapshot &snapshot, int *printerStatus, int *jobStatus)
{
    if (printerStatus)
        *printerStatus = int(snapshot.status);
    if (jobStatus)
        *jobStatus = 0;
    if (snapshot.status & kNotReadyMask)
        return false;
    for (const quint32 job : snapshot.jobs) {
        if ((job & kJobPrintingMask) && (job & kJobTroubleMask)) {
            if (jobStatus)
                *jobStatus = int(job);
            return false;
        }
    }
    return true;
}

namespace {

enum class Severity { Report, Warning, Error };

struct Reason
{
    QString keyword;
    Severity severity;
};

// A reason keyword without a severity suffix counts as an error, as the printing protocol defines.
Reason splitReason(const QString &reason)
{
    static const struct
    {
        QLatin1StringView suffix;
        Severity severity;
    } suffixes[] = {{QLatin1StringView("-report"), Severity::Report},
                    {QLatin1StringView("-warning"), Severity::Warning},
                    {QLatin1StringView("-error"), Severity::Error}};
    const QString trimmed = reason.trimmed();
    for (const auto &s : suffixes) {
        if (trimmed.endsWith(s.suffix))
            return {trimmed.chopped(s.suffix.size()), s.severity};
    }
    return {trimmed, Severity::Error};
}

struct ReasonBit
{
    QLatin1StringView keyword;
    quint32 bit;
    // Whether a report or a warning of this reason already sets the bit.
    bool anySeverity;
};

// Printer reasons with a status bit of the same meaning. A printer that merely warns of an empty
// tray or a full bin still prints; an offline printer is reported as "offline-report" by the print
// service itself, and a paused queue carries "paused" without a suffix.
constexpr ReasonBit kPrinterReasons[] = {
    {QLatin1StringView("paused"), kPaused, true},
    {QLatin1StringView("moving-to-paused"), kPaused, true},
    {QLatin1StringView("media-jam"), kPaperJam, false},
    {QLatin1StringView("media-empty"), kPaperOut, false},
    {QLatin1StringView("media-needed"), kPaperOut, false},
    {QLatin1StringView("offline"), kOffline, true},
    {QLatin1StringView("output-area-full"), kOutputBinFull, false},
    {QLatin1StringView("toner-empty"), kNoToner, false},
    {QLatin1StringView("marker-supply-empty"), kNoToner, false},
    {QLatin1StringView("toner-low"), kTonerLow, true},
    {QLatin1StringView("marker-supply-low"), kTonerLow, true},
    {QLatin1StringView("door-open"), kDoorOpen, false},
    {QLatin1StringView("cover-open"), kDoorOpen, false},
    {QLatin1StringView("interlock-open"), kDoorOpen, false},
};

} // namespace

quint32 printerStatusFromIpp(int printerState, const QStringList &reasons, bool acceptingJobs)
{
    quint32 status = 0;
    if (printerState == ippstate::kPrinterProcessing)
        status |= kPrinting;
    else if (printerState == ippstate::kPrinterStopped)
        status |= kPaused; // a stopped queue keeps jobs until it is resumed
    if (!acceptingJobs)
        status |= kNotAvailable; // a new job would be refused outright
    for (const QString &text : reasons) {
        const Reason reason = splitReason(text);
        if (reason.keyword.isEmpty() || reason.keyword == QLatin1StringView("none"))
            continue;
        bool known = false;
        for (const ReasonBit &entry : kPrinterReasons) {
            if (reason.keyword != entry.keyword)
                continue;
            known = true;
            if (entry.anySeverity || reason.severity == Severity::Error)
                status |= entry.bit;
            break;
        }
        // Only an explicit "-error" makes an unknown reason an error: the print service adds
        // unsuffixed reasons of its own while it prints normally.
        if (!known && text.trimmed().endsWith(QLatin1StringView("-error")))
            status |= kError;
    }
    return status;
}

quint32 jobStatusFromIpp(int jobState, const QStringList &reasons)
{
    quint32 status = 0;
    switch (jobState) {
    case ippstate::kJobHeld:
        status |= kJobPaused;
        break;
    case ippstate::kJobProcessing:
        status |= kJobPrinting;
        break;
    case ippstate::kJobStopped:
        // Stopped while printing: the device cannot go on, and the queue waits behind the job.
        status |= kJobPrinting | kJobBlocked;
        break;
    default:
        break;
    }
    for (const QString &text : reasons) {
        const QString reason = text.trimmed();
        if (reason.endsWith(QLatin1StringView("-error")))
            status |= kJobError;
    }
    return status;
}

} // namespace platform
