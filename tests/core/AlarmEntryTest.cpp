// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarms/AlarmEntry.h"
#include "frame/dates/DateText.h"
#include "support/Alarms.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace tickwell;
using tickwell::test::at;

namespace {
// The tick reads entry texts in one pass, from the list's UTF-16 text; where
// that gives a value, it must be the one the steps give.
void expectOnePassAgrees(std::string_view text)
{
    const std::u16string wide(text.begin(), text.end());
    for (const auto quick : { dateFromEntryPattern(text), dateFromEntryPattern(wide) }) {
        if (quick) {
            EXPECT_EQ(quick, ParseAlarmEntry(text)) << '"' << text << '"';
        }
    }
}
} // namespace

TEST(alarm_entry, parses_the_worked_example)
{
    const auto value = ParseAlarmEntry("9:30 AM  Monday, October 5, 1998");
    ASSERT_TRUE(value);
    EXPECT_EQ(value->serial(), 36073.0 + 570.0 / 1440.0);
}

TEST(alarm_entry, every_minute_round_trips_through_its_entry_text)
{
    // Midnight, noon, the last minute of a year, a leap day, one- and two-digit hours.
    for (const DateValue when :
        { at(1999, 1, 2), at(2024, 6, 1, 12, 0), at(2024, 12, 31, 23, 59), at(2000, 2, 29, 12, 45),
            at(2024, 2, 29, 0, 1), at(2030, 3, 8, 10, 10), at(2030, 3, 8, 11, 59) }) {
        const std::string entry = alarmEntryText(when);
        EXPECT_EQ(ParseAlarmEntry(entry), when) << entry;
        EXPECT_EQ(dateFromEntryPattern(std::u16string(entry.begin(), entry.end())), when) << entry;
    }
    for (int minute = 0; minute < 1440; ++minute) {
        const DateValue when = at(2026, 12, 7, minute / 60, minute % 60);
        ASSERT_EQ(ParseAlarmEntry(alarmEntryText(when)), when) << alarmEntryText(when);
        ASSERT_EQ(dateFromEntryPattern(alarmEntryText(when)), when) << alarmEntryText(when);
    }
    for (int month = 1; month <= 12; ++month) {
        const DateValue when = at(2030, month, 28, 12, 5);
        ASSERT_EQ(dateFromEntryPattern(alarmEntryText(when)), when) << alarmEntryText(when);
    }
}

TEST(alarm_entry, seconds_are_dropped)
{
    const std::string entry = alarmEntryText(at(2024, 3, 1, 9, 30, 45));
    EXPECT_EQ(entry, "9:30 AM  Friday, March 1, 2024");
    EXPECT_EQ(ParseAlarmEntry(entry), at(2024, 3, 1, 9, 30));
}

TEST(alarm_entry, the_weekday_is_never_read)
{
    EXPECT_EQ(ParseAlarmEntry("9:30 AM  Sunday, October 5, 1998"), at(1998, 10, 5, 9, 30));
    EXPECT_EQ(ParseAlarmEntry("9:30 AM  Whatever, October 5, 1998"), at(1998, 10, 5, 9, 30));
}

TEST(alarm_entry, alarms_a_minute_apart_differ)
{
    EXPECT_EQ(ParseAlarmEntry("9:31 AM  Monday, October 5, 1998"),
        ParseAlarmEntry("9:31 AM  Monday, October 5, 1998"));
    EXPECT_LT(ParseAlarmEntry("9:31 AM  Monday, October 5, 1998"),
        ParseAlarmEntry("9:32 AM  Monday, October 5, 1998"));
}

TEST(alarm_entry, texts_that_are_no_entry_give_no_value)
{
    for (const char* text : {
             "",
             "  ",
             ",",
             "9:30 AM  Monday October 5 1998", // no comma
             "9:30 AM  ",
             "13:30 AM  Monday, October 5, 1998",
             "9:30 AM  Monday, February 30, 1998",
             "garbage  with, commas",
         }) {
        EXPECT_FALSE(ParseAlarmEntry(text)) << '"' << text << '"';
        EXPECT_FALSE(dateFromEntryPattern(text)) << '"' << text << '"';
    }
    EXPECT_FALSE(ParseAlarmEntry(std::string("9:30 AM  Monday, October 5, 1998\0", 33)));
}

TEST(alarm_entry, a_text_whose_time_part_is_lost_reads_as_the_date_at_midnight)
{
    // Without the two blanks after the time, or with blanks before it, the
    // steps find no time part and the date part alone converts.
    const DateValue midnight = at(1998, 10, 5);
    for (const std::string& text : { std::string("9:30 AM Monday, October 5, 1998"),
             std::string("Monday, October 5, 1998"), std::string("  9:30 AM  Monday, October 5, 1998"),
             std::string(500, ' ') + "9:30 AM  Monday, October 5, 1998" }) {
        EXPECT_EQ(ParseAlarmEntry(text), midnight) << text;
        EXPECT_FALSE(dateFromEntryPattern(text)) << text;
    }
}

TEST(alarm_entry, arbitrary_bytes_never_crash_the_parser_and_one_pass_agrees)
{
    std::mt19937 random(7);
    const std::string alphabet = " ,:0123456789APMJanuryOctobe\t\r\n\xff";
    for (int round = 0; round < 20000; ++round) {
        std::string text(random() % 60, ' ');
        for (char& c : text)
            c = alphabet[random() % alphabet.size()];
        expectOnePassAgrees(text);
    }
    // Entry texts with one thing changed.
    const std::string entry = "12:05 PM  Wednesday, September 25, 2030";
    for (std::size_t i = 0; i < entry.size(); ++i) {
        for (const char c : std::string_view(" ,:0159AMPSa\xff")) {
            std::string text = entry;
            text[i] = c;
            expectOnePassAgrees(text);
            expectOnePassAgrees(text.erase(i, 1));
        }
    }
}
