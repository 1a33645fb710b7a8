// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "alarms/ClockCommand.h"

namespace tickwell {

// Carries out a command of the command line: by the clock that runs on the
// working directory's alarm file, or, where none runs, on the file itself
// (adding, listing and clearing alarms). Prints what there is to print and
// returns the exit status: 0 done, 1 refused or failed.
int RunCommandLine(const ClockCommand& command);

} // namespace tickwell
