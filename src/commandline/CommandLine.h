// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "commandline/ClockMessages.h"

#include <span>
#include <string>
#include <string_view>

namespace tickwell {

inline constexpr std::string_view programVersion = "1.1";

// What the program was started to do.
struct CommandLine {
    enum class Action {
        // Run the clock, or show the editor of the one that runs on the
        // file; the arguments are the toolkit's (-display, -platform, ...).
        Start,
        Command, // hand `command` to the clock that runs on the file
        Print, // print `text` on standard output and end (--help, --version)
        UsageError, // print `text` on standard error and end with status 2
    };
    Action action = Action::Start;
    ClockCommand command;
    std::string text;
};

// Reads the arguments, the program's name left out. A command's arguments
// are taken as they stand: the one after --add WHEN or --clear WHEN is the
// reminder whatever it looks like, and "--" ends the options.
CommandLine parseCommandLine(std::span<const std::string_view> arguments);

} // namespace tickwell
