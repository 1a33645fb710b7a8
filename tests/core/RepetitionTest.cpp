// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarms/Repetition.h"

#include "support/Alarms.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

using namespace std::chrono;
using tickwell::allWeekdays;
using tickwell::DateValue;
using tickwell::mondayToFriday;
using tickwell::RepeatRule;
using tickwell::RepeatUnit;
using tickwell::saturdayAndSunday;
using tickwell::Series;
using tickwell::weekdayBit;

using tickwell::test::every;

namespace {

DateValue at(int y, int m, int d, int hour = 6, int minute = 30)
{
    return *DateValue::fromParts(y, m, d, hour, minute);
}

sys_days dayOf(DateValue value)
{
    const auto p = value.parts();
    return sys_days { year { p.year } / p.month / p.day };
}

sys_days mondayOf(sys_days day)
{
    return day - days { weekday { day }.iso_encoding() - 1 };
}

// Whether `day` is one of the series' days, by the rule's plain words,
// looked at one day at a time.
bool isSeriesDay(const RepeatRule& rule, sys_days first, sys_days day)
{
    if (day < first)
        return false;
    const year_month_day f { first };
    const year_month_day d { day };
    const auto last = unsigned(year_month_day_last { d.year(), month_day_last { d.month() } }.day());
    const bool dayOfMonth = unsigned(d.day()) == std::min(unsigned(f.day()), last);
    switch (rule.unit) {
    case RepeatUnit::Day:
        return (day - first).count() % rule.interval == 0;
    case RepeatUnit::Week: {
        const auto set = rule.weekdays ? rule.weekdays : weekdayBit(weekday { first });
        return (set & weekdayBit(weekday { day }))
            && ((mondayOf(day) - mondayOf(first)).count() / 7) % rule.interval == 0;
    }
    case RepeatUnit::Month: {
        const int apart
            = (int(d.year()) - int(f.year())) * 12 + int(unsigned(d.month())) - int(unsigned(f.month()));
        return apart % rule.interval == 0 && dayOfMonth;
    }
    case RepeatUnit::Year:
        return (int(d.year()) - int(f.year())) % rule.interval == 0 && d.month() == f.month() && dayOfMonth;
    }
    return false;
}

struct Case {
    std::string name;
    RepeatRule rule;
    DateValue from;
};

std::vector<Case> cases()
{
    return {
        { "every day", every(RepeatUnit::Day), at(2000, 1, 1) },
        { "every 3 days", every(RepeatUnit::Day, 3), at(2000, 2, 27) },
        { "weekdays", every(RepeatUnit::Week, 1, mondayToFriday), at(2000, 1, 1) }, // a Saturday
        { "weekends", every(RepeatUnit::Week, 1, saturdayAndSunday), at(2000, 1, 3) },
        { "every week", every(RepeatUnit::Week), at(2003, 7, 9) },
        { "every 2 weeks on Tuesday", every(RepeatUnit::Week, 2, weekdayBit(Tuesday)), at(2000, 1, 5) },
        { "every 3 weeks on Monday, Wednesday and Friday",
            every(RepeatUnit::Week, 3, weekdayBit(Monday) | weekdayBit(Wednesday) | weekdayBit(Friday)),
            at(2001, 12, 30) },
        { "monthly on the 31st", every(RepeatUnit::Month), at(2000, 1, 31) },
        { "monthly on the 30th", every(RepeatUnit::Month), at(2000, 1, 30) },
        { "monthly on the 29th", every(RepeatUnit::Month), at(2000, 1, 29) },
        { "monthly on the 15th", every(RepeatUnit::Month), at(2000, 1, 15) },
        { "every 5 months on the 31st", every(RepeatUnit::Month, 5), at(2000, 3, 31) },
        { "yearly on 29 February", every(RepeatUnit::Year), at(2000, 2, 29) },
        { "yearly on 31 December", every(RepeatUnit::Year), at(2000, 12, 31) },
        { "every 4 years on 1 March", every(RepeatUnit::Year, 4), at(2001, 3, 1) },
    };
}

} // namespace

TEST(repetition, comes_on_every_day_of_the_series_and_no_other_through_the_century)
{
    const sys_days end = sys_days { year { 2100 } / December / 31 };
    for (const Case& c : cases()) {
        const std::optional<Series> started = tickwell::startSeries(c.rule, c.from);
        ASSERT_TRUE(started) << c.name;
        const sys_days first = dayOf(started->first);
        ASSERT_GE(first, dayOf(c.from)) << c.name;
        ASSERT_LT(first - dayOf(c.from), days { 7 }) << c.name;

        std::vector<sys_days> expected;
        for (sys_days day = first; day <= end; day += days { 1 }) {
            if (isSeriesDay(c.rule, first, day))
                expected.push_back(day);
        }
        // From one occurrence to the next, each found afresh from the last,
        // and each with its place in the series computed, not counted.
        std::vector<sys_days> seen;
        for (std::optional<DateValue> at = started->first; at && dayOf(*at) <= end;
             at = tickwell::occurrenceAfter(*started, *at)) {
            const auto p = at->parts();
            ASSERT_EQ(p.hour, 6) << c.name;
            ASSERT_EQ(p.minute, 30) << c.name;
            ASSERT_EQ(tickwell::occurrenceIndex(*started, *at), static_cast<long long>(seen.size()))
                << c.name;
            ASSERT_EQ(tickwell::nthOccurrence(*started, static_cast<long long>(seen.size())), at) << c.name;
            seen.push_back(dayOf(*at));
        }
        ASSERT_EQ(seen, expected) << c.name;
    }
}

TEST(repetition, the_next_day_is_never_before_the_day_asked_after_however_far_away)
{
    std::mt19937 random(20301005);
    std::uniform_int_distribution<int> daysInto(-400, 40000);
    for (const Case& c : cases()) {
        const std::optional<Series> started = tickwell::startSeries(c.rule, c.from);
        ASSERT_TRUE(started) << c.name;
        const sys_days first = dayOf(started->first);
        for (int i = 0; i < 2000; ++i) {
            const sys_days after = first + days { daysInto(random) };
            const std::optional<sys_days> next = tickwell::nextSeriesDay(c.rule, first, after);
            ASSERT_TRUE(next) << c.name;
            ASSERT_GT(*next, after) << c.name;
            ASSERT_TRUE(isSeriesDay(c.rule, first, *next)) << c.name;
            // Nothing of the series in between.
            ASSERT_EQ(tickwell::nextSeriesDay(c.rule, first, *next - days { 1 }), next) << c.name;
            // Its place in the series, and the day at that place.
            const long long before = tickwell::seriesDaysBefore(c.rule, first, after + days { 1 });
            ASSERT_EQ(tickwell::seriesDaysBefore(c.rule, first, *next), before) << c.name;
            ASSERT_EQ(tickwell::nthSeriesDay(c.rule, first, before), next) << c.name;
        }
    }
}

TEST(repetition, ends_after_its_times_or_with_its_last_day_and_at_the_calendars_end)
{
    RepeatRule thrice = every(RepeatUnit::Day);
    thrice.times = 3;
    const std::optional<Series> s = tickwell::startSeries(thrice, at(2030, 10, 5));
    ASSERT_TRUE(s);
    EXPECT_EQ(tickwell::occurrenceAfter(*s, at(2030, 10, 5)), at(2030, 10, 6));
    EXPECT_EQ(tickwell::occurrenceAfter(*s, at(2030, 10, 6)), at(2030, 10, 7));
    EXPECT_FALSE(tickwell::occurrenceAfter(*s, at(2030, 10, 7)));
    EXPECT_FALSE(tickwell::occurrenceIndex(*s, at(2030, 10, 8)));
    EXPECT_EQ(tickwell::occurrenceIndex(*s, at(2030, 10, 7)), 2);
    // Not at its minute, not an occurrence.
    EXPECT_FALSE(tickwell::occurrenceIndex(*s, at(2030, 10, 6, 6, 31)));

    RepeatRule weekdays = every(RepeatUnit::Week, 1, mondayToFriday);
    weekdays.until = year { 2030 } / October / 7;
    const std::optional<Series> w = tickwell::startSeries(weekdays, at(2030, 10, 4)); // Friday
    ASSERT_TRUE(w);
    EXPECT_EQ(tickwell::occurrenceAfter(*w, at(2030, 10, 4)), at(2030, 10, 7)); // Monday, the last day
    EXPECT_FALSE(tickwell::occurrenceAfter(*w, at(2030, 10, 7)));
    // A series whose first day lies past its last has none.
    weekdays.until = year { 2030 } / October / 5;
    EXPECT_FALSE(tickwell::startSeries(weekdays, at(2030, 10, 5)));

    const std::optional<Series> last = tickwell::startSeries(every(RepeatUnit::Year), at(9999, 3, 1));
    ASSERT_TRUE(last);
    EXPECT_FALSE(tickwell::occurrenceAfter(*last, last->first));
    EXPECT_FALSE(tickwell::nextSeriesDay(
        every(RepeatUnit::Week, 999, allWeekdays), dayOf(at(9990, 1, 1)), dayOf(at(9999, 12, 31))));
    EXPECT_FALSE(tickwell::nthSeriesDay(every(RepeatUnit::Month, 999), dayOf(at(2000, 1, 1)), 1'000'000));
}

TEST(repetition, catching_up_after_a_sleep_gives_the_latest_occurrence_missed_and_how_many)
{
    const std::optional<Series> weekdays
        = tickwell::startSeries(every(RepeatUnit::Week, 1, mondayToFriday), at(2030, 10, 3)); // Thursday
    ASSERT_TRUE(weekdays);
    // Asleep from Thursday morning to Tuesday at noon.
    const tickwell::Catch caught = tickwell::catchUp(*weekdays, at(2030, 10, 3), at(2030, 10, 8, 12, 0));
    EXPECT_EQ(caught.latest, at(2030, 10, 8));
    EXPECT_EQ(caught.passed, 4); // Thursday, Friday, Monday, Tuesday
    EXPECT_EQ(tickwell::occurrenceAfter(*weekdays, caught.latest), at(2030, 10, 9));
    // Before Tuesday's minute, Monday's is the latest.
    EXPECT_EQ(tickwell::catchUp(*weekdays, at(2030, 10, 3), at(2030, 10, 8, 6, 29)).latest, at(2030, 10, 7));
    // Years asleep cost no more than a day.
    const tickwell::Catch long_ = tickwell::catchUp(*weekdays, at(2030, 10, 3), at(2080, 10, 8, 12, 0));
    EXPECT_EQ(long_.passed, tickwell::occurrenceIndex(*weekdays, long_.latest).value_or(0) + 1);

    RepeatRule twice = every(RepeatUnit::Day);
    twice.times = 2;
    const std::optional<Series> two = tickwell::startSeries(twice, at(2030, 10, 3));
    const tickwell::Catch ended = tickwell::catchUp(*two, at(2030, 10, 3), at(2031, 1, 1));
    EXPECT_FALSE(tickwell::occurrenceAfter(*two, ended.latest));
    EXPECT_EQ(ended.latest, at(2030, 10, 4));
    EXPECT_EQ(ended.passed, 2);
}

TEST(repetition, refuses_what_is_no_rule)
{
    EXPECT_EQ(tickwell::repeatRuleFault(every(RepeatUnit::Week, 2, mondayToFriday)), "");
    EXPECT_NE(tickwell::repeatRuleFault(every(RepeatUnit::Day, 0)), "");
    EXPECT_NE(tickwell::repeatRuleFault(every(RepeatUnit::Day, 1000)), "");
    EXPECT_NE(tickwell::repeatRuleFault(every(RepeatUnit::Month, 1, mondayToFriday)), "");
    EXPECT_NE(tickwell::repeatRuleFault(every(RepeatUnit::Week, 1, 0x80)), "");
    RepeatRule never = every(RepeatUnit::Day);
    never.times = 0;
    EXPECT_NE(tickwell::repeatRuleFault(never), "");
    EXPECT_FALSE(tickwell::startSeries(never, at(2030, 1, 1)));
}
