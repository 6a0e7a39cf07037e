#pragma once

#include <QImage>
#include <QString>

// The skin pictures compiled into the program, by resource path. Each is decoded once per process,
// on first use, and then shared by every widget that shows it: a QImage copy shares the pixels.
// A path that names no picture gives a null image, as QImage(path) does. Safe from any thread.
namespace KySkin {

QImage image(const QString &inPath);

}
