#include "results/kycopymenu.h"

#include <QCoreApplication>
#include <QIcon>
#include <QMenu>
#include <QPixmap>

namespace KyCopyMenu {

bool exec(QWidget *inParent, const QPoint &inGlobalPos)
{
    QMenu menu(inParent);
    QIcon icon;
    icon.addPixmap(QPixmap(QStringLiteral(":/Kestova/Images/ico_copy_active.png")), QIcon::Normal);
    icon.addPixmap(QPixmap(QStringLiteral(":/Kestova/Images/ico_copy_inactive.png")), QIcon::Disabled);
    QAction *copy = menu.addAction(icon, QCoreApplication::translate("KyCopyMenu", "Copy"));
    return menu.exec(inGlobalPos) == copy;
}

} // namespace KyCopyMenu
