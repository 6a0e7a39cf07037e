#include "app/kysplashdialog.h"

#include "instrument/versiontext.h"
#include "ui_kysplashdialog.h"

#include <QCoreApplication>
#include <QEvent>

KySplashDialog::KySplashDialog(QWidget *inParent, Qt::WindowFlags inFlags, bool inAutoClose)
    : QDialog(inParent, inFlags),
      ui(new Ui::KySplashDialog),
      autoClose(inAutoClose)
{
    mCloseTimer.setSingleShot(true);
    mCloseTimer.setInterval(kAutoCloseMSec);
    // A coarse timer may fire up to 5 % early.
    mCloseTimer.setTimerType(Qt::PreciseTimer);
    connect(&mCloseTimer, &QTimer::timeout, this, &KySplashDialog::onCloseTimerExpired);
    ui->setupUi(this);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The same text as the application object's version string: "V" and the program's
    // three-part version.
    if (QCoreApplication::instance())
        ui->versionLabel->setText(QStringLiteral("V%1").arg(applicationVersionText()));
}

KySplashDialog::~KySplashDialog()
{
    mCloseTimer.stop();
    delete ui;
}

void KySplashDialog::execTimed()
{
    if (autoClose)
        mCloseTimer.start();
    exec();
}

bool KySplashDialog::event(QEvent *inEvent)
{
    if (inEvent->type() == QEvent::MouseButtonPress || inEvent->type() == QEvent::KeyPress) {
        accept();
        return true;
    }
    return QDialog::event(inEvent);
}

void KySplashDialog::accept()
{
    mCloseTimer.stop();
    QDialog::accept();
}

void KySplashDialog::onCloseTimerExpired()
{
    accept();
}

void KySplashDialog::onAccept()
{
    QDialog::accept();
}
