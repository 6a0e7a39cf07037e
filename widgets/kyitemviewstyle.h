#pragma once

#include <QPalette>
#include <QPixmap>
#include <QProxyStyle>

#include <optional>

class QStyleOptionSlider;
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
    // Scroll bar parts come from scrollBarRect, mirrored for the layout direction; a scroll bar
    // query without slider data has no geometry. Other controls are the base style's.
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex *option, SubControl subControl,
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

    // The rectangle of a scroll bar part in the bar's own coordinates; no answer leaves the part to
    // the base style.
    virtual std::optional<QRect> scrollBarRect(const QStyleOptionSlider *bar, SubControl subControl) const = 0;
    // Where the slider starts when it runs over the given length, past the given leading space.
    static int sliderStart(const QStyleOptionSlider *bar, int length, int leading);

    // Nearest integer to a half, halves going up.
    static int halfUp(int value);

private:
    ScrollSkins mSkins;
};
