#pragma once

#include <QString>

// Keys of the image metadata items the documents read and write. The analysis items carry the
// whole analysis of a capture inside its images; the others describe the capture.
namespace KyItemName {

// The analysis, stored as comma-separated text.
inline const QString Lane = QStringLiteral("Lane");
inline const QString Band = QStringLiteral("Band");
inline const QString Background = QStringLiteral("Background");
inline const QString MWStandardLane = QStringLiteral("MWStandardLane");
inline const QString MWStandard = QStringLiteral("MWStandard");

// The capture.
inline const QString Comment = QStringLiteral("Comment");
inline const QString DateTime = QStringLiteral("Date time");
inline const QString FilePath = QStringLiteral("File path");
inline const QString ImageSplit = QStringLiteral("Image split");
inline const QString ODParameter = QStringLiteral("OD parameter");
inline const QString Channel = QStringLiteral("Channel");

} // namespace KyItemName
