#include "analysis/kyautobandparameter.h"

KyAutoBandParameter::KyAutoBandParameter(const QStringList &inFields)
{
    if (!inFields.isEmpty())
        name = inFields.at(0);
    double *const numbers[] = {&f1, &f2, &f3, &f4, &f5, &f6, &f7, &f8, &f9, &f10};
    for (int i = 0; i < 10 && i + 1 < inFields.size(); ++i)
        *numbers[i] = inFields.at(i + 1).toDouble();
}

KyBandDetectParameter KyAutoBandParameter::toDetectParameter() const
{
    KyBandDetectParameter p;
    p.p0 = f1;
    p.p1 = f2;
    p.p2 = f4;
    p.p3 = f3;
    p.p4 = f5;
    p.p5 = f6;
    p.p6 = 0;
    p.p7 = f7;
    p.p8 = f8;
    p.p9 = f9;
    p.p10 = f10;
    p.name = name;
    return p;
}
