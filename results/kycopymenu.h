#pragma once

#include <QPoint>

class QWidget;

// The context menu of the result views: one "Copy" action with the copy icon. True when the user
// chose it.
namespace KyCopyMenu {

bool exec(QWidget *inParent, const QPoint &inGlobalPos);

} // namespace KyCopyMenu
