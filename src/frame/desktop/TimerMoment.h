// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <ctime>
#include <sys/timerfd.h>

namespace tickwell {

// A moment of the wall clock as a timer on it is set for it, absolute
// (TFD_TIMER_ABSTIME).
inline itimerspec timerMoment(std::chrono::system_clock::time_point moment)
{
    using namespace std::chrono;
    const auto sinceEpoch = moment.time_since_epoch();
    const auto whole = floor<seconds>(sinceEpoch);
    itimerspec when {};
    when.it_value.tv_sec = std::time_t(whole.count());
    when.it_value.tv_nsec = long(duration_cast<nanoseconds>(sinceEpoch - whole).count());
    // A moment of 0 would disarm the timer rather than set it.
    if (when.it_value.tv_sec <= 0)
        when.it_value = { 0, 1 };
    return when;
}

} // namespace tickwell
