#pragma once

#include "samplecapturewriter.h"

#include <QDir>
#include <QString>
#include <QStringList>

#include <cstdio>

namespace kybench {

// The capture folder under inParent, written when there is none yet (the save probes write it in a
// process of their own, so that its memory and time are not measured). Empty, with the writer's
// reason on stderr after inProgram's name, when it could not be written.
inline QString captureFolder(const char *inProgram, const QString &inParent, const QString &inKind, int inWidth,
                             int inHeight)
{
    const QStringList made = QDir(inParent).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    if (!made.isEmpty())
        return inParent + QLatin1Char('/') + made.first();
    SampleCaptureWriter writer(inWidth, inHeight, 1);
    const QString folder = writer.Write(inKind, inParent);
    if (folder.isEmpty())
        std::fprintf(stderr, "%s: %s\n", inProgram, qPrintable(writer.ErrorText()));
    return folder;
}

} // namespace kybench
