// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/dates/DateText.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace tickwell {

namespace {

constexpr std::array<std::string_view, 12> monthNames { "January", "February", "March", "April", "May",
    "June", "July", "August", "September", "October", "November", "December" };
constexpr std::array<std::string_view, 7> weekdayNames { "Sunday", "Monday", "Tuesday", "Wednesday",
    "Thursday", "Friday", "Saturday" };

void appendNumber(std::string& out, long long number, int minDigits)
{
    std::array<char, 24> digits {};
    auto [end, error]
        = std::to_chars(digits.data(), digits.data() + digits.size(), number < 0 ? -number : number);
    (void)error;
    if (number < 0)
        out += '-';
    for (auto count = end - digits.data(); count < minDigits; ++count)
        out += '0';
    out.append(digits.data(), end);
}

// Reads one of the program's date texts from left to right, in bytes or, as
// the windows hold them, in UTF-16 units. The texts it looks for are ASCII.
template <typename Char> class DateReader {
public:
    explicit DateReader(std::basic_string_view<Char> text)
        : m_text(text)
    {
    }

    bool atEnd() const { return m_pos == m_text.size(); }
    bool startsWithDigit() const { return !atEnd() && isDigit(m_text[m_pos]); }

    bool literal(std::string_view expected)
    {
        // Compared here rather than by a library call: the literals are a
        // few characters long, and a wrong month name fails at its first.
        if (m_text.size() - m_pos < expected.size())
            return false;
        for (std::size_t i = 0; i < expected.size(); ++i) {
            if (m_text[m_pos + i] != Char(expected[i]))
                return false;
        }
        m_pos += expected.size();
        return true;
    }

    std::optional<int> number(std::size_t maxDigits)
    {
        int value = 0;
        std::size_t count = 0;
        while (count < maxDigits && !atEnd() && isDigit(m_text[m_pos])) {
            value = value * 10 + (m_text[m_pos++] - '0');
            ++count;
        }
        if (count == 0)
            return std::nullopt;
        return value;
    }

    std::optional<int> month()
    {
        if (atEnd())
            return std::nullopt;
        const Char first = m_text[m_pos];
        for (std::size_t i = 0; i < monthNames.size(); ++i) {
            if (Char(monthNames[i].front()) == first && literal(monthNames[i]))
                return int(i) + 1;
        }
        return std::nullopt;
    }

    // "AM" or "PM"; gives the hour on the 24-hour clock for a 12-hour hour of 1 to 12.
    std::optional<int> halfOfDay(int hour12)
    {
        const bool am = literal("AM");
        if (!am && !literal("PM"))
            return std::nullopt;
        if (hour12 < 1 || hour12 > 12)
            return std::nullopt;
        if (hour12 == 12)
            return am ? 0 : 12;
        return am ? hour12 : hour12 + 12;
    }

    // A word of ASCII letters, such as a weekday's name; true if there was one.
    bool word()
    {
        const std::size_t start = m_pos;
        while (!atEnd() && isLetter(m_text[m_pos]))
            ++m_pos;
        return m_pos > start;
    }

private:
    static bool isDigit(Char c) { return c >= '0' && c <= '9'; }
    static bool isLetter(Char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

    std::basic_string_view<Char> m_text;
    std::size_t m_pos = 0;
};

struct TimeOfDay {
    int hour = 0; // 0-23
    int minute = 0;
};

// "9:05", then `beforeHalf`, then "AM" or "PM". Kept inline: every alarm
// entry passes through here on every tick.
template <typename Char>
[[gnu::always_inline]] inline std::optional<TimeOfDay> readTimeOfDay(
    DateReader<Char>& reader, std::string_view beforeHalf)
{
    const auto hour = reader.number(2);
    if (!hour || !reader.literal(":"))
        return std::nullopt;
    const auto minute = reader.number(2);
    if (!minute || !reader.literal(beforeHalf))
        return std::nullopt;
    const auto hour24 = reader.halfOfDay(*hour);
    if (!hour24)
        return std::nullopt;
    return TimeOfDay { *hour24, *minute };
}

struct CalendarDate {
    int month = 0;
    int day = 0;
    int year = 0;
};

// "March 8, 2002"
template <typename Char> std::optional<CalendarDate> readCalendarDate(DateReader<Char>& reader)
{
    const auto month = reader.month();
    if (!month || !reader.literal(" "))
        return std::nullopt;
    const auto day = reader.number(2);
    if (!day || !reader.literal(", "))
        return std::nullopt;
    const auto year = reader.number(4);
    if (!year)
        return std::nullopt;
    return CalendarDate { *month, *day, *year };
}

bool isSkippedInNumber(char c)
{
    return c == ' ' || c == '\t' || c == '\n';
}

// "9:05 PM  Friday, March 8, 2002", read in one pass.
template <typename Char> std::optional<DateValue> readEntryPattern(std::basic_string_view<Char> text) noexcept
{
    DateReader<Char> reader { text };
    if (!reader.startsWithDigit())
        return std::nullopt;
    const auto time = readTimeOfDay(reader, " ");
    if (!time || !reader.literal("  ") || !reader.word() || !reader.literal(", "))
        return std::nullopt;
    const auto date = readCalendarDate(reader);
    if (!date || !reader.atEnd())
        return std::nullopt;
    return DateValue::fromParts(date->year, date->month, date->day, time->hour, time->minute);
}

template <typename Int> std::optional<Int> roundHalfToEven(double number) noexcept
{
    if (!std::isfinite(number))
        return std::nullopt;
    double rounded = std::floor(number);
    const double fraction = number - rounded;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(rounded, 2.0) != 0.0))
        rounded += 1.0;
    if (rounded < double(std::numeric_limits<Int>::min())
        || rounded > double(std::numeric_limits<Int>::max()))
        return std::nullopt;
    return static_cast<Int>(rounded);
}
} // namespace

std::string_view trimBlanks(std::string_view text) noexcept
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

std::string_view monthName(int month) noexcept
{
    return month >= 1 && month <= 12 ? monthNames[std::size_t(month - 1)] : std::string_view {};
}

std::string_view weekdayName(int weekday) noexcept
{
    return weekday >= 1 && weekday <= 7 ? weekdayNames[std::size_t(weekday - 1)] : std::string_view {};
}

std::string formatEntryPattern(DateValue value)
{
    const DateParts parts = value.parts();
    std::string text;
    text.reserve(40);
    appendNumber(text, parts.hour % 12 == 0 ? 12 : parts.hour % 12, 1);
    text += ':';
    appendNumber(text, parts.minute, 2);
    text += parts.hour < 12 ? " AM  " : " PM  ";
    text += weekdayName(value.weekday());
    text += ", ";
    text += monthName(parts.month);
    text += ' ';
    appendNumber(text, parts.day, 1);
    text += ", ";
    appendNumber(text, parts.year, 4);
    return text;
}

std::string formatTwoDigits(double number)
{
    std::string text;
    const auto rounded = roundHalfToEven<std::int32_t>(number);
    appendNumber(text, rounded.value_or(0), 2);
    return text;
}

std::optional<DateValue> dateFromText(std::string_view text) noexcept
{
    DateReader<char> reader { trimBlanks(text) };
    if (reader.startsWithDigit()) {
        // "9:05 PM  March 8, 2002"
        const auto time = readTimeOfDay(reader, " ");
        if (!time || !reader.literal("  "))
            return std::nullopt;
        const auto date = readCalendarDate(reader);
        if (!date || !reader.atEnd())
            return std::nullopt;
        return DateValue::fromParts(date->year, date->month, date->day, time->hour, time->minute);
    }

    const auto date = readCalendarDate(reader);
    if (!date)
        return std::nullopt;
    if (reader.atEnd()) // "March 01, 1998"
        return DateValue::fromParts(date->year, date->month, date->day);

    // "March 8, 2002 9:05:00PM"
    if (!reader.literal(" "))
        return std::nullopt;
    const auto time = readTimeOfDay(reader, ":00");
    if (!time || !reader.atEnd())
        return std::nullopt;
    return DateValue::fromParts(date->year, date->month, date->day, time->hour, time->minute);
}

std::optional<DateValue> dateFromEntryPattern(std::string_view text) noexcept
{
    return readEntryPattern(text);
}

std::optional<DateValue> dateFromEntryPattern(std::u16string_view text) noexcept
{
    return readEntryPattern(text);
}

double numberValue(std::string_view text) noexcept
{
    // Gather the characters that can form a number, dropping the skipped ones,
    // then let from_chars read the longest number at the front.
    std::array<char, 64> buffer {};
    std::size_t length = 0;
    bool seenDigit = false, seenPoint = false, seenExponent = false, exponentSign = false;
    for (const char c : text) {
        if (isSkippedInNumber(c))
            continue;
        if (length == buffer.size())
            break;
        const bool digit = c >= '0' && c <= '9';
        if (digit) {
            seenDigit = true;
            exponentSign = false;
        } else if ((c == '-' || c == '+') && (length == 0 || exponentSign)) {
            exponentSign = false;
        } else if (c == '.' && !seenPoint && !seenExponent) {
            seenPoint = true;
        } else if ((c == 'e' || c == 'E' || c == 'd' || c == 'D') && seenDigit && !seenExponent) {
            seenExponent = true;
            exponentSign = true;
            buffer[length++] = 'e';
            continue;
        } else {
            break;
        }
        buffer[length++] = c;
    }
    if (!seenDigit)
        return 0.0;

    const char* begin = buffer.data();
    const char* end = buffer.data() + length;
    const bool negative = *begin == '-';
    if (*begin == '-' || *begin == '+')
        ++begin;
    double value = 0.0;
    const auto [stop, error] = std::from_chars(begin, end, value, std::chars_format::general);
    (void)stop;
    if (error == std::errc::result_out_of_range)
        value = std::numeric_limits<double>::infinity();
    else if (error != std::errc {})
        return 0.0;
    return negative ? -value : value;
}

std::optional<std::int16_t> roundToInt16(double number) noexcept
{
    return roundHalfToEven<std::int16_t>(number);
}

std::optional<std::int32_t> roundToInt32(double number) noexcept
{
    return roundHalfToEven<std::int32_t>(number);
}

void appendDigits(std::string& out, int number, int digits)
{
    char text[8] {};
    for (int i = digits - 1; i >= 0; --i) {
        text[i] = char('0' + number % 10);
        number /= 10;
    }
    out.append(text, std::size_t(digits));
}

void appendIsoDate(std::string& out, int year, int month, int day)
{
    appendDigits(out, year, 4);
    out += '-';
    appendDigits(out, month, 2);
    out += '-';
    appendDigits(out, day, 2);
}

} // namespace tickwell
