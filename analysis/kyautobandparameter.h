#pragma once

#include "analysis/kybanddetectparameter.h"

#include <QStringList>

// One named parameter set as one line of the auto-band parameter file holds it: the name, then
// f1 to f10.
class KyAutoBandParameter
{
public:
    KyAutoBandParameter() = default;
    // Field 0 is the name, fields 1 to 10 are f1 to f10 (a text that is not a number gives 0);
    // missing fields keep their defaults and fields past the eleventh are ignored.
    explicit KyAutoBandParameter(const QStringList &inFields);

    // The record detection is given. The file's third and fourth numbers (minimum and maximum
    // width) land in p3 and p2.
    KyBandDetectParameter toDetectParameter() const;

    QString name;
    double f1 = 0;
    double f2 = 150;
    double f3 = 1;
    double f4 = 8;
    double f5 = 250;
    double f6 = 0.003;
    double f7 = 8;
    double f8 = 4;
    double f9 = 10;
    double f10 = 5;
};
