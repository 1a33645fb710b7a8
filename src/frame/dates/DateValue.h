// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <compare>
#include <optional>

namespace tickwell {

// The parts of a date value, in local time.
struct DateParts {
    int year = 0;
    int month = 0; // 1-12
    int day = 0; // 1-31
    int hour = 0; // 0-23
    int minute = 0; // 0-59
    int second = 0; // 0-59

    friend constexpr bool operator==(const DateParts&, const DateParts&) = default;
};

// A local date and time to the second: days since 30 December 1899, the time
// of day as the fraction. Values compare like numbers. Every value that stands
// for a year, month, day, hour, minute and second is made by fromParts(), so
// one minute is always one and the same number, whatever text it came from.
class DateValue {
public:
    static constexpr int firstYear = 100;
    static constexpr int lastYear = 9999;

    constexpr DateValue() noexcept = default;

    static constexpr DateValue fromSerial(double serial) noexcept
    {
        DateValue value;
        value.m_serial = serial;
        return value;
    }

    // Fails for parts that name no moment between 1 January 100 and 31 December 9999.
    static constexpr std::optional<DateValue> fromParts(
        int year, int month, int day, int hour = 0, int minute = 0, int second = 0) noexcept
    {
        using namespace std::chrono;
        if (year < firstYear || year > lastYear || month < 1 || month > 12 || day < 1 || hour < 0 || hour > 23
            || minute < 0 || minute > 59 || second < 0 || second > 59)
            return std::nullopt;
        const year_month_day date { std::chrono::year { year }, std::chrono::month { unsigned(month) },
            std::chrono::day { unsigned(day) } };
        if (!date.ok())
            return std::nullopt;
        const auto days = (sys_days { date } - sys_days { epoch }).count();
        return fromSerial(days + (hour * 3600 + minute * 60 + second) / 86400.0);
    }

    // 1 January 100 at midnight: the editor's mark for "no date", below every real date.
    static constexpr DateValue noDate() noexcept { return *fromParts(firstYear, 1, 1); }

    constexpr double serial() const noexcept { return m_serial; }

    DateParts parts() const noexcept;
    // 1 = Sunday ... 7 = Saturday.
    int weekday() const noexcept;

    friend constexpr auto operator<=>(DateValue, DateValue) noexcept = default;

private:
    static constexpr std::chrono::year_month_day epoch { std::chrono::year { 1899 }, std::chrono::December,
        std::chrono::day { 30 } };

    std::chrono::sys_days calendarDay(long long& secondsOfDay) const noexcept;

    double m_serial = 0.0;
};

// Leap years of the calendar: every fourth, but of the hundreds only every
// fourth. Remainders truncate toward zero, so negative years follow suit.
constexpr bool isLeapYear(int year) noexcept
{
    return year % 100 == 0 ? year % 400 == 0 : year % 4 == 0;
}

static_assert(isLeapYear(1996) && isLeapYear(2000) && isLeapYear(0) && isLeapYear(-4));
static_assert(!isLeapYear(1900) && !isLeapYear(1999) && !isLeapYear(2100) && !isLeapYear(-100));

// True when both values fall in one and the same minute: year, month, day,
// hour and minute all equal, whatever the seconds.
bool sameMinute(DateValue a, DateValue b) noexcept;

// The start of the minute of `value`, `minutes` later on the calendar (local
// time has no gaps here: the next day's 07:30 is 1440 minutes on); none past
// the last date a value can hold.
std::optional<DateValue> minutesAfterItsStart(DateValue value, int minutes) noexcept;

static_assert(DateValue::noDate().serial() == -657434.0);
static_assert(DateValue::noDate() < *DateValue::fromParts(1899, 12, 30));

} // namespace tickwell
