// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/dates/Clock.h"

#include <algorithm>
#include <chrono>
#include <ctime>

namespace tickwell {

int Clock::millisecondsToNextTenth() const
{
    using namespace std::chrono;
    // Whole milliseconds, cut down: a moment a hair before a tenth waits for it.
    const auto sinceEpoch = duration_cast<milliseconds>(instant().time_since_epoch()).count();
    return int(100 - (sinceEpoch % 100 + 100) % 100);
}

Clock::Instant Clock::nextMinuteStart() const
{
    using namespace std::chrono;
    const Instant at = instant();
    const auto second = floor<seconds>(at);
    // The local minute: a zone's offset from UTC need not be whole minutes.
    const int intoMinute = localTime(at).parts().second;
    return second - seconds(intoMinute) + minutes(1);
}

SystemClock::SystemClock()
{
    // The zone file as the C library has read it: what a change is told from.
    m_zone.followChanges();
}

Clock::Instant SystemClock::instant() const
{
    // clock_gettime(CLOCK_REALTIME), the clock the wakes' timer runs on.
    return std::chrono::system_clock::now();
}

DateValue SystemClock::localTime(Instant at) const
{
    const std::time_t seconds
        = std::chrono::system_clock::to_time_t(std::chrono::floor<std::chrono::seconds>(at));
    if (seconds == m_convertedSecond)
        return m_converted;
    if (!m_zoneWatch.active() || m_zoneWatch.takeChanges())
        m_zone.followChanges();
    std::tm local {};
    if (!localtime_r(&seconds, &local))
        return {};
    m_converted = DateValue::fromParts(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
        local.tm_min, local.tm_sec < 60 ? local.tm_sec : 59) // a leap second counts as the minute's last
                      .value_or(DateValue {});
    m_convertedSecond = seconds;
    return m_converted;
}

bool SystemClock::followZoneChanges()
{
    if (!m_zoneWatch.takeChanges() || !m_zone.followChanges())
        return false;
    m_convertedSecond = -1;
    return true;
}

} // namespace tickwell
