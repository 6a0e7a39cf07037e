// Light modes by id, with the instrument's built-in name lists and settings (no "Method.ini", no
// "BI410.ini").

#include "testmain.h"

#include "instrument/instrumentnames.h"
#include "instrument/lightmode.h"

#include <QSet>

#include <functional>

namespace {

struct Predicate
{
    const char *name;
    std::function<bool(const LightMode &)> test;
    QSet<int> ids;
};

QSet<int> span(int inFirst, int inLast)
{
    QSet<int> ids;
    for (int id = inFirst; id <= inLast; ++id)
        ids.insert(id);
    return ids;
}

// Every predicate with the ids it holds for.
const QList<Predicate> &predicates()
{
    static const QList<Predicate> list = {
        {"isChemiluminescence", &LightMode::isChemiluminescence, {0, 1, 27, 28, 29, 30, 48, 49, 59, 60}},
        {"isFluorescence", &LightMode::isFluorescence, span(2, 6) + span(43, 47) + span(50, 54)},
        {"isWhiteLight", &LightMode::isWhiteLight, span(7, 26) + span(31, 42)},
        {"isSpecial", &LightMode::isSpecial, {55, 56, 57}},
        {"isDark", &LightMode::isDark, {55, 56, 57}},
        {"isFocus", &LightMode::isFocus, {58}},
        {"isId27Or28", &LightMode::isId27Or28, {27, 28}},
        {"inIdRange29To47", &LightMode::inIdRange29To47, span(29, 47)},
        {"inIdRange48To54", &LightMode::inIdRange48To54, span(48, 54)},
        {"isUV", &LightMode::isUV, {6, 47, 54}},
        {"isColourChannel", &LightMode::isColourChannel, {2, 3, 4, 50, 51, 52}},
        {"isUVChannel", &LightMode::isUVChannel, {6, 54}},
        {"isCustomChannel", &LightMode::isCustomChannel, {5, 53}},
        {"isEpiWhite", &LightMode::isEpiWhite, span(7, 14) + span(19, 26)},
        {"isTransWhite", &LightMode::isTransWhite, span(15, 18) + span(39, 42)},
    };
    return list;
}

} // namespace

class TestLightMode : public QObject
{
    Q_OBJECT

private slots:
    void everyId_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("method");
        QTest::addColumn<QString>("light");
        QTest::addColumn<int>("lightIndex");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<int>("filterIndex");
        QTest::addColumn<int>("category");
        QTest::addColumn<uint>("binning");
        QTest::addColumn<int>("aperture");
        QTest::addColumn<uint>("focus");
        QTest::addColumn<QString>("methodType");
        QTest::addColumn<QString>("shortName");
        QTest::addColumn<uint>("withDelay");    // of 2000 ms
        QTest::addColumn<uint>("withoutDelay"); // of 2000 ms

        const auto row = [](int id, const char *method, const char *light, int lightIndex, const char *filter,
                            int filterIndex, int category, uint binning, int aperture, uint focus,
                            const char *methodType, const char *shortName, uint withDelay, uint withoutDelay) {
            QTest::addRow("id %d", id) << id << QString::fromLatin1(method) << QString::fromLatin1(light)
                                       << lightIndex << QString::fromLatin1(filter) << filterIndex << category
                                       << binning << aperture << focus << QString::fromLatin1(methodType)
                                       << QString::fromLatin1(shortName) << withDelay << withoutDelay;
        };
        row(0, "Chemiluminescence", "None", 0, "Through", 1, 1, 2, 1, 4010, "Chemiluminescence", "Ch", 2000, 2000);
        row(1, "Chemiluminescence", "None", 0, "Through", 1, 2, 1, 1, 460, "Chemiluminescence", "Ch", 2000, 2000);
        row(2, "Blue", "460 nm", 1, "Cy2", 2, 2, 1, 2, 530, "Fluorescence", "Fl-Blue", 2003, 1997);
        row(3, "Green", "520 nm", 2, "Cy3", 3, 2, 1, 2, 460, "Fluorescence", "Fl-Green", 2003, 1997);
        row(4, "Red", "630 nm", 3, "Cy5", 4, 2, 1, 2, 530, "Fluorescence", "Fl-Red", 2003, 1997);
        row(5, "Custom", "None", 0, "", 0, 2, 1, 1, 0, "Fluorescence", "Fl-Custom", 2003, 1997);
        row(6, "UV", "312 nm", 4, "EtBr", 3, 2, 1, 2, 460, "Fluorescence", "Fl-UV", 2000, 2000);
        row(7, "Colorimetric", "Upper EPI White", 5, "Through", 1, 1, 1, 2, 4010, "Colorimetric", "Co", 1000, 2000);
        row(8, "Colorimetric", "Upper EPI White-Blue", 6, "Through", 1, 1, 1, 2, 4010, "Colorimetric", "Co", 1000, 2000);
        row(9, "Colorimetric", "Upper EPI White-Green", 7, "Through", 1, 1, 1, 2, 4010, "Colorimetric", "Co", 1000, 2000);
        row(10, "Colorimetric", "Upper EPI White-Red", 8, "Through", 1, 1, 1, 2, 4010, "Colorimetric", "Co", 1000, 2000);
        row(11, "Colorimetric", "Lower EPI White", 9, "Through", 1, 2, 1, 2, 460, "Colorimetric", "Co", 1000, 2000);
        row(12, "Colorimetric", "Lower EPI White-Blue", 10, "Through", 1, 2, 1, 2, 460, "Colorimetric", "Co", 1000, 2000);
        row(13, "Colorimetric", "Lower EPI White-Green", 11, "Through", 1, 2, 1, 2, 460, "Colorimetric", "Co", 1000, 2000);
        row(14, "Colorimetric", "Lower EPI White-Red", 12, "Through", 1, 2, 1, 2, 460, "Colorimetric", "Co", 1000, 2000);
        row(15, "Colorimetric", "Trans White", 13, "Through", 1, 2, 1, 2, 460, "Colorimetric", "Co", 1000, 2000);
        row(16, "Colorimetric", "Trans White-Blue", 14, "Through", 1, 2, 1, 2, 460, "Colorimetric", "Co", 1000, 2000);
        row(17, "Colorimetric", "Trans White-Green", 15, "Through", 1, 2, 1, 2, 460, "Colorimetric", "Co", 1000, 2000);
        row(18, "Colorimetric", "Trans White-Red", 16, "Through", 1, 2, 1, 2, 460, "Colorimetric", "Co", 1000, 2000);
        row(19, "Colorimetric", "Upper EPI White", 5, "Through", 1, 1, 1, 1, 4010, "Colorimetric", "Co", 1000, 2000);
        row(20, "Colorimetric", "Upper EPI White-Blue", 6, "Through", 1, 1, 1, 1, 4010, "Colorimetric", "Co", 1000, 2000);
        row(21, "Colorimetric", "Upper EPI White-Green", 7, "Through", 1, 1, 1, 1, 4010, "Colorimetric", "Co", 1000, 2000);
        row(22, "Colorimetric", "Upper EPI White-Red", 8, "Through", 1, 1, 1, 1, 4010, "Colorimetric", "Co", 1000, 2000);
        row(23, "Colorimetric", "Lower EPI White", 9, "Through", 1, 2, 1, 1, 460, "Colorimetric", "Co", 1000, 2000);
        row(24, "Colorimetric", "Lower EPI White-Blue", 10, "Through", 1, 2, 1, 1, 460, "Colorimetric", "Co", 1000, 2000);
        row(25, "Colorimetric", "Lower EPI White-Green", 11, "Through", 1, 2, 1, 1, 460, "Colorimetric", "Co", 1000, 2000);
        row(26, "Colorimetric", "Lower EPI White-Red", 12, "Through", 1, 2, 1, 1, 460, "Colorimetric", "Co", 1000, 2000);
        row(27, "Chemiluminescence", "None", 0, "Through", 1, 1, 2, 1, 4010, "Chemiluminescence", "Ch", 2000, 2000);
        row(28, "Chemiluminescence", "None", 0, "Through", 1, 2, 1, 1, 460, "Chemiluminescence", "Ch", 2000, 2000);
        row(29, "Chemiluminescence", "None", 0, "Through", 1, 1, 1, 1, 4010, "Chemiluminescence", "Ch", 2000, 2000);
        row(30, "Chemiluminescence", "None", 0, "Through", 1, 2, 1, 1, 460, "Chemiluminescence", "Ch", 2000, 2000);
        row(31, "Colorimetric", "Upper EPI White", 5, "Through", 1, 2, 1, 2, 460, "Colorimetric", "Co", 1000, 2000);
        row(32, "Colorimetric", "Upper EPI White-Blue", 6, "Through", 1, 2, 1, 2, 460, "Colorimetric", "Co", 1000, 2000);
        row(33, "Colorimetric", "Upper EPI White-Green", 7, "Through", 1, 2, 1, 2, 460, "Colorimetric", "Co", 1000, 2000);
        row(34, "Colorimetric", "Upper EPI White-Red", 8, "Through", 1, 2, 1, 2, 460, "Colorimetric", "Co", 1000, 2000);
        row(35, "Colorimetric", "Lower EPI White", 9, "Through", 1, 2, 1, 2, 460, "Colorimetric", "Co", 1000, 2000);
        row(36, "Colorimetric", "Lower EPI White-Blue", 10, "Through", 1, 2, 1, 2, 460, "Colorimetric", "Co", 1000, 2000);
        row(37, "Colorimetric", "Lower EPI White-Green", 11, "Through", 1, 2, 1, 2, 460, "Colorimetric", "Co", 1000, 2000);
        row(38, "Colorimetric", "Lower EPI White-Red", 12, "Through", 1, 2, 1, 2, 460, "Colorimetric", "Co", 1000, 2000);
        row(39, "Colorimetric", "Trans White", 13, "Through", 1, 2, 1, 2, 460, "Colorimetric", "Co", 1000, 2000);
        row(40, "Colorimetric", "Trans White-Blue", 14, "Through", 1, 2, 1, 2, 460, "Colorimetric", "Co", 1000, 2000);
        row(41, "Colorimetric", "Trans White-Green", 15, "Through", 1, 2, 1, 2, 460, "Colorimetric", "Co", 1000, 2000);
        row(42, "Colorimetric", "Trans White-Red", 16, "Through", 1, 2, 1, 2, 460, "Colorimetric", "Co", 1000, 2000);
        row(43, "Blue", "460 nm", 1, "Cy2", 2, 2, 1, 2, 530, "Fluorescence", "Fl-Blue", 2003, 1997);
        row(44, "Green", "520 nm", 2, "Cy3", 3, 2, 1, 2, 460, "Fluorescence", "Fl-Green", 2003, 1997);
        row(45, "Red", "630 nm", 3, "Cy5", 4, 2, 1, 2, 530, "Fluorescence", "Fl-Red", 2003, 1997);
        row(46, "Custom", "None", 0, "", 0, 2, 1, 1, 0, "Fluorescence", "Fl-Custom", 2003, 1997);
        row(47, "UV", "312 nm", 4, "EtBr", 3, 2, 1, 2, 460, "Fluorescence", "Fl-UV", 2003, 1997);
        row(48, "Chemiluminescence", "None", 0, "Through", 1, 1, 3, 1, 4010, "Chemiluminescence", "Ch", 2000, 2000);
        row(49, "Chemiluminescence", "None", 0, "Through", 1, 2, 3, 1, 460, "Chemiluminescence", "Ch", 2000, 2000);
        row(50, "Blue", "460 nm", 1, "Cy2", 2, 2, 3, 2, 530, "Fluorescence", "Fl-Blue", 2003, 1997);
        row(51, "Green", "520 nm", 2, "Cy3", 3, 2, 3, 2, 460, "Fluorescence", "Fl-Green", 2003, 1997);
        row(52, "Red", "630 nm", 3, "Cy5", 4, 2, 3, 2, 530, "Fluorescence", "Fl-Red", 2003, 1997);
        row(53, "Custom", "None", 0, "", 0, 2, 3, 1, 0, "Fluorescence", "Fl-Custom", 2003, 1997);
        row(54, "UV", "312 nm", 4, "EtBr", 3, 2, 3, 2, 460, "Fluorescence", "Fl-UV", 2003, 1997);
        row(55, "Dark", "None", 0, "Through", 255, 0, 1, 255, 0, "Dark", "Da", 2000, 2000);
        row(56, "Dark", "None", 0, "Through", 255, 0, 2, 255, 0, "Dark", "Da", 2000, 2000);
        row(57, "Dark", "None", 0, "Through", 255, 0, 3, 255, 0, "Dark", "Da", 2000, 2000);
        row(58, "Focus", "Lower EPI White-Green manual", 18, "Through", 1, 2, 10, 1, 460, "Focus", "Fo", 2000, 2000);
        row(59, "Chemiluminescence", "None", 0, "Through", 1, 1, 1, 1, 4010, "Chemiluminescence", "Ch", 2000, 2000);
        row(60, "Chemiluminescence", "None", 0, "Through", 1, 2, 2, 1, 460, "Chemiluminescence", "Ch", 2000, 2000);
        row(61, "", "None", 0, "Through", 255, 0, 1, 255, 0, "???", "", 0, 0);
    }

    void everyId()
    {
        QFETCH(int, id);
        const LightMode mode(id);
        QCOMPARE(mode.id(), id);
        QTEST(mode.methodName(), "method");
        QTEST(mode.light().name(), "light");
        QTEST(mode.light().index(), "lightIndex");
        QTEST(mode.filter().name(), "filter");
        QTEST(mode.filterIndex(), "filterIndex");
        QTEST(mode.captureCategory(), "category");
        QTEST(mode.binningCode(), "binning");
        QTEST(mode.apertureCode(), "aperture");
        QTEST(mode.focusPosition(), "focus");
        QTEST(mode.methodTypeName(), "methodType");
        QTEST(mode.shortName(), "shortName");
        QTEST(mode.exposureWithShutterDelay(2000), "withDelay");
        QTEST(mode.exposureWithoutShutterDelay(2000), "withoutDelay");
        QCOMPARE(mode.fixedCode(), 1);
        QCOMPARE(mode.extra(), 255u);
        for (const Predicate &predicate : predicates())
            QVERIFY2(predicate.test(mode) == predicate.ids.contains(id), predicate.name);
        QVERIFY(mode.hasId(id));
        QVERIFY(!mode.hasId(id + 1));
    }

    void customModesTakeTheGivenNames()
    {
        // A custom light in no list is "None"; the custom filter is kept as given, in no slot.
        const LightMode unknown(5, QStringLiteral("405 nm"), QStringLiteral("Em 450"), 255);
        QCOMPARE(unknown.methodName(), QStringLiteral("Custom"));
        QCOMPARE(unknown.light().index(), 0);
        QCOMPARE(unknown.filter().name(), QStringLiteral("Em 450"));
        QCOMPARE(unknown.filterIndex(), 0);
        QCOMPARE(unknown.focusPosition(), 0u);

        // Known names pick up their light and filter slot.
        const LightMode known(53, QStringLiteral("520 nm"), QStringLiteral("Cy5"), 255);
        QCOMPARE(known.light().index(), 2);
        QCOMPARE(known.filterIndex(), 4);
        QCOMPARE(known.focusPosition(), 530u);
        QCOMPARE(known.apertureCode(), 2);

        // Only the custom modes take the custom names.
        const LightMode blue(2, QStringLiteral("630 nm"), QStringLiteral("Cy5"), 255);
        QCOMPARE(blue.light().name(), QStringLiteral("460 nm"));
        QCOMPARE(blue.filter().name(), QStringLiteral("Cy2"));
    }

    void extraValueOverridesBinning()
    {
        QCOMPARE(LightMode(0, QString(), QString(), 7).binningCode(), 7u);
        QCOMPARE(LightMode(58, QString(), QString(), 0).binningCode(), 0u);
        QCOMPARE(LightMode(61, QString(), QString(), 11).binningCode(), 11u);
        QCOMPARE(LightMode(61, QString(), QString(), 11).extra(), 11u);
    }

    void memberWiseConstruction()
    {
        const LightMode mode(QStringLiteral("-Mine"), QStringLiteral("Trans White-Red"),
                             QStringLiteral("EtBr"), 61);
        QCOMPARE(mode.id(), 61);
        QCOMPARE(mode.methodName(), QStringLiteral("-Mine"));
        QCOMPARE(mode.light().index(), 16);
        QCOMPARE(mode.filter().name(), QStringLiteral("EtBr"));
        QCOMPARE(mode.extra(), 255u);
        // The invalid id still rules the id-based answers.
        QCOMPARE(mode.captureCategory(), 0);
        QCOMPARE(mode.filterIndex(), 255);
        QCOMPARE(mode.methodTypeName(), QStringLiteral("???"));
        QCOMPARE(mode.shortName(), QStringLiteral("-M"));

        const LightMode copy = mode;
        QCOMPARE(copy.methodName(), mode.methodName());
        QCOMPARE(copy.light().index(), 16);
        LightMode assigned(3);
        assigned = mode;
        QCOMPARE(assigned.id(), 61);
        QCOMPARE(assigned.filter().name(), QStringLiteral("EtBr"));
    }

    void idsOutsideTheTable()
    {
        for (int id : {-1, 62, 1000}) {
            const LightMode mode(id);
            QVERIFY(mode.methodName().isEmpty());
            QCOMPARE(mode.light().index(), 0);
            QCOMPARE(mode.filter().name(), QStringLiteral("Through"));
            QCOMPARE(mode.methodTypeName(), QStringLiteral("???"));
            for (const Predicate &predicate : predicates())
                QVERIFY2(!predicate.test(mode), predicate.name);
        }
    }

    void shutterDelayNeverWrapsBelowZero_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<uint>("ms");
        QTest::addColumn<uint>("without");
        QTest::addColumn<uint>("with");
        QTest::newRow("under the delay") << 2 << 2u << 0u << 5u;
        QTest::newRow("at the delay") << 43 << 3u << 0u << 6u;
        QTest::newRow("zero") << 54 << 0u << 0u << 3u;
        QTest::newRow("UV channel keeps the time") << 6 << 2u << 2u << 2u;
        QTest::newRow("largest time saturates") << 2 << 0xFFFFFFFFu << 0xFFFFFFFCu << 0xFFFFFFFFu;
        QTest::newRow("invalid mode") << 61 << 500u << 0u << 0u;
    }

    void shutterDelayNeverWrapsBelowZero()
    {
        QFETCH(int, id);
        QFETCH(uint, ms);
        const LightMode mode(id);
        QTEST(mode.exposureWithoutShutterDelay(ms), "without");
        QTEST(mode.exposureWithShutterDelay(ms), "with");
    }

    void offsetGradientFromSettings()
    {
        QCOMPARE(LightMode(0).offsetGradient(), qint16(939));
    }
};

KY_TEST_MAIN(TestLightMode)
#include "tst_lightmode.moc"
