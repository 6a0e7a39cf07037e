// samplecapture: writes synthetic capture folders for tests, demonstrations and benchmarks.
//
//   samplecapture <output-folder> [--size WxH] [--seed N] [--kinds gel,marker,fluor,color]
//
// One capture folder per kind is written under the output folder; their paths are printed on the
// standard output, one a line. The same arguments always give the same files.

#include "samplecapturewriter.h"

#include "core/systemsettings.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QRegularExpression>

#include <cstdio>

namespace {

constexpr int kMinimumSide = 32;
constexpr int kMaximumSide = 4096;

QtMessageHandler defaultHandler = nullptr;

// The image code reports every save and range on the debug output, the settings store its end at
// exit: the tool's output is the list of folders, so debug lines are dropped, the rest passed on.
void dropDebugLines(QtMsgType inType, const QMessageLogContext &inContext, const QString &inMessage)
{
    if (inType != QtDebugMsg && defaultHandler)
        defaultHandler(inType, inContext, inMessage);
}

int fail(const QString &inMessage)
{
    std::fprintf(stderr, "samplecapture: %s\n", qPrintable(inMessage));
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    defaultHandler = qInstallMessageHandler(dropDebugLines);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("samplecapture"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Writes synthetic capture folders, one per kind."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("output-folder"), QStringLiteral("Folder the capture folders are written into."));
    const QCommandLineOption sizeOption(QStringLiteral("size"), QStringLiteral("Image size (default 2046x3072)."),
                                        QStringLiteral("WxH"), QStringLiteral("2046x3072"));
    const QCommandLineOption seedOption(QStringLiteral("seed"), QStringLiteral("Seed of the pixel content (default 1)."),
                                        QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption kindsOption(QStringLiteral("kinds"),
                                         QStringLiteral("Kinds of capture to write (default all: %1).")
                                             .arg(SampleCaptureWriter::KindNames().join(QLatin1Char(','))),
                                         QStringLiteral("list"), SampleCaptureWriter::KindNames().join(QLatin1Char(',')));
    parser.addOptions({sizeOption, seedOption, kindsOption});
    if (!parser.parse(QCoreApplication::arguments()))
        return fail(parser.errorText());
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);

    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1)
        return fail(QStringLiteral("give exactly one output folder (see --help)"));

    const QRegularExpressionMatch size =
        QRegularExpression(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$")).match(parser.value(sizeOption));
    const int width = size.hasMatch() ? size.captured(1).toInt() : 0;
    const int height = size.hasMatch() ? size.captured(2).toInt() : 0;
    if (width < kMinimumSide || height < kMinimumSide || width > kMaximumSide || height > kMaximumSide)
        return fail(QStringLiteral("the size must be WxH with both sides from %1 to %2: %3")
                        .arg(kMinimumSide)
                        .arg(kMaximumSide)
                        .arg(parser.value(sizeOption)));

    bool seedOk = false;
    const quint64 seed = parser.value(seedOption).toULongLong(&seedOk);
    if (!seedOk)
        return fail(QStringLiteral("the seed must be a whole number from 0 up: %1").arg(parser.value(seedOption)));

    const QStringList kinds = parser.value(kindsOption).split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (kinds.isEmpty())
        return fail(QStringLiteral("no kind of capture given"));
    for (const QString &kind : kinds) {
        if (!SampleCaptureWriter::KindNames().contains(kind))
            return fail(QStringLiteral("unknown kind of capture: %1 (known: %2)")
                            .arg(kind, SampleCaptureWriter::KindNames().join(QLatin1Char(','))));
    }

    // The process-wide settings belong to this (the main) thread.
    SystemSettings::instance();
    SampleCaptureWriter writer(width, height, seed);
    for (const QString &kind : kinds) {
        const QString folder = writer.Write(kind, positional.first());
        if (folder.isEmpty()) {
            std::fprintf(stderr, "samplecapture: %s\n", qPrintable(writer.ErrorText()));
            return 1;
        }
        std::printf("%s\n", qPrintable(folder));
        std::fflush(stdout);
    }
    return 0;
}
