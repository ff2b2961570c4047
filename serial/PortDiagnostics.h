// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "PortDirectory.h"
#include "SerialPort.h"

#include <QString>

// Who may read and write a device.
struct DeviceAccess
{
    QString owner;
    QString group;
    uint mode{}; // permission bits, e.g. 0660
};

// Why a device did not open and what to do about it, in German.
QString OpenProblem(const PortDevice &device, const OpenError &error);
// One line for the terminal on a port that did not open: the port as the user
// knows it ("COM1 (/dev/ttyUSB0)"), and the problem.
QString PortDiagnostic(const QString &port, const PortDevice &device, const OpenError &error);

// What to do when the user may not open a device: join its group when that
// helps and is safe to advise, otherwise a udev rule.
QString PermissionAdvice(const DeviceAccess &access);
