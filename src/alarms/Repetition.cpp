// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarms/Repetition.h"

#include <algorithm>
#include <bit>
#include <limits>

namespace tickwell {

namespace {

using namespace std::chrono;

constexpr sys_days lastDay = sys_days { year { DateValue::lastYear } / December / 31 };

sys_days mondayOf(sys_days day) noexcept
{
    return day - days { weekday { day }.iso_encoding() - 1 };
}

// The day `wanted` of the month, or the month's last day if it is shorter.
sys_days dayOfMonth(year_month month, unsigned wanted) noexcept
{
    const unsigned last
        = unsigned(year_month_day_last { month.year(), month_day_last { month.month() } }.day());
    return sys_days { month / day { std::min(wanted, last) } };
}

// The smallest multiple of `step` at or above `value` (value ≥ 0).
long long roundUp(long long value, long long step) noexcept
{
    return (value + step - 1) / step * step;
}

std::optional<sys_days> inCalendar(sys_days day) noexcept
{
    if (day > lastDay)
        return std::nullopt;
    return day;
}

std::optional<sys_days> nextWeekDay(WeekdaySet set, long long every, sys_days first, sys_days after) noexcept
{
    const sys_days firstMonday = mondayOf(first);
    sys_days from = std::max(after + days { 1 }, first);
    long long week = (mondayOf(from) - firstMonday).count() / 7;
    // The week of `from`, if it is one of the series', and else the series'
    // next: one of the two has a day of the set.
    for (int round = 0; round < 3; ++round) {
        if (const long long ours = roundUp(week, every); ours != week) {
            week = ours;
            from = firstMonday + days { week * 7 };
        }
        const sys_days weekEnd = firstMonday + days { (week + 1) * 7 };
        for (sys_days day = from; day < weekEnd; day += days { 1 }) {
            if (set & weekdayBit(weekday { day }))
                return inCalendar(day);
        }
        ++week;
        from = weekEnd;
        if (from > lastDay)
            return std::nullopt;
    }
    return std::nullopt;
}

std::optional<sys_days> nextMonthDay(long long every, sys_days first, sys_days after) noexcept
{
    const year_month_day start { first };
    const year_month_day past { after };
    const year_month startMonth = start.year() / start.month();
    const long long apart = (int(past.year()) - int(start.year())) * 12LL
        + (int(unsigned(past.month())) - int(unsigned(start.month())));
    for (long long k = roundUp(std::max(apart, 0LL), every);; k += every) {
        const year_month month = startMonth + months { k };
        if (int(month.year()) > DateValue::lastYear)
            return std::nullopt;
        const sys_days day = dayOfMonth(month, unsigned(start.day()));
        if (day > after)
            return day;
    }
}

std::optional<sys_days> nextYearDay(long long every, sys_days first, sys_days after) noexcept
{
    const year_month_day start { first };
    const long long apart = std::max(int(year_month_day { after }.year()) - int(start.year()), 0);
    for (long long k = roundUp(apart, every);; k += every) {
        const year in = start.year() + years { k };
        if (int(in) > DateValue::lastYear)
            return std::nullopt;
        // 29 February: 28 February in the years without it.
        const sys_days day = dayOfMonth(in / start.month(), unsigned(start.day()));
        if (day > after)
            return day;
    }
}

WeekdaySet weekSet(const RepeatRule& rule, sys_days first) noexcept
{
    return rule.weekdays ? rule.weekdays : weekdayBit(weekday { first });
}

// How many days of `set` come before `day` in its week.
long long daysOfSetBefore(WeekdaySet set, weekday day) noexcept
{
    return std::popcount(unsigned(set) & ((1U << (day.iso_encoding() - 1)) - 1));
}

sys_days dayOf(DateValue value) noexcept
{
    const DateParts p = value.parts();
    return sys_days { year { p.year } / p.month / p.day };
}

std::optional<DateValue> atMinuteOf(sys_days day, DateValue minute) noexcept
{
    const year_month_day date { day };
    const DateParts p = minute.parts();
    return DateValue::fromParts(
        int(date.year()), int(unsigned(date.month())), int(unsigned(date.day())), p.hour, p.minute);
}

} // namespace

std::string repeatRuleFault(const RepeatRule& rule)
{
    if (rule.interval < 1 || rule.interval > maxRepeatInterval)
        return "the interval must be 1 to " + std::to_string(maxRepeatInterval);
    if (rule.unit != RepeatUnit::Week && rule.weekdays != 0)
        return "only a weekly repetition comes on chosen weekdays";
    if ((rule.weekdays & ~allWeekdays) != 0)
        return "there are only seven weekdays";
    if (rule.times && (*rule.times < 1 || *rule.times > 100'000))
        return "the number of times must be 1 to 100000";
    if (rule.times && rule.until)
        return "a repetition ends after a number of times or on a day, not both";
    if (rule.until
        && (!rule.until->ok() || int(rule.until->year()) < DateValue::firstYear
            || int(rule.until->year()) > DateValue::lastYear))
        return "the last day is no date";
    return {};
}

std::optional<sys_days> nextSeriesDay(const RepeatRule& rule, sys_days first, sys_days after) noexcept
{
    const long long every = std::clamp(rule.interval, 1, maxRepeatInterval);
    switch (rule.unit) {
    case RepeatUnit::Day:
        if (after < first)
            return inCalendar(first);
        return inCalendar(first + days { ((after - first).count() / every + 1) * every });
    case RepeatUnit::Week:
        return nextWeekDay(
            rule.weekdays ? rule.weekdays : weekdayBit(weekday { first }), every, first, after);
    case RepeatUnit::Month:
        return nextMonthDay(every, first, after);
    case RepeatUnit::Year:
        return nextYearDay(every, first, after);
    }
    return std::nullopt;
}

long long seriesDaysBefore(const RepeatRule& rule, sys_days first, sys_days day) noexcept
{
    if (day <= first)
        return 0;
    const long long every = std::clamp(rule.interval, 1, maxRepeatInterval);
    switch (rule.unit) {
    case RepeatUnit::Day:
        return roundUp((day - first).count(), every) / every;
    case RepeatUnit::Week: {
        const WeekdaySet set = weekSet(rule, first);
        const long long week = (mondayOf(day) - mondayOf(first)).count() / 7;
        // The whole weeks of the series before the week of `day`, less the
        // days of the first week before `first`, and the days of the week of
        // `day` before it, if that week is one of the series'.
        long long count = roundUp(week, every) / every * std::popcount(unsigned(set))
            - daysOfSetBefore(set, weekday { first });
        if (week % every == 0)
            count += daysOfSetBefore(set, weekday { day });
        return count;
    }
    case RepeatUnit::Month: {
        const year_month_day start { first };
        const year_month_day at { day };
        const long long apart = (int(at.year()) - int(start.year())) * 12LL
            + (int(unsigned(at.month())) - int(unsigned(start.month())));
        const bool thisMonth
            = apart % every == 0 && dayOfMonth(at.year() / at.month(), unsigned(start.day())) < day;
        return roundUp(apart, every) / every + (thisMonth ? 1 : 0);
    }
    case RepeatUnit::Year: {
        const year_month_day start { first };
        const year_month_day at { day };
        const long long apart = int(at.year()) - int(start.year());
        const bool thisYear
            = apart % every == 0 && dayOfMonth(at.year() / start.month(), unsigned(start.day())) < day;
        return roundUp(apart, every) / every + (thisYear ? 1 : 0);
    }
    }
    return 0;
}

std::optional<sys_days> nthSeriesDay(const RepeatRule& rule, sys_days first, long long count) noexcept
{
    // Nothing lies that far on: the calendar ends first.
    if (count < 0 || count > (lastDay - first).count())
        return std::nullopt;
    const long long every = std::clamp(rule.interval, 1, maxRepeatInterval);
    const year_month_day start { first };
    switch (rule.unit) {
    case RepeatUnit::Day:
        return inCalendar(first + days { count * every });
    case RepeatUnit::Week: {
        const WeekdaySet set = weekSet(rule, first);
        const long long perWeek = std::popcount(unsigned(set));
        // Counted from the Monday of the first week, as if the days of the
        // set before `first` were the series' too.
        const long long from = count + daysOfSetBefore(set, weekday { first });
        long long nth = from % perWeek;
        int dayOfWeek = 0;
        for (; dayOfWeek < 7; ++dayOfWeek) {
            if ((set & (1U << dayOfWeek)) && nth-- == 0)
                break;
        }
        return inCalendar(mondayOf(first) + days { from / perWeek * every * 7 + dayOfWeek });
    }
    case RepeatUnit::Month: {
        if (count * every > 12LL * DateValue::lastYear)
            return std::nullopt;
        const year_month month = start.year() / start.month() + months { count * every };
        if (int(month.year()) > DateValue::lastYear)
            return std::nullopt;
        return dayOfMonth(month, unsigned(start.day()));
    }
    case RepeatUnit::Year: {
        const long long in = int(start.year()) + count * every;
        if (in > DateValue::lastYear)
            return std::nullopt;
        return dayOfMonth(year { int(in) } / start.month(), unsigned(start.day()));
    }
    }
    return std::nullopt;
}

namespace {

// How many occurrences the series has, up to its end.
long long occurrencesInAll(const Series& series)
{
    if (series.rule.times)
        return *series.rule.times;
    if (series.rule.until)
        return seriesDaysBefore(
            series.rule, dayOf(series.first), sys_days { *series.rule.until } + days { 1 });
    return std::numeric_limits<long long>::max();
}

} // namespace

std::optional<Series> startSeries(const RepeatRule& rule, DateValue from)
{
    if (!repeatRuleFault(rule).empty())
        return std::nullopt;
    // The first day of the rule from `from` on: "every second Tuesday" set on
    // a Wednesday comes next Tuesday, and counts its weeks from then on.
    RepeatRule fromThatDay = rule;
    fromThatDay.interval = 1;
    const sys_days day = dayOf(from);
    const std::optional<sys_days> firstDay = nextSeriesDay(fromThatDay, day, day - days { 1 });
    if (!firstDay || (rule.until && *firstDay > sys_days { *rule.until }))
        return std::nullopt;
    const std::optional<DateValue> first = atMinuteOf(*firstDay, from);
    if (!first)
        return std::nullopt;
    return Series { rule, *first };
}

long long occurrencesBy(const Series& series, DateValue at)
{
    const sys_days first = dayOf(series.first);
    const sys_days day = dayOf(at);
    long long count = seriesDaysBefore(series.rule, first, day);
    // Today's, if today is one of the series' days and its minute has come.
    if (at >= series.first && nthSeriesDay(series.rule, first, count) == day
        && atMinuteOf(day, series.first) <= at)
        ++count;
    return std::min(count, occurrencesInAll(series));
}

std::optional<DateValue> nthOccurrence(const Series& series, long long count)
{
    if (count < 0 || count >= occurrencesInAll(series))
        return std::nullopt;
    const std::optional<sys_days> day = nthSeriesDay(series.rule, dayOf(series.first), count);
    if (!day)
        return std::nullopt;
    return atMinuteOf(*day, series.first);
}

std::optional<long long> occurrenceIndex(const Series& series, DateValue when)
{
    const long long by = occurrencesBy(series, when);
    if (by == 0 || nthOccurrence(series, by - 1) != when)
        return std::nullopt;
    return by - 1;
}

std::optional<DateValue> occurrenceAfter(const Series& series, DateValue after)
{
    return nthOccurrence(series, occurrencesBy(series, after));
}

Catch catchUp(const Series& series, DateValue occurrence, DateValue now)
{
    const long long by = occurrencesBy(series, now);
    const std::optional<long long> index = occurrenceIndex(series, occurrence);
    const std::optional<DateValue> latest = nthOccurrence(series, by - 1);
    if (!index || !latest || *latest < occurrence)
        return { occurrence, 1 };
    return { *latest, by - *index };
}

} // namespace tickwell
