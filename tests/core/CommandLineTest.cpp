// SPDX-License-Identifier: GPL-3.0-or-later
#include "commandline/CommandLine.h"
#include "alarms/RepeatWords.h"

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

TEST(command_line, every_repeat_word_reads_to_its_rule_and_back)
{
    // As a user types them, and as --list gives them back.
    const std::vector<std::pair<std::vector<std::string_view>, std::string>> typed {
        { { "daily" }, "daily" },
        { { "weekdays" }, "weekdays" },
        { { "weekends" }, "weekends" },
        { { "weekly" }, "weekly" },
        { { "monthly" }, "monthly" },
        { { "yearly" }, "yearly" },
        { { "mon,wed,fri" }, "mon,wed,fri" },
        { { "Mon, Wed, Fri" }, "mon,wed,fri" },
        { { "every 3 days" }, "every 3 days" },
        { { "every 2 weeks" }, "every 2 weeks" },
        { { "every 2 weeks on tue" }, "every 2 weeks on tue" },
        { { "every 6 months" }, "every 6 months" },
        { { "every 4 years" }, "every 4 years" },
        { { "weekdays", "--until", "2031-06-30" }, "weekdays until 2031-06-30" },
        { { "every 2 weeks on tue,thu", "--times", "10" }, "every 2 weeks on tue,thu 10 times" },
        { { "monthly until 2031-06-30" }, "monthly until 2031-06-30" },
        { { "yearly", "--times", "1" }, "yearly 1 time" },
    };
    for (const auto& [words, listed] : typed) {
        std::vector<std::string_view> arguments { "--add", "7:30", "Wake up", "--repeat" };
        arguments.insert(arguments.end(), words.begin(), words.end());
        const ClockCommand command = commandOf(arguments);
        ASSERT_TRUE(command.repeat) << listed;
        EXPECT_EQ(formatRepeatWords(*command.repeat), listed);
        // --list's words, given back to --repeat, are the same rule.
        EXPECT_EQ(commandOf({ "--add", "7:30", "Wake up", "--repeat", listed }).repeat, command.repeat)
            << listed;
        // And the same over the clock's channel.
        EXPECT_EQ(decodeCommand(encodeCommand(command).substr(0, encodeCommand(command).size() - 1)), command)
            << listed;
    }
    // The repetition may come first; the reminder is taken as it stands.
    const ClockCommand first = commandOf({ "--repeat", "daily", "--add", "7:30", "--repeat" });
    EXPECT_EQ(first.reminder, "--repeat");
    EXPECT_EQ(formatRepeatWords(first.repeat.value_or(RepeatRule {})), "daily");
    EXPECT_EQ(commandOf({ "--add", "7:30", "Wake up" }).repeat, std::nullopt);
}

TEST(command_line, skip_takes_when_and_a_reminder_as_clear_does)
{
    EXPECT_EQ(commandOf({ "--skip", "6:30" }), (ClockCommand { CommandKind::Skip, When { {}, 6, 30 }, {} }));
    EXPECT_EQ(commandOf({ "--skip", "2030-03-11 6:30", "Wake\\nup" }).reminder, "Wake\nup");
    EXPECT_EQ(parse({ "--skip" }).action, Action::UsageError);
    EXPECT_EQ(parse({ "--skip", "6:30", "C:\\x" }).action, Action::UsageError);
}

TEST(command_line, a_repetition_that_says_nothing_or_goes_with_no_add_is_not_understood)
{
    const std::vector<std::pair<std::vector<std::string_view>, std::string>> wrong {
        { { "--add", "7:30", "x", "--repeat" }, "--repeat takes RULE" },
        { { "--add", "7:30", "x", "--repeat", "fortnightly" }, "is no repetition" },
        { { "--add", "7:30", "x", "--repeat", "every 0 days" }, "is no repetition" },
        { { "--add", "7:30", "x", "--repeat", "daily", "--until", "2031-02-30" }, "is no date" },
        { { "--add", "7:30", "x", "--repeat", "daily", "--times", "none" }, "no number of times" },
        { { "--add", "7:30", "x", "--repeat", "daily", "--times", "3", "--until", "2031-01-01" }, "one way" },
        { { "--add", "7:30", "x", "--until", "2031-01-01" }, "go with --repeat" },
        { { "--add", "7:30", "x", "--repeat", "daily", "--repeat", "weekly" }, "given twice" },
        { { "--list", "--repeat", "daily" }, "go with --add" },
        { { "--repeat", "daily", "--skip", "7:30" }, "go with --add" },
    };
    for (const auto& [arguments, said] : wrong) {
        const CommandLine line = parse(arguments);
        EXPECT_EQ(line.action, Action::UsageError) << said;
        EXPECT_NE(line.text.find(said), std::string::npos) << line.text;
    }
    EXPECT_NE(parse({ "--help" }).text.find("--repeat RULE"), std::string::npos);
}
