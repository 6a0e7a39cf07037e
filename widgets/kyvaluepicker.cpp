#include "widgets/kyvaluepicker.h"

#include "widgets/kyborderimage.h"
#include "widgets/kybutton.h"
#include "widgets/kyskin.h"

#include <QApplication>
#include <QBoxLayout>
#include <QTimer>

#include <algorithm>

namespace {

// While the arrow is still held, the end of the run is looked for again after this long (ms).
constexpr int kReleaseCheckInterval = 100;

QList<QImage> arrowSkin(const char *arrangement, const char *sign)
{
    const QString base = QStringLiteral(":/KYParts/Resources/value_picker_%1_btn_%2_")
                             .arg(QLatin1String(arrangement), QLatin1String(sign));
    return {KySkin::image(base + QStringLiteral("normal.png")), KySkin::image(base + QStringLiteral("pressed.png")),
            KySkin::image(base + QStringLiteral("disable.png"))};
}

void skinArrows(KyButton *plus, KyButton *minus, const char *arrangement)
{
    plus->setBackground(arrowSkin(arrangement, "plus"), 10, 10, 10, 10);
    minus->setBackground(arrowSkin(arrangement, "minus"), 10, 10, 10, 10);
}

KyButton *makeArrow(QWidget *parent)
{
    auto *button = new KyButton(parent);
    button->setType(KyButton::kType_White);
    button->setAutoRepeat(true);
    button->setFixedSize(72, 52);
    return button;
}

} // namespace

QString numberText(int value)
{
    return QString::number(value);
}

QString monthName(int value)
{
    static const char *const names[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (value < 1 || value > 12)
        return QStringLiteral("?");
    return QLatin1String(names[value - 1]);
}

KyValuePicker::KyValuePicker(QWidget *parent)
    : QWidget(parent)
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    background = new KyBorderImage(this);
    background->setBorderImage(QPixmap(QStringLiteral(":/KYParts/Resources/value_picker.png")), 10,
                               10, 10, 10);
    outer->addWidget(background);

    plusButton = makeArrow(this);
    plusButton->setObjectName(QStringLiteral("plusButton"));
    connect(plusButton, &KyButton::clicked, this, &KyValuePicker::up);
    minusButton = makeArrow(this);
    minusButton->setObjectName(QStringLiteral("minusButton"));
    connect(minusButton, &KyButton::clicked, this, &KyValuePicker::down);
    skinArrows(plusButton, minusButton, "vertical");

    // The constructor shows "0" without going through setValue, so building never signals.
    display = new KyLabel(this);
    display->setObjectName(QStringLiteral("display"));
    display->setSize(KyLabel::kSize_Middle);
    display->setAlignment(Qt::AlignCenter);
    display->setText(QStringLiteral("0"));
    connect(display, &KyLabel::clicked, this, &KyValuePicker::clicked);

    setType(mType);
}

bool KyValuePicker::isCalendar() const
{
    const auto *function = textFunction.target<QString (*)(int)>();
    return function && *function == &monthName;
}

bool KyValuePicker::autoRepeat() const
{
    return plusButton && plusButton->autoRepeat();
}

QString KyValuePicker::text() const
{
    return display ? display->text() : QString();
}

void KyValuePicker::setType(EType type)
{
    mType = type;
    delete background->layout();
    if (type == kType_Vertical) {
        setFixedWidth(72);
        skinArrows(plusButton, minusButton, "vertical");
        plusButton->setMinimumHeight(52);
        minusButton->setMinimumHeight(52);
        resize(72, 52);
        auto *column = new QVBoxLayout(background);
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(0);
        column->addWidget(plusButton);
        auto *row = new QHBoxLayout;
        row->setContentsMargins(2, 0, 2, 0);
        row->addWidget(display);
        column->addLayout(row);
        column->addWidget(minusButton);
    } else {
        setFixedHeight(52);
        skinArrows(plusButton, minusButton, "horizontal");
        plusButton->setMinimumWidth(70);
        minusButton->setMinimumWidth(70);
        resize(72, 52);
        auto *row = new QHBoxLayout(background);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(0);
        row->addWidget(minusButton);
        row->addWidget(display);
        row->addWidget(plusButton);
    }
    updateLabelWidth();
}

void KyValuePicker::updateLabelWidth()
{
    if (!display)
        return;
    int width = 0;
    if (mType == kType_Vertical)
        width = this->width() - 4;
    else if (plusButton && minusButton)
        width = this->width() - plusButton->width() - minusButton->width();
    else
        return;
    // A picker narrower than its arrows leaves no room for the value rather than a negative size.
    width = std::max(width, 0);
    display->setMinimumWidth(width);
    display->setMaximumWidth(width);
}

void KyValuePicker::setValue(int value)
{
    const int old = mValue;
    mValue = value < mMinimum ? mMinimum : (value > mMaximum ? mMaximum : value);

    QString shown = mFormat.arg(textFunction ? textFunction(mValue) : numberText(mValue), 0, QLatin1Char(' '));
    if (mZeroLeading > shown.size())
        shown.prepend(QString(mZeroLeading - shown.size(), QLatin1Char('0')));
    if (display)
        display->setText(shown);
    updateArrows();

    if (mValue != old)
        emit changed(mValue);
}

void KyValuePicker::updateArrows()
{
    if (plusButton)
        plusButton->setEnabled(mIsLoop || mValue != mMaximum);
    if (minusButton)
        minusButton->setEnabled(mIsLoop || mValue != mMinimum);
}

void KyValuePicker::setMinimum(int minimum)
{
    if (minimum == mMinimum)
        return;
    mMinimum = minimum;
    if (mMaximum < minimum)
        mMaximum = minimum;
    // Redisplaying clamps a value below the new minimum; a value that stays also gets its arrows
    // re-enabled, which a moved end may call for.
    setValue(mValue);
}

void KyValuePicker::setMaximum(int maximum)
{
    if (maximum == mMaximum)
        return;
    mMaximum = maximum;
    if (mMinimum > maximum)
        mMinimum = maximum;
    setValue(mValue);
}

void KyValuePicker::setLoop(bool on)
{
    mIsLoop = on;
    updateArrows();
}

void KyValuePicker::setFocussed(bool on)
{
    mIsFocussed = on;
    if (!mHasFocus || !display)
        return;
    if (on) {
        display->setColor(KyLabel::kColor_White);
        display->setBackgroundColor(KyLabel::kColor_Blue);
    } else {
        display->setColor(KyLabel::kColor_Black);
        display->setBackgroundColor(KyLabel::kColor_White);
    }
}

void KyValuePicker::setFormat(const QString &format)
{
    if (format == mFormat)
        return;
    mFormat = format;
    setValue(mValue);
}

void KyValuePicker::setZeroLeading(int length)
{
    if (length == mZeroLeading)
        return;
    mZeroLeading = length;
    setValue(mValue);
}

void KyValuePicker::setTextFunction(TextFunction function)
{
    textFunction = std::move(function);
    setValue(mValue);
}

void KyValuePicker::setCalendar(bool on)
{
    if (on == isCalendar())
        return;
    if (on) {
        mMinimum = 1;
        mMaximum = 12;
        textFunction = monthName;
        setValue(1);
    } else {
        // The range stays 1 to 12; the month name must not stay on show once numbers are meant.
        setTextFunction(numberText);
    }
}

void KyValuePicker::setAutoRepeat(bool on)
{
    if (on == autoRepeat())
        return;
    for (KyButton *button : {plusButton, minusButton})
        if (button)
            button->setAutoRepeat(on);
}

void KyValuePicker::setIsLongPress(bool on)
{
    mIsLongPress = on;
    for (KyButton *button : {plusButton, minusButton})
        if (button)
            button->setIsLongPress(on);
}

void KyValuePicker::setTextColor(KyLabel::EColor color)
{
    if (!display)
        return;
    display->setColor(color);
    display->update();
}

void KyValuePicker::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    updateLabelWidth();
}

void KyValuePicker::up()
{
    // Computed wide: a step past the largest int must land on an end, not wrap to a negative value.
    const qint64 next = qint64(mValue) + mStep;
    stepTo(next > mMaximum ? (mIsLoop ? mMinimum : mMaximum) : int(next));
}

void KyValuePicker::down()
{
    const qint64 next = qint64(mValue) - mStep;
    stepTo(next < mMinimum ? (mIsLoop ? mMaximum : mMinimum) : int(next));
}

void KyValuePicker::stepTo(int value)
{
    released = false;
    setFocussed(true);
    setValue(value);
    if (QApplication::mouseButtons() & Qt::LeftButton) {
        QTimer::singleShot(kReleaseCheckInterval, this, &KyValuePicker::checkButtonReleased);
        return;
    }
    released = true;
    emit finished(mValue);
}

void KyValuePicker::checkButtonReleased()
{
    if (released)
        return;
    if (QApplication::mouseButtons() & Qt::LeftButton) {
        QTimer::singleShot(kReleaseCheckInterval, this, &KyValuePicker::checkButtonReleased);
        return;
    }
    released = true;
    emit finished(mValue);
}
