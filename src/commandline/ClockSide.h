// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "commandline/ClockMessages.h"

#include <functional>

namespace tickwell {

class Clock;

// Carries out on this clock a command that a command line sent, as the tray
// menu and the editor's commands would, and gives the answer to `answer`. A
// shutdown is answered by the clock's end; a clear or a skip waits until no
// box is on show, since the tick that shows a reminder goes on through the
// list after it, and says so. Once the shutdown has begun, commands change nothing.
void RunClockCommand(
    const Clock& clock, const ClockCommand& command, const std::function<void(const ClockReply&)>& answer);

} // namespace tickwell
