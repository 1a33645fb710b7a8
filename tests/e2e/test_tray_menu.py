# SPDX-License-Identifier: GPL-3.0-or-later
"""Deactivate Alarm Clock switches the icon's picture and lets an alarm's
minute pass without a box; Activate Alarm Clock brings the first picture
back, and the alarm missed meanwhile goes without a word."""

import datetime
import os
import sys
import time

from harness import Accessibility, Desktop, Editor, TITLE_BOX, TITLE_EDITOR, expect, fail, log, poll, run

MISSED = b'#2030-03-08 21:05:00#,"Nobody may see this"\r\n'
LATER = b'#2030-03-09 07:30:00#,"Water the ferns"\r\n'
# The menu's items, top to bottom; Deactivate and Activate share one place.
EDIT, SWITCH, SHUT_DOWN, PREFERENCES, ABOUT = 1, 2, 3, 4, 5


def no_box_until(desktop, moment, why):
    while time.monotonic() < moment:
        if desktop.visible(TITLE_BOX):
            fail(f"a reminder box came up {why}")
        time.sleep(0.1)


def scenario(binary, screenshots):
    with Desktop("tray-menu", screenshots=screenshots) as desktop:
        desktop.write_alarms(MISSED + LATER)
        clock = desktop.clock(binary, fake_time="2030-03-08 21:04:50")
        minute = datetime.datetime(2030, 3, 8, 21, 5)
        icon = desktop.wait_icon()
        pictures = os.path.join(desktop.root, "icon-{}.png")
        active = poll("a picture of the icon", lambda: desktop.grab(icon, pictures.format("active")), timeout=5)

        desktop.choose_from_tray_menu(icon, SWITCH, "menu-active.png")
        inactive = pictures.format("inactive")

        def switched():
            return desktop.differing_pixels(active, desktop.grab(icon, inactive)) > 0
        poll("the icon's picture to change", switched, timeout=5)
        clock.still_before(minute, "deactivating the clock")
        log(f"deactivated at {clock.fake_now():%H:%M:%S} on the program's clock; "
            f"{desktop.differing_pixels(active, inactive)} of the icon's pixels changed")
        desktop.screenshot(desktop.panel(icon), "tray-inactive.png")

        # The whole minute of the alarm, and a little after.
        no_box_until(desktop, clock.moment_of(minute + datetime.timedelta(seconds=62)), "while the clock is off")
        expect("Alarm.dat while the clock is off", desktop.read_alarms(), MISSED + LATER)

        desktop.choose_from_tray_menu(icon, SWITCH, "menu-inactive.png")
        back = pictures.format("back")
        poll("the icon's first picture to return",
             lambda: desktop.differing_pixels(active, desktop.grab(icon, back)) == 0, timeout=5)
        desktop.poll_without_box("the missed alarm to leave the file", lambda: desktop.read_alarms() == LATER,
                                 "for an alarm missed while the clock was off")
        no_box_until(desktop, time.monotonic() + 3, "for an alarm missed while the clock was off")

        # The editor agrees with the file.
        a11y = Accessibility(desktop, clock.pid)
        a11y.wait_app()
        desktop.choose_from_tray_menu(icon, EDIT)
        desktop.wait_visible(TITLE_EDITOR)
        expect("the alarms listed", Editor(a11y).rows(), ["7:30 AM  Saturday, March 9, 2030"])
        if desktop.visible(TITLE_BOX):
            fail("a reminder box came up for an alarm missed while the clock was off")


if __name__ == "__main__":
    run(scenario, *sys.argv[1:])
