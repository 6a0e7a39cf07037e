#pragma once

#include "analysis/fccurvefitting.h"

#include <memory>

// The curve of one model (type 0 to 10, see FCCurveFittingFactory): plain coefficients for the
// least-squares models, knots with their slopes for the spline.
class FCCurveFittingImpl : public FCCurveFitting
{
public:
    FCCurveFittingImpl();
    ~FCCurveFittingImpl() override;

    FCCurveFittingImpl(const FCCurveFittingImpl &) = delete;
    FCCurveFittingImpl &operator=(const FCCurveFittingImpl &) = delete;

    double GetA() const override { return a; }
    double GetB() const override { return b; }
    double GetC() const override { return c; }
    double GetD() const override { return d; }
    double GetE() const override { return e; }
    double GetF() const override { return f; }
    double GetR() const override { return R; }

    bool HasA() const override { return hasA; }
    bool HasB() const override { return hasB; }
    bool HasC() const override { return hasC; }
    bool HasD() const override { return hasD; }
    bool HasE() const override { return hasE; }
    bool HasF() const override { return hasF; }
    bool HasR() const override { return hasR; }

    double Evaluate(double inX) const override;

    void SetCoefficientA(double inValue);
    void SetCoefficientB(double inValue);
    void SetCoefficientC(double inValue);
    void SetCoefficientD(double inValue);
    void SetCoefficientE(double inValue);
    void SetCoefficientF(double inValue);
    void SetR(double inValue);
    void SetType(int inType);

    // Clears coefficients, flags, R and knots; the type stays.
    void Reset();

    // Copies count knots with their slopes; false, with no knots kept, when memory runs out.
    bool SetKnots(const double *inX, const double *inY, const double *inSlopes, int inCount);

    // Room for count + 1 zeroed knots without slopes (the layout of a sampled curve); Reset first.
    // False, with no knots kept, when memory runs out.
    bool AllocateKnots(int inCount);
    // Stores knot i of the room made by AllocateKnots; an index outside it does nothing.
    void SetKnot(int inIndex, double inX, double inY);
    // The pair of neighbouring knot indices around x in the layout of AllocateKnots.
    void FindKnotInterval(double inX, int *outLo, int *outHi) const;

private:
    void ReleaseKnots();
    double EvaluateSpline(double inX) const;

    double a = 0.0;
    double b = 0.0;
    double c = 0.0;
    double d = 0.0;
    double e = 0.0;
    double f = 0.0;
    bool hasA = false;
    bool hasB = false;
    bool hasC = false;
    bool hasD = false;
    bool hasE = false;
    bool hasF = false;
    double R = 0.0;
    bool hasR = false;
    int type = 0;
    std::unique_ptr<double[]> knotX;
    std::unique_ptr<double[]> knotY;
    int knotCount = 0;
    std::unique_ptr<double[]> knotSlope;
};
