#pragma once

#include "widgets/kyitemviewstyle.h"

#include <QColor>

// The list look: an image-skinned vertical scroll bar with a light edge line, a light-blue
// selection with a blue frame, a tint on odd rows and a separator line under every row. The MW
// standard table wears it too.
class KyListViewStyle : public KyItemViewStyle
{
    Q_OBJECT

public:
    static constexpr QRgb kListButtonColor = qRgb(100, 104, 100);
    static constexpr QRgb kListPressedColor = qRgb(50, 54, 50);
    static constexpr QRgb kListPageColor = qRgb(237, 238, 237);
    static constexpr QRgb kListEdgeColor = qRgb(210, 210, 210);
    static constexpr QRgb kListSelectionColor = qRgb(196, 226, 255);
    static constexpr QRgb kListSelectionFrameColor = qRgb(59, 115, 185);
    static constexpr QRgb kListAlternateColor = qRgb(247, 249, 255);
    static constexpr QRgb kListSeparatorColor = qRgb(198, 197, 200);

    // frameRightAdjust widens the frame outline on the right.
    KyListViewStyle(int frameRightAdjust, QObject *owner);
    ~KyListViewStyle() override;

    void setFrameRightAdjust(int inAdjust) { mFrameRightAdjust = inAdjust; }

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget = nullptr) const override;

protected:
    std::optional<QRect> scrollBarRect(const QStyleOptionSlider *bar, SubControl subControl) const override;

private:
    int mFrameRightAdjust;
};
