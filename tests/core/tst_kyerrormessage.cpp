// The error texts: each row of the table by its record, the category's general text for an unknown
// detail, "Unknown error" otherwise, and the bytes of the record that take part.

#include "testmain.h"

#include "core/kyerrormessage.h"

#include <QSet>

namespace {

struct Row
{
    unsigned int category;
    unsigned int detail;
    const char *text;
};

// The whole table, in the order it is filled.
const Row kRows[] = {
        {1, 0x0000, "CCD error"},
        {1, 0x0102, "FPGA status error"},
        {1, 0x0103, "Failed to auto offset"},
        {2, 0x0000, "Memory error"},
        {2, 0x0202, "FLASH ROM check error"},
        {2, 0x0204, "FLASH ROM check error"},
        {2, 0x0203, "SDRAM check error"},
        {3, 0x0000, "Shutter error"},
        {3, 0x0100, "Shutter close error"},
        {3, 0x0101, "Shutter close error"},
        {3, 0x0201, "Shutter initialize error"},
        {4, 0x0000, "Filter module error"},
        {4, 0x0400, "Filter module up/down time-out error"},
        {4, 0x0401, "Filter module up/down position error"},
        {4, 0x0403, "Filter module up/down limit error"},
        {4, 0x0410, "Filter module up/down FPGA error"},
        {4, 0x0411, "Filter module rotate position error"},
        {4, 0x0412, "Filter module rotate FPGA error"},
        {4, 0x0420, "Filter module is not connected"},
        {4, 0x0430, "Filter module firmware error"},
        {4, 0x0440, "Filter module firmware error"},
        {5, 0x0000, "Iris error"},
        {5, 0x0500, "Iris mortor time-out error"},
        {5, 0x0501, "Iris position error"},
        {5, 0x0502, "Iris FPGA error"},
        {5, 0x0503, "Lens unit is not connected"},
        {5, 0x0205, "Lens unit is not connected"},
        {5, 0x0504, "Lens unit is not connected"},
        {5, 0x0505, "Lens unit is not connected"},
        {6, 0x0000, "Focus error"},
        {6, 0x0600, "Focus time-out error"},
        {6, 0x0601, "Focus posiiton error"},
        {6, 0x0602, "Focus FPGA error"},
        {6, 0x0603, "Lens unit is not connected"},
        {6, 0x0604, "Focus firmware error"},
        {6, 0x0605, "Focus firmware error"},
        {7, 0x0000, "USB error"},
        {7, 0x0A03, "USB initialize error"},
        {8, 0x0000, "Peltier error"},
        {8, 0x0300, "Peltier A/D error"},
        {8, 0x0206, "Cooling unit blow out error"},
        {8, 0x0301, "Cooling time-out error"},
        {8, 0x0302, "Peltier D/A A/D time-out error"},
        {8, 0x0207, "Fan error"},
        {9, 0x0000, "Update error"},
        {9, 0xE000, "Firmware update format error"},
        {9, 0xE001, "Firmware update mode error"},
        {9, 0xE002, "Firmware update write error"},
        {10, 0x0000, "Firmware OS error"},
        {10, 0xF000, "Firmware OS error"},
        {10, 0xF001, "Firmware OS error"},
        {10, 0xF002, "Firmware OS error"},
        {11, 0x0000, "FPGA error"},
        {11, 0x0700, "FPGA start error"},
        {129, 0x0000, "Operation software error"},
        {129, 0x0010, "Lens unit is not detected."},
        {129, 0x0011, "Upper white-EPI light is not detected."},
        {129, 0x0012, "Lower white-EPI light is not detected."},
        {129, 0x0020, "Dark frame correction files are missing."},
        {129, 0x0021, "Flat frame correction files are missing."},
        {129, 0x0022, "Distortion correction files are missing."},
        {129, 0x0023, "OD calibration files are missing."},
        {129, 0x0100, "Control board is not connected."},
        {129, 0x0200, "Memory is full."},
        {129, 0x0300, "File I/O error"},
        {129, 0x0400, "Firmware status is invalid."},
        {129, 0x0600, "Exposure failed."},
        {129, 0x0700, "File I/O error"},
        {129, 0x0800, "Image process error"},
        {129, 0x0810, "Image process (Dark frame) erro"},
        {129, 0x0820, "Image process (Flat frame) erro"},
        {129, 0x0830, "Image process (Distortion) erro"},
        {129, 0x0900, "Failed to update software."},
        {129, 0xFFFF, "Unexpected error."},
};

// A record as the unit sends it; the bytes that take no part get noise so that a key built from the
// wrong bytes shows.
std::array<quint8, 8> record(unsigned int inKind, unsigned int inCategory, unsigned int inDetail, quint8 inNoise = 0)
{
    return {quint8(inKind), quint8(inNoise ^ 0x5A), quint8(inNoise), quint8(inCategory),
            quint8(inNoise + 3), quint8(inNoise ^ 0xC3), quint8(inDetail & 0xFF), quint8(inDetail >> 8)};
}

} // namespace

class TestKyErrorMessage : public QObject
{
    Q_OBJECT

private slots:
    void everyRowByItsRecord()
    {
        const KyErrorMessage table;
        QCOMPARE(int(std::size(kRows)), 74);
        for (const Row &row : kRows) {
            const QString where = QStringLiteral("category %1 detail 0x%2").arg(row.category).arg(row.detail, 4, 16, QLatin1Char('0'));
            QVERIFY2(table.text(record(1, row.category, row.detail)) == QLatin1String(row.text), qPrintable(where));
            for (quint8 noise : {quint8(0x01), quint8(0xFF)})
                QVERIFY2(table.text(record(1, row.category, row.detail, noise)) == QLatin1String(row.text), qPrintable(where));
        }
    }

    void unknownDetailFallsBackToItsCategory()
    {
        const KyErrorMessage table;
        QSet<unsigned int> categories;
        for (const Row &row : kRows)
            categories.insert(row.category);
        for (const Row &row : kRows) {
            if (row.detail != 0)
                continue;
            // 0x0499 and 0x7777 are in no category.
            for (unsigned int detail : {0x0499u, 0x7777u})
                QCOMPARE(table.text(record(1, row.category, detail)), QLatin1String(row.text));
            categories.remove(row.category);
        }
        QVERIFY2(categories.isEmpty(), "every category has a general text");
    }

    void unknownError_data()
    {
        QTest::addColumn<unsigned int>("kind");
        QTest::addColumn<unsigned int>("category");
        QTest::addColumn<unsigned int>("detail");
        QTest::newRow("category 12") << 1u << 12u << 0u;
        QTest::newRow("category 0") << 1u << 0u << 0x0102u;
        QTest::newRow("category 128") << 1u << 128u << 0x0010u;
        QTest::newRow("kind 0") << 0u << 4u << 0x0420u;
        QTest::newRow("kind 2") << 2u << 4u << 0x0000u;
        QTest::newRow("kind 255") << 255u << 129u << 0xFFFFu;
    }

    void unknownError()
    {
        QFETCH(unsigned int, kind);
        QFETCH(unsigned int, category);
        QFETCH(unsigned int, detail);
        QCOMPARE(KyErrorMessage().text(record(kind, category, detail)), QStringLiteral("Unknown error"));
    }

    void sameDetailInTwoCategories()
    {
        const KyErrorMessage table;
        QCOMPARE(table.text(record(1, 3, 0x0100)), QStringLiteral("Shutter close error"));
        QCOMPARE(table.text(record(1, 129, 0x0100)), QStringLiteral("Control board is not connected."));
        QCOMPARE(table.text(record(1, 4, 0x0420)), QStringLiteral("Filter module is not connected"));
    }

    void keyFromRecordBytes()
    {
        // The detail is the high half of a little-endian word: byte 7 is its high byte.
        const KyErrorKey key(std::array<quint8, 8>{1, 0x22, 0x33, 9, 0x44, 0x55, 0x00, 0xE0});
        QCOMPARE(key.kindValue(), 1u);
        QCOMPARE(key.categoryValue(), 9u);
        QCOMPARE(key.detailValue(), 0xE000u);
        QCOMPARE(KyErrorMessage().text({1, 0, 0, 9, 0, 0, 0x01, 0xE0}), QStringLiteral("Firmware update mode error"));
    }

    void keysMaskAndCompareByPackedValue()
    {
        const KyErrorKey wide(0x101, 0x204, 0x10420);
        QCOMPARE(wide, KyErrorKey(1, 4, 0x0420));
        QCOMPARE(wide.packed(), 0x01040420u);
        QCOMPARE(qHash(wide), qHash(KyErrorKey(1, 4, 0x0420)));
        QVERIFY(!(KyErrorKey(1, 4, 0x0420) == KyErrorKey(1, 4, 0x0421)));
    }

    void processWideTable()
    {
        QCOMPARE(KyErrorMessage::message(record(1, 129, 0xFFFF)), QStringLiteral("Unexpected error."));
        QCOMPARE(KyErrorMessage::message(record(1, 12, 0)), QStringLiteral("Unknown error"));
    }
};

KY_TEST_MAIN(TestKyErrorMessage)
#include "tst_kyerrormessage.moc"
