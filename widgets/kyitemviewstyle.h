#pragma once

#include <QPalette>
#include <QPixmap>
#include <QProxyStyle>

class QStyleOptionViewItem;

// Common ground of the table and list styles: a proxy over the plain "Windows" style, owned by the
// object it is given (a widget does not own the style set on it), with the scroll bar skins loaded
// once. Metric and geometry queries run on every layout and paint, so they read the cached sizes
// rather than loading images.
class KyItemViewStyle : public QProxyStyle
{
    Q_OBJECT

public:
    explicit KyItemViewStyle(QObject *owner);
    ~KyItemViewStyle() override;

    // The scroll bar extent is the width of the pressed down-button skin.
    int pixelMetric(PixelMetric metric, const QStyleOption *option = nullptr,
                    const QWidget *widget = nullptr) const override;

protected:
    struct ScrollSkins
    {
        QPixmap downNormal;
        QPixmap downPressed;
        QPixmap upNormal;
        QPixmap upPressed;
        QPixmap slider;
        QPixmap sliderPressed;
    };
    const ScrollSkins &skins() const { return mSkins; }
    int scrollBarExtent() const { return mSkins.downPressed.width(); }
    int sliderLength() const { return mSkins.slider.height(); }

    // Disabled when the widget (without a widget, the option) is not enabled, inactive when the
    // option is not active, else active.
    static QPalette::ColorGroup itemColorGroup(const QStyleOptionViewItem *option, const QWidget *widget);
    // The plain item panel: the item's background brush, then for a selected item the highlight
    // behind its text.
    void drawItemBackground(const QStyleOptionViewItem *option, QPainter *painter, const QWidget *widget) const;

    // Nearest integer to a half, halves going up.
    static int halfUp(int value);

private:
    ScrollSkins mSkins;
};
