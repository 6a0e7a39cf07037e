#pragma once

#include "widgets/kyimageview.h"

#include <QApplication>
#include <QMouseEvent>

// Helpers for the image canvas and overlay tests.
namespace kycanvastest {

// The canvas's scroll offset: the canvas point at the widget's top-left corner.
inline QPoint offset(const KyImageView *view)
{
    return -view->mapToWidget(QPoint(0, 0));
}

// A left-button press, move (with the button held) or release, sent straight to the canvas: its
// own tracking, not Qt's, decides what a move means.
inline void mouse(KyImageView *view, QEvent::Type type, const QPoint &pos)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, pos, view->mapToGlobal(pos), Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(view, &event);
}

} // namespace kycanvastest
