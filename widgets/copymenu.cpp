#include "widgets/copymenu.h"

#include <QIcon>
#include <QMenu>
#include <QPixmap>
#include <QPoint>
#include <QPointer>

bool runCopyMenu(QWidget *parent, const QString &copyText, const QPoint &globalPos)
{
    QIcon icon;
    icon.addPixmap(QPixmap(QStringLiteral(":/Kestova/Images/ico_copy_active.png")), QIcon::Normal);
    icon.addPixmap(QPixmap(QStringLiteral(":/Kestova/Images/ico_copy_inactive.png")), QIcon::Disabled,
                   QIcon::Off);
    // On the heap: a parent destroyed while the menu runs takes the menu with it.
    QPointer<QMenu> menu = new QMenu(parent);
    QAction *copyAction = menu->addAction(icon, copyText);
    menu->move(globalPos);
    QAction *chosen = menu->exec();
    if (!menu)
        return false;
    delete menu;
    return chosen == copyAction;
}
