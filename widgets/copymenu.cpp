#include "widgets/copymenu.h"

#include <QMenu>
#include <QPixmap>
#include <QPoint>
#include <QPointer>

QIcon copyMenuIcon()
{
    QIcon icon;
    icon.addPixmap(QPixmap(QStringLiteral(":/Kestova/Images/ico_copy_active.png")), QIcon::Normal);
    icon.addPixmap(QPixmap(QStringLiteral(":/Kestova/Images/ico_copy_inactive.png")), QIcon::Disabled,
                   QIcon::Off);
    return icon;
}

bool runCopyMenu(QWidget *parent, const QString &copyText, const QPoint &globalPos)
{
    return runCopyMenu(parent, copyText, {}, globalPos) == 0;
}

int runCopyMenu(QWidget *parent, const QString &copyText, const QStringList &moreTexts, const QPoint &globalPos)
{
    // On the heap: a parent destroyed while the menu runs takes the menu with it.
    QPointer<QMenu> menu = new QMenu(parent);
    QList<QAction *> entries{menu->addAction(copyMenuIcon(), copyText)};
    for (const QString &text : moreTexts)
        entries.append(menu->addAction(text));
    menu->move(globalPos);
    QAction *chosen = menu->exec();
    if (!menu)
        return -1;
    delete menu;
    return int(entries.indexOf(chosen));
}
