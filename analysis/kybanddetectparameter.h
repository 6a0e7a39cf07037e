#pragma once

#include <QString>

// The numbers one band detection is given, converted from a named parameter set:
// p0 noise percent, p1 unused, p2 maximum band width (mm), p3 minimum band width (mm), p4 minimum side
// height without an optical-density parameter, p5 with one, p6 unused, p7 and p8 the asymmetry
// ratios, p9 edge percent, p10 height threshold in percent of the channel's largest profile value.
class KyBandDetectParameter
{
public:
    KyBandDetectParameter() = default;

    double p0 = 0.0;
    double p1 = 0.0;
    double p2 = 0.0;
    double p3 = 0.0;
    double p4 = 0.0;
    double p5 = 0.0;
    int p6 = 0;
    double p7 = 0.0;
    double p8 = 0.0;
    double p9 = 0.0;
    double p10 = 0.0;
    QString name;

    bool operator==(const KyBandDetectParameter &other) const = default;
};
