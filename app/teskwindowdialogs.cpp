// Help pages, image information and the About box.
#include "app/teskwindow.h"

#include "app/kyhelp.h"
#include "app/kyimageinformation.h"
#include "app/kysplashdialog.h"
#include "app/teskapp.h"

void TeskWindow::onShowHelp(QString inTitle, QString inName)
{
    KyHelp::ShowHelp(this, inTitle, inName, true);
}

void TeskWindow::on_actionFileInfo_triggered()
{
    KyImageInformation::Show(this, TeskApp::currentDocument());
}

void TeskWindow::on_actionAbout_triggered()
{
    KySplashDialog box(this, Qt::CustomizeWindowHint | Qt::FramelessWindowHint, false);
    box.execTimed();
}
