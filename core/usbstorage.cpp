#include "core/usbstorage.h"

#include "core/systemsettings.h"
#include "platform/logcategories.h"
#include "platform/usbsysfs.h"

#include <QDebug>

namespace UsbStorage {

namespace {

// Only file systems on block devices can be storage; "/" is the system's own drive.
bool isCandidate(const platform::UsbSysfs::Mount &inMount)
{
    return inMount.device.startsWith(QLatin1String("/dev/")) && inMount.mountPoint != QLatin1String("/");
}

QString rootOf(const QString &inMountPoint)
{
    return inMountPoint.endsWith(QLatin1Char('/')) ? inMountPoint : inMountPoint + QLatin1Char('/');
}

} // namespace

QVector<QStringList> enumerateUsbStorage()
{
    return usbDrivesByPort(removableDriveVolumes());
}

DriveList removableDriveVolumes()
{
    DriveList drives;
    QList<platform::UsbSysfs::Mount> mounts;
    if (!platform::UsbSysfs::mounts(&mounts)) {
        qCDebug(lcCore).noquote() << QStringLiteral("Cannot read the mount list %1").arg(platform::UsbSysfs::mountList());
        return drives;
    }
    for (const platform::UsbSysfs::Mount &mount : std::as_const(mounts)) {
        if (isCandidate(mount))
            drives.append({rootOf(mount.mountPoint), mount.device});
    }
    return drives;
}

QString driveOfVolume(const DriveList &inDrives, const QString &inVolume)
{
    for (const auto &drive : inDrives) {
        if (drive.second == inVolume)
            return drive.first;
    }
    return QString();
}

QVector<QStringList> usbDrivesByPort(const DriveList &inDrives)
{
    QList<platform::UsbSysfs::Device> devices;
    if (!platform::UsbSysfs::devices(&devices)) {
        qCDebug(lcCore, "Cannnot get DevInfo class");
        return {};
    }
    const QStringList ports = SystemSettings::instance()->stringListValue(QStringLiteral("USBPortList"));
    QVector<QStringList> result(ports.size());
    for (const platform::UsbSysfs::Device &device : std::as_const(devices)) {
        const qsizetype port = device.locationPath.isEmpty() ? -1 : ports.indexOf(device.locationPath);
        if (port < 0)
            continue;
        qCDebug(lcCore).noquote() << QStringLiteral("Device Instance ID : [%1]").arg(device.name);
        for (const QString &volume : device.volumes) {
            const QString drive = driveOfVolume(inDrives, volume);
            if (drive.isEmpty())
                continue;
            qCDebug(lcCore).noquote() << QStringLiteral("VolumeName : [%1]").arg(volume);
            result[port].append(drive);
        }
    }
    return result;
}

QStringList candidateDriveRoots()
{
    QStringList roots;
    for (const auto &drive : removableDriveVolumes())
        roots << drive.first;
    return roots;
}

} // namespace UsbStorage
