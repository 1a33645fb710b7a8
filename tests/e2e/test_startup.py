# SPDX-License-Identifier: GPL-3.0-or-later
"""Start-up with alarms on file: the clock stays out of sight, its icon sits in
the notification area with its tip, and an alarm already past leaves the
file without a word while the others stay exactly as they were written."""

import sys
import time

from harness import Accessibility, Desktop, TITLE_BOX, TITLE_EDITOR, fail, figure, log, poll, run

PAST = b'#2030-03-08 20:00:00#,"Gone before the start"\r\n'
# A doubled quote, a character beyond ASCII and the short midnight form:
# the rewrite must keep them byte for byte.
FUTURE = (b'#2030-03-08 22:15:00#,"Call \xc3\x89lise about the ""blue"" van"\r\n'
          b'#2030-03-09#,"Midnight: put the bins out"\r\n')


def scenario(binary, screenshots):
    with Desktop("startup", screenshots=screenshots) as desktop:
        desktop.write_alarms(PAST + FUTURE)
        clock = desktop.clock(binary, fake_time="2030-03-08 21:04:40")
        icon = desktop.wait_icon()
        figure("start to icon embedded", time.monotonic() - clock.started, "s")

        x, y, width, height, state = desktop.geometry(icon)
        log(f"icon window 0x{icon:x}: {width}x{height} at {x},{y}, {state}")
        if not (16 <= width <= 64 and 16 <= height <= 64):
            fail(f"the icon's window is {width}x{height}, not an icon's size")
        if len(desktop.tray_icons()) != 1:
            fail(f"expected one icon in the notification area, found {len(desktop.tray_icons())}")

        poll("the alarm file to lose the past alarm", lambda: desktop.read_alarms() != PAST + FUTURE, timeout=10)
        if desktop.read_alarms() != FUTURE:
            fail(f"Alarm.dat holds {desktop.read_alarms()!r}, expected {FUTURE!r}")

        # Give a wrongly shown window time to appear before judging that none is.
        time.sleep(1.5)
        shown = [w for w in desktop.search(["--onlyvisible", "--class", "tickwell"])
                 if w not in desktop.tray_icons()]
        if shown:
            names = [desktop.x(["xdotool", "getwindowname", str(w)], check=False).strip() for w in shown]
            fail(f"windows are mapped at start-up: {names}")
        for title in (TITLE_EDITOR, TITLE_BOX):
            if desktop.visible(title):
                fail(f'"{title}" is mapped at start-up')

        desktop.screenshot(desktop.panel(icon), "tray-active.png")

        # The tip, as the notification area shows it to a pointer resting on the icon.
        a11y = Accessibility(desktop, clock.pid)
        a11y.wait_app()
        desktop.move(x + width // 2, y + height // 2)

        def tip():
            desktop.move(x + width // 2 + 1, y + height // 2)  # a rest that Qt notices as a hover
            tips = [w for w in a11y.windows() if w is not None and w.getRoleName() == "tool tip"]
            return tips
        tips = poll("the icon's tool tip", tip, timeout=10, interval=0.5)
        if [t.name for t in tips] != ["Tickwell Alarm Clock"]:
            fail(f"the icon's tip reads {[t.name for t in tips]}")
        log(f'tip: "{tips[0].name}"')

        # Reading the tip does not start anything either: the file is as it was.
        if desktop.read_alarms() != FUTURE:
            fail(f"Alarm.dat changed to {desktop.read_alarms()!r}")


if __name__ == "__main__":
    run(scenario, *sys.argv[1:])
