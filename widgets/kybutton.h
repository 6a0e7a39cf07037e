#pragma once
// TEMPORARY STUB until the skinned buttons land.
#include <QAbstractButton>
#include <QImage>
#include <QList>
#include <QPixmap>
class KyButton : public QAbstractButton
{
    Q_OBJECT
public:
    enum EType { kType_Gray = 0, kType_Blue = 1, kType_White = 2 };
    Q_ENUM(EType)
    Q_PROPERTY(EType type READ type WRITE setType)
    explicit KyButton(QWidget *parent = nullptr) : QAbstractButton(parent) {}
    void setBackground(const QList<QImage> &images, int, int, int, int) { mImages = images; update(); }
    void setIcon(const QPixmap &icon) { mIcon = icon; update(); }
    void setPressedIcon(const QPixmap &icon) { mPressed = icon; update(); }
    void setType(EType t) { mType = t; }
    EType type() const { return mType; }
    QSize sizeHint() const override { return QSize(40, 40); }
    void setText(const QString &t) { QAbstractButton::setText(t); }
protected:
    void paintEvent(QPaintEvent *) override;
private:
    QList<QImage> mImages;
    QPixmap mIcon;
    QPixmap mPressed;
    EType mType = kType_Blue;
};
