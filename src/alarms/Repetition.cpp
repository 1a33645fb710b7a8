// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarms/Repetition.h"

#include <algorithm>

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
    return Series { rule, *first, *first, 0 };
}

std::optional<Series> nextOccurrence(const Series& series)
{
    const RepeatRule& rule = series.rule;
    if (rule.times && series.done + 1 >= *rule.times)
        return std::nullopt;
    const std::optional<sys_days> day = nextSeriesDay(rule, dayOf(series.first), dayOf(series.next));
    if (!day || (rule.until && *day > sys_days { *rule.until }))
        return std::nullopt;
    const std::optional<DateValue> next = atMinuteOf(*day, series.first);
    if (!next)
        return std::nullopt;
    return Series { rule, series.first, *next, series.done + 1 };
}

Catch catchUp(const Series& series, DateValue now)
{
    Catch caught { std::nullopt, series.next, 1 };
    Series at = series;
    while (std::optional<Series> after = nextOccurrence(at)) {
        if (after->next > now) {
            caught.moved = after;
            break;
        }
        caught.latest = after->next;
        ++caught.passed;
        at = *after;
    }
    return caught;
}

} // namespace tickwell
