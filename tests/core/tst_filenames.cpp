// The file-name validator's answers and the start-up mode file's exact content.

#include "testmain.h"

#include "core/filenamevalidator.h"
#include "core/startupmode.h"
#include "core/systemsettings.h"
#include "systemsetting.h"

#include <QRegularExpressionValidator>
#include <QFileInfo>
#include <QTemporaryDir>

#include <memory>

Q_DECLARE_METATYPE(QValidator::State)

using kytest::setSystemSetting;

class TestFileNames : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

private slots:
    void validator_data()
    {
        QTest::addColumn<int>("maxLength");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QValidator::State>("state");
        const auto row = [](const char *name, int maxLength, const QString &text, QValidator::State state) {
            QTest::newRow(name) << maxLength << text << state;
        };
        row("space inside", 3, QStringLiteral("a b"), QValidator::Acceptable);
        row("four characters", 3, QStringLiteral("abcd"), QValidator::Acceptable);
        row("one character", 3, QStringLiteral("a"), QValidator::Acceptable);
        row("space at the end", 3, QStringLiteral("ab "), QValidator::Acceptable);
        row("other scripts", 3, QStringLiteral("\u65E5\u672C\u00E9"), QValidator::Acceptable);
        row("dot and dash", 8, QStringLiteral("gel-1.tif"), QValidator::Acceptable);
        row("empty is not yet a name", 3, QString(), QValidator::Intermediate);
        row("five characters", 3, QStringLiteral("abcde"), QValidator::Invalid);
        row("leading space", 3, QStringLiteral(" ab"), QValidator::Invalid);
        row("colon", 3, QStringLiteral("a:b"), QValidator::Invalid);
        row("yen sign", 3, QStringLiteral("a\u00A5"), QValidator::Invalid);
        row("yen sign first", 3, QStringLiteral("\u00A5"), QValidator::Invalid);
        row("backslash", 3, QStringLiteral("a\\b"), QValidator::Invalid);
        row("slash", 3, QStringLiteral("a/b"), QValidator::Invalid);
        row("asterisk", 3, QStringLiteral("a*"), QValidator::Invalid);
        row("question mark", 3, QStringLiteral("?a"), QValidator::Invalid);
        row("double quote", 3, QStringLiteral("a\""), QValidator::Invalid);
        row("less than", 3, QStringLiteral("a<"), QValidator::Invalid);
        row("greater than", 3, QStringLiteral("a>"), QValidator::Invalid);
        row("bar", 3, QStringLiteral("|"), QValidator::Invalid);
        row("length 0: one character", 0, QStringLiteral("x"), QValidator::Acceptable);
        row("length 0: two characters", 0, QStringLiteral("xy"), QValidator::Invalid);
        row("length 0: empty", 0, QString(), QValidator::Intermediate);
        row("length 0: space", 0, QStringLiteral(" "), QValidator::Invalid);
    }

    void validator()
    {
        QFETCH(int, maxLength);
        QFETCH(QString, text);
        QFETCH(QValidator::State, state);
        const std::unique_ptr<QRegularExpressionValidator> validator(fileNameValidator(maxLength));
        QVERIFY(validator->parent() == nullptr);
        int position = int(text.size());
        QCOMPARE(validator->validate(text, position), state);
    }

    void initTestCase() { QVERIFY(dir.isValid()); }

    void cleanup() { setSystemSetting(QStringLiteral("BootModeFilePath"), QVariant()); }

    void startupModeFile_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("2") << 2 << QByteArray("2");
        QTest::newRow("0") << 0 << QByteArray("0");
        QTest::newRow("negative") << -15 << QByteArray("-15");
    }

    void startupModeFile()
    {
        QFETCH(int, mode);
        QFETCH(QByteArray, content);
        // The folder does not exist yet; a longer earlier content is replaced whole.
        const QString path = dir.filePath(QStringLiteral("made/here/BI_StartupMode.txt"));
        setSystemSetting(QStringLiteral("BootModeFilePath"), path);
        QVERIFY(writeStartupMode(123456));
        QVERIFY(writeStartupMode(mode));
        QCOMPARE(kytest::readFile(path), content);
    }

    void startupModeDefaultPath()
    {
        const QString path = SystemSettings::instance()->stringValue(QStringLiteral("BootModeFilePath"));
        QVERIFY(path.endsWith(QStringLiteral("/Data/Settings/BI_StartupMode.txt")));
        QVERIFY(writeStartupMode(1));
        QCOMPARE(kytest::readFile(path), QByteArray("1"));
        QVERIFY(QFile::remove(path));
    }

    void startupModeFailures()
    {
        // A folder where the file should be: no write succeeds, also for root.
        const QString blocked = dir.filePath(QStringLiteral("blocked"));
        QVERIFY(QDir().mkpath(blocked));
        setSystemSetting(QStringLiteral("BootModeFilePath"), blocked);
        QVERIFY(!writeStartupMode(2));
        // A file where the folder should be.
        kytest::writeFile(dir.filePath(QStringLiteral("plain")), "x");
        setSystemSetting(QStringLiteral("BootModeFilePath"), dir.filePath(QStringLiteral("plain/mode.txt")));
        QVERIFY(!writeStartupMode(2));
        QCOMPARE(kytest::readFile(dir.filePath(QStringLiteral("plain"))), QByteArray("x"));
    }

    // The file opens but the write does not reach it: a full device.
    void startupModeWriteFails()
    {
        if (!QFileInfo(QStringLiteral("/dev/full")).isWritable())
            QSKIP("no /dev/full here");
        setSystemSetting(QStringLiteral("BootModeFilePath"), QStringLiteral("/dev/full"));
        QVERIFY(!writeStartupMode(2));
    }
};

KY_TEST_MAIN(TestFileNames)
#include "tst_filenames.moc"
