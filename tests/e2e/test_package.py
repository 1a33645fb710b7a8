# SPDX-License-Identifier: GPL-3.0-or-later
"""The program as its Debian package installs it: unpacked into a scratch root
and started as its menu entry starts it, from another folder, it shows its
icon in the notification area and keeps its alarms in the user's own folder.
Started from the menu again, it opens the running clock's editor."""

import configparser
import glob
import os
import stat
import subprocess
import sys

from harness import Accessibility, Desktop, Editor, TITLE_EDITOR, expect, fail, log, poll, run

DESKTOP_ID = "org.example.Tickwell"


def menu_entry(root):
    parser = configparser.ConfigParser(interpolation=None)
    parser.optionxform = str
    parser.read(os.path.join(root, "usr", "share", "applications", f"{DESKTOP_ID}.desktop"), encoding="utf-8")
    if not parser.has_section("Desktop Entry"):
        fail(f"the package has no menu entry {DESKTOP_ID}.desktop")
    return parser["Desktop Entry"]


def scenario(_binary, screenshots, package_folder):
    debs = glob.glob(os.path.join(package_folder, "*.deb"))
    if len(debs) != 1:
        fail(f"expected one package in {package_folder}, found {debs}")
    with Desktop("package", window_manager=True, screenshots=screenshots) as desktop:
        root = os.path.join(desktop.root, "root")
        subprocess.run(["dpkg-deb", "-x", debs[0], root], check=True, timeout=60)
        entry = menu_entry(root)
        icon_file = os.path.join(root, "usr", "share", "icons", "hicolor", "48x48", "apps", entry["Icon"] + ".png")
        if not os.path.isfile(icon_file):
            fail(f"the menu entry's icon {entry['Icon']} is not in the package's icon theme")

        # As the menu starts it: the command by name on the PATH, in some other folder (the test's).
        command = entry["Exec"].split()[0]
        path = {"PATH": os.path.join(root, "usr", "bin") + ":" + desktop.env["PATH"]}
        clock = desktop.clock(command, fake_time="2030-03-08 21:04:45", extra_env=path)
        icon = desktop.wait_icon()
        log(f"{command} started {os.readlink(f'/proc/{clock.pid}/exe')}, icon 0x{icon:x}")
        expect("the program running", os.readlink(f"/proc/{clock.pid}/exe"), os.path.join(root, "usr", "bin", "tickwell"))
        folder = os.path.join(desktop.home, ".local", "share", DESKTOP_ID)
        expect("the clock's folder", os.readlink(f"/proc/{clock.pid}/cwd"), folder)
        expect("the folder's mode", oct(stat.S_IMODE(os.stat(folder).st_mode)), "0o700")

        # Again from the menu: the running clock shows its editor, the second start ends.
        second = desktop.clock(command, label="tickwell-second", extra_env=path)
        expect("the second start's status", second.wait_exit(timeout=15), 0)
        desktop.wait_visible(TITLE_EDITOR)

        a11y = Accessibility(desktop, clock.pid)
        a11y.wait_app()
        editor = Editor(a11y)
        a11y.click(editor.minute_field())
        desktop.key("Up", "Up", "Up", "Up", "Up")
        poll("the minute to step", lambda: a11y.text(editor.minute_field()) == "9", timeout=5)
        expect("the new alarm", editor.new_alarm_caption(), "New Alarm : 9:09 PM  Friday, March 8, 2030")
        a11y.click(editor.button("Set Alarm"))

        alarm_file = os.path.join(folder, "Alarm.dat")

        def stored():
            with open(alarm_file, "rb") as f:
                return f.read()
        poll("Alarm.dat in the user's folder", lambda: os.path.exists(alarm_file) and stored(), timeout=10)
        if not stored().startswith(b"#2030-03-08 21:09:00#,"):
            fail(f"Alarm.dat holds {stored()!r}")
        if os.path.exists(desktop.alarm_file()):
            fail("an Alarm.dat was made in the folder the clock was started from")
        log(f"the alarm went to {alarm_file}")


if __name__ == "__main__":
    run(scenario, *sys.argv[1:])
