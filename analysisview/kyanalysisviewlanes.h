#pragma once

#include <QString>

// The sensitivity picker's text: the name of the band-detection parameter set at that index of the
// auto-band table, "" outside it.
QString bandSensitivityText(int index);
