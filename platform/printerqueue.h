#pragma once

#include "platform/printerstatus.h"

#include <QString>

namespace platform {

// The system print service's view of one print queue, in the status words of printerstatus.h.
// Every call opens its own short connection with bounded waits, so a missing or stalled print
// service answers "not ready" within a couple of seconds instead of hanging the caller.

// Fills *snapshot for the named printer. False when there is no print service, the printer is
// unknown or its queue cannot be read; the debug output says which.
bool readPrinterSnapshot(const QString &printerName, PrinterSnapshot *snapshot);

// Whether the printer can take a job now (evaluatePrinterReadiness on its snapshot). Both out
// values are 0 when the printer could not be asked.
bool printerReady(const QString &printerName, int *printerStatus, int *jobStatus);

// Working offline is the queue held: true pauses the queue, false resumes it. True when the queue
// already is in the wanted state or the print service accepted the change; false when the printer
// is unknown, there is no print service, or the change was refused (not allowed).
bool setPrinterWorkOffline(const QString &printerName, bool offline);

} // namespace platform
