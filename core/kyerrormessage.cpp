#include "core/kyerrormessage.h"

KyErrorMessage::KyErrorMessage()
{
    // Every key has kind 1; category 129 holds the operating software's own errors.
    const auto add = [this](unsigned int category, unsigned int detail, const QString &text) {
        texts.insert(KyErrorKey(1, category, detail), text);
    };
    add(1, 0x0000, tr("CCD error"));
    add(1, 0x0102, tr("FPGA status error"));
    add(1, 0x0103, tr("Failed to auto offset"));
    add(2, 0x0000, tr("Memory error"));
    add(2, 0x0202, tr("FLASH ROM check error"));
    add(2, 0x0204, tr("FLASH ROM check error"));
    add(2, 0x0203, tr("SDRAM check error"));
    add(3, 0x0000, tr("Shutter error"));
    add(3, 0x0100, tr("Shutter close error"));
    add(3, 0x0101, tr("Shutter close error"));
    add(3, 0x0201, tr("Shutter initialize error"));
    add(4, 0x0000, tr("Filter module error"));
    add(4, 0x0400, tr("Filter module up/down time-out error"));
    add(4, 0x0401, tr("Filter module up/down position error"));
    add(4, 0x0403, tr("Filter module up/down limit error"));
    add(4, 0x0410, tr("Filter module up/down FPGA error"));
    add(4, 0x0411, tr("Filter module rotate position error"));
    add(4, 0x0412, tr("Filter module rotate FPGA error"));
    add(4, 0x0420, tr("Filter module is not connected"));
    add(4, 0x0430, tr("Filter module firmware error"));
    add(4, 0x0440, tr("Filter module firmware error"));
    add(5, 0x0000, tr("Iris error"));
    add(5, 0x0500, tr("Iris mortor time-out error"));
    add(5, 0x0501, tr("Iris position error"));
    add(5, 0x0502, tr("Iris FPGA error"));
    add(5, 0x0503, tr("Lens unit is not connected"));
    add(5, 0x0205, tr("Lens unit is not connected"));
    add(5, 0x0504, tr("Lens unit is not connected"));
    add(5, 0x0505, tr("Lens unit is not connected"));
    add(6, 0x0000, tr("Focus error"));
    add(6, 0x0600, tr("Focus time-out error"));
    add(6, 0x0601, tr("Focus posiiton error"));
    add(6, 0x0602, tr("Focus FPGA error"));
    add(6, 0x0603, tr("Lens unit is not connected"));
    add(6, 0x0604, tr("Focus firmware error"));
    add(6, 0x0605, tr("Focus firmware error"));
    add(7, 0x0000, tr("USB error"));
    add(7, 0x0A03, tr("USB initialize error"));
    add(8, 0x0000, tr("Peltier error"));
    add(8, 0x0300, tr("Peltier A/D error"));
    add(8, 0x0206, tr("Cooling unit blow out error"));
    add(8, 0x0301, tr("Cooling time-out error"));
    add(8, 0x0302, tr("Peltier D/A A/D time-out error"));
    add(8, 0x0207, tr("Fan error"));
    add(9, 0x0000, tr("Update error"));
    add(9, 0xE000, tr("Firmware update format error"));
    add(9, 0xE001, tr("Firmware update mode error"));
    add(9, 0xE002, tr("Firmware update write error"));
    add(10, 0x0000, tr("Firmware OS error"));
    add(10, 0xF000, tr("Firmware OS error"));
    add(10, 0xF001, tr("Firmware OS error"));
    add(10, 0xF002, tr("Firmware OS error"));
    add(11, 0x0000, tr("FPGA error"));
    add(11, 0x0700, tr("FPGA start error"));
    add(129, 0x0000, tr("Operation software error"));
    add(129, 0x0010, tr("Lens unit is not detected."));
    add(129, 0x0011, tr("Upper white-EPI light is not detected."));
    add(129, 0x0012, tr("Lower white-EPI light is not detected."));
    add(129, 0x0020, tr("Dark frame correction files are missing."));
    add(129, 0x0021, tr("Flat frame correction files are missing."));
    add(129, 0x0022, tr("Distortion correction files are missing."));
    add(129, 0x0023, tr("OD calibration files are missing."));
    add(129, 0x0100, tr("Control board is not connected."));
    add(129, 0x0200, tr("Memory is full."));
    add(129, 0x0300, tr("File I/O error"));
    add(129, 0x0400, tr("Firmware status is invalid."));
    add(129, 0x0600, tr("Exposure failed."));
    add(129, 0x0700, tr("File I/O error"));
    add(129, 0x0800, tr("Image process error"));
    add(129, 0x0810, tr("Image process (Dark frame) erro"));
    add(129, 0x0820, tr("Image process (Flat frame) erro"));
    add(129, 0x0830, tr("Image process (Distortion) erro"));
    add(129, 0x0900, tr("Failed to update software."));
    add(129, 0xFFFF, tr("Unexpected error."));
}

QString KyErrorMessage::message(const std::array<quint8, 8> &inRecord)
{
    static const KyErrorMessage table;
    return table.text(inRecord);
}

QString KyErrorMessage::text(const std::array<quint8, 8> &inRecord) const
{
    const KyErrorKey key(inRecord);
    auto it = texts.constFind(key);
    if (it != texts.constEnd())
        return *it;
    it = texts.constFind(KyErrorKey(key.kindValue(), key.categoryValue(), 0));
    if (it != texts.constEnd())
        return *it;
    return tr("Unknown error");
}
