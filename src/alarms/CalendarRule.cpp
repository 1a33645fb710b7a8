// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarms/CalendarRule.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <map>
#include <vector>

namespace tickwell {

namespace {

using namespace std::chrono;

constexpr std::array<std::string_view, 7> dayCodes { "MO", "TU", "WE", "TH", "FR", "SA", "SU" };

std::optional<int> number(std::string_view text, int low, int high)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc {} || end != text.data() + text.size() || text.empty() || value < low
        || value > high)
        return std::nullopt;
    return value;
}

// 28 up to `day`, for the day of the month or the month's last.
std::string lastDaysFrom28(unsigned day)
{
    std::string days;
    for (unsigned d = 28; d <= day; ++d)
        days += (days.empty() ? "" : ",") + std::to_string(d);
    return days;
}

std::vector<std::string_view> split(std::string_view text, char separator)
{
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos)
            return parts;
        text.remove_prefix(at + 1);
    }
}

std::optional<WeekdaySet> parseDays(std::string_view text)
{
    WeekdaySet set = 0;
    for (const std::string_view code : split(text, ',')) {
        std::size_t i = 0;
        while (i < dayCodes.size() && dayCodes[i] != code)
            ++i;
        if (i == dayCodes.size() || (set & (1U << i)))
            return std::nullopt;
        set = WeekdaySet(set | (1U << i));
    }
    return set;
}

std::optional<year_month_day> parseUntil(std::string_view text)
{
    // A local date, or the local date and time it ends with.
    if (text.size() == 15 && text.substr(8) == "T235959")
        text = text.substr(0, 8);
    const auto y = number(text.substr(0, 4), DateValue::firstYear, DateValue::lastYear);
    const auto m = text.size() == 8 ? number(text.substr(4, 2), 1, 12) : std::nullopt;
    const auto d = text.size() == 8 ? number(text.substr(6, 2), 1, 31) : std::nullopt;
    if (!y || !m || !d)
        return std::nullopt;
    const year_month_day date { year { *y }, month { unsigned(*m) }, day { unsigned(*d) } };
    return date.ok() ? std::optional(date) : std::nullopt;
}

} // namespace

std::string formatCalendarDateTime(DateValue when)
{
    const DateParts p = when.parts();
    char text[32];
    std::snprintf(
        text, sizeof text, "%04d%02d%02dT%02d%02d%02d", p.year, p.month, p.day, p.hour, p.minute, p.second);
    return text;
}

std::optional<DateValue> parseCalendarDateTime(std::string_view text)
{
    if (text.size() != 15 || text[8] != 'T')
        return std::nullopt;
    const auto y = number(text.substr(0, 4), DateValue::firstYear, DateValue::lastYear);
    const auto m = number(text.substr(4, 2), 1, 12);
    const auto d = number(text.substr(6, 2), 1, 31);
    const auto h = number(text.substr(9, 2), 0, 23);
    const auto n = number(text.substr(11, 2), 0, 59);
    const auto s = number(text.substr(13, 2), 0, 59);
    if (!y || !m || !d || !h || !n || !s)
        return std::nullopt;
    return DateValue::fromParts(*y, *m, *d, *h, *n, *s);
}

std::string formatCalendarRule(const RepeatRule& rule, DateValue first)
{
    static constexpr std::array<std::string_view, 4> frequencies { "DAILY", "WEEKLY", "MONTHLY", "YEARLY" };
    std::string text = "FREQ=" + std::string(frequencies[std::size_t(rule.unit)]);
    if (rule.interval != 1)
        text += ";INTERVAL=" + std::to_string(rule.interval);
    if (rule.unit == RepeatUnit::Week && rule.weekdays != 0) {
        text += ";BYDAY=";
        for (std::size_t i = 0; i < dayCodes.size(); ++i) {
            if (rule.weekdays & (1U << i))
                text += std::string(text.back() == '=' ? "" : ",") + std::string(dayCodes[i]);
        }
    }
    const DateParts p = first.parts();
    if (rule.unit == RepeatUnit::Month && p.day >= 29)
        text += ";BYMONTHDAY=" + lastDaysFrom28(unsigned(p.day)) + ";BYSETPOS=-1";
    if (rule.unit == RepeatUnit::Year && p.month == 2 && p.day == 29)
        text += ";BYMONTH=2;BYMONTHDAY=28,29;BYSETPOS=-1";
    if (rule.times)
        text += ";COUNT=" + std::to_string(*rule.times);
    if (rule.until) {
        char until[32];
        std::snprintf(until, sizeof until, "%04d%02u%02uT235959", int(rule.until->year()),
            unsigned(rule.until->month()), unsigned(rule.until->day()));
        text += ";UNTIL=";
        text += until;
    }
    return text;
}

std::optional<RepeatRule> parseCalendarRule(std::string_view text, DateValue first)
{
    std::map<std::string_view, std::string_view> parts;
    for (const std::string_view part : split(text, ';')) {
        const std::size_t equals = part.find('=');
        if (equals == std::string_view::npos
            || !parts.emplace(part.substr(0, equals), part.substr(equals + 1)).second)
            return std::nullopt;
    }
    RepeatRule rule;
    const std::map<std::string_view, RepeatUnit> units { { "DAILY", RepeatUnit::Day },
        { "WEEKLY", RepeatUnit::Week }, { "MONTHLY", RepeatUnit::Month }, { "YEARLY", RepeatUnit::Year } };
    const auto unit = units.find(parts["FREQ"]);
    if (unit == units.end())
        return std::nullopt;
    rule.unit = unit->second;
    parts.erase("FREQ");

    const auto take = [&parts](std::string_view key) -> std::optional<std::string_view> {
        const auto found = parts.find(key);
        if (found == parts.end())
            return std::nullopt;
        const std::string_view value = found->second;
        parts.erase(found);
        return value;
    };
    if (const auto interval = take("INTERVAL")) {
        const auto n = number(*interval, 1, maxRepeatInterval);
        if (!n)
            return std::nullopt;
        rule.interval = *n;
    }
    if (const auto byDay = take("BYDAY")) {
        const auto set = parseDays(*byDay);
        if (!set || rule.unit != RepeatUnit::Week)
            return std::nullopt;
        rule.weekdays = *set;
    }
    // Only the last-day forms, and only where they fit the first occurrence.
    const DateParts p = first.parts();
    const auto monthDay = take("BYMONTHDAY");
    const auto month = take("BYMONTH");
    const auto position = take("BYSETPOS");
    const bool monthEnd = rule.unit == RepeatUnit::Month && p.day >= 29;
    const bool leapDay = rule.unit == RepeatUnit::Year && p.month == 2 && p.day == 29;
    if (monthEnd || leapDay) {
        const std::optional<std::string_view> wantedMonth
            = leapDay ? std::optional<std::string_view>("2") : std::nullopt;
        if (monthDay != lastDaysFrom28(unsigned(p.day)) || position != "-1" || month != wantedMonth)
            return std::nullopt;
    } else if (monthDay || month || position) {
        return std::nullopt;
    }
    if (const auto count = take("COUNT")) {
        const auto n = number(*count, 1, 100'000);
        if (!n)
            return std::nullopt;
        rule.times = *n;
    }
    if (const auto until = take("UNTIL")) {
        rule.until = parseUntil(*until);
        if (!rule.until)
            return std::nullopt;
    }
    if (!parts.empty() || !repeatRuleFault(rule).empty())
        return std::nullopt;
    return rule;
}

} // namespace tickwell
