#pragma once

#include "core/defaultedsettings.h"

#include <QStringList>

// The instrument's name lists: filters of each filter slot, lights, method types, and the method,
// light and filter of each method ([method name, light name, filter name]). An installation can
// override any list in "Method.ini": beside the executable when it is there, else in the instrument's
// settings folder.
//
// The process-wide instance is made on the GUI thread at start-up: its store watches its file.
class InstrumentNames : public DefaultedSettings
{
public:
    static InstrumentNames *instance();

    static QStringList lightNames();
    static QStringList methodTypeNames();
    static QStringList chemiluminescenceMethods();
    static QStringList colorimetricMethods();
    // Channel 0 to 4: blue, green, red, custom, UV; empty for any other channel.
    static QStringList fluorescenceMethods(int inChannel);
    // The five filter-slot lists joined in slot order, each name once.
    static QStringList filterNames();
    // The names of one filter slot, 1 to 5; empty for any other slot.
    static QStringList filterSlotNames(int inSlot);

private:
    InstrumentNames();
    ~InstrumentNames() override;
};
