# SPDX-License-Identifier: GPL-3.0-or-later
"""Shut Down Alarm Clock ends the program at once with status 0 and takes
its icon away; SIGTERM does the same. Neither touches the alarms on file.
A signal ends the clock within two seconds whatever box is on show: the
warning about a file it did not read, a refusal, a reminder (which then
counts as announced and leaves the file, while the next alarm of its minute
stays on file). So does the X server's end under the editor and a reminder,
with status 0 and no crash."""

import os
import stat
import sys
import time

from harness import (Desktop, Editor, TITLE_BOX, TITLE_EDITOR, TITLE_REFUSAL, expect, fail, figure, log, poll,
                     run, start_clock)

ALARMS = (b'#2031-01-02 08:00:00#,"Stays on file"\r\n'
          b'#2031-01-03#,"So does this one"\r\n')
SHUT_DOWN = 3  # the menu's third item


def ended_cleanly(desktop, clock, how, since, alarms=ALARMS, within=5):
    status = clock.wait_exit(timeout=10)
    took = time.monotonic() - since
    figure(f"{how} to the process ending", took, "s")
    if status != 0:
        fail(f"after {how} the clock ended with status {status}, not 0")
    if took > within:
        fail(f"after {how} the clock took {took:.1f} s to end")
    poll(f"the icon to leave the notification area after {how}", lambda: not desktop.tray_icons(), timeout=5)
    if desktop.search(["--class", "tickwell"]):
        fail(f"windows of the clock are left after {how}")
    if alarms is not None and desktop.read_alarms() != alarms:
        fail(f"after {how} Alarm.dat holds {desktop.read_alarms()!r}")
    log(f"{how}: status 0 in {took:.3f} s, icon gone, Alarm.dat as it should be")


def signalled_with_boxes(binary, screenshots):
    with Desktop("shutdown-boxes", window_manager=True, screenshots=screenshots) as desktop:
        # A file that could not be read: its warning is on show.
        os.mkfifo(desktop.alarm_file(), 0o600)
        clock = desktop.clock(binary, label="tickwell-warning")
        box = desktop.wait_visible(TITLE_BOX, timeout=20)
        signalled = time.monotonic()
        desktop.signal(clock.pid, "SIGHUP")
        ended_cleanly(desktop, clock, "SIGHUP with the warning about the file", signalled, alarms=None, within=2)
        if not stat.S_ISFIFO(os.stat(desktop.alarm_file()).st_mode):
            fail("the alarm file that was not read has been written")
        os.unlink(desktop.alarm_file())

        # A refusal of Set Alarm: the fields show the present minute, which has begun.
        desktop.write_alarms(ALARMS)
        clock, icon, a11y = start_clock(desktop, binary, fake_time="2030-03-08 21:04:30", preload=True,
                                        label="tickwell-refusal")
        desktop.click_window(icon, repeat=2)
        a11y.click(Editor(a11y).button("Set Alarm"))
        desktop.wait_visible(TITLE_REFUSAL, timeout=10)
        signalled = time.monotonic()
        desktop.signal(clock.pid, "SIGINT")
        ended_cleanly(desktop, clock, "SIGINT with a refusal on show", signalled, within=2)

        # A reminder, with a second alarm of its minute behind it.
        due = b'#2030-03-08 21:05:00#,"Read before the end"\r\n'
        same_minute = b'#2030-03-08 21:05:00#,"Not shown, not lost"\r\n'
        desktop.write_alarms(due + same_minute + ALARMS)
        clock = desktop.clock(binary, fake_time="2030-03-08 21:04:57", preload=True, label="tickwell-reminder")
        desktop.wait_icon()
        desktop.wait_visible(TITLE_BOX, timeout=20)
        signalled = time.monotonic()
        desktop.signal(clock.pid, "SIGTERM")
        ended_cleanly(desktop, clock, "SIGTERM with a reminder on show", signalled, alarms=same_minute + ALARMS,
                      within=2)


def display_lost(binary, screenshots):
    with Desktop("shutdown-display", window_manager=True, accessibility=False, screenshots=screenshots) as desktop:
        due = b'#2030-03-08 21:05:00#,"On show as the display goes"\r\n'
        same_minute = b'#2030-03-08 21:05:00#,"Behind it, kept"\r\n'
        desktop.write_alarms(due + same_minute + ALARMS)
        clock = desktop.clock(binary, fake_time="2030-03-08 21:04:52", preload=True)
        icon = desktop.wait_icon()
        desktop.click_window(icon, repeat=2)
        desktop.wait_visible(TITLE_EDITOR)
        desktop.wait_visible(TITLE_BOX, timeout=30)
        # As a crash of the server would: no goodbye to its clients.
        server = next(process for label, process in desktop.processes if label == "xvfb")
        gone = time.monotonic()
        server.kill()
        server.wait(timeout=10)
        status = clock.wait_exit(timeout=10)
        figure("X server killed to the process ending", time.monotonic() - gone, "s")
        said = desktop.log_of("tickwell")
        if status != 0:
            fail(f"with the display gone the clock ended with status {status}"
                 f"{' (signal %d)' % -status if status < 0 else ''}; it said {said[-600:]!r}")
        expect("Alarm.dat once the display has gone", desktop.read_alarms(), same_minute + ALARMS)
        log("the X server killed under the editor and a reminder: status 0, the reminder read, the rest kept")


def scenario(binary, screenshots):
    with Desktop("shutdown", accessibility=False, screenshots=screenshots) as desktop:
        desktop.write_alarms(ALARMS)

        clock = desktop.clock(binary)
        icon = desktop.wait_icon()
        menu = desktop.open_tray_menu(icon)
        desktop.key(*["Down"] * SHUT_DOWN)
        chosen = time.monotonic()
        desktop.key("Return")
        ended_cleanly(desktop, clock, "Shut Down Alarm Clock", chosen)
        if menu in desktop.popup_menus():
            fail("the menu is still open")

        clock = desktop.clock(binary, label="tickwell-again")
        desktop.wait_icon()
        signalled = time.monotonic()
        desktop.signal(clock.pid, "SIGTERM")
        ended_cleanly(desktop, clock, "SIGTERM", signalled)

    signalled_with_boxes(binary, screenshots)
    display_lost(binary, screenshots)


if __name__ == "__main__":
    run(scenario, *sys.argv[1:])
