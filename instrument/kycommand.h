#pragma once

#include <QtGlobal>

#include <array>

// The vocabulary of the imaging unit's command link: signal values and the byte records exchanged
// with the unit, in the unit's own layout (little-endian).
namespace KyCommand {

// Camera temperature state (1 ready); 255 when the camera status could not be read.
using TempStatus = quint8;
// Tray position 0 to 3; 255 when the camera status could not be read.
using TrayPosition = quint8;

// Unit status: light-group ready pairs, two flags, a 16-bit and a 32-bit number.
using UnitStatusRecord = std::array<quint8, 20>;
// Camera status: status code, temperature state, CCD temperature, tray position and flags.
using CameraStatusRecord = std::array<quint8, 24>;
// Front indicators A, B and C: three modes, then on-time and off-time of each.
using IndicatorRecord = std::array<quint8, 9>;
// CCD cooling: signed target in hundredths of a degree, enable byte, a zero byte.
using CoolingRecord = std::array<quint8, 4>;
// Last device error: kind (byte 0), category (byte 3), detail (bytes 6-7).
using DeviceErrorRecord = std::array<quint8, 8>;

} // namespace KyCommand
