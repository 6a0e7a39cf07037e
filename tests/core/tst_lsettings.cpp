#include "testmain.h"

#include "core/lsettings.h"
#include "platform/filesync.h"

#include <QSaveFile>
#include <QTemporaryDir>

namespace {

// Replaces the file the way QSettings and most editors save: a new file renamed over the old.
bool replaceFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(bytes);
    return f.commit();
}

} // namespace

class TestLSettings : public QObject
{
    Q_OBJECT

private slots:
    void externalChangesAreFlushedEveryTime()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("store.ini"));
        QVERIFY(replaceFile(path, "[General]\nLaneCount=5\n"));
        LSettings store(path);

        for (int round = 1; round <= 3; ++round) {
            const quint64 before = platform::syncCount();
            QVERIFY(replaceFile(path, "[General]\nLaneCount=" + QByteArray::number(round) + "\n"));
            QTRY_VERIFY2(platform::syncCount() > before, qPrintable(QStringLiteral("round %1").arg(round)));
        }
    }

    void ownSavesAreFlushedEveryTime()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("store.ini"));
        QVERIFY(replaceFile(path, "[General]\n"));
        LSettings store(path);
        for (int round = 1; round <= 3; ++round) {
            const quint64 before = platform::syncCount();
            store.setValue(QStringLiteral("LaneCount"), round);
            store.sync();
            QCOMPARE(store.status(), QSettings::NoError);
            QTRY_VERIFY2(platform::syncCount() > before, qPrintable(QStringLiteral("round %1").arg(round)));
        }
    }

    void failedFlushIsOnlyLogged()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("store.ini"));
        QVERIFY(replaceFile(path, "[General]\nA=1\n"));
        LSettings store(path);
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("^error: 2 CreateFile\\(\\) in FileUtiity::FlushFile\\(\\): .*store\\.ini$")));
        QTest::ignoreMessage(QtDebugMsg, qPrintable(QStringLiteral("Filed to flush file when LSettings::sync(). ") + path));
        QVERIFY(QFile::remove(path));
        QTest::qWait(300);
        QCOMPARE(store.value(QStringLiteral("A")).toInt(), 1);
    }

    void perUserStoreIsNotWatched()
    {
        LSettings store(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Org"), QStringLiteral("App"));
        store.setValue(QStringLiteral("x"), 1);
        store.sync();
        QCOMPARE(store.status(), QSettings::NoError);
        QVERIFY(store.fileName().startsWith(QFile::decodeName(qgetenv("XDG_CONFIG_HOME"))));
    }
};

KY_TEST_MAIN(TestLSettings)
#include "tst_lsettings.moc"
