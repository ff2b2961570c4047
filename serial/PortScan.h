// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "PortDirectory.h"
#include "SerialPort.h"

#include <QString>

#include <functional>

// The port selector (an editable drop-down list) as the port discovery sees it.
class PortSelector
{
public:
    virtual ~PortSelector() = default;
    virtual QString Text() const = 0;
    virtual void SetText(const QString &text) = 0;
    virtual void AddEntry(const QString &entry, const QString &toolTip) = 0;
};

using UnusablePort = std::function<void(int number, const PortDevice &device, const OpenError &error)>;

// Offers COM1 to COM9 in ascending order, each only if it opens now; the first
// one preselected, "" when none opens. A port that does not open is left out;
// `unusable` hears of each one that has a device behind it.
void ScanPorts(SerialPort &port, const PortDirectory &directory, PortSelector &selector,
               const UnusablePort &unusable = {});

// "/dev/ttyUSB0 – FT232R USB UART": what the selector shows when pointed at.
QString PortToolTip(const PortDevice &device);
