#pragma once

#include "analysis/fccurvefitting.h"

#include <memory>

// y = 10 ^ inner(x): a curve fitted to (x, log10 y). Coefficients and R are those of the inner
// curve, in the logarithmic space.
class FCCurveFittingLogLinear : public FCCurveFitting
{
public:
    // Takes ownership of inner, which may be null.
    explicit FCCurveFittingLogLinear(FCCurveFitting *inInner);
    ~FCCurveFittingLogLinear() override;

    FCCurveFittingLogLinear(const FCCurveFittingLogLinear &) = delete;
    FCCurveFittingLogLinear &operator=(const FCCurveFittingLogLinear &) = delete;

    double GetA() const override;
    double GetB() const override;
    double GetC() const override;
    double GetD() const override;
    double GetE() const override;
    double GetF() const override;
    double GetR() const override;

    bool HasA() const override;
    bool HasB() const override;
    bool HasC() const override;
    bool HasD() const override;
    bool HasE() const override;
    bool HasF() const override;
    bool HasR() const override;

    double Evaluate(double inX) const override;

private:
    std::unique_ptr<FCCurveFitting> inner;
};
