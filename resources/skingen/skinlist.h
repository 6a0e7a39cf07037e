#pragma once

#include <QList>
#include <QSize>
#include <QString>

// One line of the skin list: a resource path (":/..." as the code loads it) and the size the
// image must have.
struct SkinEntry
{
    QString path;
    QSize size;
};

// Reads the skin list ("path width height" per line; blank lines and lines starting with '#'
// are ignored). Returns false with a message naming the line for a malformed line, a size that
// is not positive, a path outside ":/" or a path listed twice.
bool readSkinList(const QString &fileName, QList<SkinEntry> *entries, QString *error);

// The file's name inside its resource folder ("btn_blue_pressed" for
// ":/KYParts/Resources/btn_blue_pressed.png").
QString skinStem(const QString &path);
