# SPDX-License-Identifier: GPL-3.0-or-later
"""A double click on the icon opens the editor, which shows the present time
of the program's clock, a new alarm composed for that minute, and the alarms
on file in their order."""

import sys
import time

from harness import Desktop, Editor, TITLE_EDITOR, expect, fail, figure, log, run, start_clock

ALARMS = (b'#2030-03-08 22:15:00#,"Call the plumber"\r\n'
          b'#2030-03-09#,"Midnight: put the bins out"\r\n')


def scenario(binary, screenshots):
    with Desktop("editor", screenshots=screenshots) as desktop:
        desktop.write_alarms(ALARMS)
        clock, icon, a11y = start_clock(desktop, binary, fake_time="2030-03-08 21:04:45")

        # A single click does nothing; the double click opens the editor.
        desktop.click_window(icon)
        time.sleep(1.0)
        if desktop.visible(TITLE_EDITOR):
            fail("a single click on the icon opened the editor")
        clicked = time.monotonic()
        desktop.click_window(icon, repeat=2)
        window = desktop.wait_visible(TITLE_EDITOR)
        figure("double click to editor mapped", time.monotonic() - clicked, "s")
        x, y, width, height, state = desktop.geometry(window)
        log(f"editor 0x{window:x}: {width}x{height} at {x},{y}, {state}")

        editor = Editor(a11y)
        expect("present time", editor.now_caption(), "It is now : 9:04 PM  Friday, March 8, 2030")
        expect("new alarm", editor.new_alarm_caption(), "New Alarm : 9:04 PM  Friday, March 8, 2030")
        expect("hour", a11y.text(editor.hour_field()), "9")
        expect("minute", a11y.text(editor.minute_field()), "04")
        expect("AM/PM", editor.am_pm().name, "PM")
        expect("month", editor.month(), "March")
        expect("year", editor.year(), "2030")
        expect("alarms", editor.rows(), ["10:15 PM  Friday, March 8, 2030", "12:00 AM  Saturday, March 9, 2030"])
        clock.still_before(clock.fake_start.replace(minute=5, second=0), "reading the editor")

        desktop.screenshot(window, "editor.png")

        # The present-time caption follows the clock into the next minute.
        clock.sleep_until(clock.fake_start.replace(minute=5, second=0))
        end = time.monotonic() + 5
        while editor.now_caption() != "It is now : 9:05 PM  Friday, March 8, 2030":
            if time.monotonic() > end:
                fail(f"the present time still reads {editor.now_caption()!r} after 9:05 PM came")
            time.sleep(0.05)
        figure("minute to present-time caption", time.monotonic() - clock.moment_of(
            clock.fake_start.replace(minute=5, second=0)), "s")

        # Opening the editor changes nothing on file.
        expect("Alarm.dat", desktop.read_alarms(), ALARMS)


if __name__ == "__main__":
    run(scenario, *sys.argv[1:])
