#include "instrument/kestovadevice.h"

KestovaDevice::~KestovaDevice() = default;

int KestovaDevice::GetCameraStatus(KyCommand::CameraStatusRecord &)
{
    return 0;
}

int KestovaDevice::writeIndicatorRecord(const KyCommand::IndicatorRecord &)
{
    return 0;
}

int KestovaDevice::writeCoolingRecord(const KyCommand::CoolingRecord &)
{
    return 0;
}
