#pragma once

#include "widgets/kylabel.h"

#include <QTextEdit>

// A read-only text display with a size preset: the text can be neither edited nor selected.
class KyTextEdit : public QTextEdit
{
    Q_OBJECT
    Q_PROPERTY(KyLabel::ESize mType MEMBER mType WRITE setType)

public:
    explicit KyTextEdit(QWidget *parent = nullptr);
    explicit KyTextEdit(const QString &text, QWidget *parent = nullptr);

    KyLabel::ESize type() const { return mType; }
    void setType(KyLabel::ESize type);

    // Plain text in and out.
    void setText(const QString &text);
    QString text() const;

private:
    void setUp();
    void applyFont();

    KyLabel::ESize mType = KyLabel::kSize_Small;
};
