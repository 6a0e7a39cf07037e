#pragma once

#include <QList>
#include <QStringList>
#include <QWidget>

class KyButton;

// A row of image-skinned tabs, one checkable button per title, overlapping a little; the checked
// tab lies above its neighbours. A click on a tab reports its index through changed(int).
class KyTab : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(EType mType READ type WRITE setType)
    Q_PROPERTY(QStringList mTitles READ titles WRITE setTitles)
    Q_PROPERTY(int mTagWidth READ tagWidth WRITE setTagWidth)
    Q_PROPERTY(int mTagHeight READ tagHeight WRITE setTagHeight)
    Q_PROPERTY(int mCurrentIndex READ currentIndex WRITE setCurrentIndex NOTIFY changed)

public:
    // Forms may store other values: those give tabs without skins.
    enum EType : int {
        kType_Top = 0,
        kType_Bottom = 1,
        kType_Top_Small = 2,
    };
    Q_ENUM(EType)

    explicit KyTab(QWidget *parent = nullptr);

    EType type() const { return mType; }
    QStringList titles() const { return mTitles; }
    int tagWidth() const { return mTagWidth; }
    int tagHeight() const { return mTagHeight; }
    int currentIndex() const { return mCurrentIndex; }
    QList<KyButton *> tabs() const { return tabButtons; }

    void setType(EType type);
    // A list equal to the current one changes nothing; another one rebuilds and checks tab 0.
    void setTitles(const QStringList &titles);
    void setTagWidth(int width);
    void setTagHeight(int height);
    // Checks the tab of that index (none for an index outside the tabs); emits nothing.
    void setCurrentIndex(int index);

signals:
    void changed(int index);

protected:
    // The tabs keep the places they were built at.
    void resizeEvent(QResizeEvent *) override {}

private slots:
    void onTabClicked();

private:
    void buildTabs();
    void clearTabs();

    EType mType = kType_Top;
    int mTagWidth = 56;
    int mTagHeight = 56;
    int mCurrentIndex = -1;
    QStringList mTitles;
    QList<KyButton *> tabButtons;
};
