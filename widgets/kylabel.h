#pragma once

#include <QColor>
#include <QLabel>

// The text label of every screen: font and colour come from presets, and are re-applied at every
// paint so that a change of the enabled state (or a font set from outside) never lingers.
class KyLabel : public QLabel
{
    Q_OBJECT
    Q_PROPERTY(ESize size READ size WRITE setSize)
    Q_PROPERTY(EColor color READ color WRITE setColor)
    Q_PROPERTY(bool isTopHeader READ isTopHeader WRITE setIsTopHeader)

public:
    // The values are not in size order; each maps to a size index of the font table. Both enums
    // have a fixed underlying type: forms and properties may store values outside the list.
    enum ESize : int {
        kSize_Small = 0,
        kSize_Middle = 1,
        kSize_LargeSmall = 2,
        kSize_Large = 3,
        kSize_VerySmall = 4,
        kSize_MiddleSmall = 5,
    };
    Q_ENUM(ESize)

    enum EColor : int {
        kColor_Black = 0,
        kColor_White = 1,
        kColor_Gray = 2,
        kColor_Blue = 3,
        kColor_DarkGray = 4,
        kColor_LightGray = 5,
    };
    Q_ENUM(EColor)

    explicit KyLabel(QWidget *parent = nullptr);
    explicit KyLabel(const QString &text, QWidget *parent = nullptr);

    // The preset colour of a value; black for a value outside EColor.
    static QColor tableColor(EColor color);
    // The font size index of a size preset; 0 for a value outside ESize.
    static int sizeIndex(ESize size);

    ESize size() const { return sizePreset; }
    EColor color() const { return colorPreset; }
    bool isTopHeader() const { return topHeader; }
    QColor enabledColor() const { return colorEnabled; }
    QColor disabledColor() const { return colorDisabled; }

    void setSize(ESize size);
    void setColor(EColor color);
    void setIsTopHeader(bool on);
    void setTopHeader(bool on) { setIsTopHeader(on); }
    void setEnabledColor(const QColor &color);
    void setDisabledColor(const QColor &color);
    void setBackgroundColor(EColor color);

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void updateStyle();

    ESize sizePreset = kSize_Small;
    EColor colorPreset = kColor_Black;
    QColor colorEnabled = Qt::black;
    QColor colorDisabled = Qt::gray;
    bool topHeader = false;
};

// The six preset colours, indexed by KyLabel::EColor.
extern const QColor kColorTable[6];
