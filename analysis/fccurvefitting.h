#pragma once

// A fitted curve y = f(x): up to six coefficients a to f, a correlation coefficient R, and the
// evaluation. Which coefficients a curve carries depends on its model; the Has operations say so.
class FCCurveFitting
{
public:
    virtual ~FCCurveFitting() = default;

    virtual double GetA() const = 0;
    virtual double GetB() const = 0;
    virtual double GetC() const = 0;
    virtual double GetD() const = 0;
    virtual double GetE() const = 0;
    virtual double GetF() const = 0;
    virtual double GetR() const = 0;

    virtual bool HasA() const = 0;
    virtual bool HasB() const = 0;
    virtual bool HasC() const = 0;
    virtual bool HasD() const = 0;
    virtual bool HasE() const = 0;
    virtual bool HasF() const = 0;
    virtual bool HasR() const = 0;

    virtual double Evaluate(double inX) const = 0;
};
