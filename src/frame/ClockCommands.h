// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "alarms/ClockCommand.h"

#include <functional>

namespace tickwell {

class Clock;

// Carries out on this clock a command that another start of the program
// sent, as the tray menu and the editor's commands would, and gives the
// answers to `answer`. A shutdown is answered by the clock's end; a clear
// waits until no reminder is on show, since the tick that shows one goes
// on through the list after it.
void RunClockCommand(
    const Clock& clock, const ClockCommand& command, const std::function<void(const ClockReply&)>& answer);

} // namespace tickwell
