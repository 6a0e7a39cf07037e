#include "core/systemsettings.h"

#include "core/lsettings.h"
#include "platform/systempaths.h"

#include <QCoreApplication>
#include <QFileInfo>

SystemSettings *SystemSettings::instance()
{
    static SystemSettings settings;
    return &settings;
}

SystemSettings::SystemSettings()
{
    const QString data = QCoreApplication::applicationDirPath() + QStringLiteral("/Data/");
    const QString drive = platform::systemDriveRoot();
    const auto add = [this](const QString &key, const QVariant &value) { addDefault(key, value); };
    add(QStringLiteral("FirmwareLogFolderPath"), QString(data + QStringLiteral("Settings/")));
    add(QStringLiteral("FrontEndLogFolderPath"), QString(data + QStringLiteral("Settings/")));
    add(QStringLiteral("UsageHistoryFolderPath"), QString(data + QStringLiteral("Settings/")));
    add(QStringLiteral("BootModeFilePath"), QString(data + QStringLiteral("Settings/BI_StartupMode.txt")));
    add(QStringLiteral("SystemLogFolderPath"), QString(drive + QStringLiteral("Maintenance/")));
    add(QStringLiteral("ImageDrivePath"), drive);
    add(QStringLiteral("UpdateFolderPath"), QString(drive + QStringLiteral("Update/")));
    add(QStringLiteral("SettingsFolderPath"), QString(data + QStringLiteral("Settings/")));
    add(QStringLiteral("FlatframeFolderPath"), QString(data + QStringLiteral("Flatframe/")));
    add(QStringLiteral("CustomFlatframeFolderPath"), QString(data + QStringLiteral("Flatframe/Custom/")));
    add(QStringLiteral("DarkframeFolderPath"), QString(data + QStringLiteral("Darkframe/")));
    add(QStringLiteral("DistortionFolderPath"), QString(data + QStringLiteral("Distortion/")));
    add(QStringLiteral("HelpFolderPath"), QString(data + QStringLiteral("Help/")));
    add(QStringLiteral("MWStandardFilePath"), QString(data + QStringLiteral("MW/")));
    add(QStringLiteral("SystemLogFileName"), QStringLiteral("BI410Log.txt"));
    add(QStringLiteral("FirmwareLogFileName"), QStringLiteral("FirmwareLog.txt"));
    add(QStringLiteral("FrontEndLogFileName"), QStringLiteral("FrontEndLog.txt"));
    add(QStringLiteral("FirmwareUsageHistoryFileName"), QStringLiteral("UsageHistory_Firmware.txt"));
    add(QStringLiteral("FrontEndUsageHistoryFileName"), QStringLiteral("UsageHistory_FrontEnd.txt"));
    add(QStringLiteral("FrontEndActionHistoryFileName"), QStringLiteral("ActionHistory.txt"));
    add(QStringLiteral("MaintelogFileName"), QStringLiteral("_Maintenance.log"));
    add(QStringLiteral("SystemLogSettingsName"), QStringLiteral("BI410Log.ini"));
    add(QStringLiteral("ImageFolderName"), QStringLiteral("BI410 images"));
    add(QStringLiteral("UpdateFileNameFilter"), QStringList{QStringLiteral("BI410Update*.cab")});
    add(QStringLiteral("Log_FilePrefix"), QStringLiteral("BI410Log_"));
    add(QStringLiteral("Log_FileExtension"), QStringLiteral(".txt"));
    add(QStringLiteral("FlatframeFileExtension"), QStringLiteral(".tif"));
    add(QStringLiteral("DarkframeFileExtension"), QStringLiteral(".tif"));
    add(QStringLiteral("DistortionFileExtension"), QStringLiteral(".dst"));
    add(QStringLiteral("WebToolPasswordFilePath"), QString());
    add(QStringLiteral("DocumentFolderPath"), QString(data + QStringLiteral("Documents/")));
    add(QStringLiteral("ODCalibrationFilePath"), QString(data + QStringLiteral("ODCalibration.xml")));
    add(QStringLiteral("AutoBandParameterFilePath"), QString(data + QStringLiteral("Settings/AutoBand.txt")));
    add(QStringLiteral("Marker_GrayImageSuffix"), QStringLiteral("-Marker"));
    add(QStringLiteral("Marker_OverlaidImageSuffix"), QStringLiteral("+Marker"));
    add(QStringLiteral("ButtonDelayMSec"), 200);
    add(QStringLiteral("USBPortList"), QStringList{QStringLiteral("PCIROOT(0)#PCI(1A00)#USBROOT(0)#USB(1)#USB(1)"), QStringLiteral("PCIROOT(0)#PCI(1A00)#USBROOT(0)#USB(1)#USB(2)"), QStringLiteral("PCIROOT(0)#PCI(1A00)#USBROOT(0)#USB(1)#USB(3)")});
    add(QStringLiteral("SaveRawImage"), false);
    add(QStringLiteral("SaveEachIncrementlImages"), false);
    add(QStringLiteral("LANAdapterName"), QStringLiteral("Local Area Connection"));
    add(QStringLiteral("SerialNumber"), QString());
    add(QStringLiteral("ImageFolderCapacitySize"), uint(4089446400u));
    add(QStringLiteral("kImageFileConfirmRate"), 0.9);
    add(QStringLiteral("DarkframeOffset"), 1000);
    add(QStringLiteral("Darkframe_ShortExposureMaximumTime"), 8.192);
    add(QStringLiteral("CCDCoolingTemperature"), -25.0);
    add(QStringLiteral("CCDTemperatureDifferential"), 0.0);
    add(QStringLiteral("Colorimetric_ExposureTime"), 1000);
    add(QStringLiteral("EPI_Upper_WhiteRGBLightingTime_Blue"), 50);
    add(QStringLiteral("EPI_Upper_WhiteRGBLightingTime_Green"), 50);
    add(QStringLiteral("EPI_Upper_WhiteRGBLightingTime_Red"), 50);
    add(QStringLiteral("EPI_Lower_WhiteRGBLightingTime_Blue"), 50);
    add(QStringLiteral("EPI_Lower_WhiteRGBLightingTime_Green"), 50);
    add(QStringLiteral("EPI_Lower_WhiteRGBLightingTime_Red"), 50);
    add(QStringLiteral("Trans_WhiteRGBLightingTime_Blue"), 50);
    add(QStringLiteral("Trans_WhiteRGBLightingTime_Green"), 50);
    add(QStringLiteral("Trans_WhiteRGBLightingTime_Red"), 50);
    add(QStringLiteral("Marker_ExposureMSec"), 1000);
    add(QStringLiteral("Marker_EPI_Upper_LightingTime_Blue"), 400);
    add(QStringLiteral("Marker_EPI_Upper_LightingTime_Green"), 400);
    add(QStringLiteral("Marker_EPI_Upper_LightingTime_Red"), 400);
    add(QStringLiteral("Marker_EPI_Lower_LightingTime_Blue"), 400);
    add(QStringLiteral("Marker_EPI_Lower_LightingTime_Green"), 400);
    add(QStringLiteral("Marker_EPI_Lower_LightingTime_Red"), 400);
    add(QStringLiteral("Marker_Trans_LightingTime_Blue"), 600);
    add(QStringLiteral("Marker_Trans_LightingTime_Green"), 600);
    add(QStringLiteral("Marker_Trans_LightingTime_Red"), 600);
    add(QStringLiteral("FluorRGB_F2_8"), true);
    add(QStringLiteral("Marker_MaxLevel"), 255);
    add(QStringLiteral("GainCoefficient"), 2900);
    add(QStringLiteral("OffsetCoefficient"), 1654);
    add(QStringLiteral("OffsetGradient"), 939);
    add(QStringLiteral("OFDVoltage"), 3100);
    add(QStringLiteral("ExposureShutterDelayMSec"), 3);
    add(QStringLiteral("FocusPositions_Upper"), variantList<int>({4010, 4010, 4010, 4010, 4010}));
    add(QStringLiteral("FocusPositions_Lower"), variantList<int>({460, 530, 460, 530, 530}));
    add(QStringLiteral("FocusPosition_Upper_Colorimetric"), 4010);
    add(QStringLiteral("FocusPosition_Lower_Colorimetric"), 460);
    add(QStringLiteral("Focus_MaximumPosition"), 800);
    add(QStringLiteral("Focus_BinningType"), 10);
    add(QStringLiteral("FocusExposureMSec"), 231);
    add(QStringLiteral("Indicator_NotReady_OnTime"), 5);
    add(QStringLiteral("Indicator_NotReady_OffTime"), 5);
    add(QStringLiteral("Indicator_Error_OnTime"), 5);
    add(QStringLiteral("Indicator_Error_OffTime"), 5);
    add(QStringLiteral("Indicator_Sleep_OnTime"), 5);
    add(QStringLiteral("Indicator_Sleepy_OffTime"), 15);
    add(QStringLiteral("Indicator_Shutdown_OnTime"), 5);
    add(QStringLiteral("Indicator_Shutdown_OffTime"), 5);
    add(QStringLiteral("Indicator_Flsh_OnTime"), 10);
    add(QStringLiteral("Indicator_Flsh_OffTime"), 3);
    add(QStringLiteral("IndicatorFlashingTime"), 6000);
    add(QStringLiteral("ODCalibration"), true);
    add(QStringLiteral("ODCalibration_Stretch"), true);
    add(QStringLiteral("ODCalibration_Offset1"), 1000);
    add(QStringLiteral("ODCalibration_Offset2"), 10);
    add(QStringLiteral("ODCalibration_ODCALmax"), 2);
    add(QStringLiteral("ODCalibration_CALmax"), 60503);
    add(QStringLiteral("ODCalibration_CALmax2"), 60503);
    add(QStringLiteral("ODCalibration_Ambient"), 432);
    add(QStringLiteral("ODCalibration_R"), 5032);
    add(QStringLiteral("ODCalibration_P"), 65535);
    add(QStringLiteral("ODCalibration_Pdash"), 59080);
    add(QStringLiteral("ODCalibration_A"), -0.00164059);
    add(QStringLiteral("ODCalibration_B"), -1.04424);
    add(QStringLiteral("ODCalibration_C"), 0);
    add(QStringLiteral("ODCalibration_QLaveList"), variantList<double>({6920.0, 27423.0, 40733.0, 49670.0, 55280.0, 58870.0, 61207.0, 62747.0, 63709.0, 64380.0, 64764.0, 65039.0, 65226.0, 65340.0, 65406.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0}));
    add(QStringLiteral("ODCalibration_ODList"), variantList<double>({0.06, 0.25, 0.44, 0.64, 0.84, 1.03, 1.23, 1.43, 1.63, 1.82, 2.03, 2.23, 2.43, 2.63, 2.85, 3.1, 3.2, 3.3, 3.4, 3.5, 3.6}));
    add(QStringLiteral("ODCalibration_RawList"), QVariantList{0.05, 0.05, 0.05, 0.05, 0.05, 0.07, 0.07, 0.07, 0.07, 0.07, 0.1, 1, 1, 1, 1});
    add(QStringLiteral("ODCalibration_min2"), 50000);
    add(QStringLiteral("ODCalibration_max2"), 65000);
    add(QStringLiteral("ODCalibration_EnableUserCalibration"), false);
    add(QStringLiteral("ODCalibration_TabletSerialNumber"), QStringLiteral("00000"));
    add(QStringLiteral("Distortion_DensityCorrection"), false);
    add(QStringLiteral("Flatframe_MaxAreaLimitation"), false);
    add(QStringLiteral("SaturatedPixelColor"), QColor(240, 0, 240, 255));
    add(QStringLiteral("ImageProcess"), QStringList{QStringLiteral("darkframe"), QStringLiteral("spotting"), QStringLiteral("flatframe"), QStringLiteral("distortion"), QStringLiteral("expand")});
    add(QStringLiteral("ImageProcess_PreExposure"), QStringList{QStringLiteral("darkframe"), QStringLiteral("spotting"), QStringLiteral("averaging")});
    add(QStringLiteral("ImageProcess_Increment"), QStringList{QStringLiteral("darkframe"), QStringLiteral("spotting")});
    add(QStringLiteral("ImageProcess_AfterIncrement"), QStringList{QStringLiteral("flatframe"), QStringLiteral("distortion"), QStringLiteral("expand")});
    add(QStringLiteral("ImageProcess_InvertColorimetric"), true);
    add(QStringLiteral("DigitalZoomInterpolationType"), QStringLiteral("bilinear"));
    add(QStringLiteral("AutoRange_UpperRate"), 0.00125);
    add(QStringLiteral("AutoRange_LowerRate"), 0.05);
    add(QStringLiteral("RangeMinimumDistance"), 500);
    add(QStringLiteral("Marker_AutoRange_UpperRate"), 0.00125);
    add(QStringLiteral("Marker_AutoRange_LowerRate"), 0.05);
    add(QStringLiteral("Marker_RangeMinimumDistance"), 500);
    add(QStringLiteral("Library_MaximumPageCount"), 200);
    add(QStringLiteral("Library_ItemCountPerPage"), 50);
    add(QStringLiteral("Library_SearchMaxCount"), 250);
    add(QStringLiteral("InternalStorageName"), QStringLiteral("On instrument"));
    add(QStringLiteral("USBStorageNames"), QStringList{QStringLiteral("USB-front"), QStringLiteral("USB-rear1"), QStringLiteral("USB-rear2"), QStringLiteral("USB-rear3")});
    add(QStringLiteral("NetworkIsStatic"), false);
    add(QStringLiteral("KillProcessNameList"), QStringLiteral("ThinVnc.exe"));
    add(QStringLiteral("MaximumNumberOfBand"), 20);
    add(QStringLiteral("MaximumNumberOfBandAutoDetection"), 20);
    add(QStringLiteral("MWUnitList"), QStringList{QStringLiteral("(none)"), QStringLiteral("basepair"), QStringLiteral("kDa"), QStringLiteral("Da")});
    add(QStringLiteral("MuximumNumberOfLanes"), 25);
    add(QStringLiteral("FrontEndLogCount"), 20);
    add(QStringLiteral("FirmErrorLogCount"), 20);
    add(QStringLiteral("ActionHistoryCount"), 10);
    add(QStringLiteral("MarkerCompositionType"), 0);
    add(QStringLiteral("BiCubic_SincCoeff"), -0.02);
    add(QStringLiteral("ImageProcessMSec"), 10000);
    add(QStringLiteral("ImageProcessMSec_Upper"), 4000);
    add(QStringLiteral("ExpTimeAdjust_FluorMulti"), 2000);
    add(QStringLiteral("ExpTimeAdjust_Marker"), 34000);
    add(QStringLiteral("ExpTimeAdjust_Marker_Upper"), 26000);
    add(QStringLiteral("ExpTimeAdjust_UV"), 10000);
    add(QStringLiteral("ExpTime_Colorimetric"), 33000);
    add(QStringLiteral("ExpTime_Preexposure"), 10500);
    add(QStringLiteral("UpdateUsageAfterExposureDelay"), 5000);

    QString path = QCoreApplication::applicationDirPath() + QStringLiteral("/BI410.ini");
    if (!QFileInfo::exists(path))
        path = defaultValues().value(QStringLiteral("SettingsFolderPath")).toString()
               + QStringLiteral("BI410.ini");
    setStore(new LSettings(path));
}

SystemSettings::~SystemSettings() = default;

QList<unsigned int> SystemSettings::uintListValue(const QString &inKey) const
{
    QList<unsigned int> values;
    for (const QVariant &v : listValue(inKey))
        values.append(v.toUInt());
    return values;
}

QList<double> SystemSettings::doubleListValue(const QString &inKey) const
{
    QList<double> values;
    for (const QVariant &v : listValue(inKey))
        values.append(v.toDouble());
    return values;
}
