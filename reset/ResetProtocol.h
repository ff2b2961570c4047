// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

// The exchange with the machine as it goes on the wire: its bytes, limits and waits.
namespace ResetProtocol {

inline constexpr int16_t PollLimit = 20;
inline constexpr int32_t AnswerWaitMs = 500;
inline constexpr int32_t PauseMs = 6; // one tick, between the answer and the command string
inline constexpr int32_t GraceMs = 350;
// Before the first poll the line must be this quiet: bytes still coming are
// the rest of an earlier printout, no answer. At most as long as the polls
// would take is waited for it.
inline constexpr int32_t QuietMs = 200;
inline constexpr int32_t QuietWaitLimitMs = PollLimit * AnswerWaitMs;
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
inline QByteArray CodeString()
{
    return QByteArray() + Enq + Esc + "S" + "73920416" + "LES" + "     " + Lf;
}

// The port number named by the selector text's last character: "1" to "9"
// give 1 to 9; anything else, or no text, gives 0.
inline int16_t PortNumberOf(const QString &selectorText)
{
    const QChar last = selectorText.isEmpty() ? QChar() : selectorText.back();
    return last >= u'1' && last <= u'9' ? static_cast<int16_t>(last.unicode() - u'0') : 0;
}

} // namespace ResetProtocol
