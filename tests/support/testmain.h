#pragma once

#include <QTest>

namespace kytest {

// Points the per-user settings, data and cache folders at a fresh temporary folder that lives as
// long as the process, so that no test reads or writes the real user's settings and tests running
// side by side never share a store.
void isolateUserFolders();

// The program's debug lines are off by default; tests read many of them: this turns every
// category of the program on (the rule below).
constexpr const char *kDebugOutputRule = "ky.*.debug=true";
void showDebugOutput();

// Creates the process-wide objects on the GUI thread, as the program's start-up does.
void createProcessObjects();

// Copies an executable into folder (so that it finds the files placed beside it there) and returns
// the copy's path; empty on failure.
QString copyProgram(const QString &program, const QString &folder);

// What a program run to its end left: its exit code (-1 when it crashed or did not finish in time)
// and both outputs, as far as it wrote them.
struct ProgramRun
{
    int exitCode = -1;
    QString out;
    QString err;
};
// Extra environment entries ("NAME=value") are added to this process's environment.
ProgramRun runCaptured(const QString &program, const QStringList &arguments, int timeoutMs = 300000,
                       const QStringList &environment = {});

// Runs a program to its end (within a minute) and returns what it printed on standard output.
QString runProgram(const QString &program, const QStringList &arguments,
                   const QStringList &environment = {}, int *exitCode = nullptr);

// Writes a fixture file whole, making its folder first; a failure fails the calling test.
void writeFile(const QString &path, const QByteArray &bytes);

// A file's bytes; empty when it cannot be read.
QByteArray readFile(const QString &path);

// The source tree (for fixtures) and the build tree.
QString sourceDir();
QString binaryDir();

} // namespace kytest

#define KY_TEST_MAIN_WITH(AppType, TestObject)                                                     \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        kytest::isolateUserFolders();                                                              \
        kytest::showDebugOutput();                                                                 \
        AppType app(argc, argv);                                                                   \
        kytest::createProcessObjects();                                                            \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }

// GUI-less tests run on a QCoreApplication; widget tests use KY_TEST_MAIN_WITH(QApplication, ...).
#define KY_TEST_MAIN(TestObject) KY_TEST_MAIN_WITH(QCoreApplication, TestObject)
