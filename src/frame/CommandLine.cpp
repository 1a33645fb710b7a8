// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/CommandLine.h"

#include <QCommandLineParser>

#include <cstdio>

namespace tickwell {

namespace {

CommandLine usageError(const QString& problem)
{
    std::fprintf(stderr, "tickwell: %s\nTry 'tickwell --help' for more information.\n", qPrintable(problem));
    return { std::nullopt, 2 };
}

} // namespace

bool asksForCommand(const QStringList& arguments)
{
    // Qt's own options (-display, -platform, ...) have one dash, and are
    // the toolkit's to take when the program starts as the clock.
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if ((argument.startsWith(QLatin1String("--")) && argument != QLatin1String("--edit"))
            || argument == QLatin1String("-h") || argument == QLatin1String("-v")
            || argument == QLatin1String("-?"))
            return true;
    }
    return false;
}

CommandLine parseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "An alarm clock in the notification area. Without an option it runs the clock on the file "
        "Alarm.dat of the working directory, or shows the editor of the clock that runs on it.\n"
        "WHEN is YYYY-MM-DD HH:MM (24-hour, local time) or HH:MM: the next such minute, today or "
        "tomorrow."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption edit(QStringLiteral("edit"), QStringLiteral("Open the editor (Edit Alarms)."));
    const QCommandLineOption activate(
        QStringLiteral("activate"), QStringLiteral("Switch the clock on (Activate Alarm Clock)."));
    const QCommandLineOption deactivate(
        QStringLiteral("deactivate"), QStringLiteral("Switch the clock off (Deactivate Alarm Clock)."));
    const QCommandLineOption quit(
        QStringLiteral("quit"), QStringLiteral("Shut the clock down (Shut Down Alarm Clock)."));
    const QCommandLineOption add(QStringLiteral("add"),
        QStringLiteral("Set an alarm at WHEN with the reminder REMINDER, as Set Alarm does."),
        QStringLiteral("WHEN"));
    const QCommandLineOption list(QStringLiteral("list"),
        QStringLiteral("Print the alarms, one a line: YYYY-MM-DD HH:MM, a tab, the reminder."));
    const QCommandLineOption clear(QStringLiteral("clear"),
        QStringLiteral("Clear the first alarm at WHEN (with the reminder REMINDER, if given)."),
        QStringLiteral("WHEN"));
    parser.addOptions({ edit, activate, deactivate, quit, add, list, clear });
    parser.addPositionalArgument(QStringLiteral("REMINDER"),
        QStringLiteral("The reminder, with --add, and with --clear if wanted."),
        QStringLiteral("[REMINDER]"));

    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(help)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return { std::nullopt, 0 };
    }
    if (parser.isSet(version)) {
        std::printf("tickwell %s\n", qPrintable(QCoreApplication::applicationVersion()));
        return { std::nullopt, 0 };
    }

    const std::pair<const QCommandLineOption*, CommandKind> kinds[]
        = { { &edit, CommandKind::Edit }, { &activate, CommandKind::Activate },
              { &deactivate, CommandKind::Deactivate }, { &quit, CommandKind::Quit },
              { &add, CommandKind::Add }, { &list, CommandKind::List }, { &clear, CommandKind::Clear } };
    std::optional<ClockCommand> command;
    for (const auto& [option, kind] : kinds) {
        if (!parser.isSet(*option))
            continue;
        if (command || parser.values(*option).size() > 1)
            return usageError(QStringLiteral("one command at a time"));
        command = ClockCommand { kind, {}, {} };
    }
    const QStringList rest = parser.positionalArguments();
    if (!command)
        return rest.isEmpty() ? CommandLine {}
                              : usageError(QStringLiteral("unexpected argument \"%1\"").arg(rest[0]));
    if (command->kind == CommandKind::Add || command->kind == CommandKind::Clear) {
        const QString when = parser.value(command->kind == CommandKind::Add ? add : clear);
        if (!parseWhen(when.toStdString()))
            return usageError(QStringLiteral("\"%1\" is no WHEN: it is YYYY-MM-DD HH:MM or HH:MM").arg(when));
        command->when = when.toStdString();
        if (command->kind == CommandKind::Add && rest.size() != 1)
            return usageError(QStringLiteral("--add takes WHEN and a REMINDER"));
        if (rest.size() > 1)
            return usageError(QStringLiteral("unexpected argument \"%1\"").arg(rest[1]));
        if (!rest.isEmpty())
            command->reminder = rest[0].toStdString();
    } else if (!rest.isEmpty()) {
        return usageError(QStringLiteral("unexpected argument \"%1\"").arg(rest[0]));
    }
    // --edit is a plain start: the clock's own, or the running clock's editor.
    if (command->kind == CommandKind::Edit)
        command.reset();
    return { command, std::nullopt };
}

} // namespace tickwell
