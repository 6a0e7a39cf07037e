#include "testmain.h"

#include "analysis/kyautobandparametertable.h"
#include "core/systemsettings.h"

#include <QAtomicInt>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

#include <functional>

namespace {

QString parameterFilePath()
{
    return SystemSettings::instance()->stringValue(QStringLiteral("AutoBandParameterFilePath"));
}

bool writeParameterFile(const QByteArray &content)
{
    const QString path = parameterFilePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(content) == content.size();
}

QStringList defaultNames(const KyAutoBandParameterTable *table)
{
    QStringList names;
    for (int i = 0; i < table->count(); ++i)
        names.append(table->nameAt(i));
    return names;
}

// The marker list's names, as far as the default list's length reaches into it.
QStringList markerNames(const KyAutoBandParameterTable *table, int count)
{
    QStringList names;
    for (int i = 0; i < count; ++i)
        names.append(table->parameter(1, i).name);
    return names;
}

QList<double> numbersOf(const KyAutoBandParameter &p)
{
    return {p.f1, p.f2, p.f3, p.f4, p.f5, p.f6, p.f7, p.f8, p.f9, p.f10};
}

const QList<double> kDefaults{0, 150, 1, 8, 250, 0.003, 8, 4, 10, 5};

const char kUnequal[] = "AutoBand.txt is invalid. The number of parameters must be same in default and in [Marker].";

QStringList gMessages;

void collectMessage(QtMsgType, const QMessageLogContext &, const QString &msg)
{
    gMessages.append(msg);
}

} // namespace

class TestKyAutoBandParameterTable : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QFile::remove(parameterFilePath());
    }

    void cleanupTestCase()
    {
        QFile::remove(parameterFilePath());
    }

    // Runs first: nothing has ever been loaded.
    void withoutAFile()
    {
        KyAutoBandParameterTable *table = KyAutoBandParameterTable::instance();
        QCOMPARE(table->count(), 0);
        QCOMPARE(table->nameAt(0), QString());
        QCOMPARE(table->indexOf(QString()), -1);
        QCOMPARE(table->parameter(0, 0), KyBandDetectParameter());
        QCOMPARE(table->parameter(1, 0), KyBandDetectParameter());
    }

    void setFromFields_data()
    {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QList<double>>("numbers");

        QTest::newRow("no fields") << QStringList{} << QString() << kDefaults;
        QTest::newRow("empty line") << QStringList{QString()} << QString() << kDefaults;
        QTest::newRow("name and the ten defaults")
            << QStringLiteral("Std,0,150,1,8,250,0.003,8,4,10,5").split(QLatin1Char(',')) << QStringLiteral("Std")
            << kDefaults;
        QTest::newRow("name and one number") << QStringList{QStringLiteral("One"), QStringLiteral("12.5")}
                                             << QStringLiteral("One")
                                             << QList<double>{12.5, 150, 1, 8, 250, 0.003, 8, 4, 10, 5};
        QTest::newRow("empty fields are 0") << QStringLiteral("E,,,3,,,,,,,").split(QLatin1Char(','))
                                            << QStringLiteral("E") << QList<double>{0, 0, 3, 0, 0, 0, 0, 0, 0, 0};
        QTest::newRow("text that is no number") << QStringList{QStringLiteral("T"), QStringLiteral("abc"), QStringLiteral("1,5")}
                                                << QStringLiteral("T")
                                                << QList<double>{0, 0, 1, 8, 250, 0.003, 8, 4, 10, 5};
        QTest::newRow("fields past the eleventh") << QStringLiteral("X,1,2,3,4,5,6,7,8,9,10,11,12").split(QLatin1Char(','))
                                                  << QStringLiteral("X") << QList<double>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
        QTest::newRow("blanks stay in the name") << QStringList{QStringLiteral(" Low "), QStringLiteral("2")}
                                                 << QStringLiteral(" Low ")
                                                 << QList<double>{2, 150, 1, 8, 250, 0.003, 8, 4, 10, 5};
    }

    void setFromFields()
    {
        QFETCH(QStringList, fields);
        QFETCH(QString, name);
        QFETCH(QList<double>, numbers);

        const KyAutoBandParameter set(fields);
        QCOMPARE(set.name, name);
        QCOMPARE(numbersOf(set), numbers);
    }

    void conversion()
    {
        const KyBandDetectParameter defaults = KyAutoBandParameter(QStringList{QStringLiteral("D")}).toDetectParameter();
        QCOMPARE(defaults.p2, 8.0);
        QCOMPARE(defaults.p3, 1.0);
        QCOMPARE(defaults.p6, 0);

        KyBandDetectParameter expected;
        expected.p0 = 1;
        expected.p1 = 2;
        expected.p2 = 4; // the file's maximum width
        expected.p3 = 3; // the file's minimum width
        expected.p4 = 5;
        expected.p5 = 6;
        expected.p6 = 0;
        expected.p7 = 7;
        expected.p8 = 8;
        expected.p9 = 9;
        expected.p10 = 10;
        expected.name = QStringLiteral("N");
        QCOMPARE(KyAutoBandParameter(QStringLiteral("N,1,2,3,4,5,6,7,8,9,10").split(QLatin1Char(','))).toDetectParameter(),
                 expected);
        const KyBandDetectParameter copy = expected;
        QCOMPARE(copy, expected);
        QCOMPARE(KyBandDetectParameter(), KyBandDetectParameter{});
        QCOMPARE(KyBandDetectParameter().p10, 0.0);
    }

    void fileLayout_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("defaults");
        QTest::addColumn<QStringList>("markers");
        QTest::addColumn<bool>("unequal");

        QTest::newRow("two lists") << QByteArray("A,1\nB,2\n[Marker]\nMA,1\nMB,2\n")
                                   << QStringList{"A", "B"} << QStringList{"MA", "MB"} << false;
        QTest::newRow("no trailing newline") << QByteArray("A,1\nB,2\n[Marker]\nMA,1\nMB,2")
                                             << QStringList{"A", "B"} << QStringList{"MA", "MB"} << false;
        QTest::newRow("windows line ends") << QByteArray("A,1\r\nB,2\r\n[Marker]\r\nMA,1\r\nMB,2\r\n")
                                           << QStringList{"A", "B"} << QStringList{"MA", "MB"} << false;
        QTest::newRow("windows line ends, marker last") << QByteArray("A,1\r\n[MARKER]\r\n")
                                                        << QStringList{"A"} << QStringList{"A"} << true;
        QTest::newRow("marker in any case") << QByteArray("A\n[mARKer]\nMA\n") << QStringList{"A"} << QStringList{"MA"}
                                            << false;
        // With a leading blank the line is no marker: the marker list stays empty and the default
        // list answers for it.
        QTest::newRow("marker with a leading blank is a set")
            << QByteArray("A\n [Marker]\nMA\n") << QStringList{"A", " [Marker]", "MA"}
            << QStringList{"A", " [Marker]", "MA"} << true;
        QTest::newRow("empty line is a set") << QByteArray("A\n\nB\n[Marker]\n\n\nMB\n")
                                             << QStringList{"A", "", "B"} << QStringList{"", "", "MB"} << false;
        QTest::newRow("only a marker list") << QByteArray("[Marker]\nMA\n") << QStringList{} << QStringList{} << true;
        QTest::newRow("empty file") << QByteArray() << QStringList{} << QStringList{} << false;
    }

    void fileLayout()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, defaults);
        QFETCH(QStringList, markers);
        QFETCH(bool, unequal);

        QVERIFY(writeParameterFile(content));
        if (unequal)
            QTest::ignoreMessage(QtDebugMsg, kUnequal);
        KyAutoBandParameterTable *table = KyAutoBandParameterTable::instance();
        QCOMPARE(defaultNames(table), defaults);
        QCOMPARE(markerNames(table, defaults.size()), markers);
    }

    void numbersCarryNoLineEnd()
    {
        // A "\r" left on the last field would make it no number (0) instead of 5.
        QVERIFY(writeParameterFile("A,0,150,1,8,250,0.003,8,4,10,5\r\n[Marker]\r\nM,0,150,1,8,250,0.003,8,4,10,7\r\n"));
        KyAutoBandParameterTable *table = KyAutoBandParameterTable::instance();
        QCOMPARE(table->parameter(0, 0).p10, 5.0);
        QCOMPARE(table->parameter(1, 0).p10, 7.0);
        QCOMPARE(table->parameter(1, 0).name, QStringLiteral("M"));
    }

    void lookups()
    {
        QVERIFY(writeParameterFile("Low,1\nMid,2\nHigh,3\nMid,4\n[Marker]\nmLow,11\nmMid,12\n"));
        QTest::ignoreMessage(QtDebugMsg, kUnequal);
        KyAutoBandParameterTable *table = KyAutoBandParameterTable::instance();
        // Unequal lengths only produce the debug line: both lists stay as read.
        QCOMPARE(table->count(), 4);
        QCOMPARE(table->nameAt(-1), QString());
        QCOMPARE(table->nameAt(4), QString());
        QCOMPARE(table->nameAt(2), QStringLiteral("High"));
        QCOMPARE(table->indexOf(QStringLiteral("Mid")), 1);
        QCOMPARE(table->indexOf(QStringLiteral("mid")), -1);
        QCOMPARE(table->indexOf(QStringLiteral("None")), -1);

        QCOMPARE(table->parameter(0, 1).p0, 2.0);
        QCOMPARE(table->parameter(1, 1).p0, 12.0);
        QCOMPARE(table->parameter(1, 1).name, QStringLiteral("mMid"));
        QCOMPARE(table->parameter(2, 1).p0, 2.0); // only flag 1 picks the marker list
        QCOMPARE(table->parameter(1, 2), KyBandDetectParameter()); // past the marker list's end
        QCOMPARE(table->parameter(0, 4), KyBandDetectParameter());
        QCOMPARE(table->parameter(0, -1), KyBandDetectParameter());
    }

    void emptyMarkerListFallsBack()
    {
        QVERIFY(writeParameterFile("Low,1\nMid,2\n[Marker]\n"));
        QTest::ignoreMessage(QtDebugMsg, kUnequal);
        KyAutoBandParameterTable *table = KyAutoBandParameterTable::instance();
        QCOMPARE(table->parameter(1, 1).name, QStringLiteral("Mid"));
        QCOMPARE(table->parameter(1, 1).p0, 2.0);
        QCOMPARE(table->parameter(1, 2), KyBandDetectParameter());
    }

    void unreadableFileKeepsTheLists()
    {
        QVERIFY(writeParameterFile("Low,1\nMid,2\n[Marker]\nmLow,11\nmMid,12\n"));
        KyAutoBandParameterTable *table = KyAutoBandParameterTable::instance();
        QCOMPARE(table->count(), 2);
        QVERIFY(QFile::remove(parameterFilePath()));
        table = KyAutoBandParameterTable::instance();
        QCOMPARE(defaultNames(table), (QStringList{"Low", "Mid"}));
        QCOMPARE(table->parameter(1, 1).p0, 12.0);
    }

    // The file the program ships loads cleanly: equal lists, numbers where numbers belong, and the
    // sensitivity the analysis settings start with is one of its sets.
    void shippedFile()
    {
        const QString shipped = kytest::sourceDir() + QStringLiteral("/data/Settings/AutoBand.txt");
        QFile source(shipped);
        QVERIFY(source.open(QIODevice::ReadOnly));
        const QByteArray content = source.readAll();
        QFile built(kytest::binaryDir() + QStringLiteral("/bin/Data/Settings/AutoBand.txt"));
        QVERIFY2(built.open(QIODevice::ReadOnly), "the build copies the file beside the program");
        QCOMPARE(built.readAll(), content);

        QVERIFY(writeParameterFile(content));
        gMessages.clear();
        QtMessageHandler previous = qInstallMessageHandler(collectMessage);
        KyAutoBandParameterTable *table = KyAutoBandParameterTable::instance();
        qInstallMessageHandler(previous);
        QCOMPARE(gMessages, QStringList());

        QVERIFY(table->count() >= 2);
        QCOMPARE(defaultNames(table), markerNames(table, table->count()));
        for (int i = 0; i < table->count(); ++i) {
            for (int flag : {0, 1}) {
                const KyBandDetectParameter p = table->parameter(flag, i);
                QVERIFY(!p.name.isEmpty());
                QVERIFY(p.p3 > 0 && p.p3 < p.p2);
                QVERIFY(p.p4 > 0 && p.p5 > 0);
                QVERIFY(p.p7 > 1 && p.p8 > 1);
                QVERIFY(p.p9 > 0 && p.p9 < 100);
                QVERIFY(p.p10 > 0 && p.p10 < 100);
                QVERIFY(p.p0 >= 0 && p.p0 <= 100);
            }
        }
    }

    // The sensitivity picker reads the table while the detection job reloads it: no reader may ever
    // see a half-read table.
    void concurrentReloadAndRead()
    {
        QByteArray content;
        QStringList names;
        for (int i = 0; i < 40; ++i)
            names.append(QStringLiteral("Set%1").arg(i));
        for (const QString &name : names)
            content += name.toLatin1() + ",1,150,1,8,250,0.003,8,4,10,5\n";
        content += "[Marker]\n";
        for (const QString &name : names)
            content += "M" + name.toLatin1() + ",2,150,1,8,250,0.003,8,4,10,5\n";
        QVERIFY(writeParameterFile(content));
        KyAutoBandParameterTable::instance();

        QAtomicInt stop(0);
        QAtomicInt faults(0);
        QAtomicInt reads(0);
        const auto reader = [&]() {
            KyAutoBandParameterTable *table = KyAutoBandParameterTable::instance();
            int i = 0;
            while (!stop.loadRelaxed()) {
                const int k = i++ % int(names.size());
                if (table->count() != names.size() || table->nameAt(k) != names.at(k)
                    || table->indexOf(names.at(k)) != k || table->parameter(1, k).name != QLatin1Char('M') + names.at(k)
                    || table->parameter(0, k).p0 != 1.0)
                    faults.fetchAndAddRelaxed(1);
                reads.fetchAndAddRelaxed(1);
            }
        };
        const auto reloader = [&]() {
            while (!stop.loadRelaxed())
                KyAutoBandParameterTable::instance();
        };

        QList<QThread *> threads;
        for (int i = 0; i < 3; ++i)
            threads.append(QThread::create(reader));
        for (int i = 0; i < 2; ++i)
            threads.append(QThread::create(reloader));
        for (QThread *t : threads)
            t->start();
        QThread::msleep(1500);
        stop.storeRelaxed(1);
        for (QThread *t : threads) {
            QVERIFY(t->wait(60000));
            delete t;
        }
        QVERIFY(reads.loadRelaxed() > 0);
        QCOMPARE(faults.loadRelaxed(), 0);
    }
};

KY_TEST_MAIN(TestKyAutoBandParameterTable)
#include "tst_kyautobandparametertable.moc"
