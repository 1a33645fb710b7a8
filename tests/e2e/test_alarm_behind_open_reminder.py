"""An alarm whose minute passes while the reminder of an earlier alarm is
still on screen must still be shown once that box is closed: the user away
from the desk comes back to both reminders, not to one and a silently
emptied list."""

import datetime
import sys
import time

from harness import Accessibility, Desktop, TITLE_BOX, fail, figure, log, poll, run

FIRST = b'#2030-03-08 21:05:00#,"Take the pills"\r\n'
SECOND = b'#2030-03-08 21:06:00#,"Leave for the train"\r\n'
LATER = b'#2030-03-08 21:30:00#,"Call the neighbours"\r\n'


def box_text(a11y):
    alert = a11y.window(TITLE_BOX, role="alert")
    return [label.name for label in a11y.all(alert, "label") if label.name]


def scenario(binary, screenshots):
    with Desktop("alarm-behind-open-reminder", screenshots=screenshots) as desktop:
        desktop.write_alarms(FIRST + SECOND + LATER)
        clock = desktop.clock(binary, fake_time="2030-03-08 21:04:56")
        first_minute = datetime.datetime(2030, 3, 8, 21, 5)
        desktop.wait_icon()
        a11y = Accessibility(desktop, clock.pid)
        a11y.wait_app()

        first = desktop.wait_visible(TITLE_BOX, timeout=20)
        texts = box_text(a11y)
        if texts != ["Take the pills\n\n(9:05 PM  Friday, March 8, 2030)"]:
            fail(f"the first reminder reads {texts!r}")

        # Nobody at the desk until the second alarm's minute is over.
        clock.sleep_until(first_minute + datetime.timedelta(minutes=2, seconds=1))
        log(f"closing the first reminder at {clock.fake_now():%H:%M:%S} on the program's clock")
        desktop.focus(first)
        desktop.key("Return")
        desktop.wait_unmapped(first, "the first reminder", timeout=5)
        closed = time.monotonic()

        end = closed + 5
        while time.monotonic() < end and not desktop.visible(TITLE_BOX):
            time.sleep(0.1)
        if not desktop.visible(TITLE_BOX):
            fail("the 9:06 PM alarm was never shown: its minute passed while the 9:05 PM reminder was open, and "
                 f"closing that reminder dropped it without a word (Alarm.dat now {desktop.read_alarms()!r})")
        figure("first reminder closed to the late second one mapped", time.monotonic() - closed, "s")
        texts = box_text(a11y)
        if texts != ["Leave for the train\n\n(9:06 PM  Friday, March 8, 2030)"]:
            fail(f"the second reminder reads {texts!r}")
        second = desktop.visible(TITLE_BOX)[0]
        desktop.focus(second)
        desktop.key("Return")
        desktop.wait_unmapped(second, "the second reminder", timeout=5)
        poll("both alarms to leave the file", lambda: desktop.read_alarms() == LATER, timeout=5)


if __name__ == "__main__":
    run(scenario, *sys.argv[1:])
