#include "instrument/instrumentnames.h"

#include "core/lsettings.h"
#include "core/systemsettings.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <iterator>

InstrumentNames *InstrumentNames::instance()
{
    static InstrumentNames names;
    return &names;
}

InstrumentNames::InstrumentNames()
{
    const auto add = [this](const QString &key, const QStringList &value) { addDefault(key, value); };
    const QString through = QStringLiteral("Through");
    add(QStringLiteral("Filter1Names"), {through});
    add(QStringLiteral("Filter2Names"), {QStringLiteral("Cy2")});
    add(QStringLiteral("Filter3Names"), {QStringLiteral("Cy3"), QStringLiteral("EtBr")});
    add(QStringLiteral("Filter4Names"), {QStringLiteral("Cy5")});
    add(QStringLiteral("Filter5Names"), {through});
    add(QStringLiteral("LightNames"), {QStringLiteral("None"), QStringLiteral("460 nm"), QStringLiteral("520 nm"),
                                       QStringLiteral("630 nm"), QStringLiteral("312 nm")});
    add(QStringLiteral("MethodTypeNames"),
        {QStringLiteral("Chemiluminescence"), QStringLiteral("Fluorescence"), QStringLiteral("Colorimetric")});
    add(QStringLiteral("ChemilumiMethod"), {QStringLiteral("Chemiluminescence"), QStringLiteral("None"), through});
    add(QStringLiteral("FluorMethod_Ch1"), {QStringLiteral("Blue"), QStringLiteral("460 nm"), QStringLiteral("Cy2")});
    add(QStringLiteral("FluorMethod_Ch2"), {QStringLiteral("Green"), QStringLiteral("520 nm"), QStringLiteral("Cy3")});
    add(QStringLiteral("FluorMethod_Ch3"), {QStringLiteral("Red"), QStringLiteral("630 nm"), QStringLiteral("Cy5")});
    add(QStringLiteral("FluorMethod_Custom"), {QStringLiteral("Custom"), QString(), QString()});
    add(QStringLiteral("FluorMethod_UV"), {QStringLiteral("UV"), QStringLiteral("312 nm"), QStringLiteral("EtBr")});
    add(QStringLiteral("ColorimetricMethod"), {QStringLiteral("Colorimetric"), QStringLiteral("White"), through});

    const QString name = QStringLiteral("Method.ini");
    QString path = QCoreApplication::applicationDirPath() + QLatin1Char('/') + name;
    if (!QFileInfo::exists(path))
        path = SystemSettings::instance()->stringValue(QStringLiteral("SettingsFolderPath")) + name;
    setStore(new LSettings(path));
}

InstrumentNames::~InstrumentNames() = default;

QStringList InstrumentNames::lightNames()
{
    return instance()->stringListValue(QStringLiteral("LightNames"));
}

QStringList InstrumentNames::methodTypeNames()
{
    return instance()->stringListValue(QStringLiteral("MethodTypeNames"));
}

QStringList InstrumentNames::chemiluminescenceMethods()
{
    return instance()->stringListValue(QStringLiteral("ChemilumiMethod"));
}

QStringList InstrumentNames::colorimetricMethods()
{
    return instance()->stringListValue(QStringLiteral("ColorimetricMethod"));
}

QStringList InstrumentNames::fluorescenceMethods(int inChannel)
{
    static const char *const keys[] = {"FluorMethod_Ch1", "FluorMethod_Ch2", "FluorMethod_Ch3",
                                       "FluorMethod_Custom", "FluorMethod_UV"};
    if (inChannel < 0 || inChannel >= int(std::size(keys)))
        return {};
    return instance()->stringListValue(QLatin1String(keys[inChannel]));
}

QStringList InstrumentNames::filterSlotNames(int inSlot)
{
    if (inSlot < 1 || inSlot > 5)
        return {};
    return instance()->stringListValue(QStringLiteral("Filter%1Names").arg(inSlot));
}

QStringList InstrumentNames::filterNames()
{
    QStringList names;
    for (int slot = 1; slot <= 5; ++slot)
        names += filterSlotNames(slot);
    names.removeDuplicates();
    return names;
}
