#pragma once

#include <QString>
#include <QtGlobal>

// The instrument's operations on the machine it runs on. Every outside command goes through
// platform::runProcess and the clock through platform::setSystemClock, so none of them touches the
// machine under test. The network and workgroup commands name programs of the instrument's
// original system; where they do not exist they cannot be started, and the operations fail.
class OSUtility
{
public:
    // Shutdown flags as the instrument passes them.
    enum : unsigned int { kShutdown = 1, kReboot = 2, kPowerOff = 8 };

    // Non-zero when the request was accepted. Flags other than kShutdown, kReboot and kPowerOff
    // (log-off, forced or combined requests) are refused with 0.
    static int shutdownSystem(unsigned int inFlags);
    static int reboot();
    static int powerOff();

    // Byte 0 the most significant.
    static void splitIPv4Address(quint32 inAddress, quint8 outBytes[4]);

    // 0 on success, -1 on failure.
    static int setStaticIpAddress(const QString &inAddress, const QString &inMask, const QString &inGateway);
    static int ipConfiguration(QString &outAddress, QString &outMask, QString &outGateway);
    static bool isDhcpEnabled();
    static int joinWorkgroup(const QString &inName);
    static int workstationDomain(QString &outDomain);
    static int setLocalTime(quint16 inYear, quint16 inMonth, quint16 inDay, quint16 inHour, quint16 inMinute,
                            quint16 inSecond);

    static void CommitSystemSettings();
    static void CommitSecuritySettings();

    // How long the address command may take before it is stopped.
    static constexpr int kNetshTimeoutMs = 90000;
    // How long the shutdown request may take before it counts as refused.
    static constexpr int kShutdownTimeoutMs = 30000;
};
