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

namespace {

// A date value's parts as seconds since the epoch, as if it were UTC: the
// local time and the wall clock compared in one measure.
std::chrono::sys_seconds asSeconds(DateValue value)
{
    using namespace std::chrono;
    const DateParts p = value.parts();
    return sys_days { year { p.year } / p.month / p.day } + hours { p.hour } + minutes { p.minute }
    + seconds { p.second };
}

} // namespace

Clock::Instant Clock::firstMomentAt(DateValue local) const
{
    using namespace std::chrono;
    const sys_seconds wanted = asSeconds(local);
    // How far the local time is ahead of the wall clock at `at`.
    const auto offset = [this](sys_seconds at) { return asSeconds(localTime(at)) - at; };
    // Before it, in any zone: no zone is more than fourteen hours ahead of UTC.
    sys_seconds from = wanted - hours(15);
    // Each step takes the offset at `from` as it stands; where the zone
    // changes its offset on the way, on from that change. Offsets change
    // months apart: a few steps do.
    for (int step = 0; step < 4; ++step) {
        const seconds ahead = offset(from);
        const sys_seconds moment = wanted - ahead;
        if (offset(moment) == ahead)
            return moment;
        // The change between: the first second of the new offset.
        sys_seconds before = from, after = moment;
        while (after - before > seconds(1)) {
            const sys_seconds middle = before + (after - before) / 2;
            (offset(middle) == ahead ? before : after) = middle;
        }
        // Forward past the local time wanted (the hour that does not exist),
        // or back before it (the hour that comes twice), then on from there.
        if (asSeconds(localTime(after)) >= wanted)
            return after;
        from = after;
    }
    return wanted - offset(wanted);
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
