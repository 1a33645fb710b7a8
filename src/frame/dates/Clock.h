#pragma once

#include "frame/dates/DateValue.h"
#include "frame/dates/TimeZoneFile.h"

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
};

class SystemClock final : public Clock {
public:
    DateValue now() const override;
    int millisecondsToNextTenth() const override;

private:
    // The tick reads the clock once for every alarm; the conversion to
    // local time is made once a second, the second itself read every time.
    mutable long long m_convertedSecond = -1;
    mutable DateValue m_converted;
    // Looked at once a second too: the zone may change while the clock runs.
    mutable TimeZoneFile m_zone;
};

} // namespace tickwell
