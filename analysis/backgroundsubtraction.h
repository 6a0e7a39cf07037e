#pragma once

#include <QString>
#include <QVector>

// The background curve under the bands of one lane profile, by one of four methods. Every
// operation is a pure function of its arguments (and the constant name list), so lanes may be
// computed concurrently from any thread.
class BackgroundSubtraction
{
public:
    // Method indices; stored analysis refers to the methods by the names of methodName.
    enum EMethod {
        kMethod_None = 0,
        kMethod_RubberBand = 1,
        kMethod_MinimumProfile = 2,
        kMethod_RollingBall = 3,
    };

    // The background of profile by method (an index above); parameter is the rolling-ball
    // radius in profile samples and is ignored by the other methods. Empty for an empty
    // profile and for method None or an unknown method.
    static QVector<double> calculate(int inMethod, int inParameter, const QVector<double> &inProfile);

    // Every value equal to the smallest profile value.
    static QVector<double> minimumProfile(const QVector<double> &inProfile);
    // The lower hull of the profile, found by splitting at the point deepest below the chord.
    static QVector<double> rubberBand(const QVector<double> &inProfile);
    // Straight lines between the points where a ball of the given radius (in samples), rolled
    // under the profile, touches it. Empty for a radius below 1.
    static QVector<double> rollingBall(const QVector<double> &inProfile, int inRadius);
    // The upper envelope of a ball whose radius is a percentage of the profile length, pushed
    // up under the profile; never below 0. Empty for a percentage below 1.
    static QVector<double> rollingBallPercent(const QVector<double> &inProfile, int inPercent);

    // "None", "Rubber band", "Minimum profile", "Rolling ball"; empty outside 0..3.
    static QString methodName(int inIndex);
    // Index of the exactly matching name; 0 when there is none.
    static int methodIndex(const QString &inName);
};
