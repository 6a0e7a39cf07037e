#pragma once

#include <QIcon>
#include <QString>
#include <QStringList>

class QPoint;
class QWidget;

// The icon of every "Copy" menu entry: the active picture, and the inactive one when disabled.
QIcon copyMenuIcon();

// The one-entry context menu of the widgets that copy what they show: runs it modally at the
// global position, as a child of parent, and answers whether its entry (copyText, translated by
// the caller in its own context) was chosen. A parent destroyed while the menu is open takes the
// menu with it, and nothing was chosen.
bool runCopyMenu(QWidget *parent, const QString &copyText, const QPoint &globalPos);

// The same menu with further entries (without icons) below "Copy": answers 0 for "Copy", 1 for
// the first further entry and so on, -1 when nothing was chosen.
int runCopyMenu(QWidget *parent, const QString &copyText, const QStringList &moreTexts, const QPoint &globalPos);
