#include "frame/controls/Timer.h"

#include "frame/dates/Clock.h"
#include "frame/dates/TickPhase.h"

namespace tickwell {

Timer::Timer(QObject* parent, const char* name, int intervalMs, const Clock& clock)
    : QObject(parent)
    , m_clock(clock)
    , m_interval(intervalMs)
    , m_phase(this)
    , m_ticks(this)
{
    setObjectName(QString::fromLatin1(name));
    m_phase.setSingleShot(true);
    m_phase.setTimerType(Qt::PreciseTimer);
    m_ticks.setTimerType(Qt::PreciseTimer);
    connect(&m_phase, &QTimer::timeout, this, [this] {
        m_ticks.start(m_interval);
        tick();
    });
    connect(&m_ticks, &QTimer::timeout, this, &Timer::tick);
}

void Timer::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    if (enabled) {
        startInPhase();
    } else {
        m_phase.stop();
        m_ticks.stop();
    }
    Q_EMIT enabledChanged(enabled);
}

void Timer::startInPhase()
{
    m_ticks.stop();
    m_phase.start(m_clock.millisecondsToNextTenth());
}

void Timer::tick()
{
    if (!m_enabled)
        return;
    // Out of phase when the wall clock has been set, has drifted from the
    // monotonic clock the timer runs on, or the program was busy at a tick.
    if (!isTickInPhase(m_clock.millisecondsToNextTenth()))
        startInPhase();
    Q_EMIT timer();
}

} // namespace tickwell
