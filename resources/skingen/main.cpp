// Draws the program's skins and icons at build time.
//
//   skingen <list> <output folder>                  every listed image as a PNG, and skins.qrc
//   skingen --sheet <list> <output folder> <png>    a contact sheet of the written images

#include "contactsheet.h"
#include "skinlist.h"
#include "skinpainter.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSaveFile>
#include <QTextStream>

#include <cstdio>

namespace {

int fail(const QString &message)
{
    std::fprintf(stderr, "skingen: %s\n", qPrintable(message));
    return 1;
}

// The image's file below the output folder: ":/KYParts/Resources/a.png" becomes
// "<folder>/KYParts/Resources/a.png", so that a .qrc in the folder with prefix "/" names it by its
// resource path.
QString outputFile(const QString &folder, const SkinEntry &entry)
{
    return folder + entry.path.mid(1);
}

int writeImages(const QList<SkinEntry> &entries, const QString &folder)
{
    QString qrc;
    QTextStream out(&qrc);
    out << "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n<qresource prefix=\"/\">\n";
    for (const SkinEntry &entry : entries) {
        QString error;
        const QImage image = SkinPainter::paint(entry.path, entry.size, &error);
        if (image.isNull())
            return fail(error);
        const QString file = outputFile(folder, entry);
        if (!QDir().mkpath(QFileInfo(file).path()))
            return fail(QStringLiteral("cannot make the folder of %1").arg(file));
        QSaveFile png(file);
        if (!png.open(QIODevice::WriteOnly) || !image.save(&png, "PNG") || !png.commit())
            return fail(QStringLiteral("cannot write %1: %2").arg(file, png.errorString()));
        out << "  <file>" << entry.path.mid(2) << "</file>\n";
    }
    out << "</qresource>\n</RCC>\n";
    QSaveFile file(folder + QStringLiteral("/skins.qrc"));
    if (!file.open(QIODevice::WriteOnly) || file.write(qrc.toUtf8()) < 0 || !file.commit())
        return fail(QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString()));
    return 0;
}

int writeSheet(const QList<SkinEntry> &entries, const QString &folder, const QString &sheetFile)
{
    QString error;
    const QImage sheet = renderContactSheet(entries, folder, &error);
    if (sheet.isNull())
        return fail(error);
    QSaveFile file(sheetFile);
    if (!file.open(QIODevice::WriteOnly) || !sheet.save(&file, "PNG") || !file.commit())
        return fail(QStringLiteral("cannot write %1: %2").arg(sheetFile, file.errorString()));
    std::printf("%s\n", qPrintable(sheetFile));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    // Runs on build machines without a display; fonts for the sheet's names need the application.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool sheet = !args.isEmpty() && args.first() == QLatin1String("--sheet");
    if (sheet)
        args.removeFirst();
    if (args.size() != (sheet ? 3 : 2))
        return fail(QStringLiteral("usage: skingen [--sheet] <list> <output folder> [<sheet png>]"));

    QList<SkinEntry> entries;
    QString error;
    if (!readSkinList(args.at(0), &entries, &error))
        return fail(error);
    const QString folder = QDir::cleanPath(args.at(1));
    return sheet ? writeSheet(entries, folder, args.at(2)) : writeImages(entries, folder);
}
