// Capture records built from light modes, with the built-in instrument settings and a unit that
// reports nothing (status flag 11 clear).

#include "testmain.h"

#include "instrument/capturecondition.h"

namespace {

// The items a capture's texts fill, in one line, for comparing whole records at once.
QString itemLine(const CaptureCondition &inCapture)
{
    QStringList parts;
    for (const char *key : {"Pixel size", "Date time", "Method", "Binning", "Exposure time", "Light", "Filter",
                            "Tray position", "Iris", "Gain coefficient", "Auto offset", "Auto offset gradient",
                            "OFD voltage", "Exposure mode"})
        parts << inCapture.itemText(QLatin1String(key));
    return parts.join(QLatin1Char('|'));
}

// Every number of a record, in field order.
QList<qint64> numbers(const CaptureCondition &c)
{
    return {c.iris(),          c.filterPosition(),    c.focusPosition(),    c.lampCode(),
            c.redLightingTime(), c.greenLightingTime(), c.blueLightingTime(), c.lightingTicksA(),
            c.lightingTicksB(), c.modeClass(),         c.binningCode(),      c.specialMode(),
            c.shutterExposure(), c.roiX(),             c.roiWidth(),         c.roiY(),
            c.roiHeight(),      c.fixedCode(),         c.gainCoefficient(),  c.offsetCoefficient(),
            c.offsetGradient(), c.ofdVoltage(),        c.trayPosition(),     c.fullFrame()};
}

} // namespace

class TestCaptureCondition : public QObject
{
    Q_OBJECT

private slots:
    void binningTable_data()
    {
        QTest::addColumn<uint>("code");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("roiY");
        QTest::addColumn<double>("upperPixel");
        QTest::addColumn<double>("otherPixel");
        QTest::newRow("H1V1") << 0u << 0 << "H1V1" << 2048 << 2816 << 128 << 40.4 << 79.9;
        QTest::newRow("H2V1") << 1u << 1 << "H2V1" << 1024 << 1408 << 64 << 80.8 << 159.8;
        QTest::newRow("H4V2") << 2u << 2 << "H4V2" << 512 << 704 << 32 << 161.7 << 319.6;
        QTest::newRow("H8V4") << 3u << 3 << "H8V4" << 256 << 352 << 16 << 323.3 << 639.2;
        QTest::newRow("H16V8") << 7u << 4 << "H16V8" << 128 << 176 << 8 << 646.7 << 1278.5;
        QTest::newRow("code 10") << 10u << 5 << "H2V1" << 512 << 768 << 0 << 161.7 << 319.6;
        QTest::newRow("code 11") << 11u << 6 << "H4V2" << 256 << 384 << 0 << 323.3 << 639.2;
        QTest::newRow("unknown code 4") << 4u << 1 << "H2V1" << 1024 << 1408 << 64 << 80.8 << 159.8;
        QTest::newRow("unknown code 254") << 254u << 1 << "H2V1" << 1024 << 1408 << 64 << 80.8 << 159.8;
    }

    // Code to index, name, readout size and pixel size, read through records of a chemiluminescence
    // mode (upper tray) and a fluorescence mode (lower tray) with the binning given as extra value.
    void binningTable()
    {
        QFETCH(uint, code);
        QFETCH(int, index);
        QFETCH(QString, name);
        QCOMPARE(CaptureCondition::binningIndexOfCode(code), index);
        QCOMPARE(CaptureCondition::binningNames().at(index), name);

        const CaptureCondition upper(LightMode(0, QString(), QString(), int(code)), 1000, QString());
        const CaptureCondition lower(LightMode(2, QString(), QString(), int(code)), 1000, QString());
        QCOMPARE(upper.trayPosition(), 1u);
        QCOMPARE(lower.trayPosition(), 2u);
        for (const CaptureCondition *capture : {&upper, &lower}) {
            QCOMPARE(capture->binningIndex(), index);
            QTEST(capture->readoutWidth(), "width");
            QTEST(capture->readoutHeight(), "height");
            QTEST(int(capture->roiWidth()), "width");
            QTEST(int(capture->roiHeight()), "height");
            QTEST(int(capture->roiY()), "roiY");
            QCOMPARE(capture->roiX(), quint16(0));
            QCOMPARE(capture->itemText(QStringLiteral("Binning")), name);
        }
        QTEST(upper.pixelSize(), "upperPixel");
        QTEST(lower.pixelSize(), "otherPixel");
    }

    void binningFromNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("index");
        QTest::addColumn<uint>("code");
        QTest::newRow("H1V1") << "H1V1" << 0 << 0u;
        QTest::newRow("H2V1 never code 10") << "H2V1" << 1 << 1u;
        QTest::newRow("H4V2 never code 11") << "H4V2" << 2 << 2u;
        QTest::newRow("H8V4") << "H8V4" << 3 << 3u;
        QTest::newRow("H16V8") << "H16V8" << 4 << 7u;
        QTest::newRow("other case") << "h1v1" << 1 << 255u;
        QTest::newRow("unknown") << "H3V3" << 1 << 255u;
        QTest::newRow("empty") << "" << 1 << 255u;
    }

    void binningFromNames()
    {
        QFETCH(QString, name);
        QTEST(CaptureCondition::binningIndexOfName(name), "index");
        QTEST(CaptureCondition::binningCodeOfName(name), "code");
    }

    void nameListsAndTrayCodes()
    {
        QCOMPARE(CaptureCondition::binningNames(),
                 QStringList({"H1V1", "H2V1", "H4V2", "H8V4", "H16V8", "H2V1", "H4V2"}));
        QCOMPARE(CaptureCondition::trayNames(), QStringList({"None", "Upper", "Lower"}));
        QCOMPARE(CaptureCondition::irisNames(), QStringList({"F0.85", "F2.8"}));
        QCOMPARE(CaptureCondition::trayCodeOfCategory(0), 0u);
        QCOMPARE(CaptureCondition::trayCodeOfCategory(1), 1u);
        QCOMPARE(CaptureCondition::trayCodeOfCategory(2), 2u);
        QCOMPARE(CaptureCondition::trayCodeOfCategory(3), 0u);
        QCOMPARE(CaptureCondition::trayCodeOfCategory(-1), 0u);
    }

    void fromLightMode_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<quint32>("exposure");
        QTest::addColumn<QList<qint64>>("numbers");
        QTest::addColumn<QString>("items");
        // Fields in order: iris, filter position, focus, lamp, red, green, blue, ticks A, ticks B,
        // mode class, binning, special, shutter exposure, roi x, width, roi y, height, fixed code,
        // gain, offset, offset gradient, OFD voltage, tray, full frame.
        QTest::newRow("chemiluminescence upper")
            << 0 << 60000u
            << QList<qint64>{1, 255, 4010, 0, 0, 0, 0, 600000, 600000, 0, 2, 0, 60000, 0, 512, 32, 704, 1,
                             2900, 1654, 939, 3100, 1, 0}
            << "161.7||Chemiluminescence|H4V2|1 min|None|Through|Upper|F0.85|2900|1654|939|3100|Auto";
        QTest::newRow("chemiluminescence 27")
            << 27 << 500u
            << QList<qint64>{1, 255, 4010, 0, 0, 0, 0, 5000, 5000, 1, 2, 0, 500, 0, 512, 32, 704, 1,
                             2900, 1654, 939, 3100, 1, 0}
            << "161.7||Chemiluminescence|H4V2|0.5 s|None|Through|Upper|F0.85|2900|1654|939|3100|Auto";
        QTest::newRow("fluorescence blue")
            << 2 << 1500u
            << QList<qint64>{2, 2, 530, 4, 0, 0, 0, 15000, 15000, 0, 1, 0, 1503, 0, 1024, 64, 1408, 1,
                             2900, 1654, 939, 3100, 2, 0}
            << "159.8||Blue|H2V1|1.5 s|460 nm|Cy2|Lower|F2.8|2900|1654|939|3100|Auto";
        QTest::newRow("fluorescence UV multi")
            << 54 << 2000u
            << QList<qint64>{2, 3, 460, 0x200, 0, 0, 0, 20000, 20000, 0, 3, 0, 2003, 0, 256, 16, 352, 1,
                             2900, 1654, 939, 3100, 2, 0}
            << "639.2||UV|H8V4|2.0 s|312 nm|EtBr|Lower|F2.8|2900|1654|939|3100|Auto";
        QTest::newRow("white upper EPI")
            << 19 << 250u
            << QList<qint64>{1, 255, 4010, 0x20, 50, 50, 50, 2500, 2500, 0, 1, 0, 1000, 0, 1024, 64, 1408, 1,
                             2900, 1654, 939, 3100, 1, 0}
            << "80.8||Colorimetric|H2V1|1.0 s|Upper EPI White|Through|Upper|F0.85|2900|1654|939|3100|Auto";
        QTest::newRow("white trans green")
            << 41 << 250u
            << QList<qint64>{2, 255, 460, 0x100, 0, 600, 0, 2500, 2500, 0, 1, 0, 1000, 0, 1024, 64, 1408, 1,
                             2900, 1654, 939, 3100, 2, 0}
            << "159.8||Colorimetric|H2V1|1.0 s|Trans White-Green|Through|Lower|F2.8|2900|1654|939|3100|Auto";
        QTest::newRow("dark")
            << 56 << 30000u
            << QList<qint64>{255, 255, 0, 0, 0, 0, 0, 300000, 300000, 0, 2, 1, 30000, 0, 512, 32, 704, 1,
                             2900, 1654, 939, 3100, 0, 0}
            << "319.6||Dark|H4V2|30.0 s|None|Through|None|F2.8|2900|1654|939|3100|Auto";
        QTest::newRow("focus")
            << 58 << 231u
            << QList<qint64>{1, 255, 0, 0x8008, 0, 0, 0, 2310, 2310, 4, 10, 0, 231, 0, 512, 0, 768, 1,
                             2900, 1654, 939, 3100, 2, 0}
            << "319.6||Focus|H2V1|0.231 s|Lower EPI White-Green manual|Through|Lower|F0.85|2900|1654|939|3100|Auto";
        QTest::newRow("invalid")
            << 61 << 5000u
            << QList<qint64>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}
            << "79.9|||H1V1|Automatic|None|Through|None|F2.8|0|0|0|0|Auto";
    }

    void fromLightMode()
    {
        QFETCH(int, id);
        QFETCH(quint32, exposure);
        const CaptureCondition capture(LightMode(id), exposure, QStringLiteral("Auto"));
        QCOMPARE(capture.lightMode().id(), id);
        QTEST(numbers(capture), "numbers");
        QTEST(itemLine(capture), "items");
        QVERIFY(capture.captureTime().isNull());
        QCOMPARE(capture.exposureMode(), QStringLiteral("Auto"));
        QCOMPARE(capture.auxValue(), 0.0);
        QVERIFY(!capture.auxFlag1());
        QVERIFY(!capture.auxFlag2());
        QCOMPARE(capture.isIrisF2_8(), capture.iris() != 1);
        QCOMPARE(capture.lightSource().index(), capture.lightMode().light().index());
        QCOMPARE(capture.filterName().name(), capture.lightMode().filter().name());
    }

    void defaultRecord()
    {
        const CaptureCondition capture;
        QCOMPARE(capture.lightMode().id(), 61);
        QCOMPARE(capture.lightMode().extra(), 255u);
        QCOMPARE(numbers(capture), QList<qint64>(24, 0));
        QVERIFY(capture.captureTime().isNull());
        QVERIFY(capture.exposureMode().isEmpty());
        QVERIFY(!capture.auxFlag1());
        QVERIFY(capture.auxFlag2());
        QCOMPARE(capture.exposureTime(), 0u);
        QCOMPARE(capture.itemText(QStringLiteral("Exposure time")), QStringLiteral("Automatic"));
        QCOMPARE(capture.itemText(QStringLiteral("Tray position")), QStringLiteral("None"));
        QVERIFY(capture.itemText(QStringLiteral("Comment")).isNull());
    }

    void copiesCarryEveryField()
    {
        CaptureCondition capture(LightMode(3), 1200, QStringLiteral("Manual"));
        capture.setCaptureTime(QDateTime(QDate(2021, 3, 4), QTime(5, 6, 7)));
        capture.setAuxValue(2.5);
        capture.setAuxFlags(0, 1);
        capture.setGainCoefficient(7);
        CaptureCondition copy;
        copy = capture;
        QCOMPARE(numbers(copy), numbers(capture));
        QCOMPARE(itemLine(copy), itemLine(capture));
        QCOMPARE(copy.auxValue(), 2.5);
        QVERIFY(copy.auxFlag1());
        QVERIFY(!copy.auxFlag2());
        const CaptureCondition constructed(capture);
        QCOMPARE(constructed.captureTime(), capture.captureTime());
        QCOMPARE(constructed.lightMode().methodName(), QStringLiteral("Green"));
    }

    void lightingTimes_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("blue");
        QTest::addColumn<int>("green");
        QTest::addColumn<int>("red");
        QTest::newRow("upper white keeps all") << 7 << 5 << 6 << 7;
        QTest::newRow("upper blue") << 8 << 5 << 0 << 0;
        QTest::newRow("lower green") << 13 << 0 << 6 << 0;
        QTest::newRow("trans red") << 18 << 0 << 0 << 7;
        QTest::newRow("trans blue") << 40 << 5 << 0 << 0;
        QTest::newRow("fluorescence keeps all") << 2 << 5 << 6 << 7;
    }

    void lightingTimes()
    {
        QFETCH(int, id);
        CaptureCondition capture(LightMode(id), 100, QString());
        capture.setLightingTimes(5, 6, 7);
        quint16 blue = 0, green = 0, red = 0;
        capture.lightingTimes(blue, green, red);
        QTEST(int(blue), "blue");
        QTEST(int(green), "green");
        QTEST(int(red), "red");
        QCOMPARE(capture.blueLightingTime(), blue);
        QCOMPARE(capture.greenLightingTime(), green);
        QCOMPARE(capture.redLightingTime(), red);
    }

    void exposureTimeReadsBack()
    {
        CaptureCondition blue(LightMode(2), 0, QString());
        blue.setExposureTime(2);
        QCOMPARE(blue.shutterExposure(), 5u);
        QCOMPARE(blue.lightingTicksA(), 20);
        QCOMPARE(blue.lightingTicksB(), 20);
        QCOMPARE(blue.exposureTime(), 2u);
        QCOMPARE(blue.itemText(QStringLiteral("Exposure time")), QStringLiteral("0.002 s"));

        // White-light captures always take the marker exposure time.
        CaptureCondition white(LightMode(11), 0, QString());
        white.setExposureTime(42000);
        QCOMPARE(white.shutterExposure(), 1000u);
        QCOMPARE(white.lightingTicksA(), 420000);
        QCOMPARE(white.exposureTime(), 1000u);
    }

    void settersAndFlags()
    {
        CaptureCondition capture(LightMode(1), 100, QString());
        capture.setFocusPosition(12);
        capture.setOffsetCoefficient(13);
        capture.setOffsetGradient(14);
        capture.setOfdVoltage(15);
        capture.setGainCoefficient(16);
        capture.setSpecialMode();
        QCOMPARE(capture.focusPosition(), quint16(12));
        QCOMPARE(capture.itemText(QStringLiteral("Auto offset")), QStringLiteral("13"));
        QCOMPARE(capture.itemText(QStringLiteral("Auto offset gradient")), QStringLiteral("14"));
        QCOMPARE(capture.itemText(QStringLiteral("OFD voltage")), QStringLiteral("15"));
        QCOMPARE(capture.itemText(QStringLiteral("Gain coefficient")), QStringLiteral("16"));
        QCOMPARE(capture.specialMode(), quint8(1));
        for (const auto &[a, b, flag1, flag2] : QList<std::tuple<qint8, qint8, bool, bool>>{
                 {0, 0, true, true}, {1, -1, false, true}, {-128, 127, true, false}}) {
            capture.setAuxFlags(a, b);
            QCOMPARE(capture.auxFlag1(), flag1);
            QCOMPARE(capture.auxFlag2(), flag2);
        }
    }

    void dateTimeText()
    {
        QVERIFY(CaptureCondition::dateTimeText(QDateTime()).isEmpty());
        const QDateTime when(QDate(2019, 12, 31), QTime(23, 5, 9));
        QCOMPARE(CaptureCondition::dateTimeText(when), QStringLiteral("2019:12:31 23:05:09"));
        QCOMPARE(CaptureCondition::dateTimeFromText(QStringLiteral("2019:12:31 23:05:09")), when);
        QVERIFY(!CaptureCondition::dateTimeFromText(QStringLiteral("2019-12-31 23:05:09")).isValid());
        CaptureCondition capture(LightMode(0), 100, QString());
        capture.setCaptureTime(when);
        QCOMPARE(capture.itemText(QStringLiteral("Date time")), QStringLiteral("2019:12:31 23:05:09"));
    }
};

KY_TEST_MAIN(TestCaptureCondition)
#include "tst_capturecondition.moc"
