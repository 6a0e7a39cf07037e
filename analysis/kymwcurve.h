#pragma once

#include <QMap>

#include <memory>

class FCCurveFitting;

// The molecular-weight calibration: (band position, known molecular weight) points of the standard
// lane and the curve fitted through them, a line (mode 0) or a cubic (mode 1) in log10 of the
// weight.
class KyMwCurve
{
public:
    KyMwCurve();
    ~KyMwCurve();

    KyMwCurve(const KyMwCurve &) = delete;
    KyMwCurve &operator=(const KyMwCurve &) = delete;

    // Replaces the points and refits.
    void setPoints(const QMap<double, double> &inPoints);
    const QMap<double, double> &points() const { return mPoints; }

    // 0 log-linear, 1 log-cubic; any other mode gives no curve. Refits when the mode changes.
    void setMode(int inMode);
    int mode() const { return mMode; }

    // Drops the points and the fitted curve.
    void clear();

    // Whether the points could be fitted by the mode's curve.
    bool hasCurve() const { return mFitter != nullptr; }
    // The fewest points the mode's curve can be fitted through; 0 for a mode without a curve.
    static int minimumPoints(int inMode);
    // The molecular weight at position x; 0.0 when there is no fitted curve.
    double value(double inX) const;

private:
    void rebuild();

    QMap<double, double> mPoints;
    int mMode = 0;
    std::unique_ptr<FCCurveFitting> mFitter;
};
