#include "instrument/filtername.h"

#include "instrument/instrumentnames.h"

FilterName::FilterName(const QString &inName)
    : filterName(inName)
{
}

int FilterName::index() const
{
    for (int slot = 1; slot <= 5; ++slot) {
        if (InstrumentNames::filterSlotNames(slot).contains(filterName, Qt::CaseSensitive))
            return slot;
    }
    return 0;
}
