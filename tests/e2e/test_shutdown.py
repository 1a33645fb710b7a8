"""Shut Down Alarm Clock ends the program at once with status 0 and takes
its icon away; SIGTERM does the same. Neither touches the alarms on file."""

import sys
import time

from harness import Desktop, fail, figure, log, poll, run

ALARMS = (b'#2031-01-02 08:00:00#,"Stays on file"\r\n'
          b'#2031-01-03#,"So does this one"\r\n')
SHUT_DOWN = 3  # the menu's third item


def ended_cleanly(desktop, clock, how, since):
    status = clock.wait_exit(timeout=10)
    took = time.monotonic() - since
    figure(f"{how} to the process ending", took, "s")
    if status != 0:
        fail(f"after {how} the clock ended with status {status}, not 0")
    if took > 5:
        fail(f"after {how} the clock took {took:.1f} s to end")
    poll(f"the icon to leave the notification area after {how}", lambda: not desktop.tray_icons(), timeout=5)
    if desktop.search(["--class", "tickwell"]):
        fail(f"windows of the clock are left after {how}")
    if desktop.read_alarms() != ALARMS:
        fail(f"after {how} Alarm.dat holds {desktop.read_alarms()!r}")
    log(f"{how}: status 0 in {took:.3f} s, icon gone, Alarm.dat unchanged")


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


if __name__ == "__main__":
    run(scenario, *sys.argv[1:])
