#include "platform/usbsysfs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QRegularExpression>

namespace platform {

namespace {

QMutex &placesMutex()
{
    static QMutex mutex;
    return mutex;
}

QString &sysfsPlace()
{
    static QString place;
    return place;
}

QString &mountPlace()
{
    static QString place;
    return place;
}

QString replacePlace(QString &ioPlace, const QString &inValue)
{
    QMutexLocker lock(&placesMutex());
    QString previous = ioPlace;
    ioPlace = inValue;
    return previous;
}

QString placeOr(const QString &inPlace, const char *inDefault)
{
    QMutexLocker lock(&placesMutex());
    return inPlace.isEmpty() ? QLatin1String(inDefault) : inPlace;
}

// The mount list writes space, tab, line end and backslash in a path as octal escapes.
QString unescaped(const QByteArray &inField)
{
    QByteArray out;
    out.reserve(inField.size());
    for (qsizetype i = 0; i < inField.size(); ++i) {
        if (inField.at(i) == '\\' && i + 3 < inField.size()) {
            const QByteArray digits = inField.mid(i + 1, 3);
            bool ok = digits.size() == 3;
            for (char c : digits)
                ok = ok && c >= '0' && c <= '7';
            if (ok) {
                out.append(char(digits.toInt(nullptr, 8)));
                i += 3;
                continue;
            }
        }
        out.append(inField.at(i));
    }
    return QString::fromUtf8(out);
}

// A USB device (not an interface, not a root hub) as sysfs names it: bus, dash, port chain.
bool isUsbDeviceName(const QString &inName)
{
    static const QRegularExpression pattern(QStringLiteral("^\\d+-\\d+(\\.\\d+)*$"));
    return pattern.match(inName).hasMatch();
}

// The block devices found below a USB device's folder, without entering its child USB devices (a
// hub's disks belong to the devices plugged into it). Links are not followed: sysfs is full of
// links back up the tree.
void collectVolumes(const QString &inFolder, QStringList &ioVolumes)
{
    const QFileInfoList entries =
        QDir(inFolder).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Name);
    for (const QFileInfo &entry : entries) {
        if (isUsbDeviceName(entry.fileName()))
            continue;
        if (entry.fileName() == QLatin1String("block")) {
            const QFileInfoList disks =
                QDir(entry.filePath()).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
            for (const QFileInfo &disk : disks) {
                ioVolumes << QStringLiteral("/dev/") + disk.fileName();
                const QFileInfoList parts =
                    QDir(disk.filePath()).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Name);
                for (const QFileInfo &part : parts) {
                    if (QFileInfo::exists(part.filePath() + QStringLiteral("/partition")))
                        ioVolumes << QStringLiteral("/dev/") + part.fileName();
                }
            }
            continue;
        }
        collectVolumes(entry.filePath(), ioVolumes);
    }
}

} // namespace

QString UsbSysfs::sysfsRoot()
{
    return placeOr(sysfsPlace(), "/sys");
}

QString UsbSysfs::setSysfsRoot(const QString &root)
{
    return replacePlace(sysfsPlace(), root);
}

QString UsbSysfs::mountList()
{
    return placeOr(mountPlace(), "/proc/self/mounts");
}

QString UsbSysfs::setMountList(const QString &path)
{
    return replacePlace(mountPlace(), path);
}

bool UsbSysfs::mounts(QList<Mount> *out)
{
    out->clear();
    QFile file(mountList());
    // The kernel's list reports a size of 0: read it to its end, not by size.
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray all = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    for (const QByteArray &line : all.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 2 || fields.at(0).isEmpty())
            continue;
        out->append({unescaped(fields.at(0)), unescaped(fields.at(1))});
    }
    return true;
}

bool UsbSysfs::devices(QList<Device> *out)
{
    out->clear();
    const QString root = sysfsRoot();
    const QDir list(root + QStringLiteral("/bus/usb/devices"));
    if (!list.exists())
        return false;
    const QString devicesFolder = QFileInfo(root + QStringLiteral("/devices")).canonicalFilePath() + QLatin1Char('/');
    const QFileInfoList entries = list.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System, QDir::Name);
    for (const QFileInfo &entry : entries) {
        if (!isUsbDeviceName(entry.fileName()))
            continue;
        const QString folder = entry.canonicalFilePath();
        Device device;
        device.name = entry.fileName();
        if (folder.startsWith(devicesFolder))
            device.locationPath = locationPath(folder.mid(devicesFolder.size()));
        if (!folder.isEmpty())
            collectVolumes(folder, device.volumes);
        out->append(device);
    }
    return true;
}

QString UsbSysfs::locationPath(const QString &devicePath)
{
    static const QRegularExpression pciRoot(QStringLiteral("^pci[0-9a-f]{4}:([0-9a-f]{2})$"));
    static const QRegularExpression pciDevice(QStringLiteral("^[0-9a-f]{4}:[0-9a-f]{2}:([0-9a-f]{2})\\.([0-7])$"));
    static const QRegularExpression usbRoot(QStringLiteral("^usb\\d+$"));
    static const QRegularExpression usbPort(QStringLiteral("^\\d+-(?:\\d+\\.)*(\\d+)$"));
    QStringList parts;
    const QStringList components = devicePath.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString &component : components) {
        QRegularExpressionMatch m;
        if ((m = pciRoot.match(component)).hasMatch()) {
            if (!parts.isEmpty())
                return QString();
            parts << QStringLiteral("PCIROOT(%1)").arg(m.captured(1).toInt(nullptr, 16));
        } else if ((m = pciDevice.match(component)).hasMatch()) {
            parts << QStringLiteral("PCI(%1%2)")
                         .arg(m.captured(1).toInt(nullptr, 16), 2, 16, QLatin1Char('0'))
                         .arg(m.captured(2).toInt(nullptr, 16), 2, 16, QLatin1Char('0'))
                         .toUpper();
        } else if (usbRoot.match(component).hasMatch()) {
            parts << QStringLiteral("USBROOT(0)");
        } else if ((m = usbPort.match(component)).hasMatch()) {
            parts << QStringLiteral("USB(%1)").arg(m.captured(1).toInt());
        } else {
            return QString();
        }
    }
    if (parts.isEmpty() || !parts.first().startsWith(QLatin1String("PCIROOT(")))
        return QString();
    return parts.join(QLatin1Char('#'));
}

} // namespace platform
