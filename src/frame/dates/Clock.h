// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frame/dates/DateValue.h"
#include "frame/dates/TimeZoneFile.h"
#include "frame/dates/ZoneFileWatch.h"

#include <chrono>

namespace tickwell {

// The present local date and time. The windows are given one, so that tests
// can set and move time.
class Clock {
public:
    virtual ~Clock() = default;
    virtual DateValue now() const = 0;
    // Milliseconds until the wall clock next shows a whole tenth of a second,
    // so that the alarm timer can tick in phase with it.
    virtual int millisecondsToNextTenth() const = 0;
    // The moment the next local minute begins, on the wall clock: a timer
    // that sleeps between minutes wakes right as an alarm's minute does.
    virtual std::chrono::system_clock::time_point nextMinuteStart() const = 0;
};

class SystemClock final : public Clock {
public:
    SystemClock();
    DateValue now() const override;
    int millisecondsToNextTenth() const override;
    std::chrono::system_clock::time_point nextMinuteStart() const override;

    // Readable when the time-zone file may have changed; -1 without one.
    int zoneWatchDescriptor() const noexcept { return m_zoneWatch.descriptor(); }
    // Reads the zone anew if its file has changed, for the time read next.
    // True when it had.
    bool followZoneChanges();

private:
    // The tick reads the clock once for every alarm; the conversion to
    // local time is made once a second, the second itself read every time.
    mutable long long m_convertedSecond = -1;
    mutable DateValue m_converted;
    // The zone may change while the clock runs. Once a second the watch is
    // asked, without a look at the file unless it saw something; where
    // there is no watch, the file itself is looked at.
    mutable TimeZoneFile m_zone;
    mutable ZoneFileWatch m_zoneWatch;
};

} // namespace tickwell
