# SPDX-License-Identifier: GPL-3.0-or-later
"""The launcher the desktop entry starts, as installed: which folder it starts
the clock in, how it makes that folder, and that it starts nothing when it
cannot. A stand-in for the clock, beside the launcher, reports where it was
started.

    test_launcher.py LAUNCHER [unittest names...]
"""

import os
import shutil
import stat
import subprocess
import sys
import tempfile
import unittest

LAUNCHER = None
FOLDER = "org.example.Tickwell"
STAND_IN = """#!/bin/sh
pwd > "$REPORT"
for argument in "$@"; do echo "$argument"; done >> "$REPORT"
exit 7
"""


class Launcher(unittest.TestCase):
    def setUp(self):
        self.root = tempfile.mkdtemp(prefix="tickwell-launcher-")
        self.addCleanup(shutil.rmtree, self.root)
        self.bin = os.path.join(self.root, "bin")
        os.mkdir(self.bin)
        shutil.copy(LAUNCHER, os.path.join(self.bin, "tickwell-launcher"))
        with open(os.path.join(self.bin, "tickwell"), "w") as f:
            f.write(STAND_IN)
        os.chmod(os.path.join(self.bin, "tickwell"), 0o755)
        self.home = os.path.join(self.root, "home")
        os.mkdir(self.home)
        self.report = os.path.join(self.root, "report")

    def start(self, *args, xdg_data_home=None, umask=0o022, prefix=(), home=None, path=None,
              command="tickwell-launcher", cwd="/"):
        """Starts the launcher as the desktop does, by name on the PATH, from the root folder (or by
        the given command from the given folder); returns its status, its error output, and the
        folder and arguments the clock got."""
        env = {"PATH": f"{path or self.bin}:/usr/bin:/bin", "HOME": self.home if home is None else home,
               "REPORT": self.report}
        if xdg_data_home is not None:
            env["XDG_DATA_HOME"] = xdg_data_home
        if os.path.exists(self.report):
            os.remove(self.report)
        done = subprocess.run(list(prefix) + [command, *args], env=env, cwd=cwd, capture_output=True,
                              text=True, timeout=30, preexec_fn=lambda: os.umask(umask))
        started = None
        if os.path.exists(self.report):
            with open(self.report) as f:
                lines = f.read().splitlines()
            started = (lines[0], lines[1:])
        return done.returncode, done.stderr, started

    def mode(self, path):
        return stat.S_IMODE(os.stat(path).st_mode)

    def test_an_alarm_file_in_home_keeps_the_clock_there(self):
        open(os.path.join(self.home, "Alarm.dat"), "wb").close()
        # Through a link elsewhere on the PATH: the clock is the one beside the launcher itself.
        links = os.path.join(self.root, "links")
        os.mkdir(links)
        os.symlink(os.path.join(self.bin, "tickwell-launcher"), os.path.join(links, "tickwell-launcher"))
        status, errors, started = self.start("-x", "two words", path=links)
        self.assertEqual((status, errors), (7, ""))  # the clock's own status, from the clock
        self.assertEqual(started, (self.home, ["-x", "two words"]))
        self.assertFalse(os.path.exists(os.path.join(self.home, ".local")))

    def test_started_by_a_relative_path_or_through_a_link(self):
        # The clock beside the launcher is found however the launcher was named, also once it has
        # changed to the folder for the alarms, where a path relative to the start leads nowhere.
        folder = os.path.join(self.home, ".local", "share", FOLDER)
        links = os.path.join(self.root, "links")
        os.mkdir(links)
        os.symlink(os.path.join("..", "bin", "tickwell-launcher"), os.path.join(links, "relative-link"))
        os.symlink(os.path.join(self.bin, "tickwell-launcher"), os.path.join(links, "absolute-link"))
        for cwd, command in ((self.root, "bin/tickwell-launcher"), (self.bin, "./tickwell-launcher"),
                             (self.home, "../bin/tickwell-launcher"), (self.root, "links/relative-link"),
                             (links, "./absolute-link"), ("/", os.path.join(links, "relative-link")),
                             ("/", os.path.join(self.bin, "tickwell-launcher"))):
            with self.subTest(cwd=cwd, command=command):
                status, errors, started = self.start("--list", command=command, cwd=cwd, path="/nonexistent")
                self.assertEqual((status, errors, started), (7, "", (folder, ["--list"])))

    def test_commands_reach_the_clock_of_the_users_folder(self):
        # From any folder, whole and in order: a WHEN with a space, an empty reminder.
        folder = os.path.join(self.home, ".local", "share", FOLDER)
        for command in (["--list"], ["--add", "2030-03-08 21:05", "Feed the cat"], ["--add", "07:30", ""],
                        ["--clear", "07:30"], ["--quit"]):
            with self.subTest(command=command):
                status, errors, started = self.start(*command)
                self.assertEqual((status, errors, started), (7, "", (folder, command)))

    def test_otherwise_a_private_folder_under_the_data_home(self):
        default = os.path.join(self.home, ".local", "share", FOLDER)
        # Unset, empty or relative, XDG_DATA_HOME means ~/.local/share.
        for xdg in (None, "", "relative/share"):
            with self.subTest(XDG_DATA_HOME=xdg):
                status, errors, started = self.start(xdg_data_home=xdg)
                self.assertEqual((status, errors, started), (7, "", (default, [])))
                self.assertEqual(self.mode(default), 0o700)
        # Made private whatever the umask; only the last folder is the clock's.
        data = os.path.join(self.root, "data")
        for umask in (0o000, 0o277):
            shutil.rmtree(data, ignore_errors=True)
            with self.subTest(umask=oct(umask)):
                status, errors, started = self.start(xdg_data_home=data, umask=umask)
                self.assertEqual((status, errors, started), (7, "", (os.path.join(data, FOLDER), [])))
                self.assertEqual(self.mode(os.path.join(data, FOLDER)), 0o700)

    def test_a_folder_that_is_there_is_taken_as_it_is(self):
        folder = os.path.join(self.home, ".local", "share", FOLDER)
        os.makedirs(folder, mode=0o750)
        with open(os.path.join(folder, "Alarm.dat"), "wb") as f:
            f.write(b'#2031-01-02 08:00:00#,"Kept"\r\n')
        status, errors, started = self.start()
        self.assertEqual((status, errors, started), (7, "", (folder, [])))
        self.assertEqual(self.mode(folder), 0o750)
        with open(os.path.join(folder, "Alarm.dat"), "rb") as f:
            self.assertEqual(f.read(), b'#2031-01-02 08:00:00#,"Kept"\r\n')

    def test_no_folder_no_clock(self):
        # Root may write anywhere: the launcher runs without that privilege.
        unprivileged = ["setpriv", "--bounding-set", "-dac_override,-dac_read_search", "--"] \
            if os.geteuid() == 0 else []
        os.chmod(self.home, 0o555)
        status, errors, started = self.start(prefix=unprivileged)
        self.assertEqual((status, started), (1, None))
        self.assertIn(f"cannot make the folder for the alarms, {self.home}/.local/share/{FOLDER}", errors)

        status, errors, started = self.start(home="")
        self.assertEqual((status, started), (1, None))
        self.assertIn("HOME is not set", errors)


if __name__ == "__main__":
    LAUNCHER = sys.argv[1]
    unittest.main(argv=[sys.argv[0], "-v"] + sys.argv[2:])
