// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarms/CalendarRule.h"
#include "alarms/RepeatWords.h"

#include "support/Alarms.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

using namespace std::chrono;
using tickwell::DateValue;
using tickwell::RepeatRule;
using tickwell::RepeatUnit;

using tickwell::test::every;

namespace {

DateValue at(int y, int m, int d)
{
    return *DateValue::fromParts(y, m, d, 6, 30);
}

} // namespace

TEST(repeat_text, every_rule_reads_back_from_its_words_and_from_its_calendar_rule)
{
    std::vector<std::pair<RepeatRule, DateValue>> rules {
        { every(RepeatUnit::Day), at(2030, 1, 31) },
        { every(RepeatUnit::Day, 3), at(2030, 1, 31) },
        { every(RepeatUnit::Week, 1, tickwell::mondayToFriday), at(2030, 1, 31) },
        { every(RepeatUnit::Week, 1, tickwell::saturdayAndSunday), at(2030, 2, 2) },
        { every(RepeatUnit::Week), at(2030, 1, 31) },
        { every(RepeatUnit::Week, 1, 0x15), at(2030, 1, 30) },
        { every(RepeatUnit::Week, 2, 0x02), at(2030, 1, 29) },
        { every(RepeatUnit::Week, 3), at(2030, 1, 29) },
        { every(RepeatUnit::Month), at(2030, 1, 31) },
        { every(RepeatUnit::Month), at(2030, 1, 29) },
        { every(RepeatUnit::Month, 6), at(2030, 1, 5) },
        { every(RepeatUnit::Year), at(2032, 2, 29) },
        { every(RepeatUnit::Year, 4), at(2030, 3, 1) },
    };
    for (std::size_t i = 0, n = rules.size(); i < n; ++i) {
        RepeatRule times = rules[i].first;
        times.times = 1 + int(i);
        rules.emplace_back(times, rules[i].second);
        RepeatRule until = rules[i].first;
        until.until = year { 2031 } / June / 30;
        rules.emplace_back(until, rules[i].second);
    }
    for (const auto& [r, first] : rules) {
        const std::string words = tickwell::formatRepeatWords(r);
        const tickwell::RepeatWordsRead read = tickwell::parseRepeatWords(words);
        ASSERT_TRUE(read.rule) << words << ": " << read.fault;
        EXPECT_EQ(*read.rule, r) << words;
        const std::string calendar = tickwell::formatCalendarRule(r, first);
        EXPECT_EQ(tickwell::parseCalendarRule(calendar, first), r) << calendar;
    }
}

TEST(repeat_text, words_are_read_as_a_user_types_them)
{
    const std::vector<std::pair<std::string, std::string>> typed {
        { "Daily", "daily" },
        { "every day", "daily" },
        { "  MON, wed ,Fri ", "mon,wed,fri" },
        { "saturday,sunday", "weekends" },
        { "every week on sat,sun", "weekends" },
        { "every 2 weeks on tuesday", "every 2 weeks on tue" },
        { "every 2 weeks on mon,tue,wed,thu,fri", "every 2 weeks on mon,tue,wed,thu,fri" },
        { "every month", "monthly" },
        { "every 12 months", "every 12 months" },
        { "weekdays until 2031-06-30", "weekdays until 2031-06-30" },
        { "daily 1 time", "daily 1 time" },
        { "yearly 10 TIMES", "yearly 10 times" },
    };
    for (const auto& [words, canonical] : typed) {
        const tickwell::RepeatWordsRead read = tickwell::parseRepeatWords(words);
        ASSERT_TRUE(read.rule) << words << ": " << read.fault;
        EXPECT_EQ(tickwell::formatRepeatWords(*read.rule), canonical) << words;
    }
    for (const char* refused :
        { "", "fortnightly", "every", "every 0 days", "every 1 days", "every 1000 days", "every 2 day",
            "mon,,wed", "mo,we", "every 2 weeks on", "every 2 months on mon", "daily until 2031-02-30",
            "daily until tomorrow", "daily 0 times", "daily 5 times until 2031-01-01", "weekly please" }) {
        const tickwell::RepeatWordsRead read = tickwell::parseRepeatWords(refused);
        EXPECT_FALSE(read.rule) << refused;
        EXPECT_NE(read.fault, "") << refused;
    }
}

TEST(repeat_text, the_calendar_rule_says_what_the_series_does_and_nothing_else_is_read)
{
    RepeatRule weekdays = every(RepeatUnit::Week, 2, tickwell::mondayToFriday);
    weekdays.until = year { 2031 } / June / 30;
    EXPECT_EQ(tickwell::formatCalendarRule(weekdays, at(2030, 1, 29)),
        "FREQ=WEEKLY;INTERVAL=2;BYDAY=MO,TU,WE,TH,FR;UNTIL=20310630T235959");
    EXPECT_EQ(tickwell::formatCalendarRule(every(RepeatUnit::Month), at(2030, 1, 30)),
        "FREQ=MONTHLY;BYMONTHDAY=28,29,30;BYSETPOS=-1");
    EXPECT_EQ(tickwell::formatCalendarRule(every(RepeatUnit::Year), at(2032, 2, 29)),
        "FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=28,29;BYSETPOS=-1");
    EXPECT_EQ(tickwell::parseCalendarRule("FREQ=DAILY;UNTIL=20310630", at(2030, 1, 1))->until,
        year { 2031 } / June / 30);

    for (const char* other :
        { "", "FREQ=HOURLY", "FREQ=DAILY;FOO=1", "FREQ=DAILY;FREQ=DAILY", "FREQ=DAILY;BYDAY=MO",
            "FREQ=WEEKLY;BYDAY=XX", "FREQ=WEEKLY;BYDAY=MO,MO", "FREQ=DAILY;INTERVAL=0",
            "FREQ=DAILY;COUNT=2;UNTIL=20310101", "FREQ=DAILY;UNTIL=20310230", "FREQ=MONTHLY;BYMONTHDAY=31",
            "FREQ=MONTHLY;BYMONTHDAY=28,29,30;BYSETPOS=-1", "FREQ=YEARLY;BYMONTH=3", "FREQ=DAILY;" }) {
        // (The 31st's own rule says it falls in no month without a 31st; the
        // 30th's would be read for another day.)
        EXPECT_FALSE(tickwell::parseCalendarRule(other, at(2030, 1, 31))) << other;
    }
    EXPECT_EQ(tickwell::parseCalendarDateTime("20301005T063000"), DateValue::fromParts(2030, 10, 5, 6, 30));
    EXPECT_EQ(tickwell::formatCalendarDateTime(*DateValue::fromParts(2030, 10, 5, 6, 30)), "20301005T063000");
    EXPECT_FALSE(tickwell::parseCalendarDateTime("20301005 063000"));
    EXPECT_FALSE(tickwell::parseCalendarDateTime("20300230T063000"));
}
