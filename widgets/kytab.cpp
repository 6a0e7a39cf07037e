#include "widgets/kytab.h"

#include "widgets/kybutton.h"
#include "widgets/kyskin.h"

namespace {

QList<QImage> tabSkin(KyTab::EType type)
{
    const char *off = nullptr;
    const char *on = nullptr;
    switch (type) {
    case KyTab::kType_Top: off = "tab_off.png"; on = "tab_on.png"; break;
    case KyTab::kType_Bottom: off = "tab_secondary_off.png"; on = "tab_secondary_on.png"; break;
    case KyTab::kType_Top_Small: off = "tab_small_off.png"; on = "tab_small_on.png"; break;
    }
    if (!off)
        return {};
    const QString base = QStringLiteral(":/KYParts/Resources/");
    const QImage normal = KySkin::image(base + QLatin1String(off));
    return {normal, KySkin::image(base + QLatin1String(on)), normal};
}

} // namespace

KyTab::KyTab(QWidget *parent)
    : QWidget(parent)
{
}

void KyTab::clearTabs()
{
    qDeleteAll(tabButtons);
    tabButtons.clear();
}

void KyTab::buildTabs()
{
    clearTabs();
    const QList<QImage> skin = tabSkin(mType);
    // Neighbouring tabs overlap by their skins' rounded edges.
    const int advance = mTagWidth - (mType == kType_Top_Small ? 10 : 9);
    int x = 10;
    for (const QString &title : std::as_const(mTitles)) {
        auto *tab = new KyButton(this);
        tab->setTextColor(KyLabel::kColor_Black);
        tab->setPressedTextColor(KyLabel::kColor_Blue);
        tab->setText(title);
        tab->setMinimumWidth(mTagWidth);
        tab->setMaximumWidth(mTagWidth);
        tab->setMinimumHeight(mTagHeight);
        tab->setMaximumHeight(mTagHeight);
        tab->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        tab->setBackground(skin, 20, 20, 20, 20);
        tab->setEnabled(true);
        tab->setCheckable(true);
        tab->resize(mTagWidth, tab->height());
        tab->move(x, 0);
        tab->setMargins(QMargins(5, 10, 5, 5));
        // Tabs built while the bar shows would otherwise stay hidden.
        tab->show();
        tabButtons.append(tab);
        connect(tab, &KyButton::clicked, this, &KyTab::onTabClicked);
        x += advance;
    }
}

void KyTab::setType(EType type)
{
    mType = type;
    buildTabs();
}

void KyTab::setTitles(const QStringList &titles)
{
    if (titles == mTitles)
        return;
    mTitles = titles;
    buildTabs();
    setCurrentIndex(0);
}

void KyTab::setTagWidth(int width)
{
    if (width == mTagWidth)
        return;
    mTagWidth = width;
    buildTabs();
}

void KyTab::setTagHeight(int height)
{
    if (height == mTagHeight)
        return;
    mTagHeight = height;
    buildTabs();
}

void KyTab::setCurrentIndex(int index)
{
    mCurrentIndex = index;
    for (int i = 0; i < tabButtons.size(); ++i) {
        KyButton *tab = tabButtons.at(i);
        tab->setChecked(i == index);
        tab->update();
    }
    if (index >= 0 && index < tabButtons.size())
        tabButtons.at(index)->raise();
}

void KyTab::onTabClicked()
{
    const int index = int(tabButtons.indexOf(qobject_cast<KyButton *>(sender())));
    if (index < 0)
        return;
    setCurrentIndex(index);
    emit changed(index);
}
