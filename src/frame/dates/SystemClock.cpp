#include "frame/dates/Clock.h"

#include <chrono>
#include <ctime>

namespace tickwell {

DateValue SystemClock::now() const
{
    const std::time_t seconds = std::time(nullptr);
    if (seconds == m_convertedSecond)
        return m_converted;
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

int SystemClock::millisecondsToNextTenth() const
{
    using namespace std::chrono;
    const auto sinceEpoch = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    return int(100 - sinceEpoch % 100);
}

} // namespace tickwell
