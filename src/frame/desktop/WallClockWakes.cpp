// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/desktop/WallClockWakes.h"

#include "frame/dates/Clock.h"
#include "frame/desktop/TimerMoment.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <ctime>
#include <sys/timerfd.h>
#include <unistd.h>

namespace tickwell {

WallClockWakes::WallClockWakes(SystemClock& clock, QObject* parent)
    : WakeSource(parent)
    , m_clock(clock)
    , m_timer(::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC))
    , m_fallback(this)
{
    if (m_timer >= 0) {
        m_timerNotifier = new QSocketNotifier(m_timer, QSocketNotifier::Read, this);
        connect(m_timerNotifier, &QSocketNotifier::activated, this, &WallClockWakes::timerExpired);
    }
    m_fallback.setSingleShot(true);
    m_fallback.setTimerType(Qt::PreciseTimer);
    connect(&m_fallback, &QTimer::timeout, this, &WakeSource::woken);
    if (m_clock.zoneWatchDescriptor() >= 0) {
        m_zoneNotifier = new QSocketNotifier(m_clock.zoneWatchDescriptor(), QSocketNotifier::Read, this);
        connect(m_zoneNotifier, &QSocketNotifier::activated, this, &WallClockWakes::zoneWatchRead);
    }
}

WallClockWakes::~WallClockWakes()
{
    delete m_timerNotifier; // before the descriptor it watches goes
    if (m_timer >= 0)
        ::close(m_timer);
}

void WallClockWakes::wakeAt(std::chrono::system_clock::time_point moment)
{
    using namespace std::chrono;
    if (m_timer < 0) {
        const auto left = ceil<milliseconds>(moment - system_clock::now());
        m_fallback.start(milliseconds(std::max<milliseconds::rep>(left.count(), 0)));
        return;
    }
    const itimerspec when = timerMoment(moment);
    ::timerfd_settime(m_timer, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &when, nullptr);
}

void WallClockWakes::cancel()
{
    m_fallback.stop();
    if (m_timer >= 0) {
        const itimerspec disarmed {};
        ::timerfd_settime(m_timer, 0, &disarmed, nullptr);
    }
}

void WallClockWakes::timerExpired()
{
    std::uint64_t expirations = 0;
    const ssize_t read = ::read(m_timer, &expirations, sizeof expirations);
    // ECANCELED: the wall clock was set, or the machine resumed from a
    // suspend. Either way what is due must be looked at again now.
    if (read == ssize_t(sizeof expirations) || (read < 0 && errno == ECANCELED))
        Q_EMIT woken();
}

void WallClockWakes::zoneWatchRead()
{
    if (m_clock.followZoneChanges())
        Q_EMIT woken();
}

} // namespace tickwell
