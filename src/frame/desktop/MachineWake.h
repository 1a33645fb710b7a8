// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>

namespace tickwell {

// The machine's wake from a sleep (suspended to memory or to disk) for the
// next alarm: set when the next alarm changes, not at every tick. The
// editor is given one, so that tests can record the moments asked for.
class MachineWake {
public:
    using Instant = std::chrono::system_clock::time_point;

    virtual ~MachineWake() = default;
    // A machine asleep at `moment` wakes then; in place of any moment asked
    // for before.
    virtual void wakeMachineAt(Instant moment) = 0;
    // No wake of the machine for an alarm.
    virtual void cancel() = 0;
};

// The kernel's wake-up timer: a timer on the wall clock that brings the
// machine out of a sleep when it expires (timerfd, CLOCK_REALTIME_ALARM).
// Only a process with the capability CAP_WAKE_ALARM may have one (newer
// systemd gives it to the programs of a local session); elsewhere there is
// none, and the clock says once, when it first wants one, why a sleeping
// machine will not be woken. The timer does not wake the program itself:
// the machine's resume does (WakeSource).
class WakeAlarmTimer final : public MachineWake {
public:
    WakeAlarmTimer() = default;
    ~WakeAlarmTimer() override;
    WakeAlarmTimer(const WakeAlarmTimer&) = delete;
    WakeAlarmTimer& operator=(const WakeAlarmTimer&) = delete;

    void wakeMachineAt(Instant moment) override;
    void cancel() override;

private:
    void reportOnce(int error);

    int m_timer = -1;
    bool m_triedToMake = false;
    bool m_reported = false;
};

} // namespace tickwell
