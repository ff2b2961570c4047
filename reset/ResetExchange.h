// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "reset/ResetHost.h"
#include "reset/ResetListener.h"
#include "reset/ResetRecord.h"

// One whole reset: open the port, wait for a quiet line, poll until the
// machine answers, send the command string, collect the data up to its final
// SYN, answer SYN, and show what came. Runs inside the button's click; tells
// `listener` what happens on the way, and returns, when it is over, what it did.
ResetRecord RunReset(ResetHost &host, ResetListener &listener);
