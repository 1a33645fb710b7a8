# SPDX-License-Identifier: GPL-3.0-or-later
"""Hidden, the clock sleeps from one minute to the next: over a whole minute
with nothing due its process, every thread of it, hardly wakes (before, ten
times a second). The alarm of the next minute still comes up in its minute,
right as it begins."""

import datetime
import os
import re
import sys
import time

from harness import Desktop, TITLE_BOX, expect, fail, figure, log, run

ALARM = b'#2030-03-08 21:06:00#,"Stretch your legs"\r\n'
START = datetime.datetime(2030, 3, 8, 21, 4, 50)
# What a whole minute of the hidden clock may cost: X events from the
# notification area, a page brought in. Ten ticks a second would be 500.
MOST_WAKES = 10


def wake_ups(pid):
    """Voluntary context switches so far, all threads: each one a sleep the thread was woken from."""
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/status") as f:
                total += int(re.search(r"^voluntary_ctxt_switches:\s+(\d+)", f.read(), re.M).group(1))
        except (OSError, AttributeError):
            pass  # a thread that ended meanwhile
    return total


def scenario(binary, screenshots):
    with Desktop("sleeping-clock", accessibility=False, screenshots=screenshots) as desktop:
        desktop.write_alarms(ALARM)
        clock = desktop.clock(binary, fake_time=START.strftime("%Y-%m-%d %H:%M:%S"), preload=True)
        desktop.wait_icon()
        # The minute with nothing due: from after its first wake, which makes
        # the next minute's reminder ready, to just before the next.
        counted = START.replace(minute=5, second=5)
        clock.still_before(counted, "starting the clock")
        clock.sleep_until(counted)
        before, since = wake_ups(clock.pid), time.monotonic()
        clock.sleep_until(START.replace(minute=5, second=58))
        woken, seconds = wake_ups(clock.pid) - before, time.monotonic() - since
        figure("wake-ups per second, hidden", woken / seconds, "/s")
        if woken > MOST_WAKES:
            fail(f"the hidden clock woke {woken} times in {seconds:.0f} s with nothing due")
        if desktop.visible(TITLE_BOX):
            fail("the reminder came up before its minute")

        minute = START.replace(minute=6, second=0)
        box = desktop.wait_visible(TITLE_BOX, timeout=30)
        late = time.monotonic() - clock.moment_of(minute)
        figure("alarm minute to reminder box mapped", late, "s")
        if late >= 60:
            fail(f"the reminder came up {late:.1f} s after its minute began, past the minute")
        log(f"box 0x{box:x} up at {clock.fake_now():%H:%M:%S.%f} on the program's clock")
        desktop.close_box(box)
        expect("Alarm.dat once the box is closed", desktop.read_alarms(), b"")


if __name__ == "__main__":
    run(scenario, *sys.argv[1:])
