// The operating-system utility with a stand-in process runner and clock: the commands it would run,
// their time limits, how exit codes and time-outs answer, and the requests it refuses. No test here
// shuts the machine down, reconfigures it or sets its clock.

#include "syncedpaths.h"
#include "testmain.h"

#include "core/osutility.h"
#include "platform/processrunner.h"
#include "platform/systemclock.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

using platform::ProcessOutcome;
using platform::ProcessRequest;

Q_DECLARE_METATYPE(ProcessOutcome::State)

namespace {

// Records every request and answers each with one outcome; optionally leaves a file behind as a
// command's output redirection would.
struct FakeRunner
{
    QList<ProcessRequest> requests;
    ProcessOutcome outcome{ProcessOutcome::Finished, 0};
    QByteArray output; // written to "temp.txt" in the current folder when set
    bool writeOutput = false;

    platform::ProcessRunner runner()
    {
        return [this](const ProcessRequest &request) {
            requests << request;
            if (writeOutput)
                kytest::writeFile(QDir::current().filePath(QStringLiteral("temp.txt")), output);
            return outcome;
        };
    }
};

const char kDomainLabel[] = "Workstation domain                   "; // 37 characters

QList<qint64> clockRequests;
bool clockAnswer = true;

bool fakeClock(qint64 inMsecs, int *outError)
{
    clockRequests << inMsecs;
    if (!clockAnswer && outError)
        *outError = 1;
    return clockAnswer;
}

} // namespace

class TestOSUtility : public QObject
{
    Q_OBJECT

    FakeRunner fake;
    QTemporaryDir work;
    QString previousFolder;

private slots:
    void initTestCase()
    {
        QVERIFY(work.isValid());
        previousFolder = QDir::currentPath();
        QVERIFY(QDir::setCurrent(work.path()));
    }

    void cleanupTestCase() { QDir::setCurrent(previousFolder); }

    void init()
    {
        fake = FakeRunner();
        platform::setProcessRunner(fake.runner());
        QFile::remove(QStringLiteral("temp.txt"));
    }

    void cleanup() { platform::setProcessRunner({}); }

    void shutdownCommands_data()
    {
        QTest::addColumn<unsigned int>("flags");
        QTest::addColumn<QString>("verb");
        QTest::newRow("shut down") << 1u << QStringLiteral("poweroff");
        QTest::newRow("restart") << 2u << QStringLiteral("reboot");
        QTest::newRow("power off") << 8u << QStringLiteral("poweroff");
    }

    void shutdownCommands()
    {
        QFETCH(unsigned int, flags);
        QFETCH(QString, verb);
        QVERIFY(OSUtility::shutdownSystem(flags) != 0);
        QCOMPARE(fake.requests.size(), 1);
        QCOMPARE(fake.requests.at(0).program, QStringLiteral("systemctl"));
        QCOMPARE(fake.requests.at(0).arguments, QStringList{verb});
        QCOMPARE(fake.requests.at(0).timeoutMs, OSUtility::kShutdownTimeoutMs);
    }

    void rebootAndPowerOff()
    {
        QVERIFY(OSUtility::reboot() != 0);
        QVERIFY(OSUtility::powerOff() != 0);
        QCOMPARE(fake.requests.size(), 2);
        QCOMPARE(fake.requests.at(0).arguments, QStringList{QStringLiteral("reboot")});
        QCOMPARE(fake.requests.at(1).arguments, QStringList{QStringLiteral("poweroff")});
    }

    void refusedShutdownFlags_data()
    {
        QTest::addColumn<unsigned int>("flags");
        QTest::newRow("log off") << 0u;
        QTest::newRow("force") << 4u;
        QTest::newRow("forced shut down") << 5u;
        QTest::newRow("shut down and restart") << 3u;
        QTest::newRow("force if hung") << 0x10u;
        QTest::newRow("forced restart") << 6u;
    }

    void refusedShutdownFlags()
    {
        QFETCH(unsigned int, flags);
        QTest::ignoreMessage(QtDebugMsg, qPrintable(QStringLiteral("OSUtility::shutdownSystem: flags %1 refused").arg(flags)));
        QCOMPARE(OSUtility::shutdownSystem(flags), 0);
        QVERIFY(fake.requests.isEmpty());
    }

    // How each command's end answers: only a run to its end with exit code 0 succeeds.
    void outcomes_data()
    {
        QTest::addColumn<ProcessOutcome::State>("state");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<bool>("succeeds");
        QTest::newRow("exit 0") << ProcessOutcome::Finished << 0 << true;
        QTest::newRow("exit 1") << ProcessOutcome::Finished << 1 << false;
        QTest::newRow("exit -1 (crashed)") << ProcessOutcome::Finished << -1 << false;
        QTest::newRow("exit 44") << ProcessOutcome::Finished << 44 << false;
        QTest::newRow("timed out") << ProcessOutcome::TimedOut << 0 << false;
        QTest::newRow("not started") << ProcessOutcome::NotStarted << 0 << false;
    }

    void outcomes()
    {
        QFETCH(ProcessOutcome::State, state);
        QFETCH(int, exitCode);
        QFETCH(bool, succeeds);
        fake.outcome = {state, exitCode};
        QCOMPARE(OSUtility::shutdownSystem(OSUtility::kReboot) != 0, succeeds);
        QCOMPARE(OSUtility::setStaticIpAddress(QStringLiteral("10.1.2.3"), QStringLiteral("255.0.0.0"), QString()), succeeds ? 0 : -1);
        QCOMPARE(OSUtility::joinWorkgroup(QStringLiteral("LAB")), succeeds ? 0 : -1);
        fake.writeOutput = true;
        fake.output = QByteArray(kDomainLabel) + "LAB\n";
        QString domain = QStringLiteral("before");
        QCOMPARE(OSUtility::workstationDomain(domain), succeeds ? 0 : -1);
        QCOMPARE(domain, succeeds ? QStringLiteral("LAB") : QStringLiteral("before"));
        // The listing is removed only when the domain was read from it.
        QCOMPARE(QFile::exists(QStringLiteral("temp.txt")), !succeeds);
        QCOMPARE(fake.requests.size(), 4);
    }

    void staticAddressCommand_data()
    {
        QTest::addColumn<QString>("gateway");
        QTest::addColumn<QString>("parameters");
        QTest::newRow("three values") << QString()
                                      << QStringLiteral("interface ip set address \"Local Area Connection\" static 192.168.0.10 255.255.255.0");
        QTest::newRow("with gateway") << QStringLiteral("192.168.0.1")
                                      << QStringLiteral("interface ip set address \"Local Area Connection\" static 192.168.0.10 255.255.255.0 192.168.0.1");
    }

    void staticAddressCommand()
    {
        QFETCH(QString, gateway);
        QFETCH(QString, parameters);
        QCOMPARE(OSUtility::setStaticIpAddress(QStringLiteral("192.168.0.10"), QStringLiteral("255.255.255.0"), gateway), 0);
        QCOMPARE(fake.requests.size(), 1);
        QCOMPARE(fake.requests.at(0).program, QStringLiteral("netsh"));
        QCOMPARE(fake.requests.at(0).arguments, QStringList{parameters});
        QCOMPARE(fake.requests.at(0).timeoutMs, 90000);
    }

    void workgroupAndDomainCommands()
    {
        QCOMPARE(OSUtility::joinWorkgroup(QStringLiteral("My Group")), 0);
        QString domain;
        fake.writeOutput = true;
        fake.output = QByteArray(kDomainLabel) + "WORKGROUP\r\n";
        QCOMPARE(OSUtility::workstationDomain(domain), 0);
        QCOMPARE(fake.requests.size(), 2);
        for (const ProcessRequest &request : std::as_const(fake.requests)) {
            QCOMPARE(request.program, QStringLiteral("cmd.exe"));
            QCOMPARE(request.timeoutMs, -1);
        }
        QCOMPARE(fake.requests.at(0).arguments,
                 QStringList{QStringLiteral("/C wmic computersystem where name=\"%computername%\" call joindomainorworkgroup name=\"My Group\"")});
        QCOMPARE(fake.requests.at(1).arguments,
                 QStringList{QStringLiteral("/C net config workstation | find \"Workstation domain\" > temp.txt")});
    }

    void domainListing_data()
    {
        QTest::addColumn<QByteArray>("listing");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("domain");
        const QByteArray label(kDomainLabel);
        QTest::newRow("line end") << label + "WORKGROUP\n" << 0 << QStringLiteral("WORKGROUP");
        QTest::newRow("no line end keeps the last character") << label + "WORKGROUP" << 0 << QStringLiteral("WORKGROUP");
        QTest::newRow("carriage return too") << label + "WORKGROUP\r\n" << 0 << QStringLiteral("WORKGROUP");
        QTest::newRow("only the first line") << label + "FIRST\n" + label + "SECOND\n" << 0 << QStringLiteral("FIRST");
        QTest::newRow("spaces inside kept") << label + "MY  LAB \n" << 0 << QStringLiteral("MY  LAB ");
        QTest::newRow("Latin-1") << label + "LAB\xE9\n" << 0 << QStringLiteral("LAB\u00E9");
        QTest::newRow("62 characters and line end") << label + QByteArray(62, 'D') + "\n" << 0 << QString(62, QLatin1Char('D'));
        QTest::newRow("63 characters without line end") << label + QByteArray(63, 'D') << 0 << QString(63, QLatin1Char('D'));
        QTest::newRow("63 characters and line end") << label + QByteArray(63, 'D') + "\n" << -1 << QString();
        QTest::newRow("line longer than 127") << label + QByteArray(120, 'D') + "\n" << -1 << QString();
        QTest::newRow("label only") << label + "\n" << 0 << QString();
        QTest::newRow("short line") << QByteArray("Workstation domain WORKGROUP\n") << -1 << QString();
        QTest::newRow("short line without line end") << QByteArray("Workstation domain") << -1 << QString();
        QTest::newRow("empty line") << QByteArray("\n") << -1 << QString();
        QTest::newRow("empty file") << QByteArray() << -1 << QString();
    }

    void domainListing()
    {
        QFETCH(QByteArray, listing);
        QFETCH(int, result);
        QFETCH(QString, domain);
        fake.writeOutput = true;
        fake.output = listing;
        QString answer = QStringLiteral("untouched");
        QCOMPARE(OSUtility::workstationDomain(answer), result);
        QCOMPARE(answer, result == 0 ? domain : QStringLiteral("untouched"));
        QCOMPARE(QFile::exists(QStringLiteral("temp.txt")), result != 0);
    }

    void domainWithoutListing()
    {
        QString answer;
        QCOMPARE(OSUtility::workstationDomain(answer), -1);
        QVERIFY(answer.isEmpty());
    }

    void splitAddress()
    {
        quint8 bytes[4] = {};
        OSUtility::splitIPv4Address((10u << 24) | (1u << 16) | (2u << 8) | 3u, bytes);
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(bytes), 4), QByteArray("\x0A\x01\x02\x03", 4));
        OSUtility::splitIPv4Address(0xFFFEFDFCu, bytes);
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(bytes), 4), QByteArray("\xFF\xFE\xFD\xFC", 4));
    }

    void ipConfigurationIsNotAvailable()
    {
        QString address = QStringLiteral("a"), mask = QStringLiteral("m"), gateway = QStringLiteral("g");
        QCOMPARE(OSUtility::ipConfiguration(address, mask, gateway), -1);
        QVERIFY(address.isEmpty() && mask.isEmpty() && gateway.isEmpty());
        QVERIFY(!OSUtility::isDhcpEnabled());
        QVERIFY(fake.requests.isEmpty());
    }

    void clock()
    {
        clockRequests.clear();
        clockAnswer = true;
        platform::setClockHook(fakeClock);
        QCOMPARE(OSUtility::setLocalTime(2026, 3, 4, 5, 6, 7), 0);
        QCOMPARE(clockRequests, (QList<qint64>{QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7), Qt::LocalTime).toMSecsSinceEpoch()}));
        // Values no clock has are refused before the clock is asked.
        QCOMPARE(OSUtility::setLocalTime(2026, 13, 1, 0, 0, 0), -1);
        QCOMPARE(OSUtility::setLocalTime(2026, 2, 30, 0, 0, 0), -1);
        QCOMPARE(OSUtility::setLocalTime(2026, 1, 1, 24, 0, 0), -1);
        QCOMPARE(OSUtility::setLocalTime(2026, 1, 1, 0, 60, 0), -1);
        QCOMPARE(clockRequests.size(), 1);
        clockAnswer = false;
        QTest::ignoreMessage(QtDebugMsg, "OSUtility::setLocalTime: cannot set the clock (1)");
        QCOMPARE(OSUtility::setLocalTime(2026, 12, 31, 23, 59, 59), -1);
        QCOMPARE(clockRequests.size(), 2);
        platform::setClockHook(nullptr);
    }

    void commitsFlushTheSystemRoot()
    {
        const kytest::SyncedPaths synced;
        OSUtility::CommitSystemSettings();
        OSUtility::CommitSecuritySettings();
        QCOMPARE(synced.list(), (QStringList{QStringLiteral("/"), QStringLiteral("/")}));
        QVERIFY(fake.requests.isEmpty());
    }

    // The real runner, on harmless programs only.
    void realRunner()
    {
        platform::setProcessRunner({});
        QCOMPARE(platform::runProcess({QStringLiteral("true"), {}, 10000}).state, ProcessOutcome::Finished);
        const ProcessOutcome failed = platform::runProcess({QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("exit 3")}, 10000});
        QCOMPARE(failed.state, ProcessOutcome::Finished);
        QCOMPARE(failed.exitCode, 3);
        QCOMPARE(platform::runProcess({QStringLiteral("sleep"), {QStringLiteral("10")}, 200}).state, ProcessOutcome::TimedOut);
        QCOMPARE(platform::runProcess({QStringLiteral("no-such-program-here"), {}, 1000}).state, ProcessOutcome::NotStarted);
    }

    // The instrument's network commands do not exist here: they cannot be started.
    void networkCommandsCannotStartHere()
    {
        if (!QStandardPaths::findExecutable(QStringLiteral("netsh")).isEmpty()
            || !QStandardPaths::findExecutable(QStringLiteral("cmd.exe")).isEmpty())
            QSKIP("this machine has a program named like the instrument's network commands");
        platform::setProcessRunner({});
        QCOMPARE(OSUtility::setStaticIpAddress(QStringLiteral("10.0.0.2"), QStringLiteral("255.0.0.0"), QString()), -1);
        QCOMPARE(OSUtility::joinWorkgroup(QStringLiteral("LAB")), -1);
        QString domain;
        QCOMPARE(OSUtility::workstationDomain(domain), -1);
    }
};

KY_TEST_MAIN(TestOSUtility)
#include "tst_osutility.moc"
