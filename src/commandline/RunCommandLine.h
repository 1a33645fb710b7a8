// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "commandline/CommandLine.h"

#include <optional>

namespace tickwell {

// Does what the command line asks, by the clock that runs on the alarm
// file's folder or, where none runs, on the file itself; prints what there
// is to print and returns the exit status: 0 done, 1 refused or failed, 2 not
// understood. None where the program is to start as the clock: a plain
// start, or --edit where no clock runs.
std::optional<int> RunCommandLine(const CommandLine& line);

} // namespace tickwell
