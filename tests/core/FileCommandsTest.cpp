// SPDX-License-Identifier: GPL-3.0-or-later
// Commands carried out on the alarm file itself, where no clock runs: the
// same checks as Set Alarm, the same store.
#include "alarms/FileCommands.h"
#include "alarms/AlarmFile.h"
#include "alarms/NewAlarm.h"

#include "support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <string>

using namespace tickwell;
using tickwell::test::readFile;
using tickwell::test::TemporaryDirectory;
using tickwell::test::writeFile;

namespace {

const std::string held = "#2030-03-09 07:30:00#,\"Water the ferns\"\r\n";

std::vector<ClockReply> run(AlarmFile& file, CommandKind kind, std::string when = {},
    std::optional<std::string> reminder = std::nullopt)
{
    const DateValue now = *DateValue::fromParts(2030, 3, 8, 21, 4, 30);
    return runOnFile(file, { kind, std::move(when), std::move(reminder) }, now);
}

ClockReply refusal(std::string_view text)
{
    return { ReplyKind::Refused, {}, std::string(text) };
}

const ClockReply ok { ReplyKind::Ok, {}, {} };

} // namespace

TEST(file_commands, add_list_and_clear_with_set_alarms_checks)
{
    const TemporaryDirectory directory;
    writeFile(directory / "Alarm.dat", held);
    AlarmFile file(directory.path());

    EXPECT_EQ(run(file, CommandKind::Add, "2030-03-08 21:04", "Gone"), std::vector { refusal(pastRefusal) });
    EXPECT_EQ(run(file, CommandKind::Add, "07:30", "Twice"), std::vector { refusal(duplicateRefusal) });
    // 128 characters, the last beyond the Basic Multilingual Plane and
    // counted twice as the editor counts it: one unit too many.
    EXPECT_EQ(run(file, CommandKind::Add, "21:05", std::string(127, 'x') + "\xF0\x9F\x94\x94"),
        std::vector { refusal(tooLongRefusal) });
    EXPECT_EQ(readFile(directory / "Alarm.dat"), held);

    // A time alone is the next such minute: today's 21:05 is still to come.
    EXPECT_EQ(run(file, CommandKind::Add, "21:05", "Feed the cat\nthen the fish"), std::vector { ok });
    EXPECT_EQ(run(file, CommandKind::Add, "2030-03-10 08:00", ""), std::vector { ok });
    EXPECT_EQ(readFile(directory / "Alarm.dat"),
        held + "#2030-03-08 21:05:00#,\"Feed the cat\r\nthen the fish\"\r\n"
            + "#2030-03-10 08:00:00#,\"You were supposed to remember something!\"\r\n");
    EXPECT_EQ(run(file, CommandKind::List),
        (std::vector<ClockReply> { { ReplyKind::Alarm, "2030-03-09 07:30", "Water the ferns" },
            { ReplyKind::Alarm, "2030-03-08 21:05", "Feed the cat\r\nthen the fish" },
            { ReplyKind::Alarm, "2030-03-10 08:00", "You were supposed to remember something!" }, ok }));

    // The reminder, where given, must match, line breaks as typed.
    EXPECT_EQ(run(file, CommandKind::Clear, "21:05", "Feed the cat")[0].kind, ReplyKind::Refused);
    EXPECT_EQ(run(file, CommandKind::Clear, "21:05", "Feed the cat\r\nthen the fish"), std::vector { ok });
    EXPECT_EQ(run(file, CommandKind::Clear, "2030-03-10 08:00"), std::vector { ok });
    EXPECT_EQ(run(file, CommandKind::Clear, "2030-03-10 08:00")[0].kind, ReplyKind::Refused);
    EXPECT_EQ(readFile(directory / "Alarm.dat"), held);
}

TEST(file_commands, a_file_that_was_not_read_is_left_alone)
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

TEST(new_alarm, line_breaks_and_length_as_the_editor_has_them)
{
    EXPECT_EQ(editorLineBreaks("a\nb\rc\r\nd\n\n"), "a\r\nb\r\nc\r\nd\r\n\r\n");
    EXPECT_EQ(editorLength("abc"), 3u);
    EXPECT_EQ(editorLength("\xC3\xA9t\xC3\xA9"), 3u); // été
    EXPECT_EQ(editorLength("\xF0\x9F\x94\x94"), 2u); // a bell, two units
    EXPECT_EQ(editorLength("\xE9t\xE9"), 3u); // not UTF-8: a byte each
}
