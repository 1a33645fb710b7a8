// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarms/AlarmFileFormat.h"
#include "support/Alarms.h"

#include <gtest/gtest.h>

#include <string>

using namespace tickwell;
using tickwell::test::at;

namespace {
std::string repeat(std::string_view piece, int times)
{
    std::string text;
    for (int i = 0; i < times; ++i)
        text += piece;
    return text;
}
} // namespace

TEST(alarm_file_format, writes_the_record_byte_for_byte)
{
    EXPECT_EQ(
        formatAlarmRecord({ at(1998, 10, 5, 9, 30), "Dentist" }), "#1998-10-05 09:30:00#,\"Dentist\"\r\n");
    EXPECT_EQ(formatAlarmRecord({ at(1998, 10, 5), "Dentist" }), "#1998-10-05#,\"Dentist\"\r\n");
    EXPECT_EQ(formatAlarmRecord({ at(2024, 12, 31, 23, 59), "a, b\r\nc " }),
        "#2024-12-31 23:59:00#,\"a, b\r\nc \"\r\n");
    EXPECT_EQ(formatDateLiteral(at(2000, 2, 29, 0, 0, 1)), "#2000-02-29 00:00:01#");
}

TEST(alarm_file_format, quotes_are_doubled_and_read_back_as_one)
{
    const AlarmRecord record { at(2024, 1, 5, 19, 5), "say \"hi\" \"\"" };
    const std::string bytes = formatAlarmRecord(record);
    EXPECT_EQ(bytes, "#2024-01-05 19:05:00#,\"say \"\"hi\"\" \"\"\"\"\"\r\n");
    const AlarmFileContents read = parseAlarmFile(bytes + formatAlarmRecord({ at(2024, 1, 6), "\"" }));
    ASSERT_EQ(read.records.size(), 2u);
    EXPECT_EQ(read.records[0], record);
    EXPECT_EQ(read.records[1].reminder, "\"");
    EXPECT_EQ(read.unreadable, "");
}

TEST(alarm_file_format, records_round_trip_whatever_their_reminder_holds)
{
    const std::vector<AlarmRecord> records {
        { at(1999, 1, 2), "midnight" },
        { at(2024, 6, 1, 12, 0), " leading and trailing blanks " },
        { at(2024, 12, 31, 23, 59), "commas, and\r\nline breaks\r\n" },
        { at(2024, 2, 29, 8, 15), "" },
        { at(2024, 3, 1, 7, 0), "Caf\xc3\xa9 \xe2\x82\xac 5 \xf0\x9f\x94\x94" },
    };
    const AlarmFileContents read = parseAlarmFile(formatAlarmFile(records, ""));
    EXPECT_EQ(read.records, records);
    EXPECT_EQ(read.unreadable, "");
}

TEST(alarm_file_format, reads_the_last_record_with_or_without_its_line_end)
{
    const std::string one = "#2030-01-01 08:00:00#,\"a\"\r\n";
    const std::string two = "#2030-01-02 08:00:00#,\"b\"";
    for (const std::string& bytes :
        { one + two, one + two + "\r\n", one + two + "\r\n\r\n  \t", one + two + "\n" }) {
        const AlarmFileContents read = parseAlarmFile(bytes);
        ASSERT_EQ(read.records.size(), 2u) << bytes;
        EXPECT_EQ(read.records[1].reminder, "b");
        EXPECT_EQ(read.unreadable, "");
    }
}

TEST(alarm_file_format, accepts_line_feeds_without_carriage_returns_and_blank_lines)
{
    const AlarmFileContents read = parseAlarmFile(
        "\n#2030-01-01 08:00:00#,\"a\"\n\n   #2030-01-02 8:00:00# , \"b\nc\"\n#2030-01-03#,\"d\"  \n");
    ASSERT_EQ(read.records.size(), 3u);
    EXPECT_EQ(read.records[1].when, at(2030, 1, 2, 8, 0));
    EXPECT_EQ(read.records[1].reminder, "b\nc");
    EXPECT_EQ(read.records[2].when, at(2030, 1, 3));
}

TEST(alarm_file_format, an_empty_file_has_no_records)
{
    EXPECT_TRUE(parseAlarmFile("").records.empty());
    EXPECT_TRUE(parseAlarmFile("\r\n \t\n").records.empty());
    EXPECT_EQ(parseAlarmFile("\r\n \t\n").unreadable, "");
}

TEST(alarm_file_format, keeps_everything_from_the_first_unreadable_record_verbatim)
{
    const std::string good = "#2030-01-01 08:00:00#,\"a\"\r\n";
    const std::string rest = "#2030-02-30 08:00:00#,\"no such day\"\r\n#2030-01-03#,\"after\"\r\n";
    const AlarmFileContents read = parseAlarmFile(good + "\r\n" + rest);
    ASSERT_EQ(read.records.size(), 1u);
    EXPECT_EQ(read.unreadable, "\r\n" + rest); // the blank line before it too
    // Written back after the records, it reads the same again.
    const AlarmFileContents again = parseAlarmFile(formatAlarmFile(read.records, read.unreadable));
    EXPECT_EQ(again.records, read.records);
    EXPECT_EQ(again.unreadable, read.unreadable);
    // A byte-order mark before it goes with it, and marks with no record
    // after them are kept too, whether records are written before them or not.
    for (const std::string& tail :
        { "\xEF\xBB\xBF" + rest, std::string("\r\n\xEF\xBB\xBF\n"), std::string("\xEF\xBB\xBF \r\n") }) {
        const AlarmFileContents marks = parseAlarmFile(good + tail);
        EXPECT_EQ(marks.records.size(), 1u);
        EXPECT_EQ(marks.unreadable, tail);
        const AlarmFileContents alone = parseAlarmFile(formatAlarmFile({}, marks.unreadable));
        EXPECT_EQ(alone.leading + alone.unreadable, tail);
    }
    // And so do byte-order marks, wherever they stand.
    const std::string marked = "\xEF\xBB\xBF\r\n" + rest;
    const AlarmFileContents cleared = parseAlarmFile(formatAlarmFile({}, read.unreadable + marked));
    EXPECT_EQ(formatAlarmFile({}, cleared.unreadable, cleared.leading), read.unreadable + marked);
}

TEST(alarm_file_format, stops_at_damaged_records_of_every_kind)
{
    const std::string good = "#2030-01-01 08:00:00#,\"a\"\r\n";
    for (const std::string& damaged : std::initializer_list<std::string> {
             "2030-01-01 08:00:00,\"no number signs\"\r\n",
             "#2030-01-01 08:00:00#\"no comma\"\r\n",
             "#2030-01-01 08:00:00#,unquoted\r\n",
             "#2030-01-01 08:00:00#,\"no closing quote\r\n#2030-01-02#,\"x\"\r\n",
             "#2030-01-01 08:00:00#,\"old quote \"inside\" it\"\r\n",
             "#2030-01-01 08:00#,\"short time\"\r\n",
             "#30-01-01#,\"short year\"\r\n",
             "#2030-01-01 24:00:00#,\"hour 24\"\r\n",
             std::string("\x00\x01\x02 garbage", 12),
             "  \xEF\xBB\xBF#2030-01-02#,\"a mark not at the start of its line\"\r\n",
         }) {
        const AlarmFileContents read = parseAlarmFile(good + damaged);
        EXPECT_EQ(read.records.size(), 1u) << damaged;
        EXPECT_EQ(read.unreadable, damaged);
    }
}

TEST(alarm_file_format, binary_garbage_is_kept_byte_for_byte)
{
    const std::string good = "#2030-01-01 08:00:00#,\"a\"\r\n";
    const std::string garbage("\x89PNG\r\n\x1a\n\x00\xff\x81", 11);
    const AlarmFileContents read = parseAlarmFile(good + garbage);
    ASSERT_EQ(read.records.size(), 1u);
    EXPECT_EQ(read.unreadable, garbage);
    EXPECT_EQ(formatAlarmFile(read.records, read.unreadable), good + garbage);
}

TEST(alarm_file_format, a_reminder_is_at_most_128_characters_not_bytes)
{
    const std::string ascii128 = std::string(128, 'x');
    const std::string euro128 = repeat("\xe2\x82\xac", 128); // 384 bytes
    const std::string record = "#2030-01-01 08:00:00#,\"";
    EXPECT_EQ(parseAlarmFile(record + ascii128 + "\"").records.size(), 1u);
    EXPECT_EQ(parseAlarmFile(record + euro128 + "\"").records.size(), 1u);
    EXPECT_EQ(parseAlarmFile(record + repeat("\"\"", 128) + "\"").records.size(), 1u);
    EXPECT_EQ(parseAlarmFile(record + ascii128 + "x\"").records.size(), 0u);
    EXPECT_EQ(parseAlarmFile(record + euro128 + "x\"").records.size(), 0u);
}

TEST(alarm_file_format, a_file_that_is_not_utf8_is_read_as_windows_1252)
{
    const AlarmFileContents read
        = parseAlarmFile("#2030-01-01 08:00:00#,\"Caf\xe9 \x80 \x93quoted\x94 \x81\"\r\n");
    ASSERT_EQ(read.records.size(), 1u);
    EXPECT_EQ(read.records[0].reminder, "Caf\xc3\xa9 \xe2\x82\xac \xe2\x80\x9cquoted\xe2\x80\x9d \xc2\x81");
}

TEST(alarm_file_format, each_reminder_is_read_in_its_own_encoding)
{
    // A file from the old desktop that has since had alarms added in UTF-8,
    // and one whose tail was torn in the middle of a character: neither may
    // turn the good UTF-8 reminders into Windows-1252 mojibake.
    const std::string old = "#2030-01-01 08:00:00#,\"Caf\xe9\"\r\n";
    const std::string added = "#2030-01-02 08:00:00#,\"M\xc3\xbc\"\r\n";
    const AlarmFileContents mixed = parseAlarmFile(old + added);
    ASSERT_EQ(mixed.records.size(), 2u);
    EXPECT_EQ(mixed.records[0].reminder, "Caf\xc3\xa9");
    EXPECT_EQ(mixed.records[1].reminder, "M\xc3\xbc");

    const std::string torn = "#2030-01-03 08:00:00#,\"\xe2\x82";
    const AlarmFileContents damaged = parseAlarmFile(added + torn);
    ASSERT_EQ(damaged.records.size(), 1u);
    EXPECT_EQ(damaged.records[0].reminder, "M\xc3\xbc");
    EXPECT_EQ(damaged.unreadable, torn);

    // 128 characters of UTF-8 take more than 128 bytes and stay readable
    // next to a Windows-1252 record.
    const std::string long128 = "#2030-01-04 08:00:00#,\"" + repeat("\xc3\xbc", 128) + "\"\r\n";
    EXPECT_EQ(parseAlarmFile(old + long128).records.size(), 2u);
}

TEST(alarm_file_format, skips_byte_order_marks_at_the_start_of_the_file_and_of_any_line)
{
    const std::string mark = "\xef\xbb\xbf";
    const AlarmFileContents read = parseAlarmFile(mark + "#2030-01-01 08:00:00#,\"a\"\r\n");
    EXPECT_EQ(read.records.size(), 1u);
    // Files joined, each begun with a mark by the editor that saved it.
    const std::string a = "#2030-01-01 08:00:00#,\"a\"\r\n";
    const std::string b = "#2030-01-02 08:00:00#,\"b\"\r\n";
    for (const std::string& bytes :
        { mark + a + mark + b, a + mark + b, mark + a + "\n" + mark + mark + "\r\n  " + b,
            a + "\r" + mark + "\t" + b, a.substr(0, a.size() - 2) + mark + b }) {
        const AlarmFileContents joined = parseAlarmFile(bytes);
        EXPECT_EQ(joined.records.size(), 2u) << bytes;
        EXPECT_EQ(joined.unreadable, "") << bytes;
        // Rewritten, only the file's own mark is left, in front.
        EXPECT_EQ(formatAlarmFile(joined.records, joined.unreadable, joined.leading),
            (bytes.starts_with(mark) ? mark : "") + a + b);
    }
    const AlarmFileContents old = parseAlarmFile("\xef\xbb\xbf#2030-01-01 08:00:00#,\"Caf\xe9\"\r\n");
    ASSERT_EQ(old.records.size(), 1u);
    EXPECT_EQ(old.records[0].reminder, "Caf\xc3\xa9");
}

TEST(alarm_file_format, a_huge_file_ends_reading_at_the_record_limit)
{
    const std::string record = "#2030-01-01 08:00:00#,\"a\"\r\n";
    const std::string bytes = repeat(record, int(maxRecordsRead) + 2);
    const AlarmFileContents read = parseAlarmFile(bytes);
    EXPECT_EQ(read.records.size(), maxRecordsRead);
    EXPECT_EQ(read.unreadable, record + record);
}

TEST(alarm_file_format, garbage_ends_reading_without_holding_much_more_than_the_file)
{
    // A reminder that never closes is given up after 128 characters.
    const std::string bytes = "#2030-01-01 08:00:00#,\"" + std::string(8 << 20, 'x');
    const AlarmFileContents read = parseAlarmFile(bytes);
    EXPECT_TRUE(read.records.empty());
    EXPECT_EQ(read.unreadable.size(), bytes.size());
}

TEST(alarm_file_format, a_file_of_a_mark_and_a_blank_reads_back_the_same_after_a_rewrite)
{
    for (const std::string bytes : { "\xEF\xBB\xBF ", "\xEF\xBB\xBF\t", "\xEF\xBB\xBF\r\n", " \xEF\xBB\xBF",
             "\xEF\xBB\xBF \xEF\xBB\xBF", "\xEF\xBB\xBF\xEF\xBB\xBF " }) {
        const tickwell::AlarmFileContents read = tickwell::parseAlarmFile(bytes);
        const std::string written = tickwell::formatAlarmFile(read.records, read.unreadable, read.leading);
        EXPECT_EQ(written, bytes);
        const tickwell::AlarmFileContents again = tickwell::parseAlarmFile(written);
        EXPECT_EQ(again.records, read.records);
        EXPECT_EQ(again.unreadable, read.unreadable);
        EXPECT_EQ(again.leading, read.leading);
    }
}
