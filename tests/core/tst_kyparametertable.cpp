// The parameter table's text on the table as the program leaves it, one line with values, and the
// counter name lists.

#include "testmain.h"

#include "core/kyparametertable.h"

class TestKyParameterTable : public QObject
{
    Q_OBJECT

private slots:
    void untouchedTable()
    {
        const QString text = KyParameterTable::instance()->text(QStringLiteral("\n"));
        QString expected;
        for (int i = 0; i < 39; ++i)
            expected += QStringLiteral("\t=\t\n");
        expected += QLatin1Char('\n');
        QCOMPARE(text, expected);
        QCOMPARE(text.split(QLatin1Char('\n')).size(), 41); // 39 lines, the empty one, the tail
        QCOMPARE(KyParameterTable::instance()->text(QStringLiteral("|")), QString(QStringLiteral("\t=\t|").repeated(39) + QStringLiteral("|")));
    }

    void setterLeavesTheText()
    {
        KyParameterTable *table = KyParameterTable::instance();
        const QString before = table->text(QStringLiteral("\r\n"));
        table->setValue(32, 1);
        table->setValue(0, 12345);
        table->setValue(-1, -1);
        table->setValue(1000, 7);
        QCOMPARE(table->text(QStringLiteral("\r\n")), before);
    }

    void lineWithValues_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("expected");
        QTest::newRow("padded and doubled spaces") << QStringLiteral("AnalyzeCount") << QStringList{QStringLiteral(" 3 "), QStringLiteral("x  y")}
                                                  << QStringLiteral("\n") << QStringLiteral("AnalyzeCount\t=\t3 x y \n");
        QTest::newRow("tabs and line ends in a value") << QStringLiteral("RunningTime\t\t\t") << QStringList{QStringLiteral("\t12\n 34\r\n")}
                                                     << QStringLiteral(";") << QStringLiteral("RunningTime\t\t\t\t=\t12 34 ;");
        QTest::newRow("empty value keeps its space") << QStringLiteral("n") << QStringList{QString(), QStringLiteral("   ")}
                                                   << QString() << QStringLiteral("n\t=\t  ");
        QTest::newRow("no values") << QString() << QStringList() << QStringLiteral("\n") << QStringLiteral("\t=\t\n");
    }

    void lineWithValues()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, values);
        QFETCH(QString, separator);
        QFETCH(QString, expected);
        QCOMPARE(KyParameterTable::entryText({name, values}, separator), expected);
    }

    void counterNames()
    {
        const QStringList &usage = KyParameterTable::usageCounterNames();
        QCOMPARE(usage.size(), 39);
        QCOMPARE(usage.at(0), QStringLiteral("RunningTime\t\t\t"));
        QCOMPARE(usage.at(5), QStringLiteral("ExposureCount_Chemi_Marker_Upper"));
        QCOMPARE(usage.at(32), QStringLiteral("ImagePrintCount\t\t\t\t"));
        QCOMPARE(usage.at(38), QStringLiteral("ExposureCount_Fuor_Advanced\t"));
        const QStringList &maintenance = KyParameterTable::maintenanceCounterNames();
        QCOMPARE(maintenance.size(), 18);
        QCOMPARE(maintenance.at(12), QStringLiteral("Lower-White exposure time"));
        QCOMPARE(maintenance.at(17), QStringLiteral("Error count\t\t"));
        const QList<int> &selection = KyParameterTable::maintenanceCounterSelection();
        QCOMPARE(selection, (QList<int>{0, 15, 16, 17}));
        for (int index : selection)
            QVERIFY(index >= 0 && index < maintenance.size());
    }
};

KY_TEST_MAIN(TestKyParameterTable)
#include "tst_kyparametertable.moc"
