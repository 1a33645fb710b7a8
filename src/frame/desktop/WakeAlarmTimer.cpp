// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/desktop/MachineWake.h"

#include "frame/desktop/TimerMoment.h"

#include <QDebug>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <sys/timerfd.h>
#include <unistd.h>

namespace tickwell {

WakeAlarmTimer::~WakeAlarmTimer()
{
    // Closed, the timer is gone: a clock that has ended wakes no machine.
    if (m_timer >= 0)
        ::close(m_timer);
}

void WakeAlarmTimer::wakeMachineAt(Instant moment)
{
    // Made when first wanted: a clock with no alarm has none, and says nothing.
    if (!std::exchange(m_triedToMake, true)) {
        m_timer = ::timerfd_create(CLOCK_REALTIME_ALARM, TFD_NONBLOCK | TFD_CLOEXEC);
        if (m_timer < 0)
            reportOnce(errno);
    }
    if (m_timer < 0)
        return;
    const itimerspec when = timerMoment(moment);
    // Never read: setting it again starts its count afresh, and the machine's
    // resume wakes the program through the wall clock's own timer.
    if (::timerfd_settime(m_timer, TFD_TIMER_ABSTIME, &when, nullptr) != 0)
        reportOnce(errno);
}

void WakeAlarmTimer::cancel()
{
    if (m_timer < 0)
        return;
    const itimerspec disarmed {};
    ::timerfd_settime(m_timer, 0, &disarmed, nullptr);
}

void WakeAlarmTimer::reportOnce(int error)
{
    if (std::exchange(m_reported, true))
        return;
    if (error == EPERM)
        qWarning("tickwell: a sleeping computer will not be woken for its alarms: the clock may not set the "
                 "computer's wake-up timer (it lacks the capability CAP_WAKE_ALARM)");
    else
        qWarning("tickwell: a sleeping computer will not be woken for its alarms: it offers the clock no "
                 "wake-up timer (%s)",
            std::strerror(error));
}

} // namespace tickwell
