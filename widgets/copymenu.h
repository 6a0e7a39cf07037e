#pragma once

#include <QIcon>
#include <QString>

class QPoint;
class QWidget;

// The icon of every "Copy" menu entry: the active picture, and the inactive one when disabled.
QIcon copyMenuIcon();

// The one-entry context menu of the widgets that copy what they show: runs it modally at the
// global position, as a child of parent, and answers whether its entry (copyText, translated by
// the caller in its own context) was chosen.
bool runCopyMenu(QWidget *parent, const QString &copyText, const QPoint &globalPos);
