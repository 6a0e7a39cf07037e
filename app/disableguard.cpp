#include "app/disableguard.h"

#include <QCoreApplication>

DisableGuard::DisableGuard(QWidget *widget, std::function<bool()> inKeepDisabled)
    : mWidget(widget)
    , mKeepDisabled(std::move(inKeepDisabled))
{
    if (!mWidget)
        return;
    mWidget->setDisabled(true);
    QCoreApplication::processEvents();
}

DisableGuard::~DisableGuard()
{
    if (mWidget)
        mWidget->setEnabled(!(mKeepDisabled && mKeepDisabled()));
}
