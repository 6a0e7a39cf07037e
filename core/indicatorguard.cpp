#include "core/indicatorguard.h"

#include "core/kestova.h"

IndicatorGuard::IndicatorGuard()
{
    Kestova::instance()->setIndicator(2);
}

IndicatorGuard::~IndicatorGuard()
{
    Kestova::instance()->setIndicator(3);
}
