#pragma once

#include <QFont>
#include <QStringList>

// The program's fonts come from a handful of presets so that every screen uses the same sizes.

// Point sizes by size index: 0 → 16, 1 → 18, 2 → 24, 3 → 36, 4 → 48, 5 → 61, 6 → 14, 7 → 12, 8 → 10.
int fontPointSize(int sizeIndex);

// "Arial" at the point size of the size index (an index outside the table uses index 0).
QFont makeFont(int sizeIndex);

// The header face, "Tolvsans Pitch" at 18 points.
QFont makeHeaderFont();

// The program asks for "Arial" and "Tolvsans Pitch", which this platform does not ship: maps them
// to installed faces (Liberation Sans, DejaVu Sans; DejaVu Sans also carries the arrows and the
// degree sign the screens show). QFont::family() keeps reporting the requested name. Call once at
// start-up, after the application object exists; calling again changes nothing.
void registerFontSubstitutions();
