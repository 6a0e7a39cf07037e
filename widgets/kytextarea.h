#pragma once

#include "widgets/kyborderimage.h"

#include <QLineEdit>

class KyOverlayWidget;
class QValidator;

// A one-line text field on the text-area skin. Read-only, it turns into a button-like field: an
// overlay covers it and a left click anywhere on it emits clicked() (screens open a keypad from it).
class KyTextArea : public KyBorderImage
{
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)
    Q_PROPERTY(Qt::Alignment alignment READ alignment WRITE setAlignment)
    Q_PROPERTY(bool readOnly READ isReadOnly WRITE setReadOnly)
    Q_PROPERTY(QLineEdit::EchoMode echoMode READ echoMode WRITE setEchoMode)
    Q_PROPERTY(int maxLength READ maxLength WRITE setMaxLength)

public:
    explicit KyTextArea(QWidget *parent = nullptr);

    void setText(const QString &text);
    QString text() const;
    void clear();
    void setMaxLength(int length);
    int maxLength() const;
    void setEchoMode(QLineEdit::EchoMode mode);
    QLineEdit::EchoMode echoMode() const;
    void setAlignment(Qt::Alignment alignment);
    Qt::Alignment alignment() const;
    void setReadOnly(bool readOnly);
    bool isReadOnly() const;
    void setValidator(const QValidator *validator);
    void setFocus();
    void cursorBackward(bool mark, int steps = 1);
    void cursorForward(bool mark, int steps = 1);
    void backspace();
    void insert(const QString &text);
    void setTextColor(const QColor &color);
    void setPointSize(int pointSize);

signals:
    void textChanged(const QString &text);
    void returnPressed();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private slots:
    void onClicked();

private:
    QLineEdit *lineEdit = nullptr;
    KyOverlayWidget *overlay = nullptr;
};
