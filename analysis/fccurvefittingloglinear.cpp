#include "analysis/fccurvefittingloglinear.h"

#include <cfloat>
#include <cmath>

FCCurveFittingLogLinear::FCCurveFittingLogLinear(FCCurveFitting *inInner)
    : inner(inInner)
{
}

FCCurveFittingLogLinear::~FCCurveFittingLogLinear() = default;

double FCCurveFittingLogLinear::GetA() const { return inner ? inner->GetA() : DBL_MIN; }
double FCCurveFittingLogLinear::GetB() const { return inner ? inner->GetB() : DBL_MIN; }
double FCCurveFittingLogLinear::GetC() const { return inner ? inner->GetC() : DBL_MIN; }
double FCCurveFittingLogLinear::GetD() const { return inner ? inner->GetD() : DBL_MIN; }
double FCCurveFittingLogLinear::GetE() const { return inner ? inner->GetE() : DBL_MIN; }
double FCCurveFittingLogLinear::GetF() const { return inner ? inner->GetF() : DBL_MIN; }
double FCCurveFittingLogLinear::GetR() const { return inner ? inner->GetR() : DBL_MIN; }

bool FCCurveFittingLogLinear::HasA() const { return inner && inner->HasA(); }
bool FCCurveFittingLogLinear::HasB() const { return inner && inner->HasB(); }
bool FCCurveFittingLogLinear::HasC() const { return inner && inner->HasC(); }
bool FCCurveFittingLogLinear::HasD() const { return inner && inner->HasD(); }
bool FCCurveFittingLogLinear::HasE() const { return inner && inner->HasE(); }
bool FCCurveFittingLogLinear::HasF() const { return inner && inner->HasF(); }
bool FCCurveFittingLogLinear::HasR() const { return inner && inner->HasR(); }

double FCCurveFittingLogLinear::Evaluate(double inX) const
{
    return inner ? std::pow(10.0, inner->Evaluate(inX)) : DBL_MIN;
}
