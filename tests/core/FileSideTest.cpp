// SPDX-License-Identifier: GPL-3.0-or-later
// Commands carried out on the alarm file itself, where no clock runs, and
// the checks they share with Set Alarm and Clear Alarm.
#include "commandline/FileSide.h"
#include "alarms/AlarmChecks.h"
#include "alarms/AlarmFile.h"

#include "support/Alarms.h"
#include "support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <string>

using namespace tickwell;
using tickwell::test::at;
using tickwell::test::readFile;
using tickwell::test::TemporaryDirectory;
using tickwell::test::writeFile;

namespace {

const std::string held = "#2030-03-09 07:30:00#,\"Water the ferns\"\r\n";

std::vector<ClockReply> run(AlarmFile& file, CommandKind kind, std::string_view when = {},
    std::optional<std::string> reminder = std::nullopt)
{
    const DateValue now = at(2030, 3, 8, 21, 4, 30);
    return runOnFile(file, { kind, parseWhen(when), std::move(reminder) }, now);
}

ClockReply refusal(std::string_view text)
{
    return { ReplyKind::Refused, {}, std::string(text) };
}

ClockReply setFor(std::string minute)
{
    return { ReplyKind::Ok, std::move(minute), {} };
}

const ClockReply ok { ReplyKind::Ok, {}, {} };

} // namespace

TEST(file_side, add_list_and_clear_with_set_alarms_checks)
{
    const TemporaryDirectory directory;
    writeFile(directory / "Alarm.dat", held);
    AlarmFile file(directory.path());

    EXPECT_EQ(run(file, CommandKind::Add, "2030-03-08 21:04", "Gone"), std::vector { refusal(pastRefusal) });
    EXPECT_EQ(run(file, CommandKind::Add, "7:30", "Twice"), std::vector { refusal(duplicateRefusal) });
    // 128 characters, the last beyond the Basic Multilingual Plane and
    // counted twice as the editor counts it: one unit too many.
    EXPECT_EQ(run(file, CommandKind::Add, "21:05", std::string(127, 'x') + "\xF0\x9F\x94\x94"),
        std::vector { refusal(tooLongRefusal) });
    EXPECT_EQ(readFile(directory / "Alarm.dat"), held);

    // A time alone is the next such minute: today's 21:05 is still to come,
    // today's 21:04 has begun. The minute set is the answer.
    EXPECT_EQ(run(file, CommandKind::Add, "21:05", "Feed the cat\nthen the fish"),
        std::vector { setFor("2030-03-08 21:05") });
    EXPECT_EQ(run(file, CommandKind::Add, "21:04", "-v"), std::vector { setFor("2030-03-09 21:04") });
    EXPECT_EQ(run(file, CommandKind::Add, "2030-03-10 8:00", ""), std::vector { setFor("2030-03-10 08:00") });
    EXPECT_EQ(readFile(directory / "Alarm.dat"),
        held + "#2030-03-08 21:05:00#,\"Feed the cat\r\nthen the fish\"\r\n#2030-03-09 21:04:00#,\"-v\"\r\n"
            + "#2030-03-10 08:00:00#,\"You were supposed to remember something!\"\r\n");
    const std::vector<ClockReply> listed { { ReplyKind::Alarm, "2030-03-09 07:30", "Water the ferns" },
        { ReplyKind::Alarm, "2030-03-08 21:05", "Feed the cat\r\nthen the fish" },
        { ReplyKind::Alarm, "2030-03-09 21:04", "-v" },
        { ReplyKind::Alarm, "2030-03-10 08:00", "You were supposed to remember something!" }, ok };
    EXPECT_EQ(run(file, CommandKind::List), listed);
    EXPECT_EQ(run(file, CommandKind::Status), listed);

    // The reminder, where given, must match, whatever its line breaks.
    EXPECT_EQ(run(file, CommandKind::Clear, "21:05", "Feed the cat"),
        std::vector { refusal("No alarm is set for 2030-03-08 21:05 with that reminder.") });
    EXPECT_EQ(run(file, CommandKind::Clear, "21:05", "Feed the cat\nthen the fish"), std::vector { ok });
    EXPECT_EQ(run(file, CommandKind::Clear, "21:04"), std::vector { ok });
    EXPECT_EQ(run(file, CommandKind::Clear, "2030-03-10 08:00"), std::vector { ok });
    EXPECT_EQ(run(file, CommandKind::Clear, "2030-03-10 08:00"),
        std::vector { refusal("No alarm is set for 2030-03-10 08:00.") });
    EXPECT_EQ(readFile(directory / "Alarm.dat"), held);
    EXPECT_EQ(run(file, CommandKind::Quit)[0].kind, ReplyKind::Refused);
}

TEST(file_side, a_file_that_was_not_read_is_left_alone)
{
    const TemporaryDirectory directory;
    std::filesystem::create_directory(directory / "Alarm.dat");
    AlarmFile file(directory.path());
    const std::vector<ClockReply> replies = run(file, CommandKind::Add, "21:05", "x");
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].kind, ReplyKind::Refused);
    EXPECT_NE(replies[0].text.find("was not read"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_directory(directory / "Alarm.dat"));
}

TEST(alarm_checks, set_alarm_in_its_order_and_clear_alarm_by_minute_and_reminder)
{
    const DateValue now = at(2030, 3, 8, 21, 4, 30);
    const auto taken = [](DateValue minute) { return minute == at(2030, 3, 9); };
    const auto check = [&](std::optional<DateValue> when, std::string_view reminder = "x") {
        return checkNewAlarm(when, now, taken, reminder);
    };
    EXPECT_EQ(check(std::nullopt).refusal, noDateRefusal);
    EXPECT_EQ(check(DateValue::noDate()).refusal, noDateRefusal);
    // Past before duplicate; the present minute once it has begun is past.
    EXPECT_EQ(check(at(2030, 3, 8, 21, 4)).refusal, pastRefusal);
    EXPECT_EQ(check(at(2030, 3, 9)).refusal, duplicateRefusal);
    // 128 units as the editor counts them, a line break two of them.
    const DateValue free = at(2030, 3, 10);
    EXPECT_EQ(check(free, std::string(126, 'x') + "\n").reminder, std::string(126, 'x') + "\r\n");
    EXPECT_EQ(check(free, std::string(127, 'x') + "\n").refusal, tooLongRefusal);
    EXPECT_EQ(check(free, "\xC3\xA9t\xC3\xA9" + std::string(125, 'x')).refusal, "");
    EXPECT_EQ(check(free, "\xE9t\xE9" + std::string(126, 'x')).refusal, tooLongRefusal);
    EXPECT_EQ(check(free, "a\rb\nc\r\n").reminder, "a\r\nb\r\nc\r\n");
    EXPECT_EQ(check(free, "").reminder, defaultReminder);
    EXPECT_EQ(check(free, " ").reminder, " ");

    // (The last as a text editor may leave it, with a line feed alone.)
    const std::vector<AlarmRecord> alarms { { at(2030, 3, 9), "first" }, { at(2030, 3, 10), "a\r\nb" },
        { at(2030, 3, 10), "c" }, { at(2030, 3, 10), "a\r\nb" }, { at(2030, 3, 11), "x\ny" } };
    EXPECT_EQ(alarmToClear(alarms, at(2030, 3, 10), std::nullopt), 1u);
    EXPECT_EQ(alarmToClear(alarms, at(2030, 3, 10), "c"), 2u);
    EXPECT_EQ(alarmToClear(alarms, at(2030, 3, 10), "a\nb"), 1u);
    EXPECT_EQ(alarmToClear(alarms, at(2030, 3, 10), "a"), std::nullopt);
    EXPECT_EQ(alarmToClear(alarms, at(2030, 3, 11), "x\ny"), 4u);
    EXPECT_EQ(alarmToClear(alarms, at(2030, 3, 12), std::nullopt), std::nullopt);
}

TEST(file_side, a_clear_ends_the_series_of_a_repeating_alarm)
{
    const TemporaryDirectory directory;
    writeFile(directory / "Alarm.dat", held + "#2030-03-11 06:30:00#,\"Wake up\"\r\n");
    writeFile(directory / "Alarm.repeat", "DTSTART:20300311T063000\tRRULE:FREQ=DAILY\tREMINDER:Wake up\n");
    AlarmFile file(directory.path());
    // One-shot alarms leave the file of series as it stands.
    EXPECT_EQ(run(file, CommandKind::Clear, "2030-03-09 7:30"), std::vector { ok });
    EXPECT_EQ(readFile(directory / "Alarm.repeat"),
        "DTSTART:20300311T063000\tRRULE:FREQ=DAILY\tREMINDER:Wake up\n");
    EXPECT_EQ(run(file, CommandKind::Clear, "2030-03-11 6:30"), std::vector { ok });
    EXPECT_EQ(readFile(directory / "Alarm.dat"), "");
    EXPECT_EQ(readFile(directory / "Alarm.repeat"), "");
}
