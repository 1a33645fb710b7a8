#pragma once

#include <QObject>
#include <QTimer>

namespace tickwell {

class Clock;

// A timer with an enabled flag and a tick event. Once enabled it first waits
// for the wall clock's next whole tenth of a second, so that with an interval
// of 100 ms every tick falls within a millisecond or two of a tenth, and the
// tick that finds an alarm lands right at its minute.
class Timer : public QObject {
    Q_OBJECT

public:
    Timer(QObject* parent, const char* name, int intervalMs, const Clock& clock);

    bool enabled() const noexcept { return m_enabled; }
    void setEnabled(bool enabled);
    int interval() const noexcept { return m_interval; }

Q_SIGNALS:
    void timer();
    void enabledChanged(bool enabled);

private:
    void startInPhase();
    void tick();

    const Clock& m_clock;
    int m_interval;
    bool m_enabled = false;
    QTimer m_phase;
    QTimer m_ticks;
};

} // namespace tickwell
