// Exposure-time text both ways.

#include "testmain.h"

#include "instrument/exposuretext.h"

#include <limits>

class TestExposureText : public QObject
{
    Q_OBJECT

private slots:
    void text_data()
    {
        QTest::addColumn<quint32>("ms");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0u << "Automatic";
        QTest::newRow("1 ms") << 1u << "0.001 s";
        QTest::newRow("10 ms") << 10u << "0.01 s";
        QTest::newRow("100 ms") << 100u << "0.1 s";
        QTest::newRow("250 ms") << 250u << "0.25 s";
        QTest::newRow("1000 ms") << 1000u << "1.0 s";
        QTest::newRow("1005 ms") << 1005u << "1.005 s";
        QTest::newRow("1500 ms") << 1500u << "1.5 s";
        QTest::newRow("59999 ms") << 59999u << "59.999 s";
        QTest::newRow("one minute") << 60000u << "1 min";
        QTest::newRow("60001 ms") << 60001u << "1 min 0.001 s";
        QTest::newRow("90000 ms") << 90000u << "1 min 30.0 s";
        QTest::newRow("150250 ms") << 150250u << "2 min 30.25 s";
        QTest::newRow("an hour") << 3600000u << "60 min";
        QTest::newRow("largest") << 0xFFFFFFFFu << "71582 min 47.295 s";
    }

    void text()
    {
        QFETCH(quint32, ms);
        QTEST(exposureTimeText(ms), "text");
    }

    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint32>("ms");
        QTest::newRow("automatic") << "Automatic" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("seconds") << "1.5 s" << 1500;
        QTest::newRow("whole seconds") << "1.0 s" << 1000;
        QTest::newRow("minutes") << "5 min" << 300000;
        QTest::newRow("minutes and seconds") << "2 min 30.25 s" << 150250;
        QTest::newRow("fraction is cut, not rounded") << "1.23456 s" << 1234;
        QTest::newRow("below a millisecond") << "0.0005 s" << 0;
        QTest::newRow("bare number is seconds") << "7" << 7000;
        QTest::newRow("bare decimal is seconds") << "7.25" << 7250;
        QTest::newRow("seconds without unit after minutes") << "1 min 2.5" << 62500;
        QTest::newRow("white space around") << "  2 min   5.5 s  " << 125500;
        QTest::newRow("last point gives the fraction") << "1.5.7 s" << 1700;
        QTest::newRow("not a number") << "long" << 0;
        QTest::newRow("other case") << "automatic" << 0;
        QTest::newRow("minutes beyond the range") << "2147483647 min" << std::numeric_limits<qint32>::max();
        QTest::newRow("negative minutes beyond the range")
            << "-2147483648 min" << std::numeric_limits<qint32>::min();
        QTest::newRow("seconds too long for a number") << "99999999999 s" << 0;
        QTest::newRow("largest whole seconds") << "2147483 s" << 2147483000;
        QTest::newRow("just past the range") << "35791 min 23.648 s" << std::numeric_limits<qint32>::max();
    }

    void parse()
    {
        QFETCH(QString, text);
        QTEST(parseExposureTimeText(text), "ms");
    }

    // Every exposure time up to an hour and a minute, and a sweep beyond, reads back as written.
    void roundTrip()
    {
        quint32 failures = 0;
        quint32 first = 0;
        const auto check = [&](quint32 ms) {
            if (quint32(parseExposureTimeText(exposureTimeText(ms))) != ms) {
                if (failures++ == 0)
                    first = ms;
            }
        };
        for (quint32 ms = 0; ms <= 3659900; ++ms)
            check(ms);
        for (quint64 ms = 3659901; ms <= quint64(std::numeric_limits<qint32>::max()); ms += 999983)
            check(quint32(ms));
        check(quint32(std::numeric_limits<qint32>::max()));
        QVERIFY2(failures == 0, qPrintable(QStringLiteral("%1 failures, first at %2 ms (\"%3\")")
                                               .arg(failures)
                                               .arg(first)
                                               .arg(exposureTimeText(first))));
    }
};

KY_TEST_MAIN(TestExposureText)
#include "tst_exposuretext.moc"
