// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "reset/ResetHost.h"
#include "reset/ResetRecord.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace ResetProtocol {

inline constexpr int16_t PollLimit = 20;
inline constexpr int32_t AnswerWaitMs = 500;
inline constexpr int32_t PauseMs = 6; // one tick, between the answer and the command string
inline constexpr int32_t GraceMs = 350;
inline constexpr char Enq = 5;
inline constexpr char Esc = 27;
inline constexpr char Lf = 10;
inline constexpr char Syn = 22;
inline constexpr char LineSettings[] = "9600,N,8,1";
// Received data beyond this ends the data phase as if it had ended: hours
// of a real line, and thousands of printouts, but a bound on the memory a
// machine that never sends its SYN can take.
inline constexpr qsizetype RxLimitBytes = 64 * 1024 * 1024;

// The 20-byte command that makes the machine reset and print.
QByteArray CodeString();

// The port number named by the selector text's last character: "1" to "9"
// give 1 to 9; anything else, or no text, gives 0.
int16_t PortNumberOf(const QString &selectorText);

} // namespace ResetProtocol

// One whole reset: open the port, poll until the machine answers, send the
// command string, collect the data up to its final SYN, answer SYN, and show
// what came. Runs inside the button's click and returns, when it is over,
// what it did.
ResetRecord RunReset(ResetHost &host);
