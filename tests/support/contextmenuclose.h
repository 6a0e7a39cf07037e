#pragma once

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPointer>
#include <QTimer>

namespace kytest {

// Opens receiver's context menu at pos and, while the menu is open, deletes owner (the widget
// whose menu it is, or a widget that holds it), as a window closing under an open menu does.
// True when a menu was open at that moment and owner is gone afterwards.
inline bool deleteWhileContextMenuOpen(QWidget *receiver, QWidget *owner, const QPoint &pos)
{
    QPointer<QWidget> watched = owner;
    bool menuOpen = false;
    QTimer::singleShot(0, [&menuOpen, owner] {
        menuOpen = qobject_cast<QMenu *>(QApplication::activePopupWidget()) != nullptr;
        delete owner;
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, pos, receiver->mapToGlobal(pos));
    QCoreApplication::sendEvent(receiver, &event);
    return menuOpen && !watched;
}

} // namespace kytest
