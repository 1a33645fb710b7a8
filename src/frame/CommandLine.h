// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "alarms/ClockCommand.h"

#include <QStringList>

#include <optional>

namespace tickwell {

// What the program was started to do.
struct CommandLine {
    // None: a plain start (or --edit, which is one): run the clock, or show
    // the editor of the clock that runs on the file.
    std::optional<ClockCommand> command;
    // Set when the program ends at once, with this status: --help and
    // --version (0), a usage error (2). What there was to say is said.
    std::optional<int> exitStatus;
};

// Whether the arguments ask for anything but a plain start: such a start
// needs no display, and does without the window system altogether.
bool asksForCommand(const QStringList& arguments);

// Reads the arguments (the program's name first). The application object
// must exist: --help names the program after it.
CommandLine parseCommandLine(const QStringList& arguments);

} // namespace tickwell
