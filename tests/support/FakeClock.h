// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frame/dates/Clock.h"

#include <cassert>
#include <chrono>
#include <ctime>

namespace tickwell::test {

// A clock that stands still until the test sets or moves it. Its wall clock
// runs on UTC: the local time is the instant's own date and time.
class FakeClock final : public Clock {
public:
    FakeClock() = default;
    explicit FakeClock(DateValue now) { set(now); }

    Instant instant() const override { return m_instant; }
    DateValue localTime(Instant at) const override
    {
        using namespace std::chrono;
        const auto second = floor<seconds>(at);
        const auto day = floor<days>(second);
        const year_month_day date { day };
        const hh_mm_ss time { second - day };
        return DateValue::fromParts(int(date.year()), int(unsigned(date.month())), int(unsigned(date.day())),
            int(time.hours().count()), int(time.minutes().count()), int(time.seconds().count()))
            .value_or(DateValue {});
    }

    // The moment the fake's local time names.
    static Instant momentOf(int year, int month, int day, int hour, int minute, int second = 0)
    {
        using namespace std::chrono;
        return sys_days { std::chrono::year { year } / month / day } + hours { hour } + minutes { minute }
        + seconds { second };
    }

    void set(Instant at) { m_instant = at; }
    void set(DateValue now)
    {
        const DateParts p = now.parts();
        set(p.year, p.month, p.day, p.hour, p.minute, p.second);
    }
    void set(int year, int month, int day, int hour, int minute, int second = 0)
    {
        assert(DateValue::fromParts(year, month, day, hour, minute, second));
        m_instant = momentOf(year, month, day, hour, minute, second);
    }
    // The local time at `seconds` since the epoch, in the process's time
    // zone: for what the zone's rules do to the wall clock.
    void setSystemTime(std::time_t seconds)
    {
        std::tm local {};
        localtime_r(&seconds, &local);
        set(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    }
    // Moves the clock on (or back), across midnight if need be.
    void advance(int seconds) { m_instant += std::chrono::seconds(seconds); }
    void advance(std::chrono::milliseconds by) { m_instant += by; }

private:
    Instant m_instant = momentOf(2024, 1, 5, 9, 30);
};

} // namespace tickwell::test
