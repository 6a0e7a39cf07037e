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
    // The pages read the document, which a running save is writing from the pool.
    if (isSaving())
        return;
    KyImageInformation::Show(this, TeskApp::currentDocument());
}

void TeskWindow::on_actionAbout_triggered()
{
    KySplashDialog box(this, Qt::CustomizeWindowHint | Qt::FramelessWindowHint, false);
    box.execTimed();
}
