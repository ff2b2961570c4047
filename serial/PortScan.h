#pragma once

#include "PortDirectory.h"
#include "SerialPort.h"

#include <QString>

// The port selector (an editable drop-down list) as the port discovery sees it.
class PortSelector
{
public:
    virtual ~PortSelector() = default;
    virtual QString Text() const = 0;
    virtual void SetText(const QString &text) = 0;
    virtual void AddEntry(const QString &entry, const QString &toolTip) = 0;
};

// Offers COM1 to COM9 in ascending order, each only if it opens now; the first
// one preselected, "" when none opens. Failures are silent: a port that does
// not open is left out.
void ScanPorts(SerialPort &port, const PortDirectory &directory, PortSelector &selector);

// "/dev/ttyUSB0 – FT232R USB UART": what the selector shows when pointed at.
QString PortToolTip(const PortDevice &device);
