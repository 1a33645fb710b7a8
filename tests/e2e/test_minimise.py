# SPDX-License-Identifier: GPL-3.0-or-later
"""Minimising the editor and bringing it back is not a fresh opening: the
alarm being composed stays as the user left it. The icon brings a
minimised editor back as well."""

import sys
import time

from harness import Desktop, expect, open_editor, poll, run, start_clock


def scenario(binary, screenshots):
    with Desktop("minimise", window_manager=True, screenshots=screenshots) as desktop:
        clock, icon, a11y = start_clock(desktop, binary, fake_time="2030-03-08 21:04:45")

        window, editor = open_editor(desktop, icon, a11y)
        a11y.click(editor.minute_field())
        desktop.key("Up", "Up", "Up")
        poll("the minute to step", lambda: a11y.text(editor.minute_field()) == "7", timeout=5)
        composed = "New Alarm : 9:07 PM  Friday, March 8, 2030"
        expect("the new alarm", editor.new_alarm_caption(), composed)

        other = desktop.foreign_window("Another program's window")
        desktop.x(["xdotool", "windowactivate", "--sync", str(window)])
        desktop.x(["xdotool", "windowminimize", "--sync", str(window)])
        desktop.wait_unmapped(window, "the minimised editor")
        # Another program's window has the focus while the editor is away.
        desktop.x(["xdotool", "windowactivate", "--sync", str(other)])
        # Time for the program to hear that it has lost the focus.
        time.sleep(1.0)
        desktop.x(["xdotool", "windowactivate", "--sync", str(window)])
        poll("the editor to come back", lambda: desktop.geometry(window)[4] == "IsViewable", timeout=5)
        poll("the editor to be active again",
             lambda: desktop.x(["xdotool", "getactivewindow"]).strip() == str(window), timeout=5)
        # The program hears of its activation a moment after the window manager grants it.
        time.sleep(1.0)

        expect("the minute after restoring", a11y.text(editor.minute_field()), "7")
        expect("the new alarm after restoring", editor.new_alarm_caption(), composed)
        clock.still_before(clock.fake_start.replace(minute=7, second=0), "minimising and restoring")

        # A double click on the icon brings a minimised editor back too.
        desktop.x(["xdotool", "windowminimize", "--sync", str(window)])
        desktop.wait_unmapped(window, "the minimised editor")
        desktop.click_window(icon, repeat=2)
        poll("the editor to come back from the icon", lambda: desktop.geometry(window)[4] == "IsViewable", timeout=5)


if __name__ == "__main__":
    run(scenario, *sys.argv[1:])
