#pragma once

#include <QSize>
#include <QString>

class KyLabel;
class QAbstractButton;
class QHBoxLayout;
class QLabel;

// The two children of a skinned check box or radio button: an indicator picture and a preset text,
// side by side. They are transparent for the mouse, so every press reaches the button.
class KyIndicatorParts
{
public:
    KyIndicatorParts(QAbstractButton *button, const QString &text);

    QLabel *indicator() const { return indicatorLabel; }
    KyLabel *label() const { return textLabel; }
    QHBoxLayout *layout() const { return row; }

    // The text lives in the label; the button's own text stays untouched.
    QString text() const;
    void setText(const QString &text);
    // The size of the parts, not of the platform control (whose own text is empty).
    QSize sizeHint() const;
    QSize minimumSizeHint() const;

    // Shows the indicator picture of the resource name, loading it only when the name changes
    // (setting a picture repaints the button, so setting it at every paint would never settle).
    void showIndicator(const QString &resourceName);

private:
    QLabel *indicatorLabel = nullptr;
    KyLabel *textLabel = nullptr;
    QHBoxLayout *row = nullptr;
    QString shownName;
};
