# SPDX-License-Identifier: GPL-3.0-or-later
"""A second start in the working directory of a running clock hands over:
the running clock shows its editor, the second ends with status 0, and
there is still one icon and one set of alarms; so does --edit, also without
a display of its own (over ssh, say). Another user's start on the same file
cannot reach that clock: it says so, in a box too, and ends with status 1
rather than run beside it. A start that needs a display and has none, or
one it cannot reach, says so in one line and ends with status 1."""

import os
import sys
import time

from harness import Desktop, TITLE_BOX, TITLE_EDITOR, fail, figure, log, run

ALARMS = b'#2031-01-02 08:00:00#,"Only once"\r\n'


def pid_of(desktop, window):
    out = desktop.window_property(window, "_NET_WM_PID")
    return int(out.split("=")[1]) if "=" in out else None


def scenario(binary, screenshots):
    with Desktop("second-start", accessibility=False, screenshots=screenshots) as desktop:
        desktop.write_alarms(ALARMS)
        runner, other_env = desktop.another_user()
        first = desktop.clock(binary)
        desktop.wait_icon()
        if desktop.visible(TITLE_EDITOR):
            fail("the editor is open before the second start")

        second = desktop.clock(binary, label="tickwell-second")
        status = second.wait_exit(timeout=15)
        figure("second start to its end", time.monotonic() - second.started, "s")
        if status != 0:
            fail(f"the second start ended with status {status}, not 0")
        if not first.running():
            fail(f"the running clock ended ({first.process.returncode}) when the second started")

        editor = desktop.wait_visible(TITLE_EDITOR, timeout=10)
        if pid_of(desktop, editor) != first.pid:
            fail(f"the editor shown belongs to process {pid_of(desktop, editor)}, not to the running clock")
        if len(desktop.visible(TITLE_EDITOR)) != 1:
            fail(f"{len(desktop.visible(TITLE_EDITOR))} editors are open")
        time.sleep(1.5)  # an icon of the second start would have come by now
        icons = desktop.tray_icons()
        if len(icons) != 1 or pid_of(desktop, icons[0]) != first.pid:
            fail(f"the notification area holds {len(icons)} icons of the clock")
        if desktop.read_alarms() != ALARMS:
            fail(f"Alarm.dat holds {desktop.read_alarms()!r} after the second start")
        log("the second start handed over to the running clock and ended")

        other = desktop.clock(binary, label="tickwell-other-user", runner=runner, extra_env=other_env)
        box = desktop.wait_visible(TITLE_BOX, timeout=15)
        figure("another user's start to its box", time.monotonic() - other.started, "s")
        desktop.screenshot(box, "second_start_other_user.png")
        if pid_of(desktop, box) != other.pid:
            fail(f"the box shown belongs to process {pid_of(desktop, box)}, not to the other user's start")
        said = desktop.log_of("tickwell-other-user")
        wanted = f"tickwell: another clock runs for {desktop.alarm_file()} that this one cannot reach"
        if wanted not in said or "belongs to another user, root" not in said:
            fail(f"the other user's start said {said!r}, not why it does not run")
        desktop.close_box(box, "the other user's box")
        status = other.wait_exit(timeout=15)
        if status != 1:
            fail(f"the other user's start ended with status {status}, not 1")
        if not first.running():
            fail(f"the running clock ended ({first.process.returncode}) when another user's started")
        icons = desktop.tray_icons()
        if len(icons) != 1 or pid_of(desktop, icons[0]) != first.pid:
            fail(f"the notification area holds {len(icons)} icons of the clock after another user's start")
        if desktop.read_alarms() != ALARMS:
            fail(f"Alarm.dat holds {desktop.read_alarms()!r} after another user's start")
        log("another user's start on the same file refused to run beside the clock")

        # An Alarm.dat that leads to another file in the clock's folder: one clock per folder, and the
        # refusal, at once, names the clock's file.
        other_file = os.path.join(desktop.root, "other-file")
        os.mkdir(other_file)
        os.symlink(os.path.join(desktop.work, "Other.dat"), os.path.join(other_file, "Alarm.dat"))
        wanted = f"the clock in this folder runs on {desktop.alarm_file()}, not on Other.dat: one clock runs per folder"
        status, _, said = desktop.command(binary, "--add", "2031-01-03 8:00", "x", cwd=other_file)
        if status != 1 or f"tickwell: {wanted}\n" != said:
            fail(f"--add on another file of the clock's folder: status {status}, said {said!r}")
        refused = desktop.clock(binary, label="tickwell-other-file", cwd=other_file)
        box = desktop.wait_visible(TITLE_BOX, timeout=15)
        figure("a start on another file of the clock's folder to its box", time.monotonic() - refused.started, "s")
        if f"tickwell: {wanted}; this clock does not start" not in desktop.log_of("tickwell-other-file"):
            fail(f"the start on another file said {desktop.log_of('tickwell-other-file')!r}")
        desktop.close_box(box, "the box of the start on another file")
        if refused.wait_exit(timeout=15) != 1 or not first.running():
            fail(f"the start on another file ended with status {refused.process.returncode}")
        if os.path.exists(os.path.join(desktop.work, "Other.dat")) or desktop.read_alarms() != ALARMS:
            fail("the refused starts changed the alarm files")

        # Without a display: a start that only asks the running clock needs none.
        no_display = {"DISPLAY": None, "WAYLAND_DISPLAY": None}
        for args in (["--edit"], []):
            status, _, said = desktop.command(binary, *args, env=no_display)
            if status != 0 or said:
                fail(f"tickwell {' '.join(args)} without a display beside a running clock: status {status}, said {said!r}")
        first.process.terminate()
        if first.wait_exit(timeout=10) != 0:
            fail(f"the clock ended with status {first.process.returncode} on SIGTERM")
        # A start that needs a display: none, or one that cannot be reached.
        unused = next(n for n in range(5000, 6000) if not os.path.exists(f"/tmp/.X11-unix/X{n}"))
        for env in (no_display, {"DISPLAY": f":{unused}", "WAYLAND_DISPLAY": None}):
            status, _, said = desktop.command(binary, env=env)
            lines = said.splitlines()
            if status != 1 or len(lines) != 1 or "DISPLAY" not in lines[0] or "WAYLAND_DISPLAY" not in lines[0]:
                fail(f"a start with {env} ended with status {status}, saying {said!r}")
        if desktop.read_alarms() != ALARMS:
            fail(f"Alarm.dat holds {desktop.read_alarms()!r} after the starts without a display")


if __name__ == "__main__":
    run(scenario, *sys.argv[1:])
