#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

// The pictures of the help pages, drawn at build time. Each is drawn at the size of the help
// box's picture page, which shows it stretched to that size.
namespace HelpPictures {

// The picture page of the help box: 558 x 328 pixels.
constexpr QSize kPageSize(558, 328);

// The file names of every picture ("lane2.png", ...).
QStringList names();

// One picture by file name; null for an unknown name.
QImage paint(const QString &inName);

} // namespace HelpPictures
