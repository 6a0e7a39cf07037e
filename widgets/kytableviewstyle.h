#pragma once

#include "widgets/kyitemviewstyle.h"

#include <QColor>

// The table look: a dark header with rounded outer corners, an image-skinned vertical scroll bar
// whose top lies beside the header row, and a light selection fill.
class KyTableViewStyle : public KyItemViewStyle
{
    Q_OBJECT

public:
    static constexpr QRgb kHeaderColor = qRgb(100, 104, 100);
    static constexpr QRgb kHeaderBackColor = qRgb(210, 210, 210);
    static constexpr QRgb kCornerColor = qRgb(232, 232, 232);
    static constexpr QRgb kPageColor = qRgb(237, 238, 237);
    static constexpr QRgb kLineColor = qRgb(157, 154, 144);
    static constexpr QRgb kPressedColor = qRgb(50, 54, 50);
    static constexpr QRgb kSelectionColor = qRgb(225, 241, 248);

    // Height of the header row beside which the vertical scroll bar starts.
    static constexpr int kHeaderOffset = 22;

    explicit KyTableViewStyle(QObject *owner);
    ~KyTableViewStyle() override;

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget = nullptr) const override;

protected:
    std::optional<QRect> scrollBarRect(const QStyleOptionSlider *bar, SubControl subControl) const override;
};
