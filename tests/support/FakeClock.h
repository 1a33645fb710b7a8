// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frame/dates/Clock.h"

#include <cassert>
#include <chrono>
#include <ctime>

namespace tickwell::test {

// A clock that stands still until the test sets or moves it.
class FakeClock final : public Clock {
public:
    FakeClock() = default;
    explicit FakeClock(DateValue now)
        : m_now(now)
    {
    }

    DateValue now() const override { return m_now; }
    int millisecondsToNextTenth() const override { return 100; }
    std::chrono::system_clock::time_point nextMinuteStart() const override
    {
        const DateParts p = m_now.parts();
        return momentOf(p.year, p.month, p.day, p.hour, p.minute) + std::chrono::minutes(1);
    }

    // The fake's wall clock runs on UTC: the moment its local time names.
    static std::chrono::system_clock::time_point momentOf(
        int year, int month, int day, int hour, int minute, int second = 0)
    {
        using namespace std::chrono;
        return sys_days { std::chrono::year { year } / month / day } + hours { hour } + minutes { minute }
        + seconds { second };
    }

    void set(DateValue now) { m_now = now; }
    void set(int year, int month, int day, int hour, int minute, int second = 0)
    {
        const auto value = DateValue::fromParts(year, month, day, hour, minute, second);
        assert(value);
        m_now = *value;
    }
    // The local time at `seconds` since the epoch, in the process's time
    // zone: for what the zone's rules do to the wall clock.
    void setSystemTime(std::time_t seconds)
    {
        std::tm local {};
        localtime_r(&seconds, &local);
        set(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    }
    // Moves the clock by whole seconds, across midnight if need be.
    void advance(int seconds)
    {
        using namespace std::chrono;
        const DateParts p = m_now.parts();
        const sys_seconds moved = sys_days { year { p.year } / p.month / p.day } + hours { p.hour }
            + minutes { p.minute } + std::chrono::seconds { p.second + seconds };
        const auto day = floor<days>(moved);
        const year_month_day date { day };
        const hh_mm_ss time { moved - day };
        set(int(date.year()), int(unsigned(date.month())), int(unsigned(date.day())),
            int(time.hours().count()), int(time.minutes().count()), int(time.seconds().count()));
    }

private:
    DateValue m_now = *DateValue::fromParts(2024, 1, 5, 9, 30);
};

} // namespace tickwell::test
