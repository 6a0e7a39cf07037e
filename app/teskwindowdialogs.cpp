// Help pages, image information and the About box.
#include "app/teskwindow.h"

void TeskWindow::onShowHelp(QString inTitle, QString inName)
{
    Q_UNUSED(inTitle);
    Q_UNUSED(inName);
}

void TeskWindow::on_actionFileInfo_triggered()
{
}

void TeskWindow::on_actionAbout_triggered()
{
}
