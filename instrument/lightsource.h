#pragma once

#include <QString>
#include <QtGlobal>

// A light of the instrument by index: 0 to 4 are the entries of the instrument's light-name list
// ("None" and the excitation lights), 5 to 19 a fixed list of white lights.
class LightSource
{
public:
    explicit LightSource(int inIndex = 0);
    explicit LightSource(const QString &inName);

    // The index of a light name: its place in the light-name list, else after that list in the
    // white-light list, else one of the three combined RGB names, else 0 ("None").
    static int indexOfName(const QString &inName);
    // The light index of a lamp code; 0 for an unknown code.
    static int indexFromLampCode(uint inCode);
    // Lighting ticks of an exposure: the value × 10 in both outputs.
    static void lightingTimes(uint inValue, int &outA, int &outB);

    int index() const { return lightIndex; }
    // Empty for an index outside the lists.
    QString name() const;
    // 0 for an index outside 0 to 19.
    uint lampCode() const;
    // The blue, green and red lighting times of the white lights, from the instrument settings;
    // 0 for the parts a light does not use and for every other light.
    void lightingTime(quint16 &outBlue, quint16 &outGreen, quint16 &outRed) const;

private:
    int lightIndex;
};
