# SPDX-License-Identifier: GPL-3.0-or-later
"""An alarm on file fires at its minute with no window of the clock open,
as it mostly will: the box comes up by itself, once, and closing it takes
the alarm off the file."""

import datetime
import sys
import time

from harness import Desktop, TITLE_BOX, TITLE_EDITOR, fail, figure, run, start_clock

DUE = b'#2030-03-08 21:05:00#,"Take the bread out of the oven"\r\n'
LATER = b'#2030-03-08 21:30:00#,"Call the neighbours"\r\n'
REMINDER = "Take the bread out of the oven\n\n(9:05 PM  Friday, March 8, 2030)"


def scenario(binary, screenshots):
    with Desktop("alarm-unattended", window_manager=True, screenshots=screenshots) as desktop:
        desktop.write_alarms(DUE + LATER)
        clock, _, a11y = start_clock(desktop, binary, fake_time="2030-03-08 21:04:54")
        minute = datetime.datetime(2030, 3, 8, 21, 5)
        clock.still_before(minute - datetime.timedelta(seconds=1), "starting the clock")
        if desktop.visible(TITLE_BOX):
            fail("the reminder came up before its minute")

        box = desktop.wait_visible(TITLE_BOX, timeout=20)
        figure("alarm minute to reminder box mapped, no window open", time.monotonic() - clock.moment_of(minute),
               "s")
        texts = a11y.reminder()
        if texts != [REMINDER]:
            fail(f"the reminder box reads {texts!r}, expected {[REMINDER]!r}")
        if desktop.visible(TITLE_EDITOR):
            fail("the editor opened with the reminder")
        if desktop.read_alarms() != DUE + LATER:
            fail("the alarm left the file before its box was closed")

        desktop.close_box(box)
        desktop.poll_without_box("the alarm to leave the file", lambda: desktop.read_alarms() == LATER,
                                 "a second time")
        end = clock.moment_of(minute + datetime.timedelta(seconds=8))
        while time.monotonic() < end:
            if desktop.visible(TITLE_BOX):
                fail("the reminder came up a second time")
            time.sleep(0.1)


if __name__ == "__main__":
    run(scenario, *sys.argv[1:])
