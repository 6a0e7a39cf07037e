#include "silentprintservice.h"
#include "testmain.h"

#include "platform/printerqueue.h"
#include "platform/printerstatus.h"

#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>

#include <functional>

using namespace platform;
using namespace platform::printerbits;
using JobList = QVector<quint32>;

class TestPrinterStatus : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The test's environment points the print service at a socket that does not exist; run by
        // hand, the same holds, so no test ever waits on a real print service.
        if (qEnvironmentVariableIsEmpty("CUPS_SERVER"))
            qputenv("CUPS_SERVER", QFile::encodeName(QDir::currentPath() + QStringLiteral("/no-print-service.sock")));
    }

    // The print client and the libraries it brings take longer to load than the rest of a start:
    // a process has it only once it asks the print service something.
    void clientLoadedOnFirstQuestion()
    {
        const auto loaded = [] {
            QFile maps(QStringLiteral("/proc/self/maps"));
            return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("/libcups.so");
        };
        QVERIFY(!loaded());
        QVERIFY(printServiceAnswers());
        QVERIFY(loaded());
    }

    void readiness_data()
    {
        QTest::addColumn<quint32>("status");
        QTest::addColumn<JobList>("jobs");
        QTest::addColumn<bool>("ready");
        QTest::addColumn<int>("printerStatus");
        QTest::addColumn<int>("jobStatus");

        QTest::newRow("idle, empty queue") << 0u << JobList{} << true << 0 << 0;
        QTest::newRow("paused") << kPaused << JobList{} << true << 0x1 << 0;
        QTest::newRow("busy") << kBusy << JobList{} << true << 0x200 << 0;
        QTest::newRow("printing") << kPrinting << JobList{0x10} << true << 0x400 << 0;
        QTest::newRow("toner low only") << kTonerLow << JobList{} << true << 0x20000 << 0;
        QTest::newRow("paper out") << kPaperOut << JobList{} << false << 0x10 << 0;
        QTest::newRow("offline") << kOffline << JobList{} << false << 0x80 << 0;
        QTest::newRow("paused and paper jam") << (kPaused | kPaperJam) << JobList{} << false << 0x9 << 0;
        // Every bit of the not-ready mask alone stops the printer.
        for (const quint32 bit : {0x2u, 0x8u, 0x10u, 0x40u, 0x80u, 0x800u, 0x1000u, 0x40000u, 0x200000u, 0x400000u})
            QTest::addRow("not-ready bit 0x%x", bit) << bit << JobList{} << false << int(bit) << 0;
        // A stuck printer is reported before its jobs are looked at.
        QTest::newRow("error with stuck job") << kError << JobList{0x210} << false << 0x2 << 0;
        QTest::newRow("printing and blocked") << 0u << JobList{0x10 | 0x200} << false << 0 << 0x210;
        QTest::newRow("printing and offline") << 0u << JobList{0x30} << false << 0 << 0x30;
        QTest::newRow("printing and paper out") << 0u << JobList{0x50} << false << 0 << 0x50;
        QTest::newRow("printing and error") << 0u << JobList{0x12} << false << 0 << 0x12;
        QTest::newRow("error, not printing") << 0u << JobList{0x2} << true << 0 << 0;
        QTest::newRow("blocked, not printing") << 0u << JobList{0x200} << true << 0 << 0;
        QTest::newRow("printing, paused") << 0u << JobList{0x11} << true << 0 << 0;
        QTest::newRow("first offending job") << 0u << JobList{0x1, 0x10, 0x212, 0x30} << false << 0 << 0x212;
    }

    void readiness()
    {
        QFETCH(quint32, status);
        QFETCH(JobList, jobs);
        QFETCH(bool, ready);
        QFETCH(int, printerStatus);
        QFETCH(int, jobStatus);

        int outPrinter = -1;
        int outJob = -1;
        QCOMPARE(evaluatePrinterReadiness({status, jobs}, &outPrinter, &outJob), ready);
        QCOMPARE(outPrinter, printerStatus);
        QCOMPARE(outJob, jobStatus);
        // The out values are optional.
        QCOMPARE(evaluatePrinterReadiness({status, jobs}, nullptr, nullptr), ready);
    }

    void printerReasons_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QStringList>("reasons");
        QTest::addColumn<bool>("accepting");
        QTest::addColumn<quint32>("status");

        const int idle = ippstate::kPrinterIdle;
        QTest::newRow("idle, none") << idle << QStringList{"none"} << true << 0u;
        QTest::newRow("idle, no reasons") << idle << QStringList{} << true << 0u;
        QTest::newRow("processing") << ippstate::kPrinterProcessing << QStringList{"none"} << true << kPrinting;
        QTest::newRow("stopped queue") << ippstate::kPrinterStopped << QStringList{"paused"} << true << kPaused;
        QTest::newRow("not accepting jobs") << idle << QStringList{} << false << kNotAvailable;
        QTest::newRow("paper jam") << idle << QStringList{"media-jam-error"} << true << kPaperJam;
        QTest::newRow("paper jam, unsuffixed") << idle << QStringList{"media-jam"} << true << kPaperJam;
        QTest::newRow("paper out") << idle << QStringList{"media-empty-error"} << true << kPaperOut;
        QTest::newRow("paper needed") << idle << QStringList{"media-needed"} << true << kPaperOut;
        QTest::newRow("one tray empty, a warning") << idle << QStringList{"media-empty-warning"} << true << 0u;
        QTest::newRow("offline, as the service reports it") << idle << QStringList{"offline-report"} << true << kOffline;
        QTest::newRow("output full") << idle << QStringList{"output-area-full-error"} << true << kOutputBinFull;
        QTest::newRow("output almost full") << idle << QStringList{"output-area-almost-full-warning"} << true << 0u;
        QTest::newRow("toner empty") << idle << QStringList{"toner-empty-error"} << true << kNoToner;
        QTest::newRow("ink empty") << idle << QStringList{"marker-supply-empty-error"} << true << kNoToner;
        QTest::newRow("toner low") << idle << QStringList{"toner-low-report"} << true << kTonerLow;
        QTest::newRow("door open") << idle << QStringList{"door-open-error"} << true << kDoorOpen;
        QTest::newRow("cover open") << idle << QStringList{"cover-open"} << true << kDoorOpen;
        QTest::newRow("other error") << idle << QStringList{"fuser-over-temp-error"} << true << kError;
        QTest::newRow("other warning") << idle << QStringList{"fuser-over-temp-warning"} << true << 0u;
        // The print service's own unsuffixed reasons while it prints normally are no errors.
        QTest::newRow("service's own reasons")
            << ippstate::kPrinterProcessing << QStringList{"connecting-to-device", "cups-waiting-for-job-completed"}
            << true << kPrinting;
        QTest::newRow("several reasons")
            << ippstate::kPrinterStopped << QStringList{"paused", "media-jam-error", "toner-low-warning", "x-error"}
            << true << (kPaused | kPaperJam | kTonerLow | kError);
    }

    void printerReasons()
    {
        QFETCH(int, state);
        QFETCH(QStringList, reasons);
        QFETCH(bool, accepting);
        QFETCH(quint32, status);
        QCOMPARE(QString::number(printerStatusFromIpp(state, reasons, accepting), 16), QString::number(status, 16));
    }

    // The mapped words through the readiness rule: what each printer condition means for printing.
    void mappedReadiness_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QStringList>("reasons");
        QTest::addColumn<bool>("ready");
        QTest::newRow("paused queue") << ippstate::kPrinterStopped << QStringList{"paused"} << true;
        QTest::newRow("printing queue") << ippstate::kPrinterProcessing << QStringList{"none"} << true;
        QTest::newRow("paper out") << ippstate::kPrinterIdle << QStringList{"media-empty-error"} << false;
        QTest::newRow("offline") << ippstate::kPrinterIdle << QStringList{"offline-report"} << false;
        QTest::newRow("other error") << ippstate::kPrinterIdle << QStringList{"fuser-over-temp-error"} << false;
    }

    void mappedReadiness()
    {
        QFETCH(int, state);
        QFETCH(QStringList, reasons);
        QFETCH(bool, ready);
        QCOMPARE(evaluatePrinterReadiness({printerStatusFromIpp(state, reasons, true), {}}, nullptr, nullptr), ready);
    }

    void jobReasons_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QStringList>("reasons");
        QTest::addColumn<quint32>("status");
        QTest::addColumn<bool>("blocksPrinting");

        QTest::newRow("pending") << ippstate::kJobPending << QStringList{"job-queued"} << 0u << false;
        QTest::newRow("held") << ippstate::kJobHeld << QStringList{"job-hold-until-specified"} << kJobPaused << false;
        QTest::newRow("printing") << ippstate::kJobProcessing << QStringList{"job-printing"} << kJobPrinting << false;
        QTest::newRow("stopped while printing")
            << ippstate::kJobStopped << QStringList{"printer-stopped"} << (kJobPrinting | kJobBlocked) << true;
        QTest::newRow("printing with an error")
            << ippstate::kJobProcessing << QStringList{"document-format-error"} << (kJobPrinting | kJobError) << true;
        QTest::newRow("waiting with an error")
            << ippstate::kJobPending << QStringList{"document-unprintable-error"} << kJobError << false;
        QTest::newRow("pending behind a paused queue")
            << ippstate::kJobPending << QStringList{"printer-stopped"} << 0u << false;
    }

    void jobReasons()
    {
        QFETCH(int, state);
        QFETCH(QStringList, reasons);
        QFETCH(quint32, status);
        QFETCH(bool, blocksPrinting);
        const quint32 word = jobStatusFromIpp(state, reasons);
        QCOMPARE(QString::number(word, 16), QString::number(status, 16));
        QCOMPARE(!evaluatePrinterReadiness({0, {word}}, nullptr, nullptr), blocksPrinting);
    }

    // With no print service, every question answers at once and says no.
    void noPrintService_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("unknown printer") << QStringLiteral("NoSuchPrinter");
        QTest::newRow("no name") << QString();
    }

    void noPrintService()
    {
        QFETCH(QString, name);
        QElapsedTimer timer;
        timer.start();
        int printerStatus = -1;
        int jobStatus = -1;
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("^printer status: no print service")));
        QVERIFY(!printerReady(name, &printerStatus, &jobStatus));
        QCOMPARE(printerStatus, 0);
        QCOMPARE(jobStatus, 0);
        PrinterSnapshot snapshot{0x2, {0x10}};
        QVERIFY(!readPrinterSnapshot(name, &snapshot));
        QCOMPARE(snapshot.status, 0x2u); // left as it was
        QVERIFY(!setPrinterWorkOffline(name, true));
        QVERIFY(!setPrinterWorkOffline(name, false));
        // No service at all answers at once: nothing to wait for.
        QVERIFY(printServiceAnswers());
        QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
    }
    // An answered question's thread has ended when the answer is back: none is left running into
    // the caller's next step, or into the end of the process. (Counted by the questions
    // themselves: the kernel lists a joined thread for a moment after it has ended.)
    void answeredQuestionsLeaveNoThread()
    {
        QCOMPARE(printQuestionsRunning(), 0);
        for (int i = 0; i < 200; ++i) {
            QVERIFY(printServiceAnswers());
            QCOMPARE(printQuestionsRunning(), 0);
        }
    }

    // A print service that accepts connections and never answers: every question says no within a
    // couple of seconds, instead of the library's minute-long waits on connections of its own.
    void silentPrintService_data()
    {
        using Question = std::function<bool()>;
        QTest::addColumn<Question>("question");
        QTest::newRow("ready, named printer") << Question([] {
            int printerStatus = -1;
            int jobStatus = -1;
            const bool ready = printerReady(QStringLiteral("Office"), &printerStatus, &jobStatus);
            return !ready && printerStatus == 0 && jobStatus == 0;
        });
        QTest::newRow("ready, default printer") << Question([] { return !printerReady(QString(), nullptr, nullptr); });
        QTest::newRow("snapshot") << Question([] {
            PrinterSnapshot snapshot{0x2, {}};
            return !readPrinterSnapshot(QStringLiteral("Office"), &snapshot) && snapshot.status == 0x2u;
        });
        QTest::newRow("work offline") << Question([] { return !setPrinterWorkOffline(QStringLiteral("Office"), true); });
        QTest::newRow("back online") << Question([] { return !setPrinterWorkOffline(QStringLiteral("Office"), false); });
        QTest::newRow("service answers") << Question([] { return !printServiceAnswers(); });
    }

    void silentPrintService()
    {
        using Question = std::function<bool()>;
        QFETCH(Question, question);
        kytest::SilentPrintService service;
        QVERIFY(service.listening());
        QElapsedTimer timer;
        timer.start();
        QVERIFY(question());
        QVERIFY2(timer.elapsed() < 3500, qPrintable(QString::number(timer.elapsed())));
        // A second question while the first still waits for its answer is not put at all.
        timer.restart();
        QVERIFY(question());
        QVERIFY2(timer.elapsed() < 200, qPrintable(QString::number(timer.elapsed())));

        // Once the service is gone, the waiting question ends and questions are put again.
        service.close();
        QTRY_VERIFY_WITH_TIMEOUT(printServiceAnswers(), 10000);
    }
};

KY_TEST_MAIN(TestPrinterStatus)
#include "tst_printerstatus.moc"
