#pragma once

#include "widgets/kyindicatorparts.h"
#include "widgets/kylabel.h"

#include <QCheckBox>

// A check box drawn from indicator images beside a preset text. A press anywhere on it (also on its
// text) presses it, and the release toggles it wherever the pointer then is.
class KyCheckBox : public QCheckBox
{
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)

public:
    explicit KyCheckBox(QWidget *parent = nullptr);

    // The indicator picture for a state, relative to the widget skins.
    static QString indicatorName(bool enabled, bool checked, bool down);

    QString text() const;
    void setText(const QString &text);
    void setTextSize(KyLabel::ESize size);

    // Sized by its indicator and text, not by the platform check box.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool hitButton(const QPoint &pos) const override;

private:
    KyIndicatorParts parts;
};
