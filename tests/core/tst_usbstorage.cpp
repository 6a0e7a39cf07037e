// USB storage over a fake sysfs tree and mount list: which mounted volumes sit on the configured
// ports, and how a sysfs device path reads as a port's location path.

#include "testmain.h"

#include "core/usbstorage.h"
#include "platform/usbsysfs.h"
#include "systemsetting.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using platform::UsbSysfs;

namespace {

const char kHostController[] = "pci0000:00/0000:00:1a.0/usb1";

// A fake sysfs tree: devices under "devices", linked from "bus/usb/devices" by name.
class FakeSysfs
{
public:
    explicit FakeSysfs(const QString &inRoot) : root(inRoot)
    {
        QDir().mkpath(root + QStringLiteral("/bus/usb/devices"));
        QDir().mkpath(root + QStringLiteral("/devices"));
    }

    // A USB device at the path below "devices", with its first interface.
    void addUsbDevice(const QString &inPath)
    {
        const QString name = inPath.section(QLatin1Char('/'), -1);
        QVERIFY(QDir().mkpath(root + QStringLiteral("/devices/") + inPath + QLatin1Char('/') + name + QStringLiteral(":1.0")));
        link(inPath, name);
        link(inPath + QLatin1Char('/') + name + QStringLiteral(":1.0"), name + QStringLiteral(":1.0"));
    }

    // A disk behind a USB device's storage interface, with the given partitions.
    void addDisk(const QString &inUsbPath, const QString &inDisk, const QStringList &inPartitions)
    {
        const QString name = inUsbPath.section(QLatin1Char('/'), -1);
        const QString disk = root + QStringLiteral("/devices/") + inUsbPath + QLatin1Char('/') + name
                             + QStringLiteral(":1.0/host6/target6:0:0/6:0:0:0/block/") + inDisk;
        QVERIFY(QDir().mkpath(disk));
        kytest::writeFile(disk + QStringLiteral("/dev"), "8:16\n");
        for (const QString &part : inPartitions)
            kytest::writeFile(disk + QLatin1Char('/') + part + QStringLiteral("/partition"), "1\n");
        // The block class links back into the tree, as sysfs does; it must not be walked twice.
        QVERIFY(QDir().mkpath(root + QStringLiteral("/class/block")));
        QFile::link(disk, root + QStringLiteral("/class/block/") + inDisk);
    }

    void addSataDisk(const QString &inDisk, const QStringList &inPartitions)
    {
        const QString disk = root + QStringLiteral("/devices/pci0000:00/0000:00:1f.2/ata1/host0/target0:0:0/0:0:0:0/block/") + inDisk;
        QVERIFY(QDir().mkpath(disk));
        for (const QString &part : inPartitions)
            kytest::writeFile(disk + QLatin1Char('/') + part + QStringLiteral("/partition"), "1\n");
    }

private:
    void link(const QString &inPath, const QString &inName)
    {
        QVERIFY(QFile::link(QStringLiteral("../../../devices/") + inPath, root + QStringLiteral("/bus/usb/devices/") + inName));
    }

    QString root;
};

void setPorts(const QVariant &inPorts)
{
    kytest::setSystemSetting(QStringLiteral("USBPortList"), inPorts);
}

QString usb(const char *inPorts)
{
    return QLatin1String(kHostController) + QLatin1Char('/') + QLatin1String(inPorts);
}

} // namespace

class TestUsbStorage : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<FakeSysfs> sysfs;

    QString mounts() const { return dir->filePath(QStringLiteral("mounts")); }

    void writeMounts(const QByteArray &inLines) { kytest::writeFile(mounts(), inLines); }

private slots:
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        sysfs = std::make_unique<FakeSysfs>(dir->filePath(QStringLiteral("sys")));
        UsbSysfs::setSysfsRoot(dir->filePath(QStringLiteral("sys")));
        UsbSysfs::setMountList(mounts());
        // The system disk is always there.
        sysfs->addSataDisk(QStringLiteral("sda"), {QStringLiteral("sda1"), QStringLiteral("sda2")});
        sysfs->addUsbDevice(QLatin1String(kHostController));
        writeMounts("/dev/sda1 / ext4 rw,relatime 0 0\n"
                    "proc /proc proc rw 0 0\n"
                    "tmpfs /run tmpfs rw 0 0\n"
                    "/dev/sda2 /data ext4 rw 0 0\n");
    }

    void cleanup()
    {
        UsbSysfs::setSysfsRoot(QString());
        UsbSysfs::setMountList(QString());
        setPorts(QVariant());
    }

    void noDevicesGivesOneEmptyListPerPort()
    {
        QCOMPARE(UsbStorage::enumerateUsbStorage(), QVector<QStringList>(3));
    }

    void stickOnTheSecondPort()
    {
        sysfs->addUsbDevice(usb("1-1"));
        sysfs->addUsbDevice(usb("1-1/1-1.2"));
        sysfs->addDisk(usb("1-1/1-1.2"), QStringLiteral("sdb"), {QStringLiteral("sdb1")});
        writeMounts("/dev/sda1 / ext4 rw 0 0\n/dev/sdb1 /media/usb\\040stick vfat rw 0 0\n/dev/sda2 /data ext4 rw 0 0\n");
        QTest::ignoreMessage(QtDebugMsg, "Device Instance ID : [1-1.2]");
        QTest::ignoreMessage(QtDebugMsg, "VolumeName : [/dev/sdb1]");
        QCOMPARE(UsbStorage::enumerateUsbStorage(),
                 (QVector<QStringList>{{}, {QStringLiteral("/media/usb stick/")}, {}}));
    }

    void severalSticksAndVolumes()
    {
        sysfs->addUsbDevice(usb("1-1"));
        sysfs->addUsbDevice(usb("1-1/1-1.1"));
        sysfs->addUsbDevice(usb("1-1/1-1.3"));
        // A whole-disk file system on port 1, two partitions on port 3 (one of them not mounted).
        sysfs->addDisk(usb("1-1/1-1.1"), QStringLiteral("sdc"), {});
        sysfs->addDisk(usb("1-1/1-1.3"), QStringLiteral("sdd"), {QStringLiteral("sdd1"), QStringLiteral("sdd2"), QStringLiteral("sdd3")});
        writeMounts("/dev/sda1 / ext4 rw 0 0\n/dev/sdd2 /mnt/b vfat rw 0 0\n/dev/sdc /mnt/c/ vfat rw 0 0\n/dev/sdd1 /mnt/a exfat rw 0 0\n");
        QCOMPARE(UsbStorage::enumerateUsbStorage(),
                 (QVector<QStringList>{{QStringLiteral("/mnt/c/")}, {}, {QStringLiteral("/mnt/a/"), QStringLiteral("/mnt/b/")}}));
    }

    // Ports the setting does not name, volumes that are not mounted, and the hub the sticks hang on:
    // none of them gives a drive.
    void onlyListedPortsCount()
    {
        sysfs->addUsbDevice(usb("1-1"));
        sysfs->addUsbDevice(usb("1-1/1-1.4"));
        sysfs->addDisk(usb("1-1/1-1.4"), QStringLiteral("sdb"), {QStringLiteral("sdb1")});
        sysfs->addUsbDevice(usb("1-1/1-1.2"));
        sysfs->addDisk(usb("1-1/1-1.2"), QStringLiteral("sdc"), {QStringLiteral("sdc1")});
        sysfs->addUsbDevice(QStringLiteral("pci0000:00/0000:00:1d.0/usb2"));
        sysfs->addUsbDevice(QStringLiteral("pci0000:00/0000:00:1d.0/usb2/2-1"));
        sysfs->addDisk(QStringLiteral("pci0000:00/0000:00:1d.0/usb2/2-1"), QStringLiteral("sde"), {QStringLiteral("sde1")});
        writeMounts("/dev/sda1 / ext4 rw 0 0\n/dev/sdb1 /mnt/unlisted vfat rw 0 0\n/dev/sde1 /mnt/other vfat rw 0 0\n");
        QCOMPARE(UsbStorage::enumerateUsbStorage(), QVector<QStringList>(3));

        // The hub itself named as a port: the sticks on it are its children's, not its own.
        setPorts(QStringList{QStringLiteral("PCIROOT(0)#PCI(1A00)#USBROOT(0)#USB(1)")});
        writeMounts("/dev/sdb1 /mnt/b vfat rw 0 0\n/dev/sdc1 /mnt/c vfat rw 0 0\n");
        QCOMPARE(UsbStorage::enumerateUsbStorage(), QVector<QStringList>(1));
    }

    // The system's own disks never appear, whatever the ports say.
    void systemDisksNeverAppear()
    {
        const UsbStorage::DriveList drives = UsbStorage::removableDriveVolumes();
        QCOMPARE(drives, (UsbStorage::DriveList{{QStringLiteral("/data/"), QStringLiteral("/dev/sda2")}}));
        QCOMPARE(UsbStorage::candidateDriveRoots(), QStringList{QStringLiteral("/data/")});
        QCOMPARE(UsbStorage::usbDrivesByPort(drives), QVector<QStringList>(3));
    }

    void portsFollowTheSetting()
    {
        sysfs->addUsbDevice(usb("1-1"));
        sysfs->addUsbDevice(usb("1-1/1-1.2"));
        sysfs->addDisk(usb("1-1/1-1.2"), QStringLiteral("sdb"), {QStringLiteral("sdb1")});
        writeMounts("/dev/sdb1 /media/s vfat rw 0 0\n");
        setPorts(QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("PCIROOT(0)#PCI(1A00)#USBROOT(0)#USB(1)#USB(2)"), QStringLiteral("C")});
        QCOMPARE(UsbStorage::enumerateUsbStorage(), (QVector<QStringList>{{}, {}, {QStringLiteral("/media/s/")}, {}}));
        setPorts(QStringList());
        QCOMPARE(UsbStorage::enumerateUsbStorage(), QVector<QStringList>());
    }

    void missingSysfsGivesNothing()
    {
        UsbSysfs::setSysfsRoot(dir->filePath(QStringLiteral("nowhere")));
        QTest::ignoreMessage(QtDebugMsg, "Cannnot get DevInfo class");
        QCOMPARE(UsbStorage::enumerateUsbStorage(), QVector<QStringList>());
    }

    void unreadableMountListGivesNoDrives()
    {
        UsbSysfs::setMountList(dir->filePath(QStringLiteral("no-mounts")));
        QTest::ignoreMessage(QtDebugMsg, qPrintable(QStringLiteral("Cannot read the mount list ") + dir->filePath(QStringLiteral("no-mounts"))));
        QVERIFY(UsbStorage::removableDriveVolumes().isEmpty());
    }

    void driveOfVolume()
    {
        const UsbStorage::DriveList drives = {{QStringLiteral("/a/"), QStringLiteral("/dev/sdb1")},
                                              {QStringLiteral("/b/"), QStringLiteral("/dev/sdb1")},
                                              {QStringLiteral("/c/"), QStringLiteral("/dev/sdc1")}};
        QCOMPARE(UsbStorage::driveOfVolume(drives, QStringLiteral("/dev/sdb1")), QStringLiteral("/a/"));
        QCOMPARE(UsbStorage::driveOfVolume(drives, QStringLiteral("/dev/sdc1")), QStringLiteral("/c/"));
        QCOMPARE(UsbStorage::driveOfVolume(drives, QStringLiteral("/dev/SDC1")), QString());
        QCOMPARE(UsbStorage::driveOfVolume({}, QStringLiteral("/dev/sdc1")), QString());
    }

    void mountListEscapes()
    {
        writeMounts("/dev/sdb1 /media/a\\040b\\011c\\134d vfat rw 0 0\n/dev/sdb2 /media/odd\\04 vfat rw 0 0\n\n  \n");
        QList<UsbSysfs::Mount> list;
        QVERIFY(UsbSysfs::mounts(&list));
        QCOMPARE(list.size(), 2);
        QCOMPARE(list.at(0).mountPoint, QStringLiteral("/media/a b\tc\\d"));
        QCOMPARE(list.at(1).mountPoint, QStringLiteral("/media/odd\\04"));
    }

    void locationPath_data()
    {
        QTest::addColumn<QString>("devicePath");
        QTest::addColumn<QString>("location");
        QTest::newRow("port 2 of the hub on root port 1") << QStringLiteral("pci0000:00/0000:00:1a.0/usb1/1-1/1-1.2")
                                                          << QStringLiteral("PCIROOT(0)#PCI(1A00)#USBROOT(0)#USB(1)#USB(2)");
        QTest::newRow("root port") << QStringLiteral("pci0000:00/0000:00:14.0/usb2/2-3") << QStringLiteral("PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(3)");
        QTest::newRow("function and bridge") << QStringLiteral("pci0000:00/0000:00:1c.4/0000:03:00.0/usb3/3-1/3-1.4/3-1.4.2")
                                             << QStringLiteral("PCIROOT(0)#PCI(1C04)#PCI(0000)#USBROOT(0)#USB(1)#USB(4)#USB(2)");
        QTest::newRow("second root bus") << QStringLiteral("pci0000:80/0000:80:01.7/usb4/4-10")
                                         << QStringLiteral("PCIROOT(128)#PCI(0107)#USBROOT(0)#USB(10)");
        QTest::newRow("host controller") << QStringLiteral("pci0000:00/0000:00:1a.0/usb1") << QStringLiteral("PCIROOT(0)#PCI(1A00)#USBROOT(0)");
        QTest::newRow("leading and doubled slashes") << QStringLiteral("/pci0000:00//0000:00:1a.0/usb1/1-1/")
                                                     << QStringLiteral("PCIROOT(0)#PCI(1A00)#USBROOT(0)#USB(1)");
        QTest::newRow("interface") << QStringLiteral("pci0000:00/0000:00:1a.0/usb1/1-1/1-1:1.0") << QString();
        QTest::newRow("no PCI bus") << QStringLiteral("platform/xhci-hcd.0/usb1/1-1") << QString();
        QTest::newRow("virtual device") << QStringLiteral("virtual/block/loop0") << QString();
        QTest::newRow("no root") << QStringLiteral("0000:00:1a.0/usb1/1-1") << QString();
        QTest::newRow("empty") << QString() << QString();
    }

    void locationPath()
    {
        QFETCH(QString, devicePath);
        QFETCH(QString, location);
        QCOMPARE(UsbSysfs::locationPath(devicePath), location);
    }

    void devicesReadFromTheTree()
    {
        sysfs->addUsbDevice(usb("1-1"));
        sysfs->addUsbDevice(usb("1-1/1-1.2"));
        sysfs->addDisk(usb("1-1/1-1.2"), QStringLiteral("sdb"), {QStringLiteral("sdb2"), QStringLiteral("sdb1")});
        QList<UsbSysfs::Device> devices;
        QVERIFY(UsbSysfs::devices(&devices));
        QCOMPARE(devices.size(), 2); // the root hub and the interfaces are no devices
        QCOMPARE(devices.at(0).name, QStringLiteral("1-1"));
        QCOMPARE(devices.at(0).locationPath, QStringLiteral("PCIROOT(0)#PCI(1A00)#USBROOT(0)#USB(1)"));
        QVERIFY(devices.at(0).volumes.isEmpty());
        QCOMPARE(devices.at(1).name, QStringLiteral("1-1.2"));
        QCOMPARE(devices.at(1).volumes, (QStringList{QStringLiteral("/dev/sdb"), QStringLiteral("/dev/sdb1"), QStringLiteral("/dev/sdb2")}));
    }
};

KY_TEST_MAIN(TestUsbStorage)
#include "tst_usbstorage.moc"
