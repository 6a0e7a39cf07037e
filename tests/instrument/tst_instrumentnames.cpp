// The name store "Method.ini": where it is looked for, and what an installation's lists change.
// Each case runs a probe copied into a folder of its own, with the files the case places beside it.

#include "testmain.h"

#include <QTemporaryDir>

using kytest::writeFile;

class TestInstrumentNames : public QObject
{
    Q_OBJECT

private:
    QStringList ask(const QTemporaryDir &inDir, const QStringList &inQueries)
    {
        const QString probe = kytest::copyProgram(QStringLiteral(KY_NAMES_PROBE), inDir.path());
        if (probe.isEmpty())
            return {QStringLiteral("probe not copied")};
        int exitCode = -1;
        const QString answer = kytest::runProgram(probe, inQueries, {}, &exitCode);
        if (exitCode != 0)
            return {QStringLiteral("probe failed")};
        QStringList lines = answer.split(QLatin1Char('\n'));
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        return lines;
    }

private slots:
    void sixLightNamesShiftTheWhiteLights()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("Method.ini"),
                  "[General]\nLightNames=None, 460 nm, 520 nm, 630 nm, 312 nm, 365 nm\n");
        const QStringList answers = ask(dir, {"store", "index:Trans White-Red", "index:365 nm",
                                              "index:Upper EPI White", "index:312 nm",
                                              "index:Trans White-Blue,Trans White-Green,Trans White-Red",
                                              "light:4", "light:5", "light:17"});
        QCOMPARE(answers, QStringList({dir.filePath("Method.ini"), "17", "5", "6", "4", "13", "312 nm",
                                       "Upper EPI White", "Lower EPI White-Blue manual"}));
    }

    void shortLightListGivesEmptyNames()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("Method.ini"), "[General]\nLightNames=None, 460 nm\n");
        QCOMPARE(ask(dir, {"light:1", "light:2", "light:4", "light:5", "index:630 nm", "index:Upper EPI White"}),
                 QStringList({"460 nm", "", "", "Upper EPI White", "0", "2"}));
    }

    void shortMethodListsGiveEmptyNames()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("Method.ini"),
                  "[General]\n"
                  "MethodTypeNames=Chemiluminescence\n"
                  "ChemilumiMethod=Chemi\n"
                  "FluorMethod_Ch1=Blue, 460 nm\n"
                  "ColorimetricMethod=\n");
        QCOMPARE(ask(dir, {"mode:0", "mode:2", "mode:3", "mode:11"}),
                 QStringList({
                     // One name: no light, no filter.
                     "Chemi|0|None||0|Chemiluminescence",
                     // Two names: no filter; the method type list has no second entry.
                     "Blue|1|460 nm||0|",
                     // Lists the store leaves alone keep their built-in names.
                     "Green|2|520 nm|Cy3|3|",
                     // An empty list: no method, no filter, the white light still named by the mode.
                     "|9|Lower EPI White||0|",
                 }));
    }

    void filterListsFromTheStore()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("Method.ini"),
                  "[General]\nFilter2Names=Cy2, FITC\nFilter4Names=Cy5, Cy2\nFilter5Names=Em 700\n");
        QCOMPARE(ask(dir, {"filters", "mode:2"}),
                 QStringList({"Through|Cy2|FITC|Cy3|EtBr|Cy5|Em 700", "Blue|1|460 nm|Cy2|2|Fluorescence"}));
    }

    void storeBesideTheProgramWins()
    {
        QTemporaryDir dir;
        const QString elsewhere = dir.filePath("elsewhere") + QLatin1Char('/');
        writeFile(dir.filePath("BI410.ini"), "[General]\nSettingsFolderPath=" + elsewhere.toUtf8() + "\n");
        writeFile(elsewhere + "Method.ini", "[General]\nLightNames=Dark, A, B, C, D, E, F\n");
        writeFile(dir.filePath("Method.ini"), "[General]\nLightNames=None, 460 nm, 520 nm, 630 nm, 312 nm\n");
        QCOMPARE(ask(dir, {"store", "light:0", "index:Trans White"}),
                 QStringList({dir.filePath("Method.ini"), "None", "13"}));
    }

    void storeInTheSettingsFolder()
    {
        QTemporaryDir dir;
        const QString elsewhere = dir.filePath("elsewhere") + QLatin1Char('/');
        writeFile(dir.filePath("BI410.ini"), "[General]\nSettingsFolderPath=" + elsewhere.toUtf8() + "\n");
        writeFile(elsewhere + "Method.ini", "[General]\nLightNames=Dark, A, B, C, D, E, F\n");
        QCOMPARE(ask(dir, {"store", "light:0", "index:Trans White"}),
                 QStringList({elsewhere + "Method.ini", "Dark", "15"}));
    }

    void noStoreFileAnywhere()
    {
        // Without either file the store is the settings folder's (which need not exist) and the
        // built-in lists hold.
        QTemporaryDir dir;
        QCOMPARE(ask(dir, {"store", "index:Trans White-Red"}),
                 QStringList({dir.filePath("Data/Settings/Method.ini"), "16"}));
    }
};

KY_TEST_MAIN(TestInstrumentNames)
#include "tst_instrumentnames.moc"
