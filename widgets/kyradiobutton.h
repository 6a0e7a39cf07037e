#pragma once

#include "widgets/kyindicatorparts.h"

#include <QRadioButton>

// A radio button drawn from indicator images beside a preset text; like KyCheckBox, a press
// anywhere on it presses it.
class KyRadioButton : public QRadioButton
{
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)

public:
    explicit KyRadioButton(QWidget *parent = nullptr);

    // The indicator picture for a state, relative to the widget skins.
    static QString indicatorName(bool enabled, bool checked, bool down);

    QString text() const;
    void setText(const QString &text);

    // Sized by its indicator and text, not by the platform radio button.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool hitButton(const QPoint &pos) const override;

private:
    KyIndicatorParts parts;
};
