# SPDX-License-Identifier: GPL-3.0-or-later
"""A clock that did not run through its alarm's minute (a stopped process
here; a sleeping laptop is the same to it) announces the alarm as soon as
it runs again, with the time it was due."""

import datetime
import sys
import time

from harness import Desktop, TITLE_BOX, expect, fail, figure, run, start_clock

DUE = b'#2030-03-08 21:05:00#,"Missed while stopped"\r\n'
LATER = b'#2030-03-09 07:30:00#,"Tomorrow"\r\n'
REMINDER = "Missed while stopped\n\n(9:05 PM  Friday, March 8, 2030)"
SPEED = 10  # the faked clock runs ten times as fast: a minute passes in six seconds


def scenario(binary, screenshots):
    with Desktop("stopped-clock", window_manager=True, screenshots=screenshots) as desktop:
        desktop.write_alarms(DUE + LATER)
        # The faking library in the clock itself, so that SIGSTOP stops the clock and not a wrapper.
        clock, _, a11y = start_clock(desktop, binary, fake_time="2030-03-08 21:03:00", speed=SPEED, preload=True)
        minute = datetime.datetime(2030, 3, 8, 21, 5)
        clock.still_before(minute - datetime.timedelta(seconds=30), "starting the clock")

        desktop.signal(clock.pid, "SIGSTOP")
        try:
            stopped_at = clock.fake_now()
            if stopped_at >= minute:
                fail(f"the clock was stopped only at {stopped_at:%H:%M:%S}, after the alarm's minute")
            clock.sleep_until(minute + datetime.timedelta(seconds=75))
            if desktop.visible(TITLE_BOX):
                fail("a reminder box came up while the clock was stopped")
        finally:
            desktop.signal(clock.pid, "SIGCONT")
        resumed = time.monotonic()

        box = desktop.wait_visible(TITLE_BOX, timeout=20)
        figure("clock resumed to reminder box mapped", time.monotonic() - resumed, "s")
        expect("the late reminder's text", a11y.reminder(), [REMINDER])
        desktop.close_box(box)
        desktop.poll_without_box("the alarm to leave the file", lambda: desktop.read_alarms() == LATER,
                                 "a second time")


if __name__ == "__main__":
    run(scenario, *sys.argv[1:])
