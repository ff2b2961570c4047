// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

#include <cstdint>

// The window-level fields of a reset, owned by the window for its lifetime.
// All start zeroed or empty. Byte strings hold one byte per character,
// exactly as they crossed the port.
struct MainWindowState
{
    bool Answered{};       // the machine answered a poll of this reset
    bool DataEnded{};      // RxBuffer ends with SYN
    int32_t TickMs{};      // advanced by the tick timer, zeroed before each wait
    QByteArray Chunk;      // what the latest read returned
    QByteArray RxBuffer;   // everything received in this reset, in order
    QByteArray CodeString; // the command string sent after the answer
    bool QuitRequested{};  // the user asked to close the window
    int16_t Attempts{};    // polls sent in this reset
};

// Each tick of the window's timer counts for this many milliseconds.
inline constexpr int32_t TickIntervalMs = 16;
