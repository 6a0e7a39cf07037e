#pragma once

#include <QString>
#include <QtGlobal>

// An exposure time as the instrument writes it: "Automatic" for 0, else whole minutes "%1 min",
// seconds with up to three decimals "%1.%2 s", or both ("2 min 30.25 s").
QString exposureTimeText(quint32 inMSec);

// Milliseconds from an exposure-time text. A number without "min" is seconds; a fraction is cut to
// milliseconds, not rounded; a text that holds no number gives 0. The total is held within the
// 32-bit range.
qint32 parseExposureTimeText(const QString &inText);
