// Draws the pictures of the help pages at build time.
//
//   helpgen <output folder>     every picture as a PNG into the folder (made when missing)

#include "helppictures.h"

#include <QDir>
#include <QGuiApplication>
#include <QSaveFile>

#include <cstdio>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: helpgen <output folder>\n");
        return 2;
    }
    const QString folder = args.at(1);
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "helpgen: cannot make the folder %s\n", qPrintable(folder));
        return 1;
    }
    for (const QString &name : HelpPictures::names()) {
        const QImage image = HelpPictures::paint(name);
        QSaveFile file(folder + QLatin1Char('/') + name);
        if (image.isNull() || !file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG") || !file.commit()) {
            std::fprintf(stderr, "helpgen: cannot write %s\n", qPrintable(file.fileName()));
            return 1;
        }
    }
    return 0;
}
