# SPDX-License-Identifier: GPL-3.0-or-later
"""The files `cmake --install` puts in place, checked where they were installed
(a staging prefix) with the desktop's own validators, and for what those do
not look at: the icon's pixel sizes, the names that must agree, the desktop
entry's actions and what the bash completion offers.

    check_installed.py PREFIX VERSION [unittest names...]
"""

import configparser
import os
import re
import shutil
import struct
import subprocess
import sys
import unittest
import xml.etree.ElementTree as ElementTree

DESKTOP_ID = "org.example.Tickwell"
ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
# The desktop entry's actions, in the order a launcher or dock lists them:
# the tray menu's commands, each sent to the running clock by the launcher.
ACTIONS = [("edit", "Edit Alarms", "--edit"), ("preferences", "Preferences", "--preferences"),
           ("activate", "Activate Alarm Clock", "--activate"),
           ("deactivate", "Deactivate Alarm Clock", "--deactivate"), ("quit", "Shut Down Alarm Clock", "--quit")]
PREFIX = VERSION = None


def installed(*parts):
    return os.path.join(PREFIX, *parts)


def tool(name):
    path = shutil.which(name)
    if path is None:
        raise AssertionError(f"{name} is not installed (scripts/bootstrap test installs it)")
    return path


def run_quiet(test, argv, **kwargs):
    """Runs a validator; any complaint it makes, a warning or a hint included, fails the test."""
    done = subprocess.run(argv, capture_output=True, text=True, timeout=60, **kwargs)
    said = (done.stdout + done.stderr).strip()
    test.assertEqual(done.returncode, 0, f"{' '.join(argv)} failed:\n{said}")
    return said


def desktop_file(path):
    parser = configparser.ConfigParser(interpolation=None, strict=True)
    parser.optionxform = str  # keys are case-sensitive
    with open(path, encoding="utf-8") as f:
        parser.read_file(f)
    return parser


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    if head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        raise AssertionError(f"{path} is not a PNG file")
    return struct.unpack(">II", head[16:24])


class Installed(unittest.TestCase):
    def setUp(self):
        self.menu_entry = installed("share", "applications", f"{DESKTOP_ID}.desktop")
        self.autostart_entry = installed("share", "tickwell", "autostart", f"{DESKTOP_ID}.desktop")
        self.metainfo = installed("share", "metainfo", f"{DESKTOP_ID}.metainfo.xml")
        self.man_page = installed("share", "man", "man1", "tickwell.1.gz")

    def test_desktop_entries(self):
        for entry in (self.menu_entry, self.autostart_entry):
            said = run_quiet(self, [tool("desktop-file-validate"), entry])
            self.assertEqual(said, "", f"desktop-file-validate on {entry}:\n{said}")
            groups = desktop_file(entry)
            fields = groups["Desktop Entry"]
            # Started through the launcher, found on the PATH next to the program.
            self.assertEqual(fields["Exec"].split()[0], "tickwell-launcher")
            self.assertTrue(os.access(installed("bin", "tickwell-launcher"), os.X_OK))
            self.assertEqual(fields["Icon"], DESKTOP_ID)
            actions = [name for name in fields["Actions"].split(";") if name]
            self.assertEqual(actions, [name for name, _, _ in ACTIONS], entry)
            for name, title, option in ACTIONS:
                action = groups[f"Desktop Action {name}"]
                self.assertEqual((action["Name"], action["Exec"]), (title, f"tickwell-launcher {option}"), entry)
            self.assertEqual(sorted(groups.sections()),
                             sorted(["Desktop Entry"] + [f"Desktop Action {name}" for name, _, _ in ACTIONS]))

    def test_metainfo(self):
        run_quiet(self, [tool("appstreamcli"), "validate", "--no-net", "--strict", self.metainfo])
        root = ElementTree.parse(self.metainfo).getroot()
        self.assertEqual(root.findtext("id"), DESKTOP_ID)
        self.assertEqual(root.findtext("launchable[@type='desktop-id']"), f"{DESKTOP_ID}.desktop")
        self.assertTrue(os.path.exists(installed("share", "applications", root.findtext("launchable"))))
        self.assertEqual(root.findtext("provides/binary"), "tickwell")
        self.assertTrue(os.access(installed("bin", "tickwell"), os.X_OK))
        # The newest release named is this one: software centres show it.
        self.assertEqual(root.find("releases/release").get("version"), VERSION)

    def test_man_page(self):
        env = dict(os.environ, LC_ALL="C.UTF-8", MANWIDTH="80")
        for page in (self.man_page, installed("share", "man", "man1", "tickwell-launcher.1.gz")):
            done = subprocess.run([tool("man"), "--warnings", "-E", "UTF-8", "-l", page], capture_output=True,
                                  text=True, env=env, timeout=60)
            self.assertEqual((done.returncode, done.stderr.strip()), (0, ""), f"man on {page}")
            self.assertIn("tickwell-launcher - an alarm clock in the notification area", done.stdout)
            self.assertRegex(done.stdout.splitlines()[-1], rf"^Tickwell {VERSION} ")

    def test_bash_completion(self):
        folder = installed("share", "bash-completion", "completions")
        # bash-completion loads a command's file by the command's name: one for each, the same script.
        self.assertEqual(os.readlink(os.path.join(folder, "tickwell-launcher")), "tickwell")
        script = os.path.join(folder, "tickwell")
        run_quiet(self, ["bash", "-n", script])
        # The options it offers are those the manual page describes.
        env = dict(os.environ, LC_ALL="C.UTF-8", MANWIDTH="200")
        page = subprocess.run([tool("man"), "-l", self.man_page], capture_output=True, text=True, env=env,
                              timeout=60, check=True).stdout
        options = page.split("\nOPTIONS\n", 1)[1].split("\nEXIT STATUS\n", 1)[0]
        documented = re.findall(r"^ {7}(--[a-z]+)\b", options, re.MULTILINE)
        self.assertIn("--help", documented)

        def offered(command, *words):
            """What completing the last of `words` after `command` offers, in a shell without
            bash-completion's own functions: the script needs none."""
            line = [command, *words]
            done = subprocess.run(["bash", "--norc", "--noprofile", "-c",
                                   'source "$0" && complete -p "$1" >/dev/null && COMP_WORDS=("${@:1}") '
                                   '&& COMP_CWORD=$(($# - 1)) && _tickwell && printf "%s\\n" "${COMPREPLY[@]}"',
                                   script, *line], capture_output=True, text=True, timeout=30)
            self.assertEqual((done.returncode, done.stderr), (0, ""), line)
            return [word for word in done.stdout.splitlines() if word]

        for command in ("tickwell", "tickwell-launcher"):
            with self.subTest(command=command):
                self.assertEqual(sorted(offered(command, "")), sorted(documented))
                self.assertEqual(sorted(offered(command, "--")), sorted(documented))
                self.assertEqual(offered(command, "--de"), ["--deactivate"])
                self.assertEqual(offered(command, "--cl"), ["--clear"])
                # One command a call; WHEN and REMINDER are free text.
                self.assertEqual(offered(command, "--list", "--"), [])
                self.assertEqual(offered(command, "--add", ""), [])
                self.assertEqual(offered(command, "--add", "07", ":", "30", ""), [])
                self.assertEqual(offered(command, "--clear", "2030-03-08 21:05", ""), [])

    def test_icons(self):
        for size in ICON_SIZES:
            png = installed("share", "icons", "hicolor", f"{size}x{size}", "apps", f"{DESKTOP_ID}.png")
            self.assertEqual(png_size(png), (size, size), png)
        with open(installed("share", "icons", "hicolor", "scalable", "apps", f"{DESKTOP_ID}.svg"), "rb") as f:
            self.assertIn(b"<svg", f.read(200))


if __name__ == "__main__":
    PREFIX, VERSION = sys.argv[1], sys.argv[2]
    unittest.main(argv=[sys.argv[0], "-v"] + sys.argv[3:])
