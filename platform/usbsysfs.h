#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace platform {

// What the kernel tells about USB devices and mounted volumes: the sysfs tree and the mount list.
// Both places can be replaced, so that tests read a fake tree instead of the machine's.
class UsbSysfs
{
public:
    struct Mount
    {
        QString device;     // as the mount list names it, e.g. "/dev/sdb1"
        QString mountPoint; // without escapes
    };

    struct Device
    {
        QString name;         // the kernel's name, e.g. "1-1.2"
        QString locationPath; // e.g. "PCIROOT(0)#PCI(1A00)#USBROOT(0)#USB(1)#USB(2)"; empty when untranslatable
        QStringList volumes;  // its block devices as "/dev/<name>": each disk, then its partitions
    };

    // The sysfs root ("/sys") and the mount list ("/proc/self/mounts"). Setting an empty text
    // restores the default; each returns the value it replaces.
    static QString sysfsRoot();
    static QString setSysfsRoot(const QString &root);
    static QString mountList();
    static QString setMountList(const QString &path);

    // The mounted file systems in list order; false when the list cannot be read.
    static bool mounts(QList<Mount> *out);

    // The USB devices (not their interfaces) in name order; false when the device list cannot be
    // read.
    static bool devices(QList<Device> *out);

    // A device path below the sysfs "devices" folder, such as
    // "pci0000:00/0000:00:1a.0/usb1/1-1/1-1.2", in the location-path form of the instrument's port
    // list: "PCIROOT(0)#PCI(1A00)#USBROOT(0)#USB(1)#USB(2)". Empty when a part of the path has no such
    // form (a USB interface, a device that hangs off no PCI bus).
    static QString locationPath(const QString &devicePath);
};

} // namespace platform
