#include "core/osutility.h"

#include "core/fileutility.h"
#include "core/lfile.h"
#include "core/systemsettings.h"
#include "platform/logcategories.h"
#include "platform/processrunner.h"
#include "platform/systemclock.h"
#include "platform/systempaths.h"

#include <QDateTime>
#include <QDebug>
#include <QFile>

namespace {

QString quoted(const QString &inText)
{
    return QLatin1Char('"') + inText + QLatin1Char('"');
}

// The instrument's commands take one parameter text, as its system's shell did.
platform::ProcessOutcome runCommand(const QString &inProgram, const QString &inParameters, int inTimeoutMs)
{
    return platform::runProcess({inProgram, QStringList{inParameters}, inTimeoutMs});
}

// 0 when the command ran to its end with exit code 0, else -1.
int commandResult(const platform::ProcessOutcome &inOutcome)
{
    return inOutcome.state == platform::ProcessOutcome::Finished && inOutcome.exitCode == 0 ? 0 : -1;
}

// The settings files whose commit the instrument asks for, under the system drive.
QString configFile(const char *inName)
{
    return platform::systemDriveRoot() + QStringLiteral("WINDOWS/system32/config/") + QLatin1String(inName);
}

} // namespace

int OSUtility::shutdownSystem(unsigned int inFlags)
{
    QString verb;
    if (inFlags == kShutdown || inFlags == kPowerOff)
        verb = QStringLiteral("poweroff");
    else if (inFlags == kReboot)
        verb = QStringLiteral("reboot");
    else {
        qCDebug(lcCore, "OSUtility::shutdownSystem: flags %u refused", inFlags);
        return 0;
    }
    const platform::ProcessOutcome outcome =
        platform::runProcess({QStringLiteral("systemctl"), QStringList{verb}, kShutdownTimeoutMs});
    return commandResult(outcome) == 0 ? 1 : 0;
}

int OSUtility::reboot()
{
    return shutdownSystem(kReboot);
}

int OSUtility::powerOff()
{
    return shutdownSystem(kShutdown);
}

void OSUtility::splitIPv4Address(quint32 inAddress, quint8 outBytes[4])
{
    outBytes[0] = quint8(inAddress >> 24);
    outBytes[1] = quint8(inAddress >> 16);
    outBytes[2] = quint8(inAddress >> 8);
    outBytes[3] = quint8(inAddress);
}

int OSUtility::setStaticIpAddress(const QString &inAddress, const QString &inMask, const QString &inGateway)
{
    const QString adapter = SystemSettings::instance()->stringValue(QStringLiteral("LANAdapterName"));
    QString parameters = QStringLiteral("interface ip set address ") + quoted(adapter) + QStringLiteral(" static ")
                         + inAddress + QLatin1Char(' ') + inMask;
    if (!inGateway.isEmpty())
        parameters += QLatin1Char(' ') + inGateway;
    // A command still running after the limit is stopped (the instrument ended it with exit code 44).
    return commandResult(runCommand(QStringLiteral("netsh"), parameters, kNetshTimeoutMs));
}

int OSUtility::ipConfiguration(QString &outAddress, QString &outMask, QString &outGateway)
{
    outAddress.clear();
    outMask.clear();
    outGateway.clear();
    // No adapter query exists here: the adapter of "LANAdapterName" is never found.
    return -1;
}

bool OSUtility::isDhcpEnabled()
{
    return false;
}

int OSUtility::joinWorkgroup(const QString &inName)
{
    const QString parameters = QStringLiteral("/C wmic computersystem where name=") + quoted(QStringLiteral("%computername%"))
                               + QStringLiteral(" call joindomainorworkgroup name=") + quoted(inName);
    return commandResult(runCommand(QStringLiteral("cmd.exe"), parameters, -1));
}

int OSUtility::workstationDomain(QString &outDomain)
{
    // The label and the spaces after it fill the first 37 characters of the line.
    constexpr int kColumn = 37;
    constexpr int kMaxDomain = 63;
    const QString parameters = QStringLiteral("/C net config workstation | find ") + quoted(QStringLiteral("Workstation domain"))
                               + QStringLiteral(" > temp.txt");
    if (commandResult(runCommand(QStringLiteral("cmd.exe"), parameters, -1)) != 0)
        return -1;

    const QString listing = QStringLiteral("temp.txt");
    QFile file(listing);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    // The first line, at most 127 characters of it.
    const QByteArray line = file.readLine(128);
    if (line.isEmpty())
        return -1;
    file.close();
    // Only the line end is cut: the last line of a listing may have none, and then its last
    // character is part of the domain.
    QByteArray content = line;
    while (content.endsWith('\n') || content.endsWith('\r'))
        content.chop(1);
    // A line that ends before the column holds no domain.
    if (content.size() < kColumn || line.size() - kColumn > kMaxDomain)
        return -1;
    const QByteArray domain = content.mid(kColumn);
    outDomain = QString::fromLatin1(domain);
    if (!LFile::remove(listing))
        qCDebug(lcCore).noquote() << QStringLiteral("OSUtility::workstationDomain: cannot remove %1").arg(listing);
    return 0;
}

int OSUtility::setLocalTime(quint16 inYear, quint16 inMonth, quint16 inDay, quint16 inHour, quint16 inMinute,
                            quint16 inSecond)
{
    const QDate date(inYear, inMonth, inDay);
    const QTime time(inHour, inMinute, inSecond);
    if (!date.isValid() || !time.isValid())
        return -1;
    const QDateTime local(date, time, Qt::LocalTime);
    if (!local.isValid())
        return -1;
    int error = 0;
    if (!platform::setSystemClock(local.toMSecsSinceEpoch(), &error)) {
        qCDebug(lcCore, "OSUtility::setLocalTime: cannot set the clock (%d)", error);
        return -1;
    }
    return 0;
}

void OSUtility::CommitSystemSettings()
{
    if (!FileUtility::FlushDrive(platform::systemDriveRoot()))
        qCDebug(lcCore, "failed to flush drive: c; on OSUtility::CommitSystemSettings()");
    if (!FileUtility::CommitFile(configFile("SYSTEM")))
        qCDebug(lcCore, "failed to commit system on OSUtility::CommitSystemSettings()");
    if (!FileUtility::CommitFile(configFile("SYSTEM.LOG")))
        qCDebug(lcCore, "failed to commit systemlog on OSUtility::CommitSystemSettings()");
}

void OSUtility::CommitSecuritySettings()
{
    if (!FileUtility::FlushDrive(platform::systemDriveRoot()))
        qCDebug(lcCore, "failed to flush drive: c; on OSUtility::CommitSecuritySettings()");
    if (!FileUtility::CommitFile(configFile("SECURITY")))
        qCDebug(lcCore, "failed to commit security on OSUtility::CommitSecuritySettings()");
    if (!FileUtility::CommitFile(configFile("SECURITY.LOG")))
        qCDebug(lcCore, "failed to commit securitylog on OSUtility::CommitSecuritySettings()");
}
