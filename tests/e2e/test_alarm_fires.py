# SPDX-License-Identifier: GPL-3.0-or-later
"""An alarm composed with the mouse and the keyboard alone is stored at once,
and at its minute its reminder comes up once, above every window, another
program's included, with the clock's icon. Closing the box takes the alarm
off the list and off the file; the other alarms stay. A repeating alarm
comes at its minute too, and once read moves on to its next day, in
Alarm.dat alone."""

import datetime
import os
import sys
import time

from harness import Desktop, TITLE_BOX, expect, fail, figure, log, open_editor, poll, run, start_clock

FERNS = b'#2030-03-09 07:30:00#,"Water the ferns"\r\n'
PILLS = b'#2030-03-08 21:06:00#,"Take the pills"\r\n'
LATER = FERNS + PILLS
# Every day at 9:06 PM since the 1st.
REPEATS = b"DTSTART:20300301T210600\tRRULE:FREQ=DAILY\tREMINDER:Take the pills\n"
NEW = b'#2030-03-08 21:05:00#,"Feed the cat\r\nthen the fish"\r\n'
REMINDER = "Feed the cat\nthen the fish\n\n(9:05 PM  Friday, March 8, 2030)"


def scenario(binary, screenshots):
    with Desktop("alarm-fires", window_manager=True, screenshots=screenshots) as desktop:
        desktop.write_alarms(LATER)
        repeats = os.path.join(os.path.dirname(desktop.alarm_file()), "Alarm.repeat")
        with open(repeats, "wb") as f:
            f.write(REPEATS)
        clock, icon, a11y = start_clock(desktop, binary, fake_time="2030-03-08 21:04:45")
        minute = datetime.datetime(2030, 3, 8, 21, 5)

        window, editor = open_editor(desktop, icon, a11y)
        expect("the fields at opening", editor.new_alarm_caption(), "New Alarm : 9:04 PM  Friday, March 8, 2030")

        # The next minute: into the minute field, one step up, Tab on.
        a11y.click(editor.minute_field())
        desktop.key("Up")
        poll("the minute to step", lambda: a11y.text(editor.minute_field()) in ("5", "05"), timeout=5)
        desktop.key("Tab")
        poll("the minute field to show two digits", lambda: a11y.text(editor.minute_field()) == "05", timeout=5)
        expect("the new alarm", editor.new_alarm_caption(), "New Alarm : 9:05 PM  Friday, March 8, 2030")

        # Two lines of reminder.
        reminder = editor.reminder_field()
        a11y.click(reminder)
        desktop.type("Feed the cat")
        desktop.key("Return")
        desktop.type("then the fish")
        poll("the reminder to be typed", lambda: a11y.text(reminder) == "Feed the cat\nthen the fish", timeout=5)

        a11y.click(editor.button("Set Alarm"))
        poll("the alarm to be stored", lambda: desktop.read_alarms() != LATER, timeout=5)
        expect("Alarm.dat after Set Alarm", desktop.read_alarms(), LATER + NEW)
        expect("the alarms listed", editor.rows(), ["7:30 AM  Saturday, March 9, 2030", "9:06 PM  Friday, March 8, 2030",
                                                   "9:05 PM  Friday, March 8, 2030"])
        expect("the reminder field after Set Alarm", a11y.text(reminder), "")
        log(f"alarm set at {clock.fake_now():%H:%M:%S} on the program's clock")
        clock.still_before(minute, "composing the alarm")

        # Another program's window, raised over the editor before the minute.
        other = desktop.foreign_window("Another program's window")
        desktop.raise_window(other)
        poll("the other program's window to be raised over the editor",
             lambda: desktop.stacking().index(other) > desktop.stacking().index(window), timeout=5)

        clock.sleep_until(minute - datetime.timedelta(seconds=2))
        if desktop.visible(TITLE_BOX):
            fail("the reminder came up before its minute")
        box = desktop.wait_visible(TITLE_BOX, timeout=20)
        figure("alarm minute to reminder box mapped", time.monotonic() - clock.moment_of(minute), "s")

        # Whatever is raised, the box stays above it.
        desktop.raise_window(other)
        desktop.raise_window(window)
        time.sleep(0.3)
        state = desktop.window_property(box, "_NET_WM_STATE")
        if "_NET_WM_STATE_ABOVE" not in state:
            fail(f"the reminder box is not kept above other windows: {state.strip()}")
        order = desktop.stacking()
        log("stacking, bottom to top: " + ", ".join(f"0x{w:x}" for w in order))
        for below, name in ((window, "the editor"), (other, "another program's window")):
            if below not in order or box not in order:
                fail(f"the window manager does not list the box and {name}")
            if order.index(box) < order.index(below):
                fail(f"the reminder box is below {name}")

        # The clock's icon, as every window of the program has, not the window manager's for a stranger.
        for shown, name in ((box, "the reminder box"), (window, "the editor")):
            if "_NET_WM_ICON(CARDINAL) = " not in desktop.window_property(shown, "_NET_WM_ICON"):
                fail(f"{name} names no icon for the window manager to show")
        expect("the reminder box's text", a11y.reminder(), [REMINDER])
        alert = a11y.window(TITLE_BOX, role="alert")
        expect("the reminder box's buttons", [b.name for b in a11y.all(alert, "push button")], ["OK"])
        desktop.screenshot(box, "reminder.png")

        # Return, as a user at the keyboard would close it.
        desktop.close_box(box)
        again = "a second time"
        desktop.poll_without_box("the alarm to leave the file", lambda: desktop.read_alarms() == LATER, again)
        desktop.poll_without_box("the alarm to leave the list",
                                 lambda: editor.rows() == ["7:30 AM  Saturday, March 9, 2030",
                                                           "9:06 PM  Friday, March 8, 2030"], again)

        # Once only: the rest of its minute brings no second box.
        end = clock.moment_of(minute + datetime.timedelta(seconds=10))
        while time.monotonic() < end:
            if desktop.visible(TITLE_BOX):
                fail("the reminder came up a second time")
            time.sleep(0.1)
        expect("Alarm.dat before the repeating alarm", desktop.read_alarms(), LATER)

        # The repeating alarm at its minute, in the same words; read, its
        # record gives way to tomorrow's where it stood, and what repeats
        # is not written.
        box = desktop.wait_visible(TITLE_BOX, timeout=80)
        expect("the repeating alarm's box", a11y.reminder(), ["Take the pills\n\n(9:06 PM  Friday, March 8, 2030)"])
        desktop.close_box(box)
        tomorrow = FERNS + b'#2030-03-09 21:06:00#,"Take the pills"\r\n'
        desktop.poll_without_box("the repeating alarm to move on", lambda: desktop.read_alarms() == tomorrow, again)
        poll("the list to show its next day",
             lambda: editor.rows() == ["7:30 AM  Saturday, March 9, 2030", "9:06 PM  Saturday, March 9, 2030"],
             timeout=10)
        with open(repeats, "rb") as f:
            expect("Alarm.repeat at the end", f.read(), REPEATS)


if __name__ == "__main__":
    run(scenario, *sys.argv[1:])
