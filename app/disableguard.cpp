#include "app/disableguard.h"

#include <QCoreApplication>

DisableGuard::DisableGuard(QWidget *widget) : mWidget(widget)
{
    if (!mWidget)
        return;
    mWidget->setDisabled(true);
    QCoreApplication::processEvents();
}

DisableGuard::~DisableGuard()
{
    if (mWidget)
        mWidget->setEnabled(true);
}
