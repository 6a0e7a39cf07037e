#include "testmain.h"

#include "core/analysissettings.h"
#include "instrument/kestova.h"
#include "core/kyviewmode.h"
#include "core/systemsettings.h"
#include "instrument/instrumentnames.h"

#include <QLoggingCategory>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdlib>

namespace kytest {

void isolateUserFolders()
{
    static QTemporaryDir home(QDir::tempPath() + QStringLiteral("/kytest-XXXXXX"));
    if (!home.isValid())
        qFatal("cannot create a temporary user folder");
    for (const char *name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"}) {
        const QByteArray path = QFile::encodeName(home.path() + QLatin1Char('/') + QLatin1String(name));
        QDir().mkpath(QFile::decodeName(path));
        ::setenv(name, path.constData(), 1);
    }
}

void showDebugOutput()
{
    QLoggingCategory::setFilterRules(QString::fromLatin1(kDebugOutputRule));
}

void createProcessObjects()
{
    AnalysisSettings::instance();
    SystemSettings::instance();
    KyViewMode::instance();
    InstrumentNames::instance();
    Kestova::instance();
}

QString copyProgram(const QString &program, const QString &folder)
{
    const QString target = QDir(folder).filePath(QFileInfo(program).fileName());
    QFile::remove(target);
    if (!QFile::copy(program, target))
        return QString();
    QFile::setPermissions(target, QFile::permissions(program));
    return target;
}

ProgramRun runCaptured(const QString &program, const QStringList &arguments, int timeoutMs,
                       const QStringList &environment)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &entry : environment) {
        const qsizetype eq = entry.indexOf(QLatin1Char('='));
        env.insert(entry.left(eq), entry.mid(eq + 1));
    }
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    ProgramRun result;
    if (!process.waitForFinished(timeoutMs)) {
        qWarning("%s did not finish", qPrintable(program));
        process.kill();
        process.waitForFinished(5000);
    } else if (process.exitStatus() == QProcess::NormalExit) {
        result.exitCode = process.exitCode();
    }
    result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    result.err = QString::fromLocal8Bit(process.readAllStandardError());
    return result;
}

QString runProgram(const QString &program, const QStringList &arguments,
                   const QStringList &environment, int *exitCode)
{
    const ProgramRun run = runCaptured(program, arguments, 60000, environment);
    if (exitCode)
        *exitCode = run.exitCode;
    return run.out;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    QVERIFY2(file.write(bytes) == bytes.size() && file.flush(), qPrintable(path));
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString sourceDir()
{
    const QByteArray dir = qgetenv("KY_TEST_SOURCE_DIR");
    return dir.isEmpty() ? QStringLiteral(KY_SOURCE_DIR) : QFile::decodeName(dir);
}

QString binaryDir()
{
    const QByteArray dir = qgetenv("KY_BINARY_DIR");
    return dir.isEmpty() ? QStringLiteral(KY_BINARY_DIR) : QFile::decodeName(dir);
}

} // namespace kytest
