// SPDX-License-Identifier: GPL-3.0-or-later
#include "commandline/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tickwell;
using Action = CommandLine::Action;

namespace {

CommandLine parse(std::vector<std::string_view> arguments)
{
    return parseCommandLine(arguments);
}

ClockCommand commandOf(std::vector<std::string_view> arguments)
{
    const CommandLine line = parse(arguments);
    EXPECT_EQ(line.action, Action::Command) << line.text;
    return line.command;
}

} // namespace

TEST(command_line, a_plain_start_leaves_the_arguments_to_the_toolkit)
{
    EXPECT_EQ(parse({}).action, Action::Start);
    EXPECT_EQ(parse({ "-display", ":5", "-platform", "offscreen" }).action, Action::Start);
    // --edit asks a running clock, and may start one with the toolkit's options.
    EXPECT_EQ(commandOf({ "-display", ":5", "--edit" }).kind, CommandKind::Edit);
    EXPECT_EQ(commandOf({ "--edit", "-platform", "offscreen" }).kind, CommandKind::Edit);
    EXPECT_EQ(commandOf({ "--preferences", "-platform", "offscreen" }).kind, CommandKind::Preferences);
    EXPECT_EQ(parse({ "--list", "-display", ":5" }).action, Action::UsageError);
}

TEST(command_line, each_option_is_its_command)
{
    for (const auto& [option, kind] :
        std::vector<std::pair<std::string_view, CommandKind>> { { "--activate", CommandKind::Activate },
            { "--deactivate", CommandKind::Deactivate }, { "--quit", CommandKind::Quit },
            { "--list", CommandKind::List }, { "--status", CommandKind::Status } })
        EXPECT_EQ(commandOf({ option }), (ClockCommand { kind, {}, {} })) << option;
    EXPECT_EQ(commandOf({ "--add", "9:05", "Dentist" }),
        (ClockCommand { CommandKind::Add, When { std::nullopt, 9, 5 }, "Dentist" }));
    EXPECT_EQ(commandOf({ "--add", "2030-03-08 21:05", "" }),
        (ClockCommand { CommandKind::Add, When { DateParts { 2030, 3, 8, 0, 0, 0 }, 21, 5 }, "" }));
    EXPECT_EQ(
        commandOf({ "--clear", "07:30" }), (ClockCommand { CommandKind::Clear, When { {}, 7, 30 }, {} }));
    for (const auto& options :
        { std::vector<std::string_view> { "--help" }, { "-h" }, { "-?" }, { "--list", "--help" } })
        EXPECT_NE(parse(options).text.find("Usage: tickwell"), std::string::npos);
    EXPECT_EQ(parse({ "-v" }).text, "tickwell " + std::string(programVersion) + "\n");
}

TEST(command_line, the_argument_after_when_is_the_reminder_whatever_it_looks_like)
{
    for (const std::string_view reminder : { "-v", "--help", "-leading dash", "--list", "-", "" })
        EXPECT_EQ(commandOf({ "--add", "09:08", reminder }).reminder, reminder) << reminder;
    // "--" ends the options wherever it stands, and is no reminder itself.
    EXPECT_EQ(commandOf({ "--add", "09:08", "--", "-v" }).reminder, "-v");
    EXPECT_EQ(commandOf({ "--add", "--", "09:08", "-v" }).reminder, "-v");
    EXPECT_EQ(commandOf({ "--add", "09:08", "--", "--" }).reminder, "--");
    EXPECT_EQ(parse({ "--add", "09:08", "--" }).action, Action::UsageError);
    EXPECT_EQ(commandOf({ "--clear", "09:08", "--" }).reminder, std::nullopt);
    EXPECT_EQ(commandOf({ "--clear", "09:08", "--list" }).reminder, "--list");
    // --clear takes the reminder as --list prints it.
    EXPECT_EQ(commandOf({ "--clear", "09:08", "C:\\\\temp\\tnew\\nline" }).reminder, "C:\\temp\tnew\nline");
    EXPECT_EQ(commandOf({ "--add", "09:08", "C:\\\\temp" }).reminder, "C:\\\\temp");
}

TEST(command_line, what_is_not_understood_is_said_with_status_two)
{
    for (const auto& arguments : std::vector<std::vector<std::string_view>> { { "--frobnicate" },
             { "--list", "--quit" }, { "--list", "--list" }, { "--add" }, { "--add", "09:08" },
             { "--add", "tomorrow", "x" }, { "--add", "9:5", "x" }, { "--add", "09:08", "x", "y" },
             { "--clear" }, { "--clear", "09:08", "x", "y" }, { "--clear", "09:08", "C:\\x" },
             { "--list", "x" }, { "--", "--list" }, { "-x", "--list" }, { "--" } }) {
        const CommandLine line = parse(arguments);
        EXPECT_EQ(line.action, Action::UsageError) << arguments.front();
        EXPECT_TRUE(line.text.starts_with("tickwell: ")) << line.text;
        EXPECT_NE(line.text.find("--help"), std::string::npos) << line.text;
    }
}
