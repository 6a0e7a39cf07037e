#include "platform/printerqueue.h"

#include "platform/cupslibrary.h"
#include "platform/logcategories.h"

#include <QByteArray>
#include <QDebug>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>

namespace platform {

namespace {

// Bounded waits: a print service that is gone must not hold the caller (the GUI thread).
constexpr int kConnectMilliseconds = 1500;
constexpr double kReplySeconds = 2.0;
// Our own connection gives up after the waits above, but looking a printer up also opens the
// library's own connections, which wait a minute per request. So every question runs on a thread
// of its own, and the caller stops waiting for it after this.
constexpr std::chrono::milliseconds kAnswerWait(2500);

struct HttpClose
{
    void operator()(http_t *http) const { cupslibrary::httpClose(http); }
};
using Http = std::unique_ptr<http_t, HttpClose>;

struct IppDelete
{
    void operator()(ipp_t *ipp) const { cupslibrary::ippDelete(ipp); }
};
using Ipp = std::unique_ptr<ipp_t, IppDelete>;

struct DestFree
{
    void operator()(cups_dest_t *dest) const { cupslibrary::cupsFreeDests(1, dest); }
};
using Dest = std::unique_ptr<cups_dest_t, DestFree>;

// Called when a reply is late: give up instead of waiting on.
int stopWaiting(http_t *, void *)
{
    return 0;
}

// Never ask for a password on a terminal: the program has none, and a prompt would block.
const char *noPassword(const char *, http_t *, const char *, const char *, void *)
{
    return nullptr;
}

// The library's callbacks are per thread: ours stand only for the duration of one call.
class NoPrompt
{
public:
    NoPrompt() { cupslibrary::cupsSetPasswordCB2(noPassword, nullptr); }
    ~NoPrompt() { cupslibrary::cupsSetPasswordCB2(nullptr, nullptr); }
    NoPrompt(const NoPrompt &) = delete;
    NoPrompt &operator=(const NoPrompt &) = delete;
};

// Questions that outlived their wait and still run. While one does, the print service counts as
// silent and no further question is put, so threads never pile up on a service that never answers.
std::atomic<int> gUnanswered{0};

// Question threads whose work has not ended yet, answered or not.
std::atomic<int> gQuestionsRunning{0};

// A question thread counts as running from before it starts until its thread's own objects are
// torn down at its exit, the last of its work that is ours.
struct QuestionThreadEnd
{
    bool counted = false;
    ~QuestionThreadEnd()
    {
        if (counted)
            --gQuestionsRunning;
    }
};
thread_local QuestionThreadEnd tQuestionThreadEnd;

// Runs question on a thread of its own and waits for its answer at most kAnswerWait. False, with
// *answer untouched, when the answer did not come in time (or no thread could be started); the
// question then finishes on its own and its answer is dropped.
template <typename Result>
bool askWithin(const char *caller, std::function<Result()> question, Result *answer)
{
    if (gUnanswered.load() > 0) {
        qCDebug(lcPlatform, "%s: the print service has not answered an earlier question yet", caller);
        return false;
    }
    struct Exchange
    {
        std::mutex mutex;
        std::condition_variable arrived;
        bool done = false;
        bool abandoned = false;
        Result result{};
    };
    const auto exchange = std::make_shared<Exchange>();
    std::thread asker;
    ++gQuestionsRunning;
    try {
        asker = std::thread([exchange, question = std::move(question)] {
            tQuestionThreadEnd.counted = true;
            const NoPrompt noPrompt;
            Result result = question();
            const std::lock_guard lock(exchange->mutex);
            if (exchange->abandoned) {
                --gUnanswered;
                return;
            }
            exchange->result = std::move(result);
            exchange->done = true;
            exchange->arrived.notify_one();
        });
    } catch (const std::system_error &error) {
        --gQuestionsRunning;
        qCDebug(lcPlatform, "%s: no thread to ask the print service on (%s)", caller, error.what());
        return false;
    }
    std::unique_lock lock(exchange->mutex);
    if (!exchange->arrived.wait_for(lock, kAnswerWait, [&exchange] { return exchange->done; })) {
        exchange->abandoned = true;
        ++gUnanswered;
        lock.unlock();
        asker.detach();
        qCDebug(lcPlatform, "%s: the print service did not answer within %d ms", caller, int(kAnswerWait.count()));
        return false;
    }
    *answer = std::move(exchange->result);
    lock.unlock();
    // The answer is in and its thread only returns: joined, it has ended before the caller goes
    // on, so that no thread of ours is still ending when the process ends (the leak check at exit
    // stops every thread, and one half torn down crashed it).
    asker.join();
    return true;
}

Http connectToService(const char *caller)
{
    const char *server = cupslibrary::cupsServer();
    Http http(cupslibrary::httpConnect2(server, cupslibrary::ippPort(), nullptr, AF_UNSPEC,
                                        cupslibrary::cupsEncryption(), 1,
                           kConnectMilliseconds, nullptr));
    if (!http) {
        qCDebug(lcPlatform, "%s: no print service at %s", caller, server);
        return nullptr;
    }
    cupslibrary::httpSetTimeout(http.get(), kReplySeconds, stopWaiting, nullptr);
    return http;
}

// Says why a named printer was not found: no print service, no printers at all, or not this one.
void reportMissingPrinter(http_t *http, const char *caller, const QByteArray &name)
{
    const ipp_status_t lookup = cupslibrary::cupsLastError();
    if (lookup == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE) {
        qCDebug(lcPlatform, "%s: no print service (%s)", caller, cupslibrary::cupsLastErrorString());
        return;
    }
    cups_dest_t *dests = nullptr;
    const int count = cupslibrary::cupsGetDests2(http, &dests);
    cupslibrary::cupsFreeDests(count, dests);
    if (count == 0 && cupslibrary::cupsLastError() == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE)
        qCDebug(lcPlatform, "%s: no print service (%s)", caller, cupslibrary::cupsLastErrorString());
    else if (count == 0)
        qCDebug(lcPlatform, "%s: the print service has no printers", caller);
    else if (name.isEmpty())
        qCDebug(lcPlatform, "%s: no default printer", caller);
    else
        qCDebug(lcPlatform, "%s: no printer \"%s\" among %d", caller, name.constData(), count);
}

// A connection to the print service and the named printer on it.
struct Printer
{
    Http http;
    Dest dest;
    QByteArray name;
};

bool openPrinter(const char *caller, const QString &printerName, Printer *printer)
{
    printer->http = connectToService(caller);
    if (!printer->http)
        return false;
    printer->name = printerName.toUtf8();
    // No name asks for the default destination.
    printer->dest.reset(cupslibrary::cupsGetNamedDest(printer->http.get(), printer->name.isEmpty() ? nullptr : printer->name.constData(),
                                         nullptr));
    if (!printer->dest) {
        reportMissingPrinter(printer->http.get(), caller, printer->name);
        return false;
    }
    printer->name = printer->dest->name;
    return true;
}

QByteArray printerUri(const cups_dest_t *dest)
{
    if (const char *uri = cupslibrary::cupsGetOption("printer-uri-supported", dest->num_options, dest->options))
        return QByteArray(uri);
    char uri[HTTP_MAX_URI];
    cupslibrary::httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", cupslibrary::ippPort(),
                     "/printers/%s", dest->name);
    return QByteArray(uri);
}

int printerState(const cups_dest_t *dest)
{
    const char *state = cupslibrary::cupsGetOption("printer-state", dest->num_options, dest->options);
    return state ? QByteArray(state).toInt() : ippstate::kPrinterIdle;
}

QStringList optionList(const cups_dest_t *dest, const char *name)
{
    const char *value = cupslibrary::cupsGetOption(name, dest->num_options, dest->options);
    if (!value)
        return {};
    return QString::fromUtf8(value).split(QLatin1Char(','), Qt::SkipEmptyParts);
}

QStringList attributeStrings(ipp_attribute_t *attribute)
{
    QStringList values;
    const int count = cupslibrary::ippGetCount(attribute);
    for (int i = 0; i < count; ++i)
        values << QString::fromUtf8(cupslibrary::ippGetString(attribute, i, nullptr));
    return values;
}

// The not-completed jobs' status words, in the order the queue lists them.
bool readJobs(http_t *http, const char *caller, const QByteArray &uri, QVector<quint32> *jobs)
{
    ipp_t *request = cupslibrary::ippNewRequest(IPP_OP_GET_JOBS);
    cupslibrary::ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri.constData());
    cupslibrary::ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupslibrary::cupsUser());
    cupslibrary::ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "which-jobs", nullptr, "not-completed");
    static const char *const wanted[] = {"job-id", "job-state", "job-state-reasons"};
    cupslibrary::ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  int(sizeof wanted / sizeof wanted[0]), nullptr, wanted);
    const Ipp response(cupslibrary::cupsDoRequest(http, request, "/")); // takes the request
    const ipp_status_t status = cupslibrary::cupsLastError();
    if (status == IPP_STATUS_ERROR_NOT_FOUND) {
        // A destination the service only discovered has no queue, so no jobs, until it prints.
        jobs->clear();
        return true;
    }
    if (!response || status > IPP_STATUS_OK_CONFLICTING) {
        qCDebug(lcPlatform, "%s: the jobs of %s could not be read (%s)", caller, uri.constData(),
                cupslibrary::cupsLastErrorString());
        return false;
    }

    jobs->clear();
    int state = -1;
    QStringList reasons;
    const auto flush = [&] {
        if (state >= 0)
            jobs->append(jobStatusFromIpp(state, reasons));
        state = -1;
        reasons.clear();
    };
    for (ipp_attribute_t *attribute = cupslibrary::ippFirstAttribute(response.get()); attribute;
         attribute = cupslibrary::ippNextAttribute(response.get())) {
        // Jobs are groups of attributes, separated by an unnamed attribute.
        const char *name = cupslibrary::ippGetName(attribute);
        if (!name || cupslibrary::ippGetGroupTag(attribute) != IPP_TAG_JOB) {
            flush();
            continue;
        }
        if (qstrcmp(name, "job-state") == 0)
            state = cupslibrary::ippGetInteger(attribute, 0);
        else if (qstrcmp(name, "job-state-reasons") == 0)
            reasons = attributeStrings(attribute);
    }
    flush();
    return true;
}

bool readSnapshotNow(const char *caller, const QString &printerName, PrinterSnapshot *snapshot)
{
    Printer printer;
    if (!openPrinter(caller, printerName, &printer))
        return false;
    const cups_dest_t *dest = printer.dest.get();

    PrinterSnapshot read;
    const char *accepting = cupslibrary::cupsGetOption("printer-is-accepting-jobs", dest->num_options, dest->options);
    read.status = printerStatusFromIpp(printerState(dest), optionList(dest, "printer-state-reasons"),
                                       !accepting || qstrcmp(accepting, "false") != 0);
    if (!readJobs(printer.http.get(), caller, printerUri(dest), &read.jobs))
        return false;
    *snapshot = read;
    return true;
}

bool setWorkOfflineNow(const char *caller, const QString &printerName, bool offline)
{
    Printer printer;
    if (!openPrinter(caller, printerName, &printer))
        return false;
    const bool paused = printerState(printer.dest.get()) == ippstate::kPrinterStopped;
    if (paused == offline)
        return true;

    ipp_t *request = cupslibrary::ippNewRequest(offline ? IPP_OP_PAUSE_PRINTER : IPP_OP_RESUME_PRINTER);
    cupslibrary::ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                 printerUri(printer.dest.get()).constData());
    cupslibrary::ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupslibrary::cupsUser());
    const Ipp response(cupslibrary::cupsDoRequest(printer.http.get(), request, "/admin/"));
    if (cupslibrary::cupsLastError() > IPP_STATUS_OK_CONFLICTING) {
        qCDebug(lcPlatform, "%s: %s refused for \"%s\" (%s)", caller, offline ? "pause" : "resume", printer.name.constData(),
               cupslibrary::cupsLastErrorString());
        return false;
    }
    return true;
}

} // namespace

bool readPrinterSnapshot(const QString &printerName, PrinterSnapshot *snapshot)
{
    static const char caller[] = "printer status";
    if (!cupslibrary::available()) {
        qCDebug(lcPlatform, "%s: no print service (no client library)", caller);
        return false;
    }
    using Answer = std::pair<bool, PrinterSnapshot>;
    Answer answer;
    const bool answered = askWithin<Answer>(caller, [printerName] {
        Answer read{false, {}};
        read.first = readSnapshotNow(caller, printerName, &read.second);
        return read;
    }, &answer);
    if (!answered || !answer.first)
        return false;
    *snapshot = answer.second;
    return true;
}

bool printerReady(const QString &printerName, int *printerStatus, int *jobStatus)
{
    if (printerStatus)
        *printerStatus = 0;
    if (jobStatus)
        *jobStatus = 0;
    PrinterSnapshot snapshot;
    if (!readPrinterSnapshot(printerName, &snapshot))
        return false;
    return evaluatePrinterReadiness(snapshot, printerStatus, jobStatus);
}

bool setPrinterWorkOffline(const QString &printerName, bool offline)
{
    static const char caller[] = "printer work offline";
    if (!cupslibrary::available())
        return false;
    bool changed = false;
    return askWithin<bool>(caller, [printerName, offline] { return setWorkOfflineNow(caller, printerName, offline); },
                           &changed)
           && changed;
}

int printQuestionsRunning()
{
    return gQuestionsRunning.load();
}

bool printServiceAnswers()
{
    // Without the client library nothing can be asked, and nothing waits either.
    if (!cupslibrary::available())
        return true;
    bool answered = false;
    // What Qt's printer look-up asks first, on the library's own connection with its own waits.
    return askWithin<bool>("print service", [] {
        cupslibrary::cupsFreeDests(1, cupslibrary::cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr));
        return true;
    }, &answered);
}

NoPrintServiceScope::NoPrintServiceScope()
{
    // A local socket under a file that is no folder: every connection fails at once. (Qt's own
    // printer look-up loads the same library and reads the same setting.)
    if (cupslibrary::available())
        cupslibrary::cupsSetServer("/dev/null/no-print-service");
}

NoPrintServiceScope::~NoPrintServiceScope()
{
    // Back to the configured print service (environment, then client configuration).
    if (cupslibrary::available())
        cupslibrary::cupsSetServer(nullptr);
}

} // namespace platform
