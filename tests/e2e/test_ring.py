# SPDX-License-Identifier: GPL-3.0-or-later
"""A reminder rings until it is answered: its sound again and again into the
test's sound card, until the box's OK, a snooze from the notification, or
the notification dismissed (the box then stays, silent); one reminder's ring
at a time. Where there is no sound card, the box and the notification come
as ever, and the clock says so in one line of its own, without the sound
library's dozen. (The ring time is in e2e_preferences, where it is set.)"""

import datetime
import sys
import time

from harness import Desktop, TITLE_BOX, expect, fail, figure, log, poll, run

FIRST = b'#2030-03-08 21:05:00#,"Feed the cat"\r\n'
ALARMS = FIRST + b'#2030-03-08 21:06:00#,"Water the ferns"\r\n' + b'#2030-03-08 21:07:00#,"Do the dishes"\r\n'
LATER = b'#2030-03-09 07:30:00#,"Walk the dog"\r\n'
# The sound card plays a sound in a moment; the clock pauses a second (a tenth of one here, the clock
# running ten times as fast) between two.
RINGS = 3


def rings_on(desktop, since, what):
    """Waits until the ring has sounded RINGS times since `since` sounds; returns the count then."""
    return poll(f"{what} to ring again and again", lambda: desktop.sounds() - since >= RINGS and desktop.sounds(),
                timeout=20)


def stays_silent(desktop, clock, what):
    """The ring has stopped: no sound comes over a few of its pauses (a few seconds on the program's clock)."""
    before = desktop.sounds()
    end = time.monotonic() + 5 / clock.speed + 1
    while time.monotonic() < end:
        if desktop.sounds() != before:
            fail(f"the ring went on after {what}: {desktop.sounds() - before} more sounds")
        time.sleep(0.05)


def answered_three_ways(binary, screenshots):
    with Desktop("ring", window_manager=True, accessibility=False, screenshots=screenshots,
                 notifications=["body", "actions", "sound"]) as desktop:
        desktop.write_alarms(ALARMS + LATER)
        clock = desktop.clock(binary, fake_time="2030-03-08 21:04:40", speed=10)
        desktop.wait_icon()

        # OK: the ring stops with the box.
        box = desktop.wait_visible(TITLE_BOX, timeout=20)
        rings_on(desktop, 0, "the first reminder")
        desktop.close_box(box)
        answered = time.monotonic()
        after_ok = desktop.sounds()
        stays_silent(desktop, clock, "the box's OK")
        figure("sounds of the first reminder's ring before its OK", after_ok, "")
        log(f"answered {time.monotonic() - answered:.2f} s ago")

        # A snooze: the box closes, and the ring with it; the next reminder has not begun.
        box = desktop.wait_visible(TITLE_BOX, timeout=20)
        rings_on(desktop, after_ok, "the second reminder")
        desktop.notification_user("snooze-10")
        desktop.wait_unmapped(box, "the reminder box, by the notification's snooze")
        after_snooze = desktop.sounds()
        stays_silent(desktop, clock, "a snooze")

        # The notification dismissed: the ring stops, the box stays until its OK.
        box = desktop.wait_visible(TITLE_BOX, timeout=20)
        rings_on(desktop, after_snooze, "the third reminder")
        desktop.notification_user("dismiss")
        poll("the notification to be dismissed", lambda: desktop.notification_calls("NotificationClosed"), timeout=5)
        stays_silent(desktop, clock, "the notification was dismissed")
        if not desktop.visible(TITLE_BOX):
            fail("dismissing the notification closed the reminder box")
        desktop.close_box(box)
        poll("the three alarms to leave the file", lambda: desktop.read_alarms().startswith(LATER), timeout=5)
        expect("what the clock said", [line for line in desktop.log_of("tickwell").splitlines()
                                       if line.startswith("tickwell:")], [])


def without_a_sound_card(binary, screenshots):
    with Desktop("ring-no-sound-card", window_manager=True, accessibility=False, screenshots=screenshots,
                 notifications=["body", "actions"], sound_card=False) as desktop:
        desktop.write_alarms(FIRST + LATER)
        clock = desktop.clock(binary, fake_time="2030-03-08 21:04:55")
        desktop.wait_icon()
        box = desktop.wait_visible(TITLE_BOX, timeout=20)
        poll("the notification", lambda: desktop.notification_calls("Notify"), timeout=10)
        said = poll("the clock to say the alarm cannot be heard",
                    lambda: [line for line in desktop.log_of("tickwell").splitlines() if "alarm sound" in line],
                    timeout=10)
        clock.sleep_until(datetime.datetime(2030, 3, 8, 21, 5, 5))
        desktop.close_box(box)
        poll("the alarm to leave the file", lambda: desktop.read_alarms() == LATER, timeout=5)
        expect("what the clock said of the sound", said,
               ["tickwell: the alarm sound cannot be played: there is no sound device "
                "(the sound output could not be opened)"])
        alsa = [line for line in desktop.log_of("tickwell").splitlines() if "ALSA" in line]
        if alsa:
            fail(f"the sound library's own errors reached standard error: {alsa}")


def scenario(binary, screenshots):
    answered_three_ways(binary, screenshots)
    without_a_sound_card(binary, screenshots)


if __name__ == "__main__":
    run(scenario, *sys.argv[1:])
