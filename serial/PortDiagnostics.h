#pragma once

#include "PortDirectory.h"
#include "SerialPort.h"

#include <QString>

// One line for the terminal on a port that did not open: which device, which
// COMn, why, and what to do about it. `group` owns the device (e.g. dialout).
QString PortDiagnostic(int number, const PortDevice &device, const OpenError &error, const QString &group);
