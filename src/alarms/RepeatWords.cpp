// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarms/RepeatWords.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <utility>
#include <vector>

namespace tickwell {

namespace {

using namespace std::chrono;

constexpr std::array<std::string_view, 7> dayNames { "monday", "tuesday", "wednesday", "thursday", "friday",
    "saturday", "sunday" };

std::string formatDays(WeekdaySet set)
{
    std::string text;
    for (std::size_t i = 0; i < dayNames.size(); ++i) {
        if (set & (1U << i))
            text += (text.empty() ? "" : ",") + std::string(dayNames[i].substr(0, 3));
    }
    return text;
}

// The words, lower case, one blank between them; commas stay with the word before.
std::vector<std::string> wordsOf(std::string_view text)
{
    std::vector<std::string> words;
    std::string word;
    for (const char c : text) {
        if (c == ' ' || c == '\t') {
            if (!word.empty())
                words.push_back(std::exchange(word, {}));
        } else {
            word += char(std::tolower(static_cast<unsigned char>(c)));
        }
    }
    if (!word.empty())
        words.push_back(word);
    // "mon, wed" and "mon ,wed" are "mon,wed".
    std::vector<std::string> joined;
    for (std::string& w : words) {
        if (!joined.empty() && (joined.back().ends_with(',') || w.starts_with(',')))
            joined.back() += w;
        else
            joined.push_back(std::move(w));
    }
    return joined;
}

std::optional<int> count(std::string_view text, int low, int high)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc {} || end != text.data() + text.size() || value < low || value > high)
        return std::nullopt;
    return value;
}

std::optional<WeekdaySet> parseDays(std::string_view text)
{
    WeekdaySet set = 0;
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        const std::string_view name = text.substr(0, comma);
        std::size_t i = 0;
        while (i < dayNames.size() && !(name.size() >= 3 && dayNames[i].starts_with(name)))
            ++i;
        if (i == dayNames.size())
            return std::nullopt;
        set = WeekdaySet(set | (1U << i));
        if (comma == std::string_view::npos)
            break;
        text.remove_prefix(comma + 1);
        if (text.empty())
            return std::nullopt;
    }
    return set ? std::optional(set) : std::nullopt;
}

std::optional<RepeatUnit> unitNamed(std::string_view word, bool plural)
{
    static constexpr std::array<std::string_view, 4> names { "day", "week", "month", "year" };
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (word == (plural ? std::string(names[i]) + "s" : std::string(names[i])))
            return RepeatUnit(i);
    }
    return std::nullopt;
}

std::optional<RepeatRule> parseBase(const std::vector<std::string>& w)
{
    RepeatRule rule;
    const auto single = [&](RepeatUnit unit, WeekdaySet days = 0) {
        rule.unit = unit;
        rule.weekdays = days;
        return std::optional(rule);
    };
    if (w.size() == 1) {
        if (w[0] == "daily")
            return single(RepeatUnit::Day);
        if (w[0] == "weekdays")
            return single(RepeatUnit::Week, mondayToFriday);
        if (w[0] == "weekends")
            return single(RepeatUnit::Week, saturdayAndSunday);
        if (w[0] == "weekly")
            return single(RepeatUnit::Week);
        if (w[0] == "monthly")
            return single(RepeatUnit::Month);
        if (w[0] == "yearly")
            return single(RepeatUnit::Year);
        if (const auto days = parseDays(w[0]))
            return single(RepeatUnit::Week, *days);
        return std::nullopt;
    }
    if (w.empty() || w[0] != "every")
        return std::nullopt;
    // every [N] unit[s] [on days]
    std::size_t at = 1;
    if (at < w.size()) {
        if (const auto n = count(w[at], 2, maxRepeatInterval)) {
            rule.interval = *n;
            ++at;
        }
    }
    if (at >= w.size())
        return std::nullopt;
    const auto unit = unitNamed(w[at], rule.interval > 1);
    if (!unit)
        return std::nullopt;
    rule.unit = *unit;
    ++at;
    if (at + 2 == w.size() && w[at] == "on" && rule.unit == RepeatUnit::Week) {
        const auto days = parseDays(w[at + 1]);
        if (!days)
            return std::nullopt;
        rule.weekdays = *days;
        at += 2;
    }
    return at == w.size() ? std::optional(rule) : std::nullopt;
}

} // namespace

std::string formatRepeatWords(const RepeatRule& rule)
{
    static constexpr std::array<std::string_view, 4> units { "day", "week", "month", "year" };
    std::string text;
    if (rule.interval == 1 && rule.unit == RepeatUnit::Week && rule.weekdays == mondayToFriday)
        text = "weekdays";
    else if (rule.interval == 1 && rule.unit == RepeatUnit::Week && rule.weekdays == saturdayAndSunday)
        text = "weekends";
    else if (rule.interval == 1 && rule.unit == RepeatUnit::Week && rule.weekdays != 0)
        text = formatDays(rule.weekdays);
    else if (rule.interval == 1) {
        static constexpr std::array<std::string_view, 4> once { "daily", "weekly", "monthly", "yearly" };
        text = once[std::size_t(rule.unit)];
    } else {
        text = "every " + std::to_string(rule.interval) + " " + std::string(units[std::size_t(rule.unit)])
            + "s";
        if (rule.unit == RepeatUnit::Week && rule.weekdays != 0)
            text += " on " + formatDays(rule.weekdays);
    }
    if (rule.times)
        text += " " + std::to_string(*rule.times) + (*rule.times == 1 ? " time" : " times");
    if (rule.until) {
        char until[32];
        std::snprintf(until, sizeof until, " until %04d-%02u-%02u", int(rule.until->year()),
            unsigned(rule.until->month()), unsigned(rule.until->day()));
        text += until;
    }
    return text;
}

RepeatWordsRead parseRepeatWords(std::string_view text)
{
    std::vector<std::string> words = wordsOf(text);
    std::optional<int> times;
    std::optional<year_month_day> until;
    if (words.size() >= 3 && (words.back() == "times" || words.back() == "time")) {
        times = count(words[words.size() - 2], 1, 100'000);
        if (!times)
            return { std::nullopt,
                "\"" + words[words.size() - 2] + "\" is no number of times (1 to 100000)" };
        words.resize(words.size() - 2);
    } else if (words.size() >= 3 && words[words.size() - 2] == "until") {
        const std::string& date = words.back();
        const auto y
            = date.size() == 10 ? count(std::string_view(date).substr(0, 4), 100, 9999) : std::nullopt;
        const auto m = date.size() == 10 && date[4] == '-' ? count(std::string_view(date).substr(5, 2), 1, 12)
                                                           : std::nullopt;
        const auto d = date.size() == 10 && date[7] == '-' ? count(std::string_view(date).substr(8, 2), 1, 31)
                                                           : std::nullopt;
        if (y && m && d)
            until = year { *y } / month { unsigned(*m) } / day { unsigned(*d) };
        if (!until || !until->ok())
            return { std::nullopt, "\"" + date + "\" is no date (YYYY-MM-DD)" };
        words.resize(words.size() - 2);
    }
    std::optional<RepeatRule> rule = parseBase(words);
    if (!rule)
        return { std::nullopt,
            "\"" + std::string(text)
                + "\" is no repetition: daily, weekdays, weekends, weekly, monthly, yearly, mon,wed,fri, "
                  "every 3 "
                  "days, every 2 weeks on tue, and so on" };
    rule->times = times;
    rule->until = until;
    if (std::string fault = repeatRuleFault(*rule); !fault.empty())
        return { std::nullopt, fault };
    return { rule, {} };
}

} // namespace tickwell
