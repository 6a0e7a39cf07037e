#pragma once

#include "widgets/kylabel.h"

#include <QAbstractButton>
#include <QImage>
#include <QList>
#include <QMargins>
#include <QPixmap>

class KyBorderImage;

// The skinned push button of every screen: a nine-part state image (normal, pressed or checked,
// disabled) behind an optional icon and a preset text. It can report long presses and double clicks.
// Its children only draw: they are transparent for the mouse, so every press reaches the button.
class KyButton : public QAbstractButton
{
    Q_OBJECT
    Q_PROPERTY(QPixmap icon READ icon WRITE setIcon)
    Q_PROPERTY(QPixmap pressedIcon READ pressedIcon WRITE setPressedIcon)
    Q_PROPERTY(QPixmap disabledIcon READ disabledIcon WRITE setDisabledIcon)
    Q_PROPERTY(EType type READ type WRITE setType)
    Q_PROPERTY(EIconLayout mIconLayout READ iconLayout WRITE setIconLayout)
    Q_PROPERTY(QString text READ text WRITE setText)
    Q_PROPERTY(KyLabel::EColor textColor READ textColor WRITE setTextColor)
    Q_PROPERTY(KyLabel::EColor pressedTextColor READ pressedTextColor WRITE setPressedTextColor)
    Q_PROPERTY(KyLabel::ESize textSize READ textSize WRITE setTextSize)
    Q_PROPERTY(Qt::Alignment textAlignment READ textAlignment WRITE setTextAlignment)
    Q_PROPERTY(QMargins margins READ margins WRITE setMargins)
    Q_PROPERTY(bool isLongPress READ isLongPress WRITE setIsLongPress)

public:
    // A fixed underlying type: forms and properties may store values outside the list.
    enum EType : int {
        kType_Gray = 0,
        kType_Blue = 1,
        kType_White = 2,
    };
    Q_ENUM(EType)

    enum EIconLayout : int {
        kIcon_Horizontal = 0,
        kIcon_Vertical = 1,
        kIcon_HorizontalRight = 2,
    };
    Q_ENUM(EIconLayout)

    // A press held longer than this (milliseconds) is a long press on buttons that ask for it.
    static int longPressInterval;

    explicit KyButton(QWidget *parent = nullptr);

    QPixmap icon() const { return normalIcon; }
    QPixmap pressedIcon() const { return downIcon; }
    QPixmap disabledIcon() const { return offIcon; }
    EType type() const { return skinType; }
    EIconLayout iconLayout() const { return layoutKind; }
    QString text() const;
    KyLabel::EColor textColor() const { return normalTextColor; }
    KyLabel::EColor pressedTextColor() const { return downTextColor; }
    KyLabel::ESize textSize() const { return labelSize; }
    Qt::Alignment textAlignment() const { return labelAlignment; }
    QMargins margins() const { return contentMargins; }
    bool isLongPress() const { return longPressTime > 0; }

    void setIcon(const QPixmap &icon);
    void setPressedIcon(const QPixmap &icon);
    void setDisabledIcon(const QPixmap &icon);
    void setType(EType type);
    void setIconLayout(EIconLayout layout);
    void setText(const QString &text);
    void setTextColor(KyLabel::EColor color);
    void setPressedTextColor(KyLabel::EColor color);
    void setTextSize(KyLabel::ESize size);
    void setTextAlignment(Qt::Alignment alignment);
    void setMargins(const QMargins &margins);
    void setIsLongPress(bool on);

    // Gives the button a skin of its own: normal, pressed and (optionally) disabled images with the
    // border widths in the order left, right, top, bottom.
    void setBackground(const QList<QImage> &images, int left, int right, int top, int bottom);
    void setTextWidth(int width);

    // The index into the state images that the current state paints, -1 when the list has none.
    int stateImageIndex() const;

signals:
    void doubleClicked();
    void longClicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void showIcon(const QPixmap &icon);

    EType skinType = kType_Blue;
    EIconLayout layoutKind = kIcon_Horizontal;
    KyBorderImage *background = nullptr;
    QLabel *iconLabel = nullptr;
    KyLabel *textLabel = nullptr;
    QList<QImage> stateImages;
    QPixmap normalIcon;
    QPixmap downIcon;
    QPixmap offIcon;
    KyLabel::EColor normalTextColor = KyLabel::kColor_White;
    KyLabel::EColor downTextColor = KyLabel::kColor_White;
    KyLabel::ESize labelSize = KyLabel::kSize_Small;
    Qt::Alignment labelAlignment = Qt::AlignCenter;
    QMargins contentMargins{5, 5, 5, 5};
    // Event time of the last left press: the press length is measured on the events' own clock.
    quint64 pressTimestamp = 0;
    int longPressTime = 0;
    int borderLeft = 10;
    int borderRight = 10;
    int borderTop = 10;
    int borderBottom = 10;
};
