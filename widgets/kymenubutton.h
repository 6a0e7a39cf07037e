#pragma once

#include "widgets/kybutton.h"

#include <QPointer>
#include <QStringList>

class KyOverlayWidget;

// The drop-down list of the forms: a skinned button showing the current item. A tap covers the
// whole window with an overlay holding a pressed copy of the button and a KyMenu; choosing an item
// or tapping beside the menu closes it again.
class KyMenuButton : public KyButton
{
    Q_OBJECT
    Q_PROPERTY(QStringList mMenus READ menus WRITE setMenus)
    Q_PROPERTY(QString text READ text WRITE setText)
    Q_PROPERTY(EDirection direction READ direction WRITE setDirection)
    Q_PROPERTY(int maxShowItemCount READ maxShowItemCount WRITE setMaxShowItemCount)

public:
    // Any value other than up opens downwards (forms may store others).
    enum EDirection : int {
        kDirection_Down = 0,
        kDirection_Up = 1,
    };
    Q_ENUM(EDirection)

    explicit KyMenuButton(QWidget *parent = nullptr);
    ~KyMenuButton() override;

    QStringList menus() const { return mMenus; }
    QString text() const;
    EDirection direction() const { return mDirection; }
    int maxShowItemCount() const { return mMaxShowItemCount; }
    int currentIndex() const;
    bool isLocked() const { return locked; }
    bool isMenuOpen() const { return !overlay.isNull(); }

    void setMenus(const QStringList &menus);
    // Shows text when the items hold it, otherwise the first item ("" without items).
    void setText(const QString &text);
    void setDirection(EDirection direction) { mDirection = direction; }
    void setMaxShowItemCount(int count) { mMaxShowItemCount = count; }
    void setTextSize(KyLabel::ESize size);
    void clear();
    // A locked button lets presses and releases through to the widget below it.
    void setLocked(bool on) { locked = on; }

signals:
    void selectionChanged(const QString &text);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private slots:
    void onClicked();
    void onSelected(const QString &item);
    void onCanceled();
    void closeMenu();

private:
    void applySkin();
    void showMenu();
    void discardMenu();

    QStringList mMenus;
    EDirection mDirection = kDirection_Down;
    int mMaxShowItemCount = 10;
    KyLabel *valueLabel = nullptr;
    // Guarded: the window the overlay lies on may go first.
    QPointer<KyOverlayWidget> overlay;
    bool locked = false;
};
