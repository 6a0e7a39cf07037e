// Opens a capture, gives it a comment and lanes of its own and saves it, in a process of its own
// so that the save can be stopped by SIGKILL at a chosen point, as a kill or a crash would stop it:
//
//   capturesaveprobe FOLDER TARGET COMMENT LANES [progress:N | step:NAME:N | hold:PDF-BYTES]
//
// TARGET is the base path of the save ("-" saves in place). progress:N kills the process when the
// document reports its N-th save step; step:NAME:N when the installation reaches its N-th step of
// that kind (journal, rename, remove, folder). hold:... saves with the files held back, adds a
// summary PDF of those bytes and waits for a line on standard input before it installs them.
// Prints "result <code>" once the save is done.

#include "core/analysissettings.h"
#include "core/systemsettings.h"
#include "document/kycapturesave.h"
#include "document/kydocument.h"

#include <QGuiApplication>
#include <QObject>
#include <QStringList>

#include <csignal>
#include <cstdio>
#include <memory>

namespace {

KyCaptureSave::Step gKillStep;
int gKillCount = 0;

void killAtStep(KyCaptureSave::Step inStep, const QString &)
{
    if (inStep == gKillStep && --gKillCount == 0)
        std::raise(SIGKILL);
}

bool stepNamed(const QString &inName, KyCaptureSave::Step &outStep)
{
    const QStringList names{QStringLiteral("journal"), QStringLiteral("rename"), QStringLiteral("remove"),
                            QStringLiteral("folder")};
    const qsizetype index = names.indexOf(inName);
    if (index < 0)
        return false;
    outStep = KyCaptureSave::Step(index);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 5)
        return 2;
    // Made on this thread, as the program makes them at start-up.
    SystemSettings::instance();
    AnalysisSettings::instance();
    std::unique_ptr<KyDocument> document(KyDocument::Create(args.at(1)));
    if (!document)
        return 3;
    if (!document->SetComment(args.at(3)))
        return 4;
    document->SetDefaultLanes(args.at(4).toInt(), 0.8);
    document->ExtractLaneProfiles();

    const QString how = args.value(5);
    int steps = 0;
    if (how.startsWith(QLatin1String("progress:"))) {
        const int killAt = how.section(QLatin1Char(':'), 1).toInt();
        QObject::connect(document.get(), &KyDocument::SaveProgress, [&steps, killAt] {
            if (++steps == killAt)
                std::raise(SIGKILL);
        });
    } else if (how.startsWith(QLatin1String("step:"))) {
        if (!stepNamed(how.section(QLatin1Char(':'), 1, 1), gKillStep))
            return 2;
        gKillCount = how.section(QLatin1Char(':'), 2).toInt();
        KyCaptureSave::SetStepHook(&killAtStep);
    }
    const bool hold = how.startsWith(QLatin1String("hold:"));
    if (hold)
        document->HoldNextSave();

    QString target = args.at(2);
    if (target == QLatin1String("-")) {
        const QString first = document->FilePathOfFirstImage();
        target = first.left(first.lastIndexOf(QLatin1Char('.')));
    }
    int result = document->SaveAs(target);
    if (hold) {
        const QString pdf = document->StagedSavePath(target + QStringLiteral(".pdf"));
        FILE *file = pdf.isEmpty() ? nullptr : std::fopen(pdf.toLocal8Bit().constData(), "wb");
        const QByteArray bytes = how.section(QLatin1Char(':'), 1).toLatin1();
        const bool written = file && std::fwrite(bytes.constData(), 1, size_t(bytes.size()), file) == size_t(bytes.size());
        if (file)
            std::fclose(file);
        std::printf("held\n");
        std::fflush(stdout);
        char line[16];
        if (!std::fgets(line, sizeof line, stdin))
            return 5;
        if (!document->FinishHeldSave(written && result == 0) && result == 0)
            result = -1;
    }
    std::printf("result %d\n", result);
    return 0;
}
