// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/dates/DateText.h"
#include "support/Alarms.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>

using namespace tickwell;
using tickwell::test::at;

TEST(date_text, entry_pattern_writes_twelve_hour_time_and_english_names)
{
    EXPECT_EQ(formatEntryPattern(at(2002, 3, 8, 21, 5)), "9:05 PM  Friday, March 8, 2002");
    EXPECT_EQ(formatEntryPattern(at(1998, 10, 5, 9, 30)), "9:30 AM  Monday, October 5, 1998");
    EXPECT_EQ(formatEntryPattern(at(1999, 1, 2)), "12:00 AM  Saturday, January 2, 1999");
    EXPECT_EQ(formatEntryPattern(at(2000, 2, 29, 12, 45)), "12:45 PM  Tuesday, February 29, 2000");
    EXPECT_EQ(formatEntryPattern(at(2023, 12, 31, 23, 59, 59)), "11:59 PM  Sunday, December 31, 2023");
    EXPECT_EQ(formatEntryPattern(at(2024, 7, 4, 10, 0)), "10:00 AM  Thursday, July 4, 2024");
}

TEST(date_text, names_stay_english_under_another_locale)
{
    // Whichever of these the machine has; the C library's own names would differ.
    for (const char* locale : { "de_DE.UTF-8", "fr_FR.UTF-8", "C.UTF-8" }) {
        if (!std::setlocale(LC_ALL, locale))
            continue;
        EXPECT_EQ(formatEntryPattern(at(2024, 5, 1, 13, 7)), "1:07 PM  Wednesday, May 1, 2024") << locale;
        EXPECT_EQ(numberValue("1.5"), 1.5) << locale;
        EXPECT_EQ(dateFromText("May 1, 2024 1:07:00PM"), at(2024, 5, 1, 13, 7)) << locale;
    }
    std::setlocale(LC_ALL, "C");
}

TEST(date_text, two_digit_pattern_pads_with_a_zero)
{
    EXPECT_EQ(formatTwoDigits(0), "00");
    EXPECT_EQ(formatTwoDigits(5), "05");
    EXPECT_EQ(formatTwoDigits(59), "59");
    EXPECT_EQ(formatTwoDigits(123), "123");
    EXPECT_EQ(formatTwoDigits(-5), "-05");
}

TEST(date_text, each_shape_of_the_same_minute_gives_exactly_the_same_value)
{
    const DateValue expected = at(2002, 3, 8, 21, 5);
    EXPECT_EQ(dateFromText("March 8, 2002 9:05:00PM"), expected);
    EXPECT_EQ(dateFromText("March 8, 2002 09:5:00PM"), expected);
    EXPECT_EQ(dateFromText("9:05 PM  March 8, 2002"), expected);
    EXPECT_EQ(dateFromText("  9:05 PM  March 8, 2002  "), expected);
    EXPECT_EQ(dateFromText("March 01, 1998"), at(1998, 3, 1));
    EXPECT_EQ(dateFromText("February 29, 2000"), at(2000, 2, 29));
}

TEST(date_text, twelve_is_midnight_with_am_and_noon_with_pm)
{
    EXPECT_EQ(dateFromText("January 5, 2024 12:00:00AM"), at(2024, 1, 5, 0, 0));
    EXPECT_EQ(dateFromText("January 5, 2024 12:30:00PM"), at(2024, 1, 5, 12, 30));
    EXPECT_EQ(dateFromText("January 5, 2024 1:00:00AM"), at(2024, 1, 5, 1, 0));
    EXPECT_EQ(dateFromText("11:59 PM  December 31, 2024"), at(2024, 12, 31, 23, 59));
}

TEST(date_text, texts_that_name_no_date_fail_as_a_value)
{
    for (const char* text : {
             "",
             " ",
             "March 8, 2002 :05:00PM", // empty hour
             "March 8, 2002 0:05:00PM", // hour 0
             "March 8, 2002 13:05:00PM", // hour above 12
             "March 8, 2002 -1:05:00PM",
             "March 8, 2002 9::00PM", // empty minute
             "March 8, 2002 9:60:00PM",
             "March 8, 2002 9:05:00XM", // the design-time AM/PM
             "March 8, 2002 9:05:00 PM",
             "March 8, 2002 9:05:30PM",
             "April 31, 2002 9:05:00PM", // day beyond the month
             "February 29, 2001",
             "february 8, 2002",
             "Mar 8, 2002",
             "March 8 2002",
             "March 8, 99",
             "March 8, 2002 9:05PM",
             "9:05 PM March 8, 2002", // one blank, not two
             "9:05 PM  Friday, March 8, 2002", // weekday still in
             "9:05PM  March 8, 2002",
             "9:05 PM  March 8, 2002 junk",
             "123:05 PM  March 8, 2002",
         }) {
        EXPECT_FALSE(dateFromText(text)) << '"' << text << '"';
    }
}

TEST(date_text, number_value_reads_the_number_at_the_start)
{
    EXPECT_EQ(numberValue(""), 0);
    EXPECT_EQ(numberValue("12"), 12);
    EXPECT_EQ(numberValue("07"), 7);
    EXPECT_EQ(numberValue("00\r\n"), 0); // a carriage return stops it
    EXPECT_EQ(numberValue("1\r5"), 1);
    EXPECT_EQ(numberValue(" 1 5"), 15); // blanks are skipped wherever they stand
    EXPECT_EQ(numberValue("\t2\n3"), 23);
    EXPECT_EQ(numberValue("15abc"), 15);
    EXPECT_EQ(numberValue("abc"), 0);
    EXPECT_EQ(numberValue("-1"), -1);
    EXPECT_EQ(numberValue("+4"), 4);
    EXPECT_EQ(numberValue("--1"), 0);
    EXPECT_EQ(numberValue("1-2"), 1);
    EXPECT_EQ(numberValue("2.5"), 2.5);
    EXPECT_EQ(numberValue(".5"), 0.5);
    EXPECT_EQ(numberValue("1e3"), 1000);
    EXPECT_EQ(numberValue("1d2x"), 100);
    EXPECT_EQ(numberValue("1e"), 1);
    EXPECT_TRUE(std::isinf(numberValue("1e999")));
}

TEST(date_text, rounding_goes_to_the_even_neighbour_at_halves)
{
    EXPECT_EQ(roundToInt16(2.5), 2);
    EXPECT_EQ(roundToInt16(3.5), 4);
    EXPECT_EQ(roundToInt16(-2.5), -2);
    EXPECT_EQ(roundToInt16(-3.5), -4);
    EXPECT_EQ(roundToInt16(2.4), 2);
    EXPECT_EQ(roundToInt16(2.6), 3);
    EXPECT_EQ(roundToInt16(1998), 1998);
    EXPECT_EQ(roundToInt16(32767), 32767);
    EXPECT_FALSE(roundToInt16(32768));
    EXPECT_FALSE(roundToInt16(-32769));
    EXPECT_FALSE(roundToInt16(std::nan("")));
    EXPECT_EQ(roundToInt32(7725.0 / 15), 515);
    EXPECT_EQ(roundToInt32(0.5), 0);
    EXPECT_EQ(roundToInt32(1.5), 2);
}
