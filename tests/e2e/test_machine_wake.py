# SPDX-License-Identifier: GPL-3.0-or-later
"""A sleeping machine wakes for the next alarm: the clock holds one wake-up
timer of the kernel's (a timerfd on CLOCK_REALTIME_ALARM, clock id 8, as
/proc/PID/fdinfo shows it), set for the moment the earliest alarm's minute
begins and moved when another alarm comes first. Without the capability
CAP_WAKE_ALARM it holds none, and says once why the machine will not be
woken, however many alarms come."""

import datetime
import os
import re
import subprocess
import sys

from harness import Desktop, expect, fail, log, poll, run

ALARM_CLOCK_ID = 8  # CLOCK_REALTIME_ALARM
SAID = "a sleeping computer will not be woken for its alarms"


def record(minute, text):
    return f'#{minute:%Y-%m-%d %H:%M:%S}#,"{text}"\r\n'.encode()


def utc_now():
    # The harness runs the clock on UTC.
    return datetime.datetime.now(datetime.timezone.utc).replace(tzinfo=None)


def wake_timers(pid):
    """The seconds left on each of the process's timers on the wake-up clock, as the kernel shows them."""
    left = []
    for fd in os.listdir(f"/proc/{pid}/fd"):
        try:
            if os.readlink(f"/proc/{pid}/fd/{fd}") != "anon_inode:[timerfd]":
                continue
            with open(f"/proc/{pid}/fdinfo/{fd}") as f:
                info = f.read()
        except OSError:
            continue  # closed meanwhile
        if int(re.search(r"clockid:\s*(\d+)", info).group(1)) == ALARM_CLOCK_ID:
            seconds, nanoseconds = re.search(r"it_value:\s*\((\d+),\s*(\d+)\)", info).groups()
            left.append(int(seconds) + int(nanoseconds) / 1e9)
    return left


def wakes_at(pid, minute):
    """Whether the process holds one wake-up timer, and it is set for `minute` (UTC)."""
    timers = wake_timers(pid)
    if len(timers) != 1:
        return False
    due = utc_now() + datetime.timedelta(seconds=timers[0])
    return abs((due - minute).total_seconds()) < 5


def with_the_capability(desktop, binary):
    now = utc_now()
    later = now.replace(second=0, microsecond=0) + datetime.timedelta(hours=2)
    sooner = later - datetime.timedelta(minutes=50)
    desktop.write_alarms(record(later + datetime.timedelta(days=1), "Tomorrow") + record(later, "Later"))
    clock = desktop.clock(binary)
    desktop.wait_icon()
    poll(f"a wake-up timer for {later:%H:%M}", lambda: wakes_at(clock.pid, later), timeout=10)
    log(f"the wake-up timer of the clock: {wake_timers(clock.pid)} s left")

    # Another alarm comes first: the timer moves to it, the one timer still.
    status, _, _ = desktop.command(binary, "--add", f"{sooner:%Y-%m-%d %H:%M}", "Sooner")
    expect("the status of --add", status, 0)
    poll(f"the wake-up timer to move to {sooner:%H:%M}", lambda: wakes_at(clock.pid, sooner), timeout=10)
    if SAID in desktop.log_of("tickwell"):
        fail("the clock said it cannot wake the machine, though it may")
    status, _, _ = desktop.command(binary, "--quit")
    expect("the status of --quit", status, 0)
    clock.wait_exit(10)


def without_the_capability(desktop, binary):
    now = utc_now()
    later = now.replace(second=0, microsecond=0) + datetime.timedelta(hours=2)
    desktop.write_alarms(record(later, "Later"))
    runner = ["setpriv", "--inh-caps=-all", "--ambient-caps=-all", "--bounding-set=-wake_alarm"]
    clock = desktop.clock(binary, label="tickwell-without", runner=runner)
    desktop.wait_icon()
    poll("the clock to say why the machine will not be woken", lambda: SAID in desktop.log_of("tickwell-without"),
         timeout=10)
    status, _, _ = desktop.command(binary, "--add", f"{later - datetime.timedelta(minutes=30):%Y-%m-%d %H:%M}",
                                   "Sooner")
    expect("the status of --add", status, 0)
    poll("the alarm in the file", lambda: b"Sooner" in desktop.read_alarms(), timeout=10)
    expect("wake-up timers of a clock without the capability", wake_timers(clock.pid), [])
    said = [line for line in desktop.log_of("tickwell-without").splitlines() if SAID in line]
    expect("what the clock said", said, ["tickwell: a sleeping computer will not be woken for its alarms: the clock "
                                         "may not set the computer's wake-up timer (it lacks the capability "
                                         "CAP_WAKE_ALARM)"])


def scenario(binary, screenshots):
    if subprocess.run(["setpriv", "--help"], capture_output=True).returncode != 0:
        fail("setpriv is missing (util-linux)")
    with Desktop("machine-wake", accessibility=False, screenshots=screenshots) as desktop:
        # Root may set the timer; another user may, where the session gives it the capability.
        if os.geteuid() == 0:
            with_the_capability(desktop, binary)
        else:
            log("not root: the clock's own capabilities decide; only the clock without the capability is checked")
        without_the_capability(desktop, binary)


if __name__ == "__main__":
    run(scenario, *sys.argv[1:])
