#include "instrument/indicatorguard.h"

#include "instrument/kestova.h"

IndicatorGuard::IndicatorGuard()
{
    Kestova::instance()->setIndicator(2);
}

IndicatorGuard::~IndicatorGuard()
{
    Kestova::instance()->setIndicator(3);
}
