// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QTimer>

namespace tickwell {

class Clock;
class WakeSource;

// A timer with an enabled flag and a tick event. Once enabled it first waits
// for the wall clock's next whole tenth of a second, so that with an interval
// of 100 ms every tick falls within a millisecond or two of a tenth, and the
// tick that finds an alarm lands right at its minute.
//
// Asleep, it ticks only as each minute of the wall clock begins, and at once
// when the wall clock is set, the machine resumes or the time zone changes:
// for a hidden window, whose ticks only matter when an alarm's minute comes,
// and which would otherwise wake the program ten times a second for nothing.
class Timer : public QObject {
    Q_OBJECT

public:
    Timer(QObject* parent, const char* name, int intervalMs, const Clock& clock, WakeSource& wakes);
    ~Timer() override;

    bool enabled() const noexcept { return m_enabled; }
    void setEnabled(bool enabled);
    int interval() const noexcept { return m_interval; }

    bool asleep() const noexcept { return m_asleep; }
    void setAsleep(bool asleep);
    // One tick soon, from the event loop: what the ticks look at has changed.
    void tickSoon();
    // Stops the ticks and the wakes for good, the enabled flag left as it
    // is: the window is being unloaded.
    void stop();

Q_SIGNALS:
    void timer();
    void enabledChanged(bool enabled);

private:
    void startInPhase();
    // A tick of the 100 ms rhythm, or the first after it starts.
    void tick();
    // A tick at a wake, or one asked for.
    void tickOutOfTurn();
    void sleepUntilNextMinute();
    void stopWaking();

    const Clock& m_clock;
    WakeSource& m_wakes;
    int m_interval;
    bool m_enabled = false;
    bool m_asleep = false;
    bool m_waking = false; // a wake asked of m_wakes is ours
    bool m_stopped = false; // for good
    QTimer m_phase;
    QTimer m_ticks;
    QTimer m_soon;
};

} // namespace tickwell
