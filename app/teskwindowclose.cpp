// Closing the capture and leaving the program.
#include "app/teskwindow.h"

#include <QCloseEvent>

void TeskWindow::on_actionClose_triggered()
{
    closeCurrentImage();
}

void TeskWindow::on_actionExit_triggered()
{
    close();
}

void TeskWindow::closeCurrentImage()
{
}

void TeskWindow::closeEvent(QCloseEvent *event)
{
    QMainWindow::closeEvent(event);
}
