#include "analysisview/kyzoomratiolist.h"

#include "core/analysissettings.h"

#include <algorithm>
#include <functional>

namespace {

const QString kKey = QStringLiteral("ZoomRatioList");

QList<int> builtInDefault(const AnalysisSettings *settings)
{
    QList<int> list;
    for (const QVariant &v : settings->defaultValues().value(kKey).toList())
        list.append(v.toInt());
    return list;
}

} // namespace

KyZoomRatioList *KyZoomRatioList::instance()
{
    static KyZoomRatioList list;
    return &list;
}

QList<int> KyZoomRatioList::ReadIntList(const AnalysisSettings *settings, const QString &key)
{
    if (!settings)
        return {};
    return settings->intListValue(key);
}

QList<int> KyZoomRatioList::ratios()
{
    const AnalysisSettings *settings = AnalysisSettings::instance();
    QList<int> list = ReadIntList(settings, kKey);
    // The zoom buttons step through the list by index: a list that falls somewhere would zoom out
    // on the zoom-in button. Equal neighbours only make one step do nothing and are kept.
    if (list.isEmpty() || std::adjacent_find(list.cbegin(), list.cend(), std::greater<int>()) != list.cend())
        list = builtInDefault(settings);
    for (int &ratio : list)
        ratio = std::max(ratio, 1);
    return list;
}

int KyZoomRatioList::Count() const
{
    return int(ratios().size());
}

int KyZoomRatioList::Ratio(int index) const
{
    const QList<int> list = ratios();
    return index >= 0 && index < list.size() ? list.at(index) : 1;
}

QString KyZoomRatioList::Text(int index)
{
    const QList<int> list = ratios();
    if (index < 0 || index >= list.size())
        return QString();
    return QStringLiteral("%1%").arg(list.at(index));
}
