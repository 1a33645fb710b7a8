# SPDX-License-Identifier: GPL-3.0-or-later
"""Closing the editor by its window frame (Alt+F4) does what its "Close"
button does: the window goes, the clock runs on, and the next alarm comes
at its minute. Opened again, the editor still holds what was typed."""

import datetime
import sys
import time

from harness import (Desktop, Editor, TITLE_BOX, TITLE_EDITOR, expect, fail, figure, open_editor, poll, run,
                     start_clock)

DUE = b'#2030-03-08 21:05:00#,"Closed the editor, still reminded"\r\n'
REMINDER = "Closed the editor, still reminded\n\n(9:05 PM  Friday, March 8, 2030)"


def scenario(binary, screenshots):
    with Desktop("frame-close", window_manager=True, screenshots=screenshots) as desktop:
        desktop.write_alarms(DUE)
        clock, icon, a11y = start_clock(desktop, binary, fake_time="2030-03-08 21:04:40")
        minute = datetime.datetime(2030, 3, 8, 21, 5)

        window, editor = open_editor(desktop, icon, a11y)
        reminder = editor.reminder_field()
        a11y.click(reminder)
        desktop.type("half typed")
        poll("the reminder to be typed", lambda: a11y.text(reminder) == "half typed", timeout=5)

        desktop.focus(window)
        desktop.key("alt+F4")
        desktop.wait_unmapped(window, "the editor closed by Alt+F4")
        if not clock.running():
            fail("closing the editor by its frame ended the clock")
        clock.still_before(minute, "closing the editor")

        box = desktop.wait_visible(TITLE_BOX, timeout=30)
        figure("alarm minute to reminder box mapped, editor closed by its frame",
               time.monotonic() - clock.moment_of(minute), "s")
        expect("the reminder box's text", a11y.reminder(), [REMINDER])
        desktop.close_box(box)
        poll("the alarm to leave the file", lambda: desktop.read_alarms() == b"", timeout=5)

        # The same editor comes back, with what was typed in it.
        desktop.click_window(icon, repeat=2)
        expect("the editor's window", desktop.wait_visible(TITLE_EDITOR), window)
        expect("the reminder typed before", a11y.text(Editor(a11y).reminder_field()), "half typed")


if __name__ == "__main__":
    run(scenario, *sys.argv[1:])
