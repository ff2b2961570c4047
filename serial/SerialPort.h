// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

// Why a port did not open, for the people who set up the machine.
struct OpenError
{
    enum class Kind {
        None,
        NoDevice,         // nothing behind the port number, or no such device
        PermissionDenied, // the user may not open the device
        Busy,             // another program holds it
        Other,            // the text says why
    };
    Kind kind = Kind::None;
    QString text; // the system's own words, or ours in German
};

// One serial port with the few operations a reset needs. Port number, settings,
// DTR, RTS and read length may be set while the port is closed; they take
// effect when it opens. Every operation says whether it succeeded and never
// throws or prints, so callers decide in plain code how to go on after a
// failure. Data is raw bytes both ways: no translation of any kind.
class SerialPort
{
public:
    virtual ~SerialPort() = default;

    // 1 is COM1; a number that names no device makes the next Open fail.
    virtual bool SetPortNumber(int16_t number) = 0;
    virtual int16_t PortNumber() const = 0;
    virtual bool IsOpen() const = 0;
    virtual bool Open() = 0;
    virtual bool Close() = 0;
    // "baud,parity,data bits,stop bits", e.g. "9600,N,8,1".
    virtual bool SetSettings(const QString &settings) = 0;
    virtual bool SetDtr(bool on) = 0;
    virtual bool SetRts(bool on) = 0;
    // 0 makes a read return everything that is waiting (the only length used).
    virtual bool SetInputLen(int16_t length) = 0;
    // Queues the bytes in order; they may leave the port after this returns.
    virtual bool Write(const QByteArray &bytes) = 0;
    // Takes everything waiting, "" when nothing is. On failure `into` keeps
    // whatever it held.
    virtual bool Read(QByteArray &into) = 0;
    // Whether bytes wait to be read, here or in the driver, without reading them.
    virtual bool InputWaiting() const = 0;
    // The open device's descriptor, for a last write at exit; -1 when none.
    virtual int Descriptor() const { return -1; }
    // Why the last Open failed (Kind::None after a successful one).
    virtual OpenError LastOpenError() const = 0;
};
