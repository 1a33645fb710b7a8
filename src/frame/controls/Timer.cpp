// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/controls/Timer.h"

#include "frame/dates/Clock.h"
#include "frame/dates/TickPhase.h"
#include "frame/desktop/WakeSource.h"

namespace tickwell {

Timer::Timer(QObject* parent, const char* name, int intervalMs, const Clock& clock, WakeSource& wakes)
    : QObject(parent)
    , m_clock(clock)
    , m_wakes(wakes)
    , m_interval(intervalMs)
    , m_phase(this)
    , m_ticks(this)
    , m_soon(this)
{
    setObjectName(QString::fromLatin1(name));
    m_phase.setSingleShot(true);
    m_phase.setTimerType(Qt::PreciseTimer);
    m_ticks.setTimerType(Qt::PreciseTimer);
    m_soon.setSingleShot(true);
    connect(&m_phase, &QTimer::timeout, this, [this] {
        if (!m_asleep)
            m_ticks.start(m_interval);
        tick();
    });
    connect(&m_ticks, &QTimer::timeout, this, &Timer::tick);
    connect(&m_soon, &QTimer::timeout, this, &Timer::tickOutOfTurn);
    connect(&m_wakes, &WakeSource::woken, this, &Timer::tickOutOfTurn);
}

Timer::~Timer()
{
    stopWaking();
}

void Timer::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    if (enabled) {
        // Asleep too, the first tick comes at once: what fell due while the
        // timer was off is looked at now, not when the next minute begins.
        startInPhase();
    } else {
        m_phase.stop();
        m_ticks.stop();
        m_soon.stop();
        stopWaking();
    }
    Q_EMIT enabledChanged(enabled);
}

void Timer::setAsleep(bool asleep)
{
    if (asleep == m_asleep)
        return;
    m_asleep = asleep;
    if (!m_enabled)
        return;
    if (asleep) {
        m_phase.stop();
        m_ticks.stop();
        sleepUntilNextMinute();
    } else {
        stopWaking();
        startInPhase();
    }
}

void Timer::tickSoon()
{
    if (m_enabled && !m_stopped)
        m_soon.start(0);
}

void Timer::stop()
{
    m_stopped = true;
    m_phase.stop();
    m_ticks.stop();
    m_soon.stop();
    stopWaking();
}

void Timer::startInPhase()
{
    m_ticks.stop();
    if (m_stopped)
        return;
    m_phase.start(m_clock.millisecondsToNextTenth());
}

void Timer::tick()
{
    if (!m_enabled || m_stopped)
        return;
    // Out of phase when the wall clock has been set, has drifted from the
    // monotonic clock the timer runs on, or the program was busy at a tick.
    if (!m_asleep && !isTickInPhase(m_clock.millisecondsToNextTenth()))
        startInPhase();
    tickOutOfTurn();
}

void Timer::tickOutOfTurn()
{
    if (!m_enabled || m_stopped)
        return;
    // Asked for before the tick, which may wait in a reminder box for
    // minutes: the wakes go on meanwhile, as the ticks would.
    if (m_asleep)
        sleepUntilNextMinute();
    Q_EMIT timer();
}

void Timer::sleepUntilNextMinute()
{
    if (m_stopped)
        return;
    // Read after the wake, the clock is past the moment woken for: the next
    // minute. A wake that came a hair early asks for the same moment
    // again, which comes at once.
    m_wakes.wakeAt(m_clock.nextMinuteStart());
    m_waking = true;
}

void Timer::stopWaking()
{
    if (!m_waking)
        return;
    m_waking = false;
    m_wakes.cancel();
}

} // namespace tickwell
