// SPDX-License-Identifier: GPL-3.0-or-later
#include "commandline/ClockMessages.h"
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

When when(std::string_view text)
{
    const std::optional<When> parsed = parseWhen(text);
    EXPECT_TRUE(parsed) << text;
    return parsed.value_or(When {});
}

const std::string longest = std::string(128, 'x');

} // namespace

TEST(clock_messages, each_command_is_written_as_its_line)
{
    const std::vector<std::pair<ClockCommand, std::string>> cases {
        { {}, "show\tAlarm.dat\n" },
        { { CommandKind::Status, {}, {}, "Other\t.dat" }, "status\tOther\\t.dat\n" },
        { { CommandKind::Add, when("2030-03-08 21:05"), "Feed the cat" },
            "add\tAlarm.dat\t2030-03-08 21:05\tFeed the cat\n" },
        // The hour of one digit travels with two: WHEN has one spelling.
        { { CommandKind::Add, when("7:30"), "" }, "add\tAlarm.dat\t07:30\t\n" },
        { { CommandKind::Clear, when("2030-03-08 7:30"), {} }, "clear\tAlarm.dat\t2030-03-08 07:30\n" },
        { { CommandKind::Clear, when("07:30"), "" }, "clear\tAlarm.dat\t07:30\t\n" },
        { { CommandKind::Add, when("07:30"), "a\\b\tc\r\nd-" }, "add\tAlarm.dat\t07:30\ta\\\\b\\tc\\nd-\n" },
    };
    for (const auto& [command, line] : cases)
        EXPECT_EQ(encodeCommand(command), line) << line;
}

TEST(clock_messages, every_command_comes_back_from_its_line)
{
    // Line breaks come back as LF, however they went: the clock stores them
    // CR LF whatever they were.
    const std::vector<std::string> reminders { "Feed the cat", "", "two\nlines\nand a tab\there",
        "back\\slash\\", "\\n is not a line break", "-leading dash", "--",
        "Caf\xC3\xA9 \xE2\x8F\xB0 \xF0\x9F\x90\x88", longest, "\xFF\xFE not UTF-8", "\\\\\\" };
    std::vector<ClockCommand> commands;
    for (const CommandKind kind :
        { CommandKind::Show, CommandKind::Edit, CommandKind::Preferences, CommandKind::Activate,
            CommandKind::Deactivate, CommandKind::Quit, CommandKind::List, CommandKind::Status })
        commands.push_back({ kind, {}, {} });
    for (const std::string& reminder : reminders) {
        commands.push_back({ CommandKind::Add, when("2028-02-29 00:00"), reminder, "Other.dat" });
        commands.push_back({ CommandKind::Add, when("23:59"), reminder });
        commands.push_back({ CommandKind::Clear, when("9999-12-31 23:59"), reminder });
    }
    commands.push_back({ CommandKind::Clear, when("0100-01-01 0:00"), {} });
    for (const ClockCommand& command : commands) {
        const std::string line = sent(command);
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
        EXPECT_EQ(decodeCommand(line), command) << line;
    }
    EXPECT_EQ(decodeCommand(sent({ CommandKind::Add, when("7:30"), "a\r\nb\rc" }))->reminder, "a\nb\nc");
}

TEST(clock_messages, malformed_lines_are_refused)
{
    // With its '\n' one byte more than a line may hold.
    const std::string tooLong = "add\tAlarm.dat\t07:30\t" + std::string(longestMessage - 20, 'x');
    for (const std::string& line :
        { ""s, "show"s, "Show\tAlarm.dat"s, "show \tAlarm.dat"s, "show\t"s, "show\tAlarm.dat\t"s,
            "list\tAlarm.dat\tx"s, "show\tAlarm.dat\r"s, "add\tAlarm.dat"s, "add\tAlarm.dat\t07:30"s,
            "add\tAlarm.dat\t07:30\tx\ty"s, "add\tAlarm.dat\t\tx"s, "add\tAlarm.dat\t7:30\tx"s,
            "add\tAlarm.dat\t07:30 \tx"s, "add\tAlarm.dat\t24:00\tx"s, "add\tAlarm.dat\t2030-02-29 07:30\tx"s,
            "add\tAlarm.dat\t2030-03-08 7:30\tx"s, "clear\tAlarm.dat"s, "clear\tAlarm.dat\t07:30\tx\t"s,
            "add\tAlarm.dat\t07:30\tline\nbreak"s, "add\tAlarm.dat\t07:30\tcarriage\rreturn"s,
            "add\tAlarm.dat\t07:30\tlone\\"s, "add\tAlarm.dat\t07:30\t\\r"s,
            "add\tAlarm.dat\t07:30\tunknown \\x escape"s, "status\ta\\"s, "add\\tAlarm.dat\t07:30\tx"s,
            "show\tAlarm.dat\n"s, "hello\tAlarm.dat"s, tooLong, "\0show\tAlarm.dat"s, "show\tAlarm.dat\0"s })
        EXPECT_EQ(decodeCommand(line), std::nullopt) << line;
    // One byte shorter fits, its '\n' included.
    const auto longestAllowed = decodeCommand(std::string_view(tooLong).substr(0, tooLong.size() - 1));
    ASSERT_TRUE(longestAllowed);
    EXPECT_EQ(encodeCommand(*longestAllowed).size(), longestMessage);
}

TEST(clock_messages, replies_round_trip_and_malformed_ones_are_refused)
{
    const std::vector<std::pair<ClockReply, std::string>> cases {
        { { ReplyKind::Ok, {}, {} }, "ok\n" },
        { { ReplyKind::Ok, "2030-03-09 07:30", {} }, "ok\t2030-03-09 07:30\n" },
        { { ReplyKind::Alarm, "2030-03-08 21:05", "Feed the cat" },
            "alarm\t2030-03-08 21:05\tFeed the cat\n" },
        { { ReplyKind::Alarm, "2030-03-08 21:05", "" }, "alarm\t2030-03-08 21:05\t\n" },
        { { ReplyKind::Alarm, "2030-03-08 21:05", "a\nb\tc\\" }, "alarm\t2030-03-08 21:05\ta\\nb\\tc\\\\\n" },
        { { ReplyKind::State, {}, "off" }, "state\toff\n" },
        { { ReplyKind::Waiting, {}, "the box on show is closed" }, "waiting\tthe box on show is closed\n" },
        { { ReplyKind::Refused, {}, "No alarm at 07:30" }, "refused\tNo alarm at 07:30\n" },
        { { ReplyKind::Refused, {}, longest + "\xC3\xA9" }, "refused\t" + longest + "\xC3\xA9\n" },
    };
    for (const auto& [reply, line] : cases) {
        EXPECT_EQ(encodeReply(reply), line) << line;
        EXPECT_EQ(decodeReply(std::string_view(line).substr(0, line.size() - 1)), reply) << line;
    }
    EXPECT_FALSE(ClockReply({ ReplyKind::Alarm, {}, {} }).endsAnswer());
    EXPECT_TRUE(ClockReply({ ReplyKind::Refused, {}, {} }).endsAnswer());
    for (const std::string& line : { ""s, "OK"s, "ok\t"s, "ok\t07:30"s, "ok\tx"s, "shown"s, "refused"s,
             "refused\ta\tb"s, "alarm\t2030-03-08 21:05"s, "alarm\t21:05\tx"s, "alarm\t2030-03-08 1:05\tx"s,
             "alarm\t2030-03-08 21:05\tx\ty"s, "alarm\t2030-03-08 21:05\tx\\"s, "refused\ta\nb"s,
             "refused\t\\q"s, "state\tmaybe"s, "state"s, "waiting"s,
             "refused\t" + std::string(longestMessage, 'x') })
        EXPECT_EQ(decodeReply(line), std::nullopt) << line;
}

TEST(clock_messages, what_list_prints_clear_reads_back)
{
    struct Case {
        std::string_view stored;
        std::string_view printed;
        std::string_view readBack; // line breaks LF
    };
    for (const Case& c : {
             Case { "Feed the cat", "Feed the cat", "Feed the cat" },
             Case { "", "", "" },
             Case { "a\r\nb\nc\rd\r\r\ne", "a\\nb\\nc\\nd\\n\\ne", "a\nb\nc\nd\n\ne" },
             Case { "tab\there", "tab\\there", "tab\there" },
             Case { "C:\\temp", "C:\\\\temp", "C:\\temp" },
             Case { "C:\\new\\table", "C:\\\\new\\\\table", "C:\\new\\table" },
             Case { "-v", "-v", "-v" },
         }) {
        EXPECT_EQ(escaped(c.stored), c.printed) << c.printed;
        EXPECT_EQ(unescaped(c.printed), c.readBack) << c.printed;
    }
    for (const std::string_view typed : { "C:\\temp\\", "C:\\x", "\\r", "two\nlines", "a\tb" })
        EXPECT_EQ(unescaped(typed), std::nullopt) << typed;
}

TEST(clock_messages, lines_come_whole_however_the_bytes_are_cut)
{
    std::string stream;
    for (int i = 0; i < 10000; ++i)
        stream += encodeReply({ ReplyKind::Alarm, "2030-03-08 21:05", "alarm " + std::to_string(i) });
    stream += "ok\n";
    LineReader reader;
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < stream.size(); at += 997) {
        reader.add(std::string_view(stream).substr(at, 997));
        while (std::optional<std::string> line = reader.next())
            lines.push_back(std::move(*line));
    }
    ASSERT_EQ(lines.size(), 10001u);
    EXPECT_EQ(lines[9999], "alarm\t2030-03-08 21:05\talarm 9999");
    EXPECT_EQ(lines.back(), "ok");
    EXPECT_FALSE(reader.overlong());

    // A line longer than any message: nothing more is taken from that caller.
    LineReader flooded;
    flooded.add(std::string(longestMessage - 1, 'x') + "\nok\n");
    EXPECT_EQ(flooded.next()->size(), longestMessage - 1);
    EXPECT_EQ(flooded.next(), "ok");
    flooded.add(std::string(longestMessage, 'x'));
    EXPECT_EQ(flooded.next(), std::nullopt);
    EXPECT_TRUE(flooded.overlong());
    flooded.add("\nok\n");
    EXPECT_EQ(flooded.next(), std::nullopt);
}

TEST(when, a_dated_minute_or_a_time_with_an_hour_of_one_digit_or_two)
{
    struct Case {
        std::string_view text;
        std::optional<DateParts> date;
        int hour;
        int minute;
        std::string_view spelled;
    };
    for (const Case& c : {
             Case { "2030-03-08 21:05", DateParts { 2030, 3, 8, 0, 0, 0 }, 21, 5, "2030-03-08 21:05" },
             Case { "2030-03-08 9:05", DateParts { 2030, 3, 8, 0, 0, 0 }, 9, 5, "2030-03-08 09:05" },
             Case { "2028-02-29 00:00", DateParts { 2028, 2, 29, 0, 0, 0 }, 0, 0, "2028-02-29 00:00" },
             Case { "0100-01-01 0:00", DateParts { 100, 1, 1, 0, 0, 0 }, 0, 0, "0100-01-01 00:00" },
             Case { "9999-12-31 23:59", DateParts { 9999, 12, 31, 0, 0, 0 }, 23, 59, "9999-12-31 23:59" },
             Case { "9:05", std::nullopt, 9, 5, "09:05" },
             Case { "09:30", std::nullopt, 9, 30, "09:30" },
             Case { "0:00", std::nullopt, 0, 0, "00:00" },
             Case { "23:59", std::nullopt, 23, 59, "23:59" },
         }) {
        const auto parsed = parseWhen(c.text);
        ASSERT_TRUE(parsed) << c.text;
        EXPECT_EQ(parsed->date, c.date) << c.text;
        EXPECT_EQ(parsed->hour, c.hour) << c.text;
        EXPECT_EQ(parsed->minute, c.minute) << c.text;
        EXPECT_EQ(whenText(*parsed), c.spelled) << c.text;
    }
    for (const std::string_view text : { "", "24:00", "12:60", " 09:30", "09:30 ", "009:30", "09:5", "0930",
             "09.30", "+9:30", ":30", "09:30:00", "2030-02-29 09:30", "2100-02-29 09:30", "2030-3-8 09:30",
             "2030-03-08  09:30", "2030-03-08T09:30", "2030-03-08", "2030-04-31 09:30", "2030-13-01 09:30",
             "2030-00-01 09:30", "2030-01-00 09:30", "0099-12-31 23:59", "10000-01-01 00:00",
             "2030-03-08 24:00", "-9:30", "\xEF\xBC\x90\xEF\xBC\x99:30" })
        EXPECT_EQ(parseWhen(text), std::nullopt) << text;
}

TEST(when, a_time_alone_is_the_next_such_minute)
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
             Case { "0:00", at(2030, 3, 8, 0, 0), at(2030, 3, 8, 0, 0) },
             Case { "6:00", at(2030, 3, 31, 7, 0), at(2030, 4, 1, 6, 0) },
             Case { "06:00", at(2028, 2, 28, 7, 0), at(2028, 2, 29, 6, 0) },
             Case { "06:00", at(2030, 2, 28, 7, 0), at(2030, 3, 1, 6, 0) },
             Case { "00:00", at(2030, 12, 31, 23, 59), at(2031, 1, 1, 0, 0) },
             // A date given stands, even when it has passed.
             Case { "2020-01-01 08:00", at(2030, 3, 8), at(2020, 1, 1, 8, 0) },
         }) {
        EXPECT_EQ(resolveWhen(when(c.when), c.now), c.expected) << c.when << " at " << minuteText(c.now);
    }
    // There is no tomorrow after the calendar's last day.
    EXPECT_EQ(resolveWhen(when("06:00"), at(9999, 12, 31, 7, 0)), std::nullopt);
    EXPECT_EQ(resolveWhen(when("06:00"), DateValue::fromSerial(1e300)), std::nullopt);
    EXPECT_EQ(minuteText(at(2030, 3, 8, 21, 5, 59)), "2030-03-08 21:05");
    EXPECT_EQ(minuteText(at(100, 1, 1)), "0100-01-01 00:00");
}

TEST(clock_messages, a_repetition_travels_in_its_words_and_a_skip_as_a_clear)
{
    RepeatRule fortnightly;
    fortnightly.unit = RepeatUnit::Week;
    fortnightly.interval = 2;
    fortnightly.weekdays = weekdayBit(std::chrono::Tuesday);
    fortnightly.times = 10;
    ClockCommand add { CommandKind::Add, when("2030-03-12 19:00"), "Bins" };
    add.repeat = fortnightly;
    EXPECT_EQ(sent(add), "add\tAlarm.dat\t2030-03-12 19:00\tBins\tevery 2 weeks on tue 10 times");
    EXPECT_EQ(decodeCommand(sent(add)), add);
    const ClockCommand skip { CommandKind::Skip, when("19:00"), "Bins" };
    EXPECT_EQ(sent(skip), "skip\tAlarm.dat\t19:00\tBins");
    EXPECT_EQ(decodeCommand(sent(skip)), skip);
    EXPECT_EQ(
        decodeCommand("skip\tAlarm.dat\t19:00"), (ClockCommand { CommandKind::Skip, when("19:00"), {} }));

    const ClockReply listed { ReplyKind::Alarm, "2030-03-12 19:00", "Bins", "every 2 weeks on tue 10 times" };
    EXPECT_EQ(encodeReply(listed), "alarm\t2030-03-12 19:00\tBins\tevery 2 weeks on tue 10 times\n");
    EXPECT_EQ(decodeReply("alarm\t2030-03-12 19:00\tBins\tevery 2 weeks on tue 10 times"), listed);

    // Words are sent as the clock writes them, and only with an add or an alarm.
    for (const std::string& line : { "add\tAlarm.dat\t07:30\tx\tDaily"s, "add\tAlarm.dat\t07:30\tx\tnever"s,
             "add\tAlarm.dat\t07:30\tx\t"s, "clear\tAlarm.dat\t07:30\tx\tdaily"s,
             "skip\tAlarm.dat\t07:30\tx\tdaily"s, "skip\tAlarm.dat"s })
        EXPECT_EQ(decodeCommand(line), std::nullopt) << line;
    for (const std::string& line :
        { "alarm\t2030-03-12 19:00\tBins\t"s, "alarm\t2030-03-12 19:00\tBins\tDaily"s,
            "alarm\t2030-03-12 19:00\tBins\tdaily\tx"s, "alarm\t2030-03-12 19:00"s })
        EXPECT_EQ(decodeReply(line), std::nullopt) << line;
}
