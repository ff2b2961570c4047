// SPDX-License-Identifier: GPL-3.0-or-later
#include "PortScan.h"

void ScanPorts(SerialPort &port, const PortDirectory &directory, PortSelector &selector, const UnusablePort &unusable)
{
    for (int number = PortDirectory::FirstNumber; number <= PortDirectory::LastNumber; ++number) {
        // Continue on error: a step that fails changes nothing and the next one runs.
        port.SetPortNumber(static_cast<int16_t>(number));
        port.Open();
        const std::optional<PortDevice> device = directory.Device(number);
        if (!port.IsOpen()) {
            if (device && unusable)
                unusable(number, *device, port.LastOpenError());
            continue;
        }
        const QString entry = QStringLiteral("COM%1").arg(number);
        selector.AddEntry(entry, device ? PortToolTip(*device) : QString());
        if (selector.Text().isEmpty())
            selector.SetText(entry);
        port.Close();
    }
}

QString PortToolTip(const PortDevice &device)
{
    if (device.description.isEmpty())
        return device.ShownPath();
    return device.ShownPath() + QStringLiteral(" – ") + device.description;
}
