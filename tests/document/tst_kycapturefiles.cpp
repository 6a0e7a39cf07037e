// Which TIFF files of a folder make up its first capture: the listing, its order, and the prefix
// rule that narrows it.

#include "document/kycapturefiles.h"
#include "testmain.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

class TestKyCaptureFiles : public QObject
{
    Q_OBJECT

private slots:
    void prefix_data();
    void prefix();
    void folders_data();
    void folders();
    void noFolder();
    void backslashSeparators();
};

void TestKyCaptureFiles::prefix_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("prefix");

    QTest::newRow("before the last minus") << "A-1_Ch.tif" << "A";
    QTest::newRow("channel colour") << "S 2024.05.06_10.11.02_Fl-Blue.tif" << "S 2024.05.06_10.11.02_Fl";
    QTest::newRow("several minus signs") << "a-b-c.tif" << "a-b";
    QTest::newRow("no minus: before the last dot") << "x_Co.tif" << "x_Co";
    QTest::newRow("dots in the name") << "2024.05.06_10.11.02_Ch.tif" << "2024.05.06_10.11.02_Ch";
    QTest::newRow("neither") << "plain" << "plain";
}

void TestKyCaptureFiles::prefix()
{
    QFETCH(QString, name);
    QFETCH(QString, prefix);
    QCOMPARE(KyCaptureFiles::CapturePrefix(name), prefix);
}

void TestKyCaptureFiles::folders_data()
{
    // Entries to make: a plain name is an empty file, "dir:" a folder, "link:<name>><target>" a
    // symbolic link.
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<QStringList>("capture");

    QTest::newRow("first capture by prefix")
        << QStringList{"B_Ch.tif", "A-2_Ch.tif", "A-1_Ch.tif"} << QStringList{"A-1_Ch.tif", "A-2_Ch.tif", "B_Ch.tif"}
        << QStringList{"A-1_Ch.tif", "A-2_Ch.tif"};
    QTest::newRow("order ignores case")
        << QStringList{"b_Fl-Blue.tif", "a_Fl-Red.tif", "C_Fl-Blue.tif"}
        << QStringList{"a_Fl-Red.tif", "b_Fl-Blue.tif", "C_Fl-Blue.tif"} << QStringList{"a_Fl-Red.tif"};
    QTest::newRow("names equal but for case: upper case first")
        << QStringList{"a_Fl-Blue.tif", "A_Fl-Blue.tif"} << QStringList{"A_Fl-Blue.tif", "a_Fl-Blue.tif"}
        << QStringList{"A_Fl-Blue.tif"};
    QTest::newRow("marker sorts before its image")
        << QStringList{"X_Ch.tif", "X_Ch-Marker.tif"} << QStringList{"X_Ch-Marker.tif", "X_Ch.tif"}
        << QStringList{"X_Ch-Marker.tif", "X_Ch.tif"};
    QTest::newRow("one file without minus") << QStringList{"x_Co.tif"} << QStringList{"x_Co.tif"}
                                            << QStringList{"x_Co.tif"};
    QTest::newRow("wildcard characters are plain text")
        << QStringList{"[a]*?_Fl-Green.tif", "[a]*?_Fl-Blue.tif", "a_Fl-Red.tif", "b_Fl-Red.tif"}
        << QStringList{"[a]*?_Fl-Blue.tif", "[a]*?_Fl-Green.tif", "a_Fl-Red.tif", "b_Fl-Red.tif"}
        << QStringList{"[a]*?_Fl-Blue.tif", "[a]*?_Fl-Green.tif"};
    QTest::newRow("only tif files, any case of the suffix")
        << QStringList{"A_Fl-Blue.tif", "A_Fl-Green.TIF", "A_Fl.jpg", "A_Fl.csv", "A_Fl-Red.tiff", "notes.txt"}
        << QStringList{"A_Fl-Blue.tif", "A_Fl-Green.TIF"} << QStringList{"A_Fl-Blue.tif", "A_Fl-Green.TIF"};
    QTest::newRow("no folders, no links")
        << QStringList{"dir:A_Fl-Blue.tif", "link:A_Fl-Green.tif>B_Fl-Red.tif", "B_Fl-Red.tif"}
        << QStringList{"B_Fl-Red.tif"} << QStringList{"B_Fl-Red.tif"};
    QTest::newRow("empty folder") << QStringList{} << QStringList{} << QStringList{};
    QTest::newRow("no tif") << QStringList{"a.jpg", "dir:b.tif"} << QStringList{} << QStringList{};
}

void TestKyCaptureFiles::folders()
{
    QFETCH(QStringList, entries);
    QFETCH(QStringList, listed);
    QFETCH(QStringList, capture);

    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QDir dir(temp.path());
    for (const QString &entry : entries) {
        if (entry.startsWith(QLatin1String("dir:"))) {
            QVERIFY(dir.mkdir(entry.mid(4)));
        } else if (entry.startsWith(QLatin1String("link:"))) {
            const QStringList parts = entry.mid(5).split(QLatin1Char('>'));
            QVERIFY(QFile::link(parts.at(1), dir.filePath(parts.at(0))));
        } else {
            QFile file(dir.filePath(entry));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
    }
    QCOMPARE(KyCaptureFiles::TiffFileNames(temp.path()), listed);
    QCOMPARE(KyCaptureFiles::FirstCapture(listed), capture);
    QCOMPARE(KyCaptureFiles::CaptureFileNames(temp.path()), capture);
}

void TestKyCaptureFiles::noFolder()
{
    // An empty path is not the current folder.
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    QFile file(QDir(temp.path()).filePath(QStringLiteral("A_Fl-Blue.tif")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(temp.path()));
    const QStringList fromEmpty = KyCaptureFiles::CaptureFileNames(QString());
    QVERIFY(QDir::setCurrent(previous));
    QCOMPARE(fromEmpty, QStringList());
    QCOMPARE(KyCaptureFiles::CaptureFileNames(temp.path() + QStringLiteral("/missing")), QStringList());
}

void TestKyCaptureFiles::backslashSeparators()
{
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    QVERIFY(QDir(temp.path()).mkpath(QStringLiteral("cap/inner")));
    QFile file(temp.path() + QStringLiteral("/cap/inner/A_Fl-Blue.tif"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QCOMPARE(KyCaptureFiles::CaptureFileNames(temp.path() + QStringLiteral("\\cap\\inner")),
             QStringList{QStringLiteral("A_Fl-Blue.tif")});
}

KY_TEST_MAIN(TestKyCaptureFiles)
#include "tst_kycapturefiles.moc"
