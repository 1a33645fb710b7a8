// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/dates/DateValue.h"

#include <cmath>

namespace tickwell {

std::chrono::sys_days DateValue::calendarDay(long long& secondsOfDay) const noexcept
{
    const double whole = std::floor(m_serial);
    long long days = static_cast<long long>(whole);
    secondsOfDay = std::llround((m_serial - whole) * 86400.0);
    if (secondsOfDay >= 86400) {
        secondsOfDay -= 86400;
        ++days;
    }
    return std::chrono::sys_days { epoch } + std::chrono::days { days };
}

DateParts DateValue::parts() const noexcept
{
    long long seconds = 0;
    const std::chrono::year_month_day date { calendarDay(seconds) };
    return { int(date.year()), int(unsigned(date.month())), int(unsigned(date.day())), int(seconds / 3600),
        int(seconds / 60 % 60), int(seconds % 60) };
}

int DateValue::weekday() const noexcept
{
    long long seconds = 0;
    return int(std::chrono::weekday { calendarDay(seconds) }.c_encoding()) + 1;
}

bool sameMinute(DateValue a, DateValue b) noexcept
{
    const DateParts x = a.parts();
    const DateParts y = b.parts();
    return x.year == y.year && x.month == y.month && x.day == y.day && x.hour == y.hour
        && x.minute == y.minute;
}

std::optional<DateValue> minutesAfterItsStart(DateValue value, int minutes) noexcept
{
    using namespace std::chrono;
    const DateParts p = value.parts();
    const sys_seconds moved = sys_days { year { p.year } / p.month / p.day } + hours { p.hour }
        + std::chrono::minutes { p.minute + minutes };
    const auto day = floor<days>(moved);
    const year_month_day date { day };
    const hh_mm_ss time { moved - day };
    return DateValue::fromParts(int(date.year()), int(unsigned(date.month())), int(unsigned(date.day())),
        int(time.hours().count()), int(time.minutes().count()));
}

} // namespace tickwell
