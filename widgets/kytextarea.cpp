#include "widgets/kytextarea.h"

#include "widgets/kyfonts.h"
#include "widgets/kyoverlaywidget.h"

#include <QHBoxLayout>
#include <QMouseEvent>

KyTextArea::KyTextArea(QWidget *parent)
    : KyBorderImage(parent)
{
    setBorderImage(QPixmap(QStringLiteral(":/KYParts/Resources/textarea.png")), 10, 10, 10, 10);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    lineEdit = new QLineEdit(this);
    layout->addWidget(lineEdit);
    lineEdit->setFont(makeFont(0));
    QPalette pal = lineEdit->palette();
    pal.setColor(QPalette::Base, Qt::white);
    pal.setColor(QPalette::Text, Qt::black);
    lineEdit->setPalette(pal);
    lineEdit->setFrame(false);
    lineEdit->setAlignment(Qt::AlignVCenter);
    lineEdit->setText(QStringLiteral("Text"));
    connect(lineEdit, &QLineEdit::textChanged, this, &KyTextArea::textChanged);
    connect(lineEdit, &QLineEdit::returnPressed, this, &KyTextArea::returnPressed);

    overlay = new KyOverlayWidget(this);
    overlay->setGeometry(0, 0, width(), height());
    overlay->hide();
    connect(overlay, &KyOverlayWidget::clicked, this, &KyTextArea::onClicked);
}

void KyTextArea::setText(const QString &text) { lineEdit->setText(text); }
QString KyTextArea::text() const { return lineEdit->text(); }
void KyTextArea::clear() { lineEdit->clear(); }
void KyTextArea::setMaxLength(int length) { lineEdit->setMaxLength(length); }
int KyTextArea::maxLength() const { return lineEdit->maxLength(); }
void KyTextArea::setEchoMode(QLineEdit::EchoMode mode) { lineEdit->setEchoMode(mode); }
QLineEdit::EchoMode KyTextArea::echoMode() const { return lineEdit->echoMode(); }
void KyTextArea::setAlignment(Qt::Alignment alignment) { lineEdit->setAlignment(alignment); }
Qt::Alignment KyTextArea::alignment() const { return lineEdit->alignment(); }
bool KyTextArea::isReadOnly() const { return lineEdit->isReadOnly(); }
void KyTextArea::setValidator(const QValidator *validator) { lineEdit->setValidator(validator); }
void KyTextArea::setFocus() { lineEdit->setFocus(); }
void KyTextArea::cursorBackward(bool mark, int steps) { lineEdit->cursorBackward(mark, steps); }
void KyTextArea::cursorForward(bool mark, int steps) { lineEdit->cursorForward(mark, steps); }
void KyTextArea::backspace() { lineEdit->backspace(); }
void KyTextArea::insert(const QString &text) { lineEdit->insert(text); }

void KyTextArea::setReadOnly(bool readOnly)
{
    lineEdit->setReadOnly(readOnly);
    overlay->setVisible(readOnly);
    if (readOnly)
        overlay->raise();
}

void KyTextArea::setTextColor(const QColor &color)
{
    QPalette pal = lineEdit->palette();
    pal.setColor(QPalette::Text, color);
    pal.setColor(QPalette::WindowText, color);
    lineEdit->setPalette(pal);
}

void KyTextArea::setPointSize(int pointSize)
{
    QFont font = lineEdit->font();
    font.setPointSize(pointSize);
    lineEdit->setFont(font);
}

void KyTextArea::onClicked()
{
    emit clicked();
}

void KyTextArea::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (lineEdit->isReadOnly())
        emit clicked();
}

void KyTextArea::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    overlay->resize(size());
}

void KyTextArea::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange)
        lineEdit->setEnabled(isEnabled());
    QWidget::changeEvent(event);
}
