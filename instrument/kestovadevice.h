#pragma once

#include "instrument/kycommand.h"

// The link to the imaging unit. This program has no unit attached: the built-in link answers every
// call with success and transfers nothing. Tests put a link of their own in its place.
class KestovaDevice
{
public:
    virtual ~KestovaDevice();

    // Fills the camera status record; 0 on success.
    virtual int GetCameraStatus(KyCommand::CameraStatusRecord &outRecord);
    // Sends the indicator record; 0 on success.
    virtual int writeIndicatorRecord(const KyCommand::IndicatorRecord &inRecord);
    // Sends the cooling record; 0 on success.
    virtual int writeCoolingRecord(const KyCommand::CoolingRecord &inRecord);
};
