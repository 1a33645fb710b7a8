// SPDX-License-Identifier: GPL-3.0-or-later
#include "commandline/When.h"

#include "frame/dates/DateText.h"

#include <cmath>

namespace tickwell {

namespace {

// Digits only, at least one, no sign or blank.
std::optional<int> digitsValue(std::string_view digits)
{
    if (digits.empty() || digits.size() > 4)
        return std::nullopt;
    int value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<When> parseTime(std::string_view text)
{
    const std::size_t colon = text.find(':');
    if ((colon != 1 && colon != 2) || text.size() != colon + 3)
        return std::nullopt;
    const auto hour = digitsValue(text.substr(0, colon));
    const auto minute = digitsValue(text.substr(colon + 1));
    if (!hour || !minute || *hour > 23 || *minute > 59)
        return std::nullopt;
    return When { std::nullopt, *hour, *minute };
}

} // namespace

std::optional<When> parseWhen(std::string_view text)
{
    if (text.find(' ') == std::string_view::npos)
        return parseTime(text);
    if (text.size() < 15 || text[4] != '-' || text[7] != '-' || text[10] != ' ')
        return std::nullopt;
    const auto year = digitsValue(text.substr(0, 4));
    const auto month = digitsValue(text.substr(5, 2));
    const auto day = digitsValue(text.substr(8, 2));
    auto when = parseTime(text.substr(11));
    if (!year || !month || !day || !when || !DateValue::fromParts(*year, *month, *day))
        return std::nullopt;
    when->date = DateParts { *year, *month, *day, 0, 0, 0 };
    return when;
}

std::string whenText(const When& when)
{
    std::string text;
    if (when.date) {
        appendIsoDate(text, when.date->year, when.date->month, when.date->day);
        text += ' ';
    }
    appendDigits(text, when.hour, 2);
    text += ':';
    appendDigits(text, when.minute, 2);
    return text;
}

std::string minuteText(DateValue value)
{
    const DateParts p = value.parts();
    return whenText({ DateParts { p.year, p.month, p.day, 0, 0, 0 }, p.hour, p.minute });
}

std::optional<DateValue> resolveWhen(const When& when, DateValue now)
{
    if (when.date)
        return DateValue::fromParts(
            when.date->year, when.date->month, when.date->day, when.hour, when.minute);
    // A clock far outside the calendar has no today to speak of.
    static constexpr DateValue lastSecond = *DateValue::fromParts(DateValue::lastYear, 12, 31, 23, 59, 59);
    if (!std::isfinite(now.serial()) || now < DateValue::noDate() || now > lastSecond)
        return std::nullopt;
    const DateParts today = now.parts();
    const auto sameDay = DateValue::fromParts(today.year, today.month, today.day, when.hour, when.minute);
    if (!sameDay || *sameDay >= now)
        return sameDay;
    return minutesAfterItsStart(*sameDay, 24 * 60);
}

} // namespace tickwell
