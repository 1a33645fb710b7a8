// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frame/dates/DateValue.h"
#include "frame/dates/TimeZoneFile.h"
#include "frame/dates/ZoneFileWatch.h"

#include <chrono>

namespace tickwell {

// The wall clock, as the windows are given it, so that tests can set and
// move time. Every answer is made of one reading of it, to the nanosecond:
// a wake at the start of a minute and the tick it brings must agree that
// the minute has begun. (The C library's time() would not: it reads the
// kernel's coarse seconds, which turn over a timer interrupt after the
// moment a timer on the wall clock fires.)
class Clock {
public:
    using Instant = std::chrono::system_clock::time_point;

    virtual ~Clock() = default;
    // The wall clock now.
    virtual Instant instant() const = 0;
    // The local date and time at `at`, to the second.
    virtual DateValue localTime(Instant at) const = 0;

    // The present local date and time.
    DateValue now() const { return localTime(instant()); }
    // Milliseconds until the wall clock next shows a whole tenth of a
    // second (1 to 100), so that the alarm timer can tick in phase with it.
    int millisecondsToNextTenth() const;
    // The moment the next local minute begins: a timer that sleeps between
    // minutes wakes right as an alarm's minute does. Read a hair before a
    // minute begins, it is that minute; so a wake that comes early, or
    // finds the wall clock set back a little, waits out the rest of the
    // moment it was set for, and never a whole minute.
    Instant nextMinuteStart() const;
    // The first moment at which the local time reads `local` or later: the
    // moment itself; the earlier of the two an hour apart where the clocks
    // go back and it comes twice; and where they go forward past it, the
    // moment they jump.
    Instant firstMomentAt(DateValue local) const;
};

class SystemClock final : public Clock {
public:
    SystemClock();
    Instant instant() const override;
    DateValue localTime(Instant at) const override;

    // Readable when the time-zone file may have changed; -1 without one.
    int zoneWatchDescriptor() const noexcept { return m_zoneWatch.descriptor(); }
    // Reads the zone anew if its file has changed, for the time read next.
    // True when it had.
    bool followZoneChanges();

private:
    // The tick reads the clock once for every alarm; the conversion to
    // local time is made once a second.
    mutable long long m_convertedSecond = -1;
    mutable DateValue m_converted;
    // The zone may change while the clock runs. Once a second the watch is
    // asked, without a look at the file unless it saw something; where
    // there is no watch, the file itself is looked at.
    mutable TimeZoneFile m_zone;
    mutable ZoneFileWatch m_zoneWatch;
};

} // namespace tickwell
