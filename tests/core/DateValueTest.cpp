// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/dates/DateValue.h"

#include <gtest/gtest.h>

using tickwell::DateParts;
using tickwell::DateValue;

TEST(date_value, counts_days_from_30_december_1899_with_the_time_as_fraction)
{
    EXPECT_EQ(DateValue::fromParts(1899, 12, 30)->serial(), 0.0);
    EXPECT_EQ(DateValue::fromParts(1998, 10, 5)->serial(), 36073.0);
    EXPECT_EQ(DateValue::fromParts(1998, 10, 5, 9, 30)->serial(), 36073.0 + 570.0 / 1440.0);
    EXPECT_EQ(DateValue::fromParts(1899, 12, 31, 12)->serial(), 1.5);
    // Before the epoch too, later is more: values order like the moments they stand for.
    EXPECT_EQ(DateValue::fromParts(1899, 12, 29, 6)->serial(), -0.75);
}

TEST(date_value, gives_back_its_parts_and_weekday)
{
    const struct {
        DateParts parts;
        int weekday;
    } cases[] {
        { { 2002, 3, 8, 21, 5, 0 }, 6 }, // a Friday
        { { 1899, 12, 30, 0, 0, 0 }, 7 }, // a Saturday
        { { 1899, 12, 29, 6, 0, 0 }, 6 },
        { { 2000, 2, 29, 12, 45, 0 }, 3 }, // a Tuesday
        { { 1999, 12, 31, 23, 59, 59 }, 6 },
        { { 100, 1, 1, 0, 0, 0 }, 6 },
        { { 9999, 12, 31, 23, 59, 59 }, 6 },
    };
    for (const auto& c : cases) {
        const auto& p = c.parts;
        const auto value = DateValue::fromParts(p.year, p.month, p.day, p.hour, p.minute, p.second);
        ASSERT_TRUE(value) << p.year << "-" << p.month << "-" << p.day;
        EXPECT_EQ(value->parts(), p) << value->serial();
        EXPECT_EQ(value->weekday(), c.weekday) << value->serial();
    }
}

TEST(date_value, refuses_parts_that_name_no_moment)
{
    EXPECT_FALSE(DateValue::fromParts(1998, 4, 31));
    EXPECT_FALSE(DateValue::fromParts(1900, 2, 29));
    EXPECT_FALSE(DateValue::fromParts(2100, 2, 29));
    EXPECT_TRUE(DateValue::fromParts(2000, 2, 29));
    EXPECT_FALSE(DateValue::fromParts(1998, 13, 1));
    EXPECT_FALSE(DateValue::fromParts(1998, 0, 1));
    EXPECT_FALSE(DateValue::fromParts(1998, 1, 0));
    EXPECT_FALSE(DateValue::fromParts(1998, 1, 1, 24));
    EXPECT_FALSE(DateValue::fromParts(1998, 1, 1, 0, 60));
    EXPECT_FALSE(DateValue::fromParts(1998, 1, 1, 0, 0, -1));
    EXPECT_FALSE(DateValue::fromParts(99, 12, 31));
    EXPECT_FALSE(DateValue::fromParts(10000, 1, 1));
}

TEST(date_value, no_date_is_1_january_100_and_below_every_real_date)
{
    const DateValue none = DateValue::noDate();
    EXPECT_EQ(none.parts(), (DateParts { 100, 1, 1, 0, 0, 0 }));
    EXPECT_NE(none, DateValue {}); // not the zero date of 30 December 1899
    EXPECT_LT(none, *DateValue::fromParts(100, 1, 1, 0, 0, 1));
    EXPECT_LT(none, *DateValue::fromParts(1980, 1, 1));
}

TEST(date_value, one_minute_is_always_the_same_number)
{
    // Every minute of a day, made twice, compares equal; neighbours differ.
    for (int minute = 0; minute < 1440; ++minute) {
        const auto a = DateValue::fromParts(2024, 2, 29, minute / 60, minute % 60);
        const auto b = DateValue::fromParts(2024, 2, 29, minute / 60, minute % 60);
        ASSERT_EQ(a, b);
        ASSERT_EQ(a->parts().minute, minute % 60);
        if (minute > 0) {
            ASSERT_LT(*DateValue::fromParts(2024, 2, 29, (minute - 1) / 60, (minute - 1) % 60), *a);
        }
    }
}

TEST(date_value, same_minute_needs_all_five_parts_and_ignores_the_seconds)
{
    const DateValue alarm = *DateValue::fromParts(2030, 10, 5, 9, 31);
    EXPECT_TRUE(tickwell::sameMinute(alarm, alarm));
    EXPECT_TRUE(tickwell::sameMinute(*DateValue::fromParts(2030, 10, 5, 9, 31, 59), alarm));
    EXPECT_FALSE(tickwell::sameMinute(*DateValue::fromParts(2030, 10, 5, 9, 30, 59), alarm));
    EXPECT_FALSE(tickwell::sameMinute(*DateValue::fromParts(2030, 10, 5, 9, 32), alarm));
    EXPECT_FALSE(tickwell::sameMinute(*DateValue::fromParts(2030, 10, 5, 10, 31), alarm));
    EXPECT_FALSE(tickwell::sameMinute(*DateValue::fromParts(2030, 10, 6, 9, 31), alarm));
    EXPECT_FALSE(tickwell::sameMinute(*DateValue::fromParts(2030, 11, 5, 9, 31), alarm));
    EXPECT_FALSE(tickwell::sameMinute(*DateValue::fromParts(2031, 10, 5, 9, 31), alarm));
    // The last second of a day is still its own day's minute.
    EXPECT_TRUE(tickwell::sameMinute(
        *DateValue::fromParts(1999, 12, 31, 23, 59, 59), *DateValue::fromParts(1999, 12, 31, 23, 59)));
}
