// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/dates/Clock.h"

#include <algorithm>
#include <chrono>
#include <ctime>

namespace tickwell {

SystemClock::SystemClock()
{
    // The zone file as the C library has read it: what a change is told from.
    m_zone.followChanges();
}

DateValue SystemClock::now() const
{
    const std::time_t seconds = std::time(nullptr);
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

int SystemClock::millisecondsToNextTenth() const
{
    using namespace std::chrono;
    const auto sinceEpoch = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    return int(100 - sinceEpoch % 100);
}

std::chrono::system_clock::time_point SystemClock::nextMinuteStart() const
{
    using namespace std::chrono;
    const std::time_t seconds = system_clock::to_time_t(floor<std::chrono::seconds>(system_clock::now()));
    std::tm local {};
    // The local minute: a zone's offset from UTC need not be whole minutes.
    const int intoMinute = localtime_r(&seconds, &local) ? std::min(local.tm_sec, 59) : 0;
    return system_clock::from_time_t(seconds - intoMinute + 60);
}

} // namespace tickwell
