// SPDX-License-Identifier: GPL-3.0-or-later
#include "commandline/CommandLine.h"

#include "alarms/RepeatWords.h"

#include <algorithm>
#include <array>
#include <optional>

namespace tickwell {

namespace {

constexpr std::string_view help
    = R"(Usage: tickwell [--edit | --preferences | --activate | --deactivate | --quit]
       tickwell [--list | --status]
       tickwell --add WHEN REMINDER [--repeat RULE [--until DATE | --times N]]
       tickwell --clear WHEN [REMINDER]
       tickwell --skip WHEN [REMINDER]
       tickwell --help | --version

An alarm clock in the notification area. Without an option it runs the clock
on the file Alarm.dat of the working directory, or shows the editor of the
clock that runs on it. An option hands one command to that clock, or, where
none runs, carries it out on the file. Where there is no Alarm.dat here and
no clock runs here, the command goes to your own folder for alarms, the one
tickwell-launcher uses.

  --edit                   Open the editor (Edit Alarms).
  --preferences            Open the Preferences window (Preferences...);
                           where no clock runs, start one and open it.
  --activate               Switch the clock on (Activate Alarm Clock).
  --deactivate             Switch the clock off (Deactivate Alarm Clock).
  --quit                   Shut the clock down (Shut Down Alarm Clock).
  --add WHEN REMINDER      Set an alarm, as Set Alarm does; print its minute.
    --repeat RULE          ... that repeats by RULE, from WHEN's day on or the
                           first day of RULE after it.
    --until DATE           ... and ends after DATE (YYYY-MM-DD),
    --times N              ... or after N times.
  --list                   Print the alarms, one a line: YYYY-MM-DD HH:MM, a
                           tab, the reminder, its line breaks written \n, its
                           tabs \t and its backslashes \\, a tab, and how it
                           repeats as RULE says it (empty if it does not).
  --clear WHEN [REMINDER]  Clear the first alarm at WHEN (with REMINDER, given
                           as --list prints it); a repeating one ends.
  --skip WHEN [REMINDER]   Skip the repeating alarm at WHEN this time only;
                           print when it comes next.
  --status                 Whether the clock runs and is switched on, its
                           alarm file, how many alarms it has, and the next.
  -h, --help               Show this help.
  -v, --version            Show the version.

WHEN is YYYY-MM-DD H:MM or H:MM, local, on the 24-hour clock: a time alone is
the next such minute, today or tomorrow. The argument after --add WHEN,
--clear WHEN or --skip WHEN is the reminder, whatever it looks like. "--" ends
the options wherever it stands, and is not itself a reminder: to set the
reminder "--", write "-- --".

RULE is one of daily, weekdays (Monday to Friday), weekends, weekly, monthly,
yearly; days of the week (mon,wed,fri); every N days, weeks, months or years;
every N weeks on days (every 2 weeks on tue). A month without the day has the
alarm on its last day; 29 February is 28 February in other years.
  tickwell --add 7:30 "Wake up"
  tickwell --add 6:30 "Wake up" --repeat weekdays
  tickwell --add "2030-03-12 7:00" "Put the bins out" --repeat "every 2 weeks on tue"
  tickwell --add "2030-03-08 21:05" "-5 degrees: take the gloves"
  tickwell --clear "2030-03-08 21:05" 'C:\\temp\tthe copy'

Exit status: 0 done, 1 refused or failed, 2 not understood.
)";

struct Option {
    std::string_view name;
    CommandKind kind;
};

constexpr std::array<Option, 10> commands { {
    { "--edit", CommandKind::Edit },
    { "--preferences", CommandKind::Preferences },
    { "--activate", CommandKind::Activate },
    { "--deactivate", CommandKind::Deactivate },
    { "--quit", CommandKind::Quit },
    { "--add", CommandKind::Add },
    { "--list", CommandKind::List },
    { "--clear", CommandKind::Clear },
    { "--status", CommandKind::Status },
    { "--skip", CommandKind::Skip },
} };

CommandLine usageError(std::string problem)
{
    return { CommandLine::Action::UsageError, {},
        "tickwell: " + problem + "\nTry 'tickwell --help' for more information.\n" };
}

// How an added alarm repeats: --repeat's words, with --until's or --times'
// end added to them.
struct RepeatOptions {
    std::optional<std::string_view> rule;
    std::optional<std::string_view> until;
    std::optional<std::string_view> times;

    bool any() const noexcept { return rule || until || times; }
    std::optional<std::string_view>* named(std::string_view option) noexcept
    {
        return option == "--repeat" ? &rule
            : option == "--until"   ? &until
            : option == "--times"   ? &times
                                    : nullptr;
    }
};

bool isOurs(std::string_view argument)
{
    return argument.starts_with("--") || argument == "-h" || argument == "-v" || argument == "-?";
}

} // namespace

CommandLine parseCommandLine(std::span<const std::string_view> arguments)
{
    // Qt's own options (-display, -platform, ...) have one dash, and are the
    // toolkit's to take when the program starts as the clock.
    if (std::none_of(arguments.begin(), arguments.end(), isOurs))
        return {};

    CommandLine line { CommandLine::Action::Command, {}, {} };
    // With --edit or --preferences, the clock may start here: one dash is the toolkit's.
    const bool clockMayStart = std::find(arguments.begin(), arguments.end(), "--edit") != arguments.end()
        || std::find(arguments.begin(), arguments.end(), "--preferences") != arguments.end();
    bool given = false;
    bool optionsEnded = false;
    RepeatOptions repeat;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (std::optional<std::string_view>* value = optionsEnded ? nullptr : repeat.named(argument)) {
            if (*value)
                return usageError(std::string(argument) + " is given twice");
            if (i + 1 >= arguments.size())
                return usageError(std::string(argument)
                    + (argument == "--repeat"       ? " takes RULE"
                            : argument == "--until" ? " takes DATE"
                                                    : " takes N"));
            *value = arguments[++i];
            continue;
        }
        if (!optionsEnded && (argument == "--help" || argument == "-h" || argument == "-?"))
            return { CommandLine::Action::Print, {}, std::string(help) };
        if (!optionsEnded && (argument == "--version" || argument == "-v"))
            return { CommandLine::Action::Print, {}, "tickwell " + std::string(programVersion) + "\n" };
        const auto option = std::find_if(
            commands.begin(), commands.end(), [&](const Option& o) { return o.name == argument; });
        if (optionsEnded || option == commands.end()) {
            if (!optionsEnded && clockMayStart && !argument.starts_with("--"))
                continue;
            if (!optionsEnded && argument.starts_with("-") && argument.size() > 1)
                return usageError("unknown option " + std::string(argument));
            return usageError("unexpected argument \"" + std::string(argument) + "\"");
        }
        if (given)
            return usageError("one command at a time");
        given = true;
        line.command.kind = option->kind;
        if (option->kind != CommandKind::Add && option->kind != CommandKind::Clear
            && option->kind != CommandKind::Skip)
            continue;

        // WHEN, then the reminder: taken as they stand, "--" aside.
        const auto nextArgument = [&]() -> std::optional<std::string_view> {
            if (i + 1 < arguments.size() && arguments[i + 1] == "--" && !optionsEnded) {
                optionsEnded = true;
                ++i;
            }
            if (i + 1 >= arguments.size())
                return std::nullopt;
            return arguments[++i];
        };
        const std::optional<std::string_view> when = nextArgument();
        if (!when)
            return usageError(std::string(argument) + " takes WHEN"
                + (option->kind == CommandKind::Add ? " and REMINDER" : ""));
        line.command.when = parseWhen(*when);
        if (!line.command.when)
            return usageError("\"" + std::string(*when) + "\" is no WHEN: it is YYYY-MM-DD H:MM or H:MM");
        const std::optional<std::string_view> reminder = nextArgument();
        if (!reminder && option->kind == CommandKind::Add)
            return usageError("--add takes WHEN and REMINDER");
        if (reminder && option->kind != CommandKind::Add) {
            line.command.reminder = unescaped(*reminder);
            if (!line.command.reminder)
                return usageError(
                    "REMINDER is given as --list prints it: a backslash is written \\\\, a line "
                    "break \\n, a tab \\t");
        } else if (reminder) {
            line.command.reminder = std::string(*reminder);
        }
    }
    if (!given)
        return usageError("no command given");
    if (repeat.any()) {
        if (line.command.kind != CommandKind::Add)
            return usageError("--repeat, --until and --times go with --add");
        if (!repeat.rule)
            return usageError("--until and --times go with --repeat RULE");
        if (repeat.until && repeat.times)
            return usageError("--until or --times: an alarm ends one way");
        std::string words(*repeat.rule);
        if (repeat.until)
            words += " until " + std::string(*repeat.until);
        if (repeat.times)
            words += " " + std::string(*repeat.times) + " times";
        RepeatWordsRead read = parseRepeatWords(words);
        if (!read.rule)
            return usageError(read.fault);
        line.command.repeat = read.rule;
    }
    return line;
}

} // namespace tickwell
