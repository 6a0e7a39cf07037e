#pragma once

#include "skinlist.h"

#include <QImage>

// One picture of every skin with its name under it, for looking at the whole look at once.
// Each skin sits on a checked tile so that white and transparent parts stay visible.
QImage renderContactSheet(const QList<SkinEntry> &entries, const QString &imageFolder, QString *error);
