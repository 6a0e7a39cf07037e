#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>

// Which mounted volumes belong to USB storage plugged into the instrument's known ports. The ports
// are the location paths of the setting "USBPortList"; a device's sysfs path is translated into
// that form (platform::UsbSysfs::locationPath).
namespace UsbStorage {

// Mounted volumes that may be removable: pairs of the volume's root (its mount point with a
// trailing "/") and its device ("/dev/sdb1"). The system's own root is never one of them.
using DriveList = QList<QPair<QString, QString>>;

// For each port of "USBPortList", in setting order, the roots of the volumes mounted from the USB
// device on that port; empty when the USB devices cannot be listed.
QVector<QStringList> enumerateUsbStorage();

DriveList removableDriveVolumes();
// The root of the first drive whose device is inVolume (case-sensitive); empty when none is.
QString driveOfVolume(const DriveList &inDrives, const QString &inVolume);
QVector<QStringList> usbDrivesByPort(const DriveList &inDrives);
// The roots of removableDriveVolumes without their devices.
QStringList candidateDriveRoots();

} // namespace UsbStorage
