#include "core/analysissettings.h"

#include "core/lsettings.h"
#include "platform/systempaths.h"

#include <QCoreApplication>
#include <QFileInfo>

AnalysisSettings *AnalysisSettings::instance()
{
    static AnalysisSettings settings;
    return &settings;
}

AnalysisSettings::AnalysisSettings()
{
    const QString drive = platform::systemDriveRoot();
    const auto add = [this](const QString &key, const QVariant &value) { addDefault(key, value); };
    add(QStringLiteral("FullScreen"), true);
    add(QStringLiteral("CheckSystemConfiguration"), true);
    add(QStringLiteral("PreCheck_Diffuser"), true);
    add(QStringLiteral("IntensityRoiWidth"), 23);
    add(QStringLiteral("IntensityRoiHeight"), 23);
    add(QStringLiteral("IntensityRoiColor"), QColor(0, 0, 255, 100));
    add(QStringLiteral("SavePrefixMaxLength"), 20);
    add(QStringLiteral("AutoExposure_PreexposedImageSaveFolder"), QStringLiteral("D:/"));
    add(QStringLiteral("SystemLog_ControlSoftErrorCount"), 20);
    add(QStringLiteral("SystemLog_FirmwareErrorCount"), 20);
    add(QStringLiteral("SecretCommandEnable"), false);
    add(QStringLiteral("StatusCheckInterval"), 3000);
    add(QStringLiteral("CheckCCDTemperature"), true);
    add(QStringLiteral("Preexposure_Chem_Coeff"), -0.00015833333333333332);
    add(QStringLiteral("Preexposure1_Chem_ExposureMSec"), 100);
    add(QStringLiteral("Preexposure2_Chem_ExposureMSec"), 5000);
    add(QStringLiteral("Preexposure_Fluor_ExposureMSec"), 100);
    add(QStringLiteral("AutoExposureLog"), false);
    add(QStringLiteral("AutoExposure_Offset"), 1000);
    add(QStringLiteral("AutoExposure_Chem_TargetCount"), 6);
    add(QStringLiteral("AutoExposure_Chem_TargetSkipCount"), 0);
    add(QStringLiteral("AutoExposure_Chem_Threshold"), 300.0);
    add(QStringLiteral("AutoExposure_Chem_TargetValue"), 30000);
    add(QStringLiteral("SemiautoExposure_Chem_TargetValue"), 30000);
    add(QStringLiteral("AutoExposure_Chem_LowTargetValue"), 3000);
    add(QStringLiteral("AutoExposure_ChemUpper_PreexpDensityRatio"), 4);
    add(QStringLiteral("AutoExposure_ChemLower_PreexpDensityRatio"), 16);
    add(QStringLiteral("AutoExposure_Chem_Coeff"), 0.00015833333333333332);
    add(QStringLiteral("AutoExposure_Fluor_TargetCount"), 6);
    add(QStringLiteral("AutoExopsure_Fluor_TargetSkipCount"), 0);
    add(QStringLiteral("AutoExposure_Fluor_Threshold"), 300.0);
    add(QStringLiteral("AutoExposure_Fluor_TargetValue"), 30000);
    add(QStringLiteral("SemiautoExposure_Fluor_TargetValue"), 30000);
    add(QStringLiteral("AutoExposure_Fluor_LowTargetValue"), 15000);
    add(QStringLiteral("AutoExposure_Fluor_PreexpDensityRatio"), 16.0);
    add(QStringLiteral("AutoExposure_SavePreexposedImage"), false);
    add(QStringLiteral("Marker_TargetMax"), 200);
    add(QStringLiteral("Marker_SaveRGBImages"), false);
    add(QStringLiteral("MarkerLog"), false);
    add(QStringLiteral("MaximumExposureMSec_Chemiluminescence"), 3659900.0);
    add(QStringLiteral("MaximumExposureMSec_Fluorescence"), 600000);
    add(QStringLiteral("AutoExposure_ConfirmMSec"), 600000);
    add(QStringLiteral("Semiauto_BoxAreaColor"), QColor(0, 0, 250, 100));
    add(QStringLiteral("Colorimetric_SaveEachImage"), false);
    add(QStringLiteral("kContrastThreshold"), 10000);
    add(QStringLiteral("kContrastLongStep"), 3000);
    add(QStringLiteral("kContrastShortStep"), 200);
    add(QStringLiteral("Contrast_ContrastStep"), 30);
    add(QStringLiteral("Contrast_BrightnessStep"), 30);
    add(QStringLiteral("Inc_Contrast_MoveRatio"), 2);
    add(QStringLiteral("Inc_Contrast_MinDistance"), 500);
    add(QStringLiteral("Inc_Contrast_DistanceOfOutside"), 3000);
    add(QStringLiteral("Inc_Brightness_MoveRatio"), 2);
    add(QStringLiteral("Inc_Brightness_Threshold"), 500);
    add(QStringLiteral("Inc_Brightness_ShortStep"), 100);
    add(QStringLiteral("ZoomRatioList"), variantList<int>({100, 119, 141, 168, 200, 238, 283, 336, 400, 476, 566, 673, 800}));
    add(QStringLiteral("Chemilumi_SequentialSettings"), QStringList{QStringLiteral("Standard"), QStringLiteral("Full size"), QStringLiteral("1"), QStringLiteral("0#5000")});
    add(QStringLiteral("Fluor_SequentialSettings"), QStringList{QStringLiteral("Standard"), QStringLiteral("Full size"), QStringLiteral("1"), QStringLiteral("0#1000")});
    add(QStringLiteral("ShowMouseCursor"), false);
    add(QStringLiteral("SleepIntervalMinutes"), 15);
    add(QStringLiteral("MethodType"), 0);
    add(QStringLiteral("ExposureModeName_Chemilumi"), QStringLiteral("Auto"));
    add(QStringLiteral("ExposureModeName_Fluor"), QStringLiteral("Auto"));
    add(QStringLiteral("Chemiluminescence_Marker"), false);
    add(QStringLiteral("Chemiluminescence_Auto_HighSensitivity"), false);
    add(QStringLiteral("Chemiluminescence_Semiauto_HighSensitivity"), false);
    add(QStringLiteral("SingleFluor_Marker"), false);
    add(QStringLiteral("Fluorescence_Auto_HighSensitivity"), false);
    add(QStringLiteral("Fluorescence_Semiauto_HighSensitivity"), false);
    add(QStringLiteral("Chemiluminescence_Increment_IntervalMSec"), 10000);
    add(QStringLiteral("Chemiluminescence_Increment_RepeatCount"), 12);
    add(QStringLiteral("Chemiluminescence_Increment_SaturatedStop"), false);
    add(QStringLiteral("FluorescenceType"), 0);
    add(QStringLiteral("FluorescenceCh1"), true);
    add(QStringLiteral("FluorescenceCh2"), false);
    add(QStringLiteral("FluorescenceCh3"), false);
    add(QStringLiteral("ColorimetricType"), 0);
    add(QStringLiteral("ManualExposureTime_Chemilumi"), 60000);
    add(QStringLiteral("ManualExposureTime_Fluor_Ch1"), 3000);
    add(QStringLiteral("ManualExposureTime_Fluor_Ch2"), 3000);
    add(QStringLiteral("ManualExposureTime_Fluor_Ch3"), 3000);
    add(QStringLiteral("ManualExposureTime_Fluor_Custom"), 4000);
    add(QStringLiteral("ManualExposureTime_Fluor_UV"), 3000);
    add(QStringLiteral("IncrementIntervalTIme_Chemilumi"), 30000);
    add(QStringLiteral("LaneCount"), 5);
    add(QStringLiteral("LaneWidth"), 70);
    add(QStringLiteral("BG_RollingBallRadius"), 20);
    add(QStringLiteral("Band_Sensitivity"), 1);
    add(QStringLiteral("MWCurveType"), 0);
    add(QStringLiteral("Profile_DrawBGSubtractedGraph"), false);
    add(QStringLiteral("Focus_CustomPosition"), -1);
    add(QStringLiteral("Focus_Brightness"), 1);
    add(QStringLiteral("Library_SortName"), QStringLiteral("Date \u25BC"));
    add(QStringLiteral("Save_SummedImages"), false);
    add(QStringLiteral("AN/OpenPath"), QString());
    add(QStringLiteral("AN/AppWindowPosition"), QRect(0, 0, 0, 0));
    add(QStringLiteral("StartupFlagName"), QStringLiteral("StartupFile"));
    add(QStringLiteral("ResetFlagName"), QStringLiteral("ResetFile"));
    add(QStringLiteral("SoftwareUpdate/FwFolderName"), QStringLiteral("Firmware/"));
    add(QStringLiteral("SoftwareUpdate/FwFileNameFilterFpga"), QStringList{QStringLiteral("BI410Firmware*.fpga")});
    add(QStringLiteral("SoftwareUpdate/FwFileNameFilterMot"), QStringList{QStringLiteral("BI410Firmware*.mot")});
    add(QStringLiteral("SoftwareUpdate/FwFileNameFilterPrm"), QStringList{QStringLiteral("BI410Firmware*.prm")});
    add(QStringLiteral("SoftwareUpdate/FwCountBase"), 60);
    add(QStringLiteral("SoftwareUpdate/FwCountMot"), 50);
    add(QStringLiteral("SoftwareUpdate/FwCountFpga"), 50);
    add(QStringLiteral("SoftwareUpdate/FwCountPrm"), 150);
    add(QStringLiteral("SoftwareUpdate/FwTimeoutReset"), 300);
    add(QStringLiteral("SoftwareUpdate/OSFolderName"), QStringLiteral("OS/"));
    add(QStringLiteral("SoftwareUpdate/OSFileNameFilter"), QStringLiteral("Windows6.1*x86.msu"));
    add(QStringLiteral("SoftwareUpdate/OSCount"), 120);
    add(QStringLiteral("SoftwareUpdate/OSTimeout"), 300);
    add(QStringLiteral("SoftwareUpdate/BooterFolderName"), QStringLiteral("Booter/"));
    add(QStringLiteral("SoftwareUpdate/BooterProgramPath"), QString(drive + QStringLiteral("Program Files/Brevik Ziredo 410/Booter/")));
    add(QStringLiteral("SoftwareUpdate/BooterExeFileName"), QStringLiteral("BI_Booter.exe"));
    add(QStringLiteral("SoftwareUpdate/BooterFileNameList"), QStringList{QStringLiteral("BI_Booter.ini")});
    add(QStringLiteral("SoftwareUpdate/BooterCount"), 5);

    const QString beside =
        QCoreApplication::applicationDirPath() + QStringLiteral("/BI410AnalysisSoftware.ini");
    if (QFileInfo::exists(beside))
        setStore(new LSettings(beside));
    else
        setStore(new LSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Tolvane"),
                               QStringLiteral("Brevik Ziredo 410 Analysis software")));
}

AnalysisSettings::~AnalysisSettings() = default;

void AnalysisSettings::beginGroup(const QString &inPrefix)
{
    pushGroup(inPrefix);
}

void AnalysisSettings::endGroup()
{
    popGroup();
}

void AnalysisSettings::remove(const QString &inKey)
{
    if (!store)
        return;
    QMutexLocker lock(&store->mutex());
    store->remove(groupedKey(inKey));
}

bool AnalysisSettings::sync()
{
    if (!store)
        return false;
    QMutexLocker lock(&store->mutex());
    store->sync();
    return store->status() == QSettings::NoError;
}

QStringList AnalysisSettings::allKeys() const
{
    if (!store)
        return {};
    QMutexLocker lock(&store->mutex());
    QString group = groupedKey(QString());
    group.chop(1);
    store->beginGroup(group);
    const QStringList keys = store->allKeys();
    store->endGroup();
    return keys;
}

bool AnalysisSettings::contains(const QString &inKey) const
{
    if (inKey.isEmpty() || !store)
        return false;
    QMutexLocker lock(&store->mutex());
    return store->contains(groupedKey(inKey));
}

QRect AnalysisSettings::rectValue(const QString &inKey) const
{
    return read(inKey, [](const QVariant &v) { return QVariant(v.toRect()); }).toRect();
}

QList<int> AnalysisSettings::intListValue(const QString &inKey) const
{
    QList<int> values;
    for (const QVariant &v : listValue(inKey))
        values.append(v.toInt());
    return values;
}

bool AnalysisSettings::setVariant(const QString &inKey, const QVariant &inValue)
{
    if (!store)
        return false;
    QMutexLocker lock(&store->mutex());
    store->setValue(groupedKey(inKey), inValue);
    return store->status() == QSettings::NoError;
}
