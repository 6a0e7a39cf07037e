#include "core/kyparametertable.h"

namespace {

QStringList padded(std::initializer_list<std::pair<const char *, int>> inNames)
{
    QStringList names;
    for (const auto &[name, tabs] : inNames)
        names << QLatin1String(name) + QString(tabs, QLatin1Char('\t'));
    return names;
}

} // namespace

KyParameterTable::KyParameterTable() : mCounters(39) {}

KyParameterTable *KyParameterTable::instance()
{
    static KyParameterTable table;
    return &table;
}

void KyParameterTable::setValue(int, int) {}

QString KyParameterTable::entryText(const Entry &inEntry, const QString &inSeparator)
{
    QString line = inEntry.name + QStringLiteral("\t=\t");
    for (const QString &value : inEntry.values)
        line += value.simplified() + QLatin1Char(' ');
    return line + inSeparator;
}

QString KyParameterTable::text(const QString &inSeparator) const
{
    QString all;
    for (const Entry &entry : mCounters)
        all += entryText(entry, inSeparator);
    all += inSeparator;
    for (const Entry &entry : mEntries)
        all += entryText(entry, inSeparator);
    return all;
}

const QStringList &KyParameterTable::usageCounterNames()
{
    static const QStringList names = padded({
        {"RunningTime", 3},
        {"BootCount_OperationSoftware", 1},
        {"BootCount_MaintenanceSoftware", 1},
        {"ErrorCount", 3},
        {"ExposureCount_Chemi_Upper", 1},
        {"ExposureCount_Chemi_Marker_Upper", 0},
        {"ExposureCount_Chemi_Lower", 1},
        {"ExposureCount_Chemi_Marker_Lower", 0},
        {"ExposureCount_Colori_EPI", 1},
        {"ExposureCount_Colori_Trans", 1},
        {"ExposureCount_Fluor_RGB_Single", 1},
        {"ExposureCount_Fluor_RGB_Single_Marker", 0},
        {"ExposureCount_Fluor_RGB_Multi2", 1},
        {"ExposureCount_Fluor_RGB_Multi3", 1},
        {"ExposureCount_Fluor_Custom", 1},
        {"ExposureCount_Fluor_UV", 2},
        {"ExposureCount_Chemi_Auto", 1},
        {"ExposureCount_Chemi_Semiauto", 1},
        {"ExposureCount_Chemi_Manual", 1},
        {"ExposureCount_Chemi_Incremental", 1},
        {"ExposureCount_Fluor_Auto", 1},
        {"ExposureCount_Fluor_Semiauto", 1},
        {"ExposureCount_Fluor_Manual", 1},
        {"CustomFocusCount", 2},
        {"SaveCount_OnInstrument", 2},
        {"SaveCount_USB", 3},
        {"SaveCount_NetworkFolder", 2},
        {"Library_OpenCount", 2},
        {"Library_CopyCount", 2},
        {"Library_MoveCount", 2},
        {"ShowHelpCount", 3},
        {"AnalyzeCount", 3},
        {"ImagePrintCount", 4},
        {"SummaryPrintCount", 2},
        {"USBCommandRetryCount", 1},
        {"ExposureCount_Chemi_Auto_Fast", 1},
        {"ExposureCount_Fluor_Auto_Fast", 1},
        {"ExposureCount_Chemi_Advanced", 1},
        {"ExposureCount_Fuor_Advanced", 1},
    });
    return names;
}

const QStringList &KyParameterTable::maintenanceCounterNames()
{
    static const QStringList names = padded({
        {"Boot count", 2},
        {"Shot count", 2},
        {"Total exposure time", 1},
        {"Shutter open count", 1},
        {"Filter up/down count", 1},
        {"Filter rotate count", 1},
        {"Iris move count", 2},
        {"Focus move count", 1},
        {"Red exposure time", 1},
        {"Green exposure time", 1},
        {"Blue exposure time", 1},
        {"UV exposure time", 1},
        {"Lower-White exposure time", 0},
        {"Upper-White exposure time", 0},
        {"Trans-White exposure time", 0},
        {"Door open/close count", 1},
        {"Cooling count", 2},
        {"Error count", 2},
    });
    return names;
}

const QList<int> &KyParameterTable::maintenanceCounterSelection()
{
    static const QList<int> selection = {0, 15, 16, 17};
    return selection;
}
