#pragma once

// The parameters of one contrast or brightness step of the display range.
struct ContrastStep
{
    double percent = 0.0; // signed share of all pixels, in percent
    int minDistance = 0;  // smallest allowed width of the display range
    int step = 0;         // grey levels moved in the fixed-step cases
};
