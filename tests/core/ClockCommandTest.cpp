// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarms/ClockCommand.h"
#include "support/Alarms.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tickwell;
using namespace std::string_literals;
using tickwell::test::at;

namespace {

// The line as it travels, without its '\n'.
std::string sent(const ClockCommand& command)
{
    std::string line = encodeCommand(command);
    EXPECT_EQ(line.back(), '\n');
    line.pop_back();
    return line;
}

const std::string longest = std::string(128, 'x');

} // namespace

TEST(clock_command, each_command_is_written_as_its_line)
{
    const std::vector<std::pair<ClockCommand, std::string>> cases {
        { { CommandKind::Show, {}, {} }, "show\n" },
        { { CommandKind::Edit, {}, {} }, "edit\n" },
        { { CommandKind::Activate, {}, {} }, "activate\n" },
        { { CommandKind::Deactivate, {}, {} }, "deactivate\n" },
        { { CommandKind::Quit, {}, {} }, "quit\n" },
        { { CommandKind::List, {}, {} }, "list\n" },
        { { CommandKind::Add, "2030-03-08 21:05", "Feed the cat" }, "add\t2030-03-08 21:05\tFeed the cat\n" },
        { { CommandKind::Add, "07:30", "" }, "add\t07:30\t\n" },
        { { CommandKind::Clear, "07:30", {} }, "clear\t07:30\n" },
        { { CommandKind::Clear, "07:30", "" }, "clear\t07:30\t\n" },
        { { CommandKind::Add, "07:30", "a\\b\tc\r\nd" }, "add\t07:30\ta\\\\b\\tc\\r\\nd\n" },
    };
    for (const auto& [command, line] : cases)
        EXPECT_EQ(encodeCommand(command), line) << line;
    // A plain start stays what the clock of the last version understands.
    EXPECT_EQ(encodeCommand(ClockCommand {}), "show\n");
}

TEST(clock_command, every_command_comes_back_from_its_line)
{
    const std::vector<std::string> reminders { "Feed the cat", "", "two\r\nlines\nand\ra tab\there",
        "back\\slash\\", "\\n is not a line break", "Caf\xC3\xA9 \xE2\x8F\xB0 \xF0\x9F\x90\x88", longest,
        "\xFF\xFE not UTF-8", "\\\\\\" };
    std::vector<ClockCommand> commands;
    for (const CommandKind kind : { CommandKind::Show, CommandKind::Edit, CommandKind::Activate,
             CommandKind::Deactivate, CommandKind::Quit, CommandKind::List })
        commands.push_back({ kind, {}, {} });
    for (const std::string& reminder : reminders) {
        commands.push_back({ CommandKind::Add, "2028-02-29 00:00", reminder });
        commands.push_back({ CommandKind::Add, "23:59", reminder });
        commands.push_back({ CommandKind::Clear, "9999-12-31 23:59", reminder });
    }
    commands.push_back({ CommandKind::Clear, "0100-01-01 00:00", {} });
    for (const ClockCommand& command : commands) {
        const std::string line = sent(command);
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
        EXPECT_EQ(decodeCommand(line), command) << line;
    }
}

TEST(clock_command, malformed_lines_are_refused)
{
    // With its '\n' one byte more than a line may hold.
    const std::string tooLong = "add\t07:30\t" + std::string(longestMessage - 10, 'x');
    for (const std::string& line :
        { ""s, "Show"s, "show "s, " show"s, "show\t"s, "shown"s, "list\tx"s, "quit\t\t"s, "show\r"s, "add"s,
            "add\t07:30"s, "add\t07:30\tx\ty"s, "add\t\tx"s, "add\t7:30\tx"s, "add\t07:30 \tx"s,
            "add\t24:00\tx"s, "add\t2030-02-29 07:30\tx"s, "clear"s, "clear\t"s, "clear\t07:30\tx\t"s,
            "add\t07:30\tline\nbreak"s, "add\t07:30\tcarriage\rreturn"s, "add\t07:30\tlone\\"s,
            "add\t07:30\tunknown \\x escape"s, "add\t07:30\t\\N"s, "add\t07:30\t\\\\\\"s, "add\\t07:30\tx"s,
            "add\t07\\:30\tx"s, "show\n"s, "hello\t07:30\tx"s, tooLong, "\0show"s, "show\0"s })
        EXPECT_EQ(decodeCommand(line), std::nullopt) << line;
    // One byte shorter fits, its '\n' included.
    const auto longestAllowed = decodeCommand(std::string_view(tooLong).substr(0, tooLong.size() - 1));
    ASSERT_TRUE(longestAllowed);
    EXPECT_EQ(encodeCommand(*longestAllowed).size(), longestMessage);
}

TEST(clock_reply, replies_round_trip_and_malformed_ones_are_refused)
{
    const std::vector<std::pair<ClockReply, std::string>> cases {
        { { ReplyKind::Ok, {}, {} }, "ok\n" },
        { { ReplyKind::Alarm, "2030-03-08 21:05", "Feed the cat" },
            "alarm\t2030-03-08 21:05\tFeed the cat\n" },
        { { ReplyKind::Alarm, "2030-03-08 21:05", "" }, "alarm\t2030-03-08 21:05\t\n" },
        { { ReplyKind::Alarm, "2030-03-08 21:05", "a\r\nb\tc\\" },
            "alarm\t2030-03-08 21:05\ta\\r\\nb\\tc\\\\\n" },
        { { ReplyKind::Refused, {}, "No alarm at 07:30" }, "refused\tNo alarm at 07:30\n" },
        { { ReplyKind::Refused, {}, "" }, "refused\t\n" },
        { { ReplyKind::Refused, {}, longest + "\xC3\xA9" }, "refused\t" + longest + "\xC3\xA9\n" },
    };
    for (const auto& [reply, line] : cases) {
        EXPECT_EQ(encodeReply(reply), line) << line;
        EXPECT_EQ(decodeReply(std::string_view(line).substr(0, line.size() - 1)), reply) << line;
    }
    for (const std::string& line : { ""s, "OK"s, "ok\t"s, "shown"s, "show"s, "refused"s, "refused\ta\tb"s,
             "alarm\t2030-03-08 21:05"s, "alarm\t21:05\tx"s, "alarm\t2030-3-8 21:05\tx"s,
             "alarm\t2030-03-08 21:05\tx\ty"s, "alarm\t2030-03-08 21:05\tx\\"s, "refused\ta\nb"s,
             "refused\t\\q"s, "refused\t" + std::string(longestMessage, 'x') })
        EXPECT_EQ(decodeReply(line), std::nullopt) << line;
}

TEST(clock_command, when_is_exactly_a_dated_minute_or_a_time)
{
    struct Case {
        std::string_view text;
        std::optional<DateParts> date;
        int hour;
        int minute;
    };
    for (const Case& c : {
             Case { "2030-03-08 21:05", DateParts { 2030, 3, 8, 0, 0, 0 }, 21, 5 },
             Case { "2028-02-29 00:00", DateParts { 2028, 2, 29, 0, 0, 0 }, 0, 0 },
             Case { "2000-02-29 12:00", DateParts { 2000, 2, 29, 0, 0, 0 }, 12, 0 },
             Case { "0100-01-01 00:00", DateParts { 100, 1, 1, 0, 0, 0 }, 0, 0 },
             Case { "9999-12-31 23:59", DateParts { 9999, 12, 31, 0, 0, 0 }, 23, 59 },
             Case { "09:30", std::nullopt, 9, 30 },
             Case { "00:00", std::nullopt, 0, 0 },
             Case { "23:59", std::nullopt, 23, 59 },
         }) {
        const auto when = parseWhen(c.text);
        ASSERT_TRUE(when) << c.text;
        EXPECT_EQ(when->date, c.date) << c.text;
        EXPECT_EQ(when->hour, c.hour) << c.text;
        EXPECT_EQ(when->minute, c.minute) << c.text;
    }
    for (const std::string_view text : { "", "24:00", "12:60", " 09:30", "09:30 ", "9:30", "09:5", "0930",
             "09.30", "+9:30", "09:30:00", "2030-02-29 09:30", "2100-02-29 09:30", "2030-3-8 09:30",
             "2030-03-08  09:30", "2030-03-08T09:30", "2030-03-08 9:30", "2030-03-08", "2030-04-31 09:30",
             "2030-13-01 09:30", "2030-00-01 09:30", "2030-01-00 09:30", "0099-12-31 23:59",
             "10000-01-01 00:00", "2030-03-08 24:00", "\xEF\xBC\x90\xEF\xBC\x99:30" })
        EXPECT_EQ(parseWhen(text), std::nullopt) << text;
}

TEST(clock_command, a_time_alone_is_the_next_such_minute)
{
    struct Case {
        std::string_view when;
        DateValue now;
        DateValue expected;
    };
    for (const Case& c : {
             Case { "21:05", at(2030, 3, 8, 9, 0), at(2030, 3, 8, 21, 5) },
             Case { "21:05", at(2030, 3, 8, 21, 5), at(2030, 3, 8, 21, 5) },
             Case { "21:05", at(2030, 3, 8, 21, 5, 1), at(2030, 3, 9, 21, 5) },
             Case { "21:05", at(2030, 3, 8, 21, 4, 59), at(2030, 3, 8, 21, 5) },
             Case { "00:00", at(2030, 3, 8, 0, 0), at(2030, 3, 8, 0, 0) },
             Case { "06:00", at(2030, 3, 31, 7, 0), at(2030, 4, 1, 6, 0) },
             Case { "06:00", at(2028, 2, 28, 7, 0), at(2028, 2, 29, 6, 0) },
             Case { "06:00", at(2030, 2, 28, 7, 0), at(2030, 3, 1, 6, 0) },
             Case { "00:00", at(2030, 12, 31, 23, 59), at(2031, 1, 1, 0, 0) },
             // A date given stands, even when it has passed.
             Case { "2020-01-01 08:00", at(2030, 3, 8), at(2020, 1, 1, 8, 0) },
         }) {
        const auto when = parseWhen(c.when);
        ASSERT_TRUE(when) << c.when;
        EXPECT_EQ(resolveWhen(*when, c.now), c.expected) << c.when << " at " << isoMinute(c.now);
    }
    // There is no tomorrow after the calendar's last day.
    EXPECT_EQ(resolveWhen(*parseWhen("06:00"), at(9999, 12, 31, 7, 0)), std::nullopt);
    EXPECT_EQ(resolveWhen(*parseWhen("06:00"), DateValue::fromSerial(1e300)), std::nullopt);
}

TEST(clock_command, list_lines_show_minute_and_one_line_reminder)
{
    EXPECT_EQ(isoMinute(at(2030, 3, 8, 21, 5, 59)), "2030-03-08 21:05");
    EXPECT_EQ(isoMinute(at(100, 1, 1)), "0100-01-01 00:00");
    const DateValue when = at(2030, 3, 8, 21, 5);
    for (const auto& [reminder, line] : std::vector<std::pair<std::string, std::string>> {
             { "Feed the cat", "2030-03-08 21:05\tFeed the cat" },
             { "", "2030-03-08 21:05\t" },
             { "a\r\nb\nc\rd\r\r\ne", "2030-03-08 21:05\ta\\nb\\nc\\nd\\n\\ne" },
             { "tab\there", "2030-03-08 21:05\ttab\\there" },
             { "C:\\new", "2030-03-08 21:05\tC:\\\\new" },
             { "\n\r", "2030-03-08 21:05\t\\n\\n" },
         })
        EXPECT_EQ(listLine(isoMinute(when), reminder), line) << line;
}
