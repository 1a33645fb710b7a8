# SPDX-License-Identifier: GPL-3.0-or-later
"""An alarm whose minute comes while the reminder of an earlier alarm is
still on screen waits for that box: closed within the later alarm's minute,
the later reminder follows at once, and neither record leaves the file
before its box is closed. (Closed only after that minute, the later alarm
goes without a reminder, as every alarm whose minute has passed does; the
offscreen tests cover that.)"""

import datetime
import sys
import time

from harness import Desktop, TITLE_BOX, fail, figure, log, poll, run, start_clock

FIRST = b'#2030-03-08 21:05:00#,"Take the pills"\r\n'
SECOND = b'#2030-03-08 21:06:00#,"Leave for the train"\r\n'
LATER = b'#2030-03-08 21:30:00#,"Call the neighbours"\r\n'


def scenario(binary, screenshots):
    with Desktop("alarm-behind-open-reminder", screenshots=screenshots) as desktop:
        desktop.write_alarms(FIRST + SECOND + LATER)
        clock, _, a11y = start_clock(desktop, binary, fake_time="2030-03-08 21:04:56")
        first_minute = datetime.datetime(2030, 3, 8, 21, 5)

        first = desktop.wait_visible(TITLE_BOX, timeout=20)
        texts = a11y.reminder()
        if texts != ["Take the pills\n\n(9:05 PM  Friday, March 8, 2030)"]:
            fail(f"the first reminder reads {texts!r}")

        # Back at the desk during the second alarm's minute.
        clock.sleep_until(first_minute + datetime.timedelta(minutes=1, seconds=10))
        if desktop.read_alarms() != FIRST + SECOND + LATER:
            fail(f"records left the file while the first reminder was open: {desktop.read_alarms()!r}")
        log(f"closing the first reminder at {clock.fake_now():%H:%M:%S} on the program's clock")
        desktop.focus(first)
        desktop.key("Return")
        desktop.wait_unmapped(first, "the first reminder", timeout=5)
        closed = time.monotonic()

        end = closed + 5
        while time.monotonic() < end and not desktop.visible(TITLE_BOX):
            time.sleep(0.1)
        if not desktop.visible(TITLE_BOX):
            fail("the 9:06 PM alarm was not shown when the 9:05 PM reminder was closed in its minute "
                 f"(Alarm.dat now {desktop.read_alarms()!r})")
        figure("first reminder closed to the second one mapped", time.monotonic() - closed, "s")
        texts = a11y.reminder()
        if texts != ["Leave for the train\n\n(9:06 PM  Friday, March 8, 2030)"]:
            fail(f"the second reminder reads {texts!r}")
        second = desktop.visible(TITLE_BOX)[0]
        desktop.focus(second)
        desktop.key("Return")
        desktop.wait_unmapped(second, "the second reminder", timeout=5)
        poll("both alarms to leave the file", lambda: desktop.read_alarms() == LATER, timeout=5)


if __name__ == "__main__":
    run(scenario, *sys.argv[1:])
