#include "widgets/kymessagebox.h"

#include "ui_kymessagebox.h"
#include "widgets/copymenu.h"
#include "widgets/kyskin.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>

const QSize KyMessageBox::kBoxSizes[3] = {QSize(550, 290), QSize(600, 380), QSize(600, 490)};

bool KyMessageBox::sShowing = false;

namespace {

bool isReturn(const QKeyEvent *event)
{
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

} // namespace

KyMessageBox::KyMessageBox(QWidget *parent, int sizeType, bool rejectIsDefault, bool dismissible)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::CustomizeWindowHint),
      ui(new Ui::KyMessageBox),
      mAltPressed(false),
      mCurrentPage(1),
      mPageCount(1),
      mSizeType(sizeType),
      mDismissible(dismissible),
      mCopyEnabled(false),
      mRejectIsDefault(rejectIsDefault)
{
    ui->setupUi(this);
    if (parent) {
        // The box covers the parent and shows it, faded, behind the frame.
        move(parent->mapToGlobal(QPoint(0, 0)));
        setFixedSize(parent->size());
        ui->behindImage->setMPixmap(parent->grab());
    }
    ui->bottomStackedWidget->setCurrentIndex(0);
    const QString folder = QStringLiteral(":/KYParts/Resources/");
    ui->closeButton->setBackground({KySkin::image(folder + QLatin1String("btn_close.png")),
                                    KySkin::image(folder + QLatin1String("btn_close_pressed.png"))},
                                   5, 5, 5, 5);
    // The button texts show them again.
    ui->acceptButton->hide();
    ui->rejectButton->hide();
    ui->closeButton->hide();
    // The default button is the blue one.
    ui->acceptButton->setType(rejectIsDefault ? KyButton::kType_White : KyButton::kType_Blue);
    ui->rejectButton->setType(rejectIsDefault ? KyButton::kType_Blue : KyButton::kType_White);
    setSizeType(mSizeType);
}

KyMessageBox::~KyMessageBox()
{
    // A box destroyed inside its modal loop must not leave every later question refused.
    if (mHoldsShowing) {
        mHoldsShowing = false;
        sShowing = false;
    }
    delete ui;
}

int KyMessageBox::ask(QWidget *parent, int sizeType, bool rejectIsDefault, const QString &title,
                      const std::function<void(KyMessageBox &)> &content, const QString &acceptText,
                      const QString &rejectText, const QString &alternativeText, bool *altPressed)
{
    KyMessageBox box(parent, sizeType, rejectIsDefault, true);
    box.setTitle(title);
    content(box);
    box.setButtonTexts(acceptText, rejectText, alternativeText);
    const int result = box.exec();
    if (altPressed)
        *altPressed = box.isAltPressed();
    return result;
}

bool KyMessageBox::question(QWidget *parent, const QString &title, const QString &text,
                            const QString &acceptText, const QString &rejectText, int sizeType,
                            bool rejectIsDefault)
{
    return ask(parent, sizeType, rejectIsDefault, title, [&text](KyMessageBox &box) { box.setText(text); },
               acceptText, rejectText, QString(), nullptr) == 1;
}

int KyMessageBox::question3(QWidget *parent, const QString &title, const QString &text,
                            const QString &acceptText, const QString &rejectText,
                            const QString &alternativeText, int sizeType, bool rejectIsDefault)
{
    bool altPressed = false;
    if (ask(parent, sizeType, rejectIsDefault, title, [&text](KyMessageBox &box) { box.setText(text); },
            acceptText, rejectText, alternativeText, &altPressed) != 0)
        return 0;
    return altPressed ? 2 : 1;
}

bool KyMessageBox::pixmapQuestion(QWidget *parent, const QString &title, const QPixmap &picture,
                                  const QString &acceptText, const QString &rejectText,
                                  bool rejectIsDefault)
{
    return ask(parent, 2, rejectIsDefault, title, [&picture](KyMessageBox &box) { box.setPixmap(picture); },
               acceptText, rejectText, QString(), nullptr) == 1;
}

bool KyMessageBox::widgetQuestion(QWidget *parent, const QString &title, QWidget *content,
                                  const QString &acceptText, const QString &rejectText,
                                  bool rejectIsDefault)
{
    return ask(parent, 2, rejectIsDefault, title, [content](KyMessageBox &box) { box.setWidget(content); },
               acceptText, rejectText, QString(), nullptr) == 1;
}

void KyMessageBox::setTitle(const QString &title)
{
    ui->titleLabel->setText(title);
}

void KyMessageBox::setText(const QString &text)
{
    ui->messageLabel->setPlainText(text);
    ui->stackedWidget->setCurrentIndex(0);
}

void KyMessageBox::setHtml(const QString &html)
{
    ui->messageLabel->setHtml(html);
    ui->stackedWidget->setCurrentIndex(0);
}

QString KyMessageBox::text() const
{
    return ui->messageLabel->toPlainText();
}

void KyMessageBox::setPixmap(const QPixmap &picture)
{
    ui->imageLabel->setPixmap(picture);
    ui->stackedWidget->setCurrentIndex(1);
}

void KyMessageBox::setWidget(QWidget *widget)
{
    ui->stackedWidget->addWidget(widget);
    ui->stackedWidget->setCurrentWidget(widget);
}

void KyMessageBox::removeWidget(QWidget *widget)
{
    ui->stackedWidget->removeWidget(widget);
}

void KyMessageBox::setButtonTexts(const QString &acceptText, const QString &rejectText,
                                  const QString &alternativeText)
{
    if (acceptText.isEmpty()) {
        ui->acceptButton->hide();
        ui->acceptButton2->hide();
    } else {
        ui->acceptButton->setText(acceptText);
        ui->acceptButton2->setText(acceptText);
        ui->acceptButton->show();
        ui->acceptButton2->show();
    }
    if (rejectText.isEmpty()) {
        ui->rejectButton->hide();
        ui->closeButton->hide();
    } else {
        // The close button keeps its image and shows no text.
        ui->rejectButton->setText(rejectText);
        ui->rejectButton->show();
        ui->closeButton->show();
    }
    if (alternativeText.isEmpty()) {
        ui->altButton->hide();
    } else {
        ui->altButton->setText(alternativeText);
        ui->altButton->show();
    }
}

void KyMessageBox::setPageCount(int count)
{
    ui->bottomStackedWidget->setCurrentIndex(1);
    mPageCount = count;
    setPage(1);
}

void KyMessageBox::setPage(int page)
{
    mCurrentPage = page;
    if (mPageCount < 2) {
        ui->pageLabel->clear();
        ui->prevPageButton->hide();
        ui->nextPageButton->hide();
    } else {
        ui->pageLabel->setText(QStringLiteral("%1/%2").arg(mCurrentPage).arg(mPageCount));
        ui->prevPageButton->show();
        ui->nextPageButton->show();
        ui->prevPageButton->setEnabled(mCurrentPage > 1);
        ui->nextPageButton->setEnabled(mCurrentPage < mPageCount);
    }
    emit pageChanged(mCurrentPage);
}

void KyMessageBox::setSizeType(int sizeType)
{
    mSizeType = sizeType;
    if (sizeType < 0 || sizeType > 2)
        return;
    const QSize frame = kBoxSizes[sizeType];
    ui->windowImage->setMinimumSize(frame);
    ui->windowImage->setMaximumSize(frame);
    ui->windowImage->resize(frame);
}

int KyMessageBox::exec()
{
    if (sShowing)
        return 0;
    sShowing = true;
    mHoldsShowing = true;
    mAltPressed = false;
    // Whatever ends the loop (a button, done(), hiding, the box's destruction, an exception),
    // the flag is cleared: by the box if it is still there, else by its destructor.
    struct Release
    {
        QPointer<KyMessageBox> box;
        ~Release()
        {
            if (box && box->mHoldsShowing) {
                box->mHoldsShowing = false;
                sShowing = false;
            }
        }
    } release{this};
    if (QWidget *parent = parentWidget()) {
        move(parent->mapToGlobal(QPoint(0, 0)));
        setFixedSize(parent->size());
    }
    return QDialog::exec();
}

void KyMessageBox::copyContents()
{
    switch (ui->stackedWidget->currentIndex()) {
    case 0:
        QGuiApplication::clipboard()->setText(ui->messageLabel->toPlainText(), QClipboard::Clipboard);
        break;
    case 1: {
        // No picture: the clipboard keeps what it holds.
        const QPixmap picture = ui->imageLabel->pixmap();
        if (!picture.isNull())
            QGuiApplication::clipboard()->setPixmap(picture, QClipboard::Clipboard);
        break;
    }
    default:
        // A caller's page: its owner copies it.
        emit copy();
        break;
    }
}

void KyMessageBox::forceClose()
{
    if (!mDismissible)
        return;
    for (KyButton *button : {ui->rejectButton, ui->acceptButton, ui->acceptButton2}) {
        if (button->isVisible()) {
            button->animateClick();
            return;
        }
    }
    accept();
}

void KyMessageBox::on_acceptButton_clicked()
{
    accept();
}

void KyMessageBox::on_acceptButton2_clicked()
{
    accept();
}

void KyMessageBox::on_rejectButton_clicked()
{
    mAltPressed = false;
    reject();
}

void KyMessageBox::on_altButton_clicked()
{
    mAltPressed = true;
    reject();
}

void KyMessageBox::on_closeButton_clicked()
{
    on_rejectButton_clicked();
}

void KyMessageBox::on_prevPageButton_clicked()
{
    if (mCurrentPage != 1)
        setPage(mCurrentPage - 1);
}

void KyMessageBox::on_nextPageButton_clicked()
{
    if (mCurrentPage != mPageCount)
        setPage(mCurrentPage + 1);
}

void KyMessageBox::mouseReleaseEvent(QMouseEvent *event)
{
    if (mDismissible) {
        const QRect frame(ui->windowImage->mapTo(this, QPoint(0, 0)), ui->windowImage->size());
        if (!frame.contains(event->position().toPoint()))
            forceClose();
    }
    QWidget::mouseReleaseEvent(event);
}

void KyMessageBox::keyPressEvent(QKeyEvent *event)
{
    if (mCopyEnabled && event->matches(QKeySequence::Copy)) {
        copyContents();
        event->accept();
        return;
    }
    KyButton *defaultButton = mRejectIsDefault ? ui->rejectButton : ui->acceptButton;
    if (defaultButton->isVisible() && isReturn(event)) {
        defaultButton->animateClick();
        return;
    }
    if (ui->acceptButton2->isVisible() && isReturn(event)) {
        ui->acceptButton2->animateClick();
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        forceClose();
        return;
    }
    // The plain widget handling: the dialog's own would reject on Escape and click on Return.
    QWidget::keyPressEvent(event);
}

void KyMessageBox::contextMenuEvent(QContextMenuEvent *event)
{
    if (!mCopyEnabled) {
        QWidget::contextMenuEvent(event);
        return;
    }
    if (runCopyMenu(this, tr("Copy"), event->globalPos()))
        copyContents();
}
