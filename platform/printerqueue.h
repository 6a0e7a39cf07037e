#pragma once

#include "platform/printerstatus.h"

#include <QString>

namespace platform {

// The system print service's view of one print queue, in the status words of printerstatus.h.
// The caller never waits long on the print service: each question runs on a thread of its own,
// and a service that accepts connections but does not answer within a couple of seconds counts as
// "no" (not ready, not changed). While such a question still waits for its answer, further
// questions are not put and say "no" at once.
// An empty printer name means the print service's default printer.

// Fills *snapshot for the named printer. False when there is no print service, it does not answer,
// the printer is unknown or its queue cannot be read; the debug output says which.
bool readPrinterSnapshot(const QString &printerName, PrinterSnapshot *snapshot);

// Whether the printer can take a job now (evaluatePrinterReadiness on its snapshot). Both out
// values are 0 when the printer could not be asked.
bool printerReady(const QString &printerName, int *printerStatus, int *jobStatus);

// Working offline is the queue held: true pauses the queue, false resumes it. True when the queue
// already is in the wanted state or the print service accepted the change; false when the printer
// is unknown, there is no print service or it does not answer, or the change was refused.
bool setPrinterWorkOffline(const QString &printerName, bool offline);

// Whether the print service answers a printer look-up within a couple of seconds. False only when
// it is there but stays silent (or an earlier question still waits for its answer); no print
// service at all answers at once, so true. Qt's printer look-up (making a QPrinter, the print
// dialog) waits minutes on a silent service: ask this first.
bool printServiceAnswers();

// Questions to the print service whose threads are still at work: those that outlived their wait,
// and for a moment those whose answer is on its way back.
int printQuestionsRunning();

// While one lives, the calling thread's print-service look-ups go nowhere and fail at once. A
// QPrinter asks the print service for its printers when it is made: one meant only for a PDF file
// is made under this, so a silent print service cannot hold its maker.
class NoPrintServiceScope
{
public:
    NoPrintServiceScope();
    ~NoPrintServiceScope();
    NoPrintServiceScope(const NoPrintServiceScope &) = delete;
    NoPrintServiceScope &operator=(const NoPrintServiceScope &) = delete;
};

} // namespace platform
