#include "testmain.h"

#include "analysis/kymwcurve.h"
#include "analysis/kymwstandard.h"
#include "core/analysissettings.h"
#include "core/lsettings.h"
#include "core/systemsettings.h"

#include <QTemporaryDir>

namespace {

QString standardsFolder()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/Data/MW/");
}

void writeFile(const QString &name, const QByteArray &text)
{
    QFile file(standardsFolder() + name);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(file.fileName()));
    QCOMPARE(file.write(text), qint64(text.size()));
    QVERIFY(file.flush());
}

void storeEntry(const QString &name, const QStringList &entry)
{
    AnalysisSettings *settings = AnalysisSettings::instance();
    settings->beginGroup(QStringLiteral("MW"));
    const bool stored = settings->setValue(name, entry);
    settings->endGroup();
    QVERIFY(stored);
}

QStringList entryNames()
{
    AnalysisSettings *settings = AnalysisSettings::instance();
    settings->beginGroup(QStringLiteral("MW"));
    const QStringList keys = settings->allKeys();
    settings->endGroup();
    return keys;
}

} // namespace

class TestMwStandard : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QCOMPARE(SystemSettings::instance()->stringValue(QStringLiteral("MWStandardFilePath")), standardsFolder());
    }

    void init()
    {
        LSettings *store = AnalysisSettings::instance()->settingsStore();
        store->clear();
        store->sync();
        QDir(standardsFolder()).removeRecursively();
        QVERIFY(QDir().mkpath(standardsFolder()));
    }

    void cleanupTestCase()
    {
        QDir(standardsFolder()).removeRecursively();
    }

    void loadsFile()
    {
        writeFile(QStringLiteral("Ladder.stdl"), "kDa\tabout 250\n  150 100\r\n75\n\n");
        QString text = QStringLiteral("untouched");
        QCOMPARE(KyMwStandard::readFile(QStringLiteral("Ladder"), &text), (QList<int>{0, 250, 150, 100, 75}));
        QCOMPARE(text, QStringLiteral("kDa"));

        const KyMwStandard standard(QStringLiteral("Ladder"));
        QCOMPARE(standard.name(), QStringLiteral("Ladder"));
        QCOMPARE(standard.text(), QStringLiteral("kDa"));
        QCOMPARE(standard.values(), (QList<int>{0, 250, 150, 100, 75}));
        QCOMPARE(standard.checks(), QVector<bool>(5, true));
    }

    void missingStandard()
    {
        QTest::ignoreMessage(QtDebugMsg, "Failed to load MW standard [Nowhere]");
        KyMwStandard standard;
        standard.set(QStringLiteral("Old"), QStringLiteral("kDa"), {10, 20}, {true, false});
        QVERIFY(!standard.load(QStringLiteral("Nowhere")));
        QCOMPARE(standard.name(), QStringLiteral("Nowhere"));
        QVERIFY(standard.values().isEmpty());
        QVERIFY(standard.checks().isEmpty());

        QString text = QStringLiteral("untouched");
        QVERIFY(KyMwStandard::readFile(QStringLiteral("Nowhere"), &text).isEmpty());
        QCOMPARE(text, QStringLiteral("untouched"));

        // An empty name does not load at all.
        const KyMwStandard none;
        QVERIFY(none.name().isEmpty() && none.values().isEmpty());
    }

    void entryHidesFile()
    {
        writeFile(QStringLiteral("ladder.stdl"), "bp 900 600 300\n");
        storeEntry(QStringLiteral("Ladder"), {QStringLiteral("kDa"), QStringLiteral("80"), QStringLiteral("x"), QStringLiteral("20")});
        QString text;
        QCOMPARE(KyMwStandard::readFile(QStringLiteral("Ladder"), &text), (QList<int>{80, 0, 20}));
        QCOMPARE(text, QStringLiteral("kDa"));
        // Names are matched ignoring case, so the entry also hides the file under its own name.
        QCOMPARE(KyMwStandard::readFile(QStringLiteral("ladder"), &text), (QList<int>{80, 0, 20}));
        QCOMPARE(KyMwStandard::standardNames(), QStringList{QStringLiteral("Ladder")});

        // An entry without any word does not hide the file.
        storeEntry(QStringLiteral("Ladder"), {});
        QCOMPARE(KyMwStandard::readFile(QStringLiteral("ladder"), &text), (QList<int>{900, 600, 300}));
        QCOMPARE(text, QStringLiteral("bp"));
    }

    void fileFoundIgnoringCase()
    {
        writeFile(QStringLiteral("Mixed Case.STDL"), "kDa 50 40\n");
        QCOMPARE(KyMwStandard::readFile(QStringLiteral("mixed case"), nullptr), (QList<int>{50, 40}));
        QVERIFY(!KyMwStandard::isRemovable(QStringLiteral("MIXED CASE")));

        // The exact name wins; otherwise the first in name order.
        writeFile(QStringLiteral("abc.stdl"), "t 1\n");
        writeFile(QStringLiteral("ABC.stdl"), "t 2\n");
        QCOMPARE(KyMwStandard::readFile(QStringLiteral("abc"), nullptr), QList<int>{1});
        QCOMPARE(KyMwStandard::readFile(QStringLiteral("ABC"), nullptr), QList<int>{2});
        QCOMPARE(KyMwStandard::readFile(QStringLiteral("Abc"), nullptr), QList<int>{2});
    }

    void listing()
    {
        storeEntry(QStringLiteral("Zeta"), {QStringLiteral("kDa"), QStringLiteral("10")});
        storeEntry(QStringLiteral("alpha"), {QStringLiteral("kDa"), QStringLiteral("10")});
        writeFile(QStringLiteral("beta.stdl"), "kDa 1\n");
        writeFile(QStringLiteral("ALPHA.stdl"), "kDa 1\n");
        writeFile(QStringLiteral("Delta.v2.stdl"), "kDa 1\n");
        writeFile(QStringLiteral("gamma.STDL"), "kDa 1\n");
        writeFile(QStringLiteral("Gamma.stdl"), "kDa 1\n");
        writeFile(QStringLiteral("notes.txt"), "kDa 1\n");
        writeFile(QStringLiteral("a,b.stdl"), "kDa 1\n");
        QVERIFY(QDir().mkpath(standardsFolder() + QStringLiteral("folder.stdl")));
        QVERIFY(QFile::link(standardsFolder() + QStringLiteral("beta.stdl"), standardsFolder() + QStringLiteral("link.stdl")));

        // Entries in the store's order, then files by name; no name twice in any case, nothing
        // that could not be stored as a name.
        const QStringList names = KyMwStandard::standardNames();
        QCOMPARE(names, (QStringList{QStringLiteral("Zeta"), QStringLiteral("alpha"), QStringLiteral("beta"),
                                     QStringLiteral("Delta.v2"), QStringLiteral("Gamma")}));
    }

    void saveAndRemove()
    {
        QVERIFY(KyMwStandard::save(QStringLiteral("Mine"), QStringLiteral("kDa"), {120, 60, 30}));
        QString text;
        QCOMPARE(KyMwStandard::readFile(QStringLiteral("Mine"), &text), (QList<int>{120, 60, 30}));
        QCOMPARE(text, QStringLiteral("kDa"));
        QVERIFY(KyMwStandard::standardNames().contains(QStringLiteral("Mine")));
        QVERIFY(KyMwStandard::isRemovable(QStringLiteral("Mine")));

        // The entry is on disk: a fresh reader of the store's file sees it.
        QTemporaryDir dir;
        const QString copy = dir.filePath(QStringLiteral("copy.ini"));
        QVERIFY(QFile::copy(AnalysisSettings::instance()->settingsStore()->fileName(), copy));
        QSettings reader(copy, QSettings::IniFormat);
        QCOMPARE(reader.value(QStringLiteral("MW/Mine")).toStringList(),
                 (QStringList{QStringLiteral("kDa"), QStringLiteral("120"), QStringLiteral("60"), QStringLiteral("30")}));

        // Saving under another case replaces the entry instead of adding a twin.
        QVERIFY(KyMwStandard::save(QStringLiteral("MINE"), QStringLiteral("bp"), {5}));
        QCOMPARE(entryNames(), QStringList{QStringLiteral("MINE")});
        QCOMPARE(KyMwStandard::readFile(QStringLiteral("Mine"), &text), QList<int>{5});

        QVERIFY(KyMwStandard::remove(QStringLiteral("mine")));
        QVERIFY(entryNames().isEmpty());
        QVERIFY(KyMwStandard::readFile(QStringLiteral("MINE"), &text).isEmpty());
    }

    void unstorableNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("empty") << QString();
        QTest::newRow("slash") << QStringLiteral("a/b");
        QTest::newRow("comma") << QStringLiteral("10,20");
        QTest::newRow("line feed") << QStringLiteral("a\nb");
        QTest::newRow("carriage return") << QStringLiteral("a\rb");
        QTest::newRow("line separator") << QStringLiteral("a\u2028b");
    }

    void unstorableNames()
    {
        QFETCH(QString, name);
        QVERIFY(!KyMwStandard::isStorableName(name));
        storeEntry(QStringLiteral("Keep"), {QStringLiteral("kDa"), QStringLiteral("10")});
        QVERIFY(!KyMwStandard::save(name, QStringLiteral("kDa"), {10, 20}));
        QCOMPARE(entryNames(), QStringList{QStringLiteral("Keep")});
        // Removing such a name touches nothing; an empty name must not take the whole group.
        QVERIFY(KyMwStandard::remove(name));
        QCOMPARE(entryNames(), QStringList{QStringLiteral("Keep")});
    }

    void storableNames()
    {
        for (const QString &name : {QStringLiteral("Ladder 10-250 kDa"), QStringLiteral("a\\b"), QStringLiteral("Größe; [x] = 1")}) {
            QVERIFY(KyMwStandard::isStorableName(name));
            QVERIFY(KyMwStandard::save(name, QStringLiteral("kDa"), {9, 8}));
            QCOMPARE(KyMwStandard::readFile(name, nullptr), (QList<int>{9, 8}));
            QVERIFY(KyMwStandard::remove(name));
        }
        QVERIFY(entryNames().isEmpty());
    }

    void removable()
    {
        writeFile(QStringLiteral("Shipped.stdl"), "kDa 10\n");
        storeEntry(QStringLiteral("Own"), {QStringLiteral("kDa"), QStringLiteral("10")});
        storeEntry(QStringLiteral("Shipped"), {QStringLiteral("kDa"), QStringLiteral("11")});
        QVERIFY(!KyMwStandard::isRemovable(QStringLiteral("Shipped")));
        QVERIFY(KyMwStandard::isRemovable(QStringLiteral("Own")));
        QVERIFY(KyMwStandard::isRemovable(QStringLiteral("Nowhere")));
    }

    void checksAndEquality()
    {
        KyMwStandard standard;
        standard.set(QStringLiteral("L"), QStringLiteral("kDa"), {100, 50, 25}, {true, true, true});
        standard.setCheck(1, false);
        QCOMPARE(standard.checks(), (QVector<bool>{true, false, true}));
        standard.setCheck(3, false);
        standard.setCheck(-1, false);
        QCOMPARE(standard.checks(), (QVector<bool>{true, false, true}));

        KyMwStandard other;
        other.set(QStringLiteral("L"), QStringLiteral("kDa"), {100, 50, 25}, {true, true, true});
        QVERIFY(!(standard == other));
        other.setCheck(1, false);
        QVERIFY(standard == other);
        other.set(QStringLiteral("L"), QStringLiteral("bp"), {100, 50, 25}, {true, false, true});
        QVERIFY(standard != other);

        // Fewer flags than values: an index past the flags is ignored, not written out of range.
        KyMwStandard uneven;
        uneven.set(QStringLiteral("U"), QString(), {1, 2, 3}, {true});
        uneven.setCheck(2, false);
        QCOMPARE(uneven.checks(), QVector<bool>{true});
    }

    // The standards shipped with the program load and calibrate.
    void shippedStandards()
    {
        const QDir shipped(kytest::sourceDir() + QStringLiteral("/data/MW"));
        const QStringList files = shipped.entryList({QStringLiteral("*.stdl")}, QDir::Files, QDir::Name);
        QVERIFY(files.size() >= 3);
        for (const QString &file : files)
            QVERIFY(QFile::copy(shipped.filePath(file), standardsFolder() + file));

        const QStringList names = KyMwStandard::standardNames();
        QCOMPARE(names.size(), files.size());
        const QStringList units{QStringLiteral("kDa"), QStringLiteral("basepair"), QStringLiteral("Da")};
        for (const QString &name : names) {
            const KyMwStandard standard(name);
            QVERIFY2(units.contains(standard.text()), qPrintable(name));
            QVERIFY(standard.values().size() >= 6);
            QMap<double, double> points;
            for (qsizetype i = 0; i < standard.values().size(); ++i) {
                QVERIFY(standard.values()[i] > 0);
                if (i > 0)
                    QVERIFY2(standard.values()[i] < standard.values()[i - 1], qPrintable(name));
                points.insert(100.0 + 150.0 * i, standard.values()[i]);
            }
            KyMwCurve curve;
            curve.setPoints(points);
            QVERIFY(curve.value(100.0) > 0.0);
            QVERIFY(!KyMwStandard::isRemovable(name));
        }
    }

    // Kept last: a store that has met a write error keeps reporting it for the rest of the process.
    void writeFailureReported()
    {
        QVERIFY(KyMwStandard::save(QStringLiteral("Kept"), QStringLiteral("kDa"), {10}));
        // A folder in place of the settings file makes every write of the file fail.
        const QString file = AnalysisSettings::instance()->settingsStore()->fileName();
        QVERIFY(QFile::remove(file));
        QVERIFY(QDir().mkpath(file));
        const bool saved = KyMwStandard::save(QStringLiteral("Mine"), QStringLiteral("kDa"), {120, 60});
        const bool removed = KyMwStandard::remove(QStringLiteral("Kept"));
        QVERIFY(QDir(file).removeRecursively());
        QVERIFY(!saved);
        QVERIFY(!removed);
    }
};

KY_TEST_MAIN(TestMwStandard)
#include "tst_mwstandard.moc"
