// Light sources, filter names and the instrument's built-in name lists (no "Method.ini" here).

#include "testmain.h"

#include "instrument/filtername.h"
#include "instrument/instrumentnames.h"
#include "instrument/lightsource.h"

#include <limits>

class TestLightSource : public QObject
{
    Q_OBJECT

private slots:
    void lights_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("name");
        QTest::addColumn<uint>("lampCode");
        const auto row = [](int index, const char *name, uint code) {
            QTest::addRow("%d %s", index, name) << index << QString::fromLatin1(name) << code;
        };
        row(0, "None", 0);
        row(1, "460 nm", 4);
        row(2, "520 nm", 2);
        row(3, "630 nm", 1);
        row(4, "312 nm", 0x200);
        row(5, "Upper EPI White", 0x20);
        row(6, "Upper EPI White-Blue", 0x20);
        row(7, "Upper EPI White-Green", 0x20);
        row(8, "Upper EPI White-Red", 0x20);
        row(9, "Lower EPI White", 0x40);
        row(10, "Lower EPI White-Blue", 0x40);
        row(11, "Lower EPI White-Green", 0x40);
        row(12, "Lower EPI White-Red", 0x40);
        row(13, "Trans White", 0x100);
        row(14, "Trans White-Blue", 0x100);
        row(15, "Trans White-Green", 0x100);
        row(16, "Trans White-Red", 0x100);
        row(17, "Lower EPI White-Blue manual", 0x8010);
        row(18, "Lower EPI White-Green manual", 0x8008);
        row(19, "Lower EPI White-Red manual", 0x8004);
    }

    // Name, index and lamp code agree both ways for every light.
    void lights()
    {
        QFETCH(int, index);
        QFETCH(QString, name);
        QCOMPARE(LightSource(index).name(), name);
        QTEST(LightSource(index).lampCode(), "lampCode");
        QCOMPARE(LightSource::indexOfName(name), index);
        QCOMPARE(LightSource(name).index(), index);
    }

    void indexOfOtherNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("index");
        QTest::newRow("lower combined")
            << "Lower EPI White-Blue,Lower EPI White-Green,Lower EPI White-Red" << 9;
        QTest::newRow("upper combined")
            << "Upper EPI White-Blue,Upper EPI White-Green,Upper EPI White-Red" << 5;
        QTest::newRow("trans combined") << "Trans White-Blue,Trans White-Green,Trans White-Red" << 13;
        QTest::newRow("combined with spaces")
            << "Trans White-Blue, Trans White-Green, Trans White-Red" << 0;
        QTest::newRow("case differs") << "trans white" << 0;
        QTest::newRow("unknown") << "405 nm" << 0;
        QTest::newRow("empty") << "" << 0;
    }

    void indexOfOtherNames()
    {
        QFETCH(QString, name);
        QTEST(LightSource::indexOfName(name), "index");
    }

    void indicesOutsideTheLists()
    {
        for (int index : {-1, 20, 1000}) {
            QVERIFY(LightSource(index).name().isEmpty());
            QCOMPARE(LightSource(index).lampCode(), 0u);
        }
    }

    void indexFromLampCode_data()
    {
        QTest::addColumn<uint>("code");
        QTest::addColumn<int>("index");
        const QList<QPair<uint, int>> table = {
            {4, 1},       {0x8400, 1},  {2, 2},       {0x8200, 2},  {1, 3},      {0x8100, 3},
            {0x200, 4},   {0x8800, 4},  {0x20, 5},    {0x8002, 6},  {0x8001, 7}, {0x8000, 8},
            {0x40, 9},    {0x8010, 10}, {0x8008, 11}, {0x8004, 12}, {0x100, 13}, {0x8080, 14},
            {0x8040, 15}, {0x8020, 16}, {0, 0},       {0x8, 0},     {0xFFFF, 0}, {0x8200 | 4, 0},
        };
        for (const auto &[code, index] : table)
            QTest::addRow("0x%x", code) << code << index;
    }

    void indexFromLampCode()
    {
        QFETCH(uint, code);
        QTEST(LightSource::indexFromLampCode(code), "index");
    }

    void lightingTime_data()
    {
        // The built-in settings: white RGB 50, upper and lower EPI markers 400, trans markers 600.
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("blue");
        QTest::addColumn<int>("green");
        QTest::addColumn<int>("red");
        const QList<QList<int>> table = {
            {0, 0, 0, 0},       {3, 0, 0, 0},     {4, 0, 0, 0},     {5, 50, 50, 50},  {6, 400, 0, 0},
            {7, 0, 400, 0},     {8, 0, 0, 400},   {9, 50, 50, 50},  {10, 400, 0, 0},  {11, 0, 400, 0},
            {12, 0, 0, 400},    {13, 50, 50, 50}, {14, 600, 0, 0},  {15, 0, 600, 0},  {16, 0, 0, 600},
            {17, 0, 0, 0},      {19, 0, 0, 0},
        };
        for (const QList<int> &r : table)
            QTest::addRow("%d", r[0]) << r[0] << r[1] << r[2] << r[3];
    }

    void lightingTime()
    {
        QFETCH(int, index);
        quint16 blue = 1, green = 1, red = 1;
        LightSource(index).lightingTime(blue, green, red);
        QTEST(int(blue), "blue");
        QTEST(int(green), "green");
        QTEST(int(red), "red");
    }

    void lightingTicks()
    {
        int a = 0, b = 0;
        LightSource::lightingTimes(1500, a, b);
        QCOMPARE(a, 15000);
        QCOMPARE(b, 15000);
        LightSource::lightingTimes(0xFFFFFFFFu, a, b);
        QCOMPARE(a, std::numeric_limits<int>::max());
        QCOMPARE(b, std::numeric_limits<int>::max());
    }

    void filterSlots_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("slot");
        QTest::newRow("Through") << "Through" << 1;
        QTest::newRow("Cy2") << "Cy2" << 2;
        QTest::newRow("Cy3") << "Cy3" << 3;
        QTest::newRow("EtBr") << "EtBr" << 3;
        QTest::newRow("Cy5") << "Cy5" << 4;
        QTest::newRow("case differs") << "cy5" << 0;
        QTest::newRow("unknown") << "Em 450" << 0;
        QTest::newRow("empty") << "" << 0;
    }

    void filterSlots()
    {
        QFETCH(QString, name);
        QTEST(FilterName(name).index(), "slot");
        QCOMPARE(FilterName(name).name(), name);
    }

    void builtInNameLists()
    {
        QCOMPARE(FilterName().name(), QStringLiteral("Through"));
        QCOMPARE(InstrumentNames::lightNames(),
                 QStringList({"None", "460 nm", "520 nm", "630 nm", "312 nm"}));
        QCOMPARE(InstrumentNames::methodTypeNames(),
                 QStringList({"Chemiluminescence", "Fluorescence", "Colorimetric"}));
        QCOMPARE(InstrumentNames::chemiluminescenceMethods(),
                 QStringList({"Chemiluminescence", "None", "Through"}));
        QCOMPARE(InstrumentNames::colorimetricMethods(), QStringList({"Colorimetric", "White", "Through"}));
        QCOMPARE(InstrumentNames::fluorescenceMethods(0), QStringList({"Blue", "460 nm", "Cy2"}));
        QCOMPARE(InstrumentNames::fluorescenceMethods(1), QStringList({"Green", "520 nm", "Cy3"}));
        QCOMPARE(InstrumentNames::fluorescenceMethods(2), QStringList({"Red", "630 nm", "Cy5"}));
        QCOMPARE(InstrumentNames::fluorescenceMethods(3), QStringList({"Custom", "", ""}));
        QCOMPARE(InstrumentNames::fluorescenceMethods(4), QStringList({"UV", "312 nm", "EtBr"}));
        QVERIFY(InstrumentNames::fluorescenceMethods(5).isEmpty());
        QVERIFY(InstrumentNames::fluorescenceMethods(-1).isEmpty());
        // Joined in slot order, the second "Through" dropped.
        QCOMPARE(InstrumentNames::filterNames(), QStringList({"Through", "Cy2", "Cy3", "EtBr", "Cy5"}));
        QVERIFY(InstrumentNames::instance()->stringListValue(QStringLiteral("NoSuchKey")).isEmpty());
    }
};

KY_TEST_MAIN(TestLightSource)
#include "tst_lightsource.moc"
