# SPDX-License-Identifier: GPL-3.0-or-later
"""The desktop's session manager asks every program to save its work at a
checkpoint too, after which the session goes on: the clock runs on through
it. When the session really ends, the clock shuts down as its own menu
would, and ends with status 0.

The session manager here is xsm, driven through its buttons."""

import os
import re
import shlex
import shutil
import sys
import time

from harness import Desktop, expect, fail, log, poll, run

ALARMS = b'#2031-01-02 08:00:00#,"Stays on file"\r\n'


class SessionManager:
    def __init__(self, desktop):
        self.desktop = desktop

    def start(self, command):
        for tool in ("xsm", "iceauth"):
            if shutil.which(tool) is None:
                fail(f"{tool} is missing (scripts/bootstrap test installs it)")
        script = os.path.join(self.desktop.root, "session-client")
        with open(script, "w") as f:
            f.write(f"#!/bin/sh\n{command}\n")
        os.chmod(script, 0o755)
        # xsm runs each line of its start-up file in the background: one command, no shell syntax.
        with open(os.path.join(self.desktop.home, ".xsmstartup"), "w") as f:
            f.write(f"{script}\n")
        self.desktop._spawn("xsm", ["xsm"])
        self.window = self.desktop.wait_visible("xsm: Default", timeout=15)

    def buttons(self, window):
        """The push buttons of one of xsm's windows, top to bottom and left to right, as (x, y, w, h)."""
        out = self.desktop.x(["xwininfo", "-tree", "-id", str(window)])
        found = []
        for line in out.splitlines():
            m = re.match(r"\s+0x[0-9a-f]+ .*\s(\d+)x(\d+)\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+)$", line)
            if m and line.startswith(" " * 8):  # the form's children, not the form
                w, h, x, y = (int(v) for v in m.groups())
                found.append((x, y, w, h))
        return sorted(found, key=lambda b: (b[1], b[0]))

    def press(self, button):
        x, y, w, h = button
        self.desktop.click(x + w // 2, y + h // 2)

    def checkpoint(self, name):
        client_list, session_log, checkpoint, shutdown = self.buttons(self.window)
        self.press(checkpoint)
        popup = self.desktop.wait_visible("Checkpoint")
        fields = self.buttons(popup)
        name_field, ok = fields[1], fields[-3]
        self.desktop.focus(popup)
        self.desktop.move(name_field[0] + 10, name_field[1] + name_field[3] // 2)
        self.desktop.type(name)
        self.press(ok)
        # Done once every program has saved: the session then bears the name.
        self.desktop.wait_gone("Checkpoint", timeout=20)
        self.desktop.wait_visible(f"xsm: {name}", timeout=20)

    def popup_below(self, top):
        """The place of a menu on show below `top`: a top-level window the window manager leaves alone."""
        tree = self.desktop.x(["xwininfo", "-root", "-children"])
        for window in re.findall(r"^\s+(0x[0-9a-f]+)", tree, re.M):
            info = self.desktop.x(["xwininfo", "-id", window], check=False)
            if "Override Redirect State: yes" in info and "IsViewable" in info:
                x, y, w, h, _ = self.desktop.geometry(int(window, 16))
                if y >= top:
                    return x, y, w, h
        return None

    def end_session(self):
        """Shutdown > Immediately: every program is told to go, without saving first."""
        shutdown = self.buttons(self.window)[3]
        x, y, w, h = shutdown
        self.desktop.move(x + w // 2, y + h // 2)
        self.desktop.x(["xdotool", "mousedown", "1"])
        try:
            mx, my, mw, mh = poll("xsm's shutdown menu", lambda: self.popup_below(y + h), timeout=5)
            self.desktop.move(mx + mw // 2, my + mh * 3 // 4)
        finally:
            self.desktop.x(["xdotool", "mouseup", "1"])


def scenario(binary, screenshots):
    with Desktop("session-end", accessibility=False, screenshots=screenshots) as desktop:
        desktop.write_alarms(ALARMS)
        status = os.path.join(desktop.root, "status")
        session = SessionManager(desktop)
        session.start(f"cd {shlex.quote(desktop.work)} && QT_QPA_PLATFORM=xcb {shlex.quote(binary)}; "
                      f"echo $? > {shlex.quote(status)}")
        desktop.wait_icon()
        pid = poll("the clock to run", lambda: [int(p) for p in desktop.x(["pgrep", "-x", "tickwell"], check=False)
                                                .split() if os.readlink(f"/proc/{p}/cwd") == desktop.work],
                   timeout=10)[0]

        session.checkpoint("probe")
        # A clock that took the checkpoint for the end would be gone by now, or within moments.
        end = time.monotonic() + 2
        while time.monotonic() < end:
            if not os.path.exists(f"/proc/{pid}") or os.path.exists(status):
                fail("the clock ended at a checkpoint of the session")
            time.sleep(0.1)
        if not desktop.tray_icons():
            fail("the clock's icon left the notification area at a checkpoint")
        log("the clock runs on after the checkpoint")

        session.end_session()
        poll("the clock to end with the session", lambda: os.path.exists(status) and open(status).read().strip(),
             timeout=15)
        expect("the clock's exit status at the end of the session", open(status).read().strip(), "0")
        poll("the icon to leave the notification area", lambda: not desktop.tray_icons(), timeout=5)
        expect("Alarm.dat after the session", desktop.read_alarms(), ALARMS)


if __name__ == "__main__":
    run(scenario, *sys.argv[1:])
