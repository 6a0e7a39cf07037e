#pragma once

#include "widgets/kylabel.h"

#include <QString>
#include <QWidget>

#include <functional>

class KyBorderImage;
class KyButton;

// The value's text in decimal, the picker's default text function.
QString numberText(int value);
// "Jan" to "Dec" for 1 to 12, "?" for any other value: the text function of the calendar mode.
QString monthName(int value);

// The touch-friendly integer input: the value between a plus and a minus arrow, stacked or side by
// side. It clamps or wraps at the ends, repeats while an arrow is held and reports finished(int)
// once the finger comes off the arrow.
class KyValuePicker : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(EType mType READ type WRITE setType)
    Q_PROPERTY(int mValue READ value WRITE setValue)
    Q_PROPERTY(int mMinimum READ minimum WRITE setMinimum)
    Q_PROPERTY(int mMaximum READ maximum WRITE setMaximum)
    Q_PROPERTY(int mStep READ step WRITE setStep)
    Q_PROPERTY(bool mIsLoop READ isLoop WRITE setLoop)
    Q_PROPERTY(bool mHasFocus READ hasFocusLook WRITE setHasFocus)
    Q_PROPERTY(bool mIsFocussed READ isFocussed WRITE setFocussed)
    Q_PROPERTY(QString mFormat READ format WRITE setFormat)
    Q_PROPERTY(bool isCalendar READ isCalendar WRITE setCalendar)
    Q_PROPERTY(int zeroLeading READ zeroLeading WRITE setZeroLeading)
    Q_PROPERTY(bool autoRepeat READ autoRepeat WRITE setAutoRepeat)
    Q_PROPERTY(bool isLongPress READ isLongPress WRITE setIsLongPress)

public:
    // Any value other than vertical lays the picker out side by side (forms may store others).
    enum EType : int {
        kType_Vertical = 0,
        kType_Horizontal = 1,
    };
    Q_ENUM(EType)

    using TextFunction = std::function<QString(int)>;

    explicit KyValuePicker(QWidget *parent = nullptr);

    EType type() const { return mType; }
    int value() const { return mValue; }
    int minimum() const { return mMinimum; }
    int maximum() const { return mMaximum; }
    int step() const { return mStep; }
    bool isLoop() const { return mIsLoop; }
    bool hasFocusLook() const { return mHasFocus; }
    bool isFocussed() const { return mIsFocussed; }
    QString format() const { return mFormat; }
    bool isCalendar() const;
    int zeroLeading() const { return mZeroLeading; }
    bool autoRepeat() const;
    bool isLongPress() const { return mIsLongPress; }
    // The shown text, "" without a display.
    QString text() const;

    void setType(EType type);
    void setValue(int value);
    void setMinimum(int minimum);
    void setMaximum(int maximum);
    void setStep(int step) { mStep = step; }
    void setLoop(bool on);
    void setHasFocus(bool on) { mHasFocus = on; }
    void setFocussed(bool on);
    void setFormat(const QString &format);
    void setCalendar(bool on);
    void setZeroLeading(int length);
    void setAutoRepeat(bool on);
    void setIsLongPress(bool on);
    void setTextFunction(TextFunction function);
    void setTextColor(KyLabel::EColor color);

signals:
    void changed(int value);
    void clicked();
    void finished(int value);

protected:
    void resizeEvent(QResizeEvent *event) override;

private slots:
    void up();
    void down();
    void checkButtonReleased();

private:
    void stepTo(int value);
    void updateArrows();
    void updateLabelWidth();

    EType mType = kType_Vertical;
    int mMinimum = 0;
    int mMaximum = 10;
    int mValue = 0;
    int mStep = 1;
    bool mIsLoop = true;
    bool mHasFocus = false;
    bool mIsFocussed = false;
    QString mFormat = QStringLiteral("%1");
    int mZeroLeading = 0;
    bool mIsLongPress = false;
    bool released = true;
    KyBorderImage *background = nullptr;
    KyLabel *display = nullptr;
    KyButton *plusButton = nullptr;
    KyButton *minusButton = nullptr;
    TextFunction textFunction = numberText;
};
