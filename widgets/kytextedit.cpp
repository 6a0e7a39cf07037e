#include "widgets/kytextedit.h"

#include "widgets/kyfonts.h"

KyTextEdit::KyTextEdit(QWidget *parent)
    : QTextEdit(parent)
{
    setUp();
}

KyTextEdit::KyTextEdit(const QString &text, QWidget *parent)
    : QTextEdit(text, parent)
{
    setUp();
}

void KyTextEdit::setUp()
{
    mType = KyLabel::kSize_Small;
    applyFont();
    setReadOnly(true);
    setFrameShape(QFrame::NoFrame);
    setTextInteractionFlags(Qt::NoTextInteraction);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, Qt::black);
    pal.setColor(QPalette::Text, Qt::black);
    pal.setColor(QPalette::Window, Qt::white);
    pal.setColor(QPalette::Disabled, QPalette::WindowText, Qt::lightGray);
    pal.setColor(QPalette::Disabled, QPalette::Text, Qt::lightGray);
    setPalette(pal);
    viewport()->setCursor(Qt::ArrowCursor);
}

void KyTextEdit::applyFont()
{
    int index = 0;
    if (mType == KyLabel::kSize_Middle)
        index = 2;
    else if (mType == KyLabel::kSize_Large)
        index = 3;
    setFont(makeFont(index));
}

void KyTextEdit::setType(KyLabel::ESize type)
{
    if (type == mType)
        return;
    mType = type;
    applyFont();
}

void KyTextEdit::setText(const QString &text)
{
    setPlainText(text);
}

QString KyTextEdit::text() const
{
    return toPlainText();
}
