// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frame/desktop/WakeSource.h"

#include <QSocketNotifier>
#include <QTimer>

namespace tickwell {

class SystemClock;

// The wakes, from the kernel: a timer on the wall clock itself, which
// fires at its moment however the clock was set meanwhile and is cancelled
// by any setting of the clock or a resume (timerfd, CLOCK_REALTIME,
// absolute, cancel on set); and the clock's watch on the time-zone file.
// Between them the program is not woken at all.
class WallClockWakes final : public WakeSource {
    Q_OBJECT

public:
    explicit WallClockWakes(SystemClock& clock, QObject* parent = nullptr);
    ~WallClockWakes() override;

    void wakeAt(std::chrono::system_clock::time_point moment) override;
    void cancel() override;

private:
    void timerExpired();
    void zoneWatchRead();

    SystemClock& m_clock;
    int m_timer = -1;
    QSocketNotifier* m_timerNotifier = nullptr;
    QSocketNotifier* m_zoneNotifier = nullptr;
    // Without a timer descriptor (the process's limit reached): a timer on
    // the monotonic clock, which a setting of the wall clock does not move.
    QTimer m_fallback;
};

} // namespace tickwell
