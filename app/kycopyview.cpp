#include "app/kycopyview.h"

#include "app/kyprogressview.h"
#include "widgets/kymessagebox.h"

#include <QTimer>

bool KyCopyView::sBusy = false;

namespace {

// How long the finished bar stays on screen.
constexpr int kCloseDelayMs = 600;

} // namespace

KyCopyView::KyCopyView(QWidget *parent) : QWidget(parent), mPanel(new KyProgressView(nullptr))
{
    // A child made before its window is shown would show with it.
    hide();
}

KyCopyView::~KyCopyView()
{
    if (mHoldsBusy && sBusy)
        sBusy = false;
    if (mBox)
        delete mBox.data();
    else
        delete mPanel.data();
}

bool KyCopyView::IsBusy()
{
    return sBusy;
}

void KyCopyView::SetText(const QString &text)
{
    if (mPanel)
        mPanel->SetText(text);
}

void KyCopyView::SetValue(int total)
{
    if (mPanel)
        mPanel->SetProgress(total);
}

void KyCopyView::Show(QWidget *parent)
{
    if (sBusy || !mPanel)
        return;
    if (!mBox) {
        mBox = new KyMessageBox(parent, 2, false, false);
        mBox->setTitle(QString());
        mBox->setButtonTexts(QString(), QString(), QString());
        mBox->setWidget(mPanel);
        mBox->setWindowModality(Qt::WindowModal);
    }
    if (parent) {
        mBox->setFixedSize(parent->size());
        mBox->move(parent->mapToGlobal(QPoint(0, 0)));
    }
    sBusy = true;
    mHoldsBusy = true;
    mBox->show();
    mBox->raise();
}

bool KyCopyView::IsFinished() const
{
    return !mPanel || mPanel->IsFinished();
}

void KyCopyView::Step()
{
    if (!mPanel)
        return;
    mPanel->Step();
    // Bound to this pop-up: the timer dies with it, and never reaches a pop-up made after it.
    if (mPanel->IsFinished())
        QTimer::singleShot(kCloseDelayMs, this, &KyCopyView::onClose);
}

void KyCopyView::Close()
{
    onClose();
}

void KyCopyView::onClose()
{
    if (mBox)
        mBox->hide();
    sBusy = false;
    mHoldsBusy = false;
}
