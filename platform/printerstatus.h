#pragma once

#include <QStringList>
#include <QVector>
#include <QtGlobal>

namespace platform {

// A printer's readiness is judged on status words with the classic print-spooler bit meanings, so
// the rule stays one small table whatever print service fills them in. The print service's own
// states and reasons are mapped onto these bits first.
namespace printerbits {
// Printer status word.
constexpr quint32 kPaused = 0x1;
constexpr quint32 kError = 0x2;
constexpr quint32 kPaperJam = 0x8;
constexpr quint32 kPaperOut = 0x10;
constexpr quint32 kPaperProblem = 0x40;
constexpr quint32 kOffline = 0x80;
constexpr quint32 kBusy = 0x200;
constexpr quint32 kPrinting = 0x400;
constexpr quint32 kOutputBinFull = 0x800;
constexpr quint32 kNotAvailable = 0x1000;
constexpr quint32 kTonerLow = 0x20000;
constexpr quint32 kNoToner = 0x40000;
constexpr quint32 kOutOfMemory = 0x200000;
constexpr quint32 kDoorOpen = 0x400000;
// Any of these keeps a printer from taking a job.
constexpr quint32 kNotReadyMask = 0x6418DA;

// Job status word.
constexpr quint32 kJobPaused = 0x1;
constexpr quint32 kJobError = 0x2;
constexpr quint32 kJobPrinting = 0x10;
constexpr quint32 kJobOffline = 0x20;
constexpr quint32 kJobPaperOut = 0x40;
constexpr quint32 kJobBlocked = 0x200;
// A job that is printing and has one of these is stuck, and everything behind it waits.
constexpr quint32 kJobPrintingMask = 0x10;
constexpr quint32 kJobTroubleMask = 0x262;
} // namespace printerbits

// What the print service said about one printer: its status word and the status words of its
// not-completed jobs in queue order.
struct PrinterSnapshot
{
    quint32 status = 0;
    QVector<quint32> jobs;
};

// True when the printer has no not-ready bit and no job is both printing and in trouble.
// *printerStatus receives the status word; *jobStatus the first offending job's word, else 0.
// Either pointer may be null.
bool evaluatePrinterReadiness(const PrinterSnapshot &snapshot, int *printerStatus, int *jobStatus);

// Print-service printer states and job states (the IPP enum values).
namespace ippstate {
constexpr int kPrinterIdle = 3;
constexpr int kPrinterProcessing = 4;
constexpr int kPrinterStopped = 5;

constexpr int kJobPending = 3;
constexpr int kJobHeld = 4;
constexpr int kJobProcessing = 5;
constexpr int kJobStopped = 6;
} // namespace ippstate

// The printer status word for a print-service printer state, its state-reason keywords (with their
// "-report", "-warning" or "-error" suffixes) and whether it accepts jobs.
quint32 printerStatusFromIpp(int printerState, const QStringList &reasons, bool acceptingJobs);

// The job status word for a print-service job state and its job-state-reason keywords.
quint32 jobStatusFromIpp(int jobState, const QStringList &reasons);

} // namespace platform
