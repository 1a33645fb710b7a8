# SPDX-License-Identifier: GPL-3.0-or-later
"""The Debian package CPack made, read with dpkg-deb: its control fields, and
its files, which are the files `cmake --install` installs, owned by root.

    check_package.py PACKAGE_FOLDER STAGING_PREFIX VERSION
"""

import glob
import os
import re
import subprocess
import sys
import unittest

FOLDER = STAGING = VERSION = None


def dpkg_deb(*args):
    return subprocess.run(["dpkg-deb", *args], capture_output=True, text=True, check=True, timeout=60).stdout


class Package(unittest.TestCase):
    def setUp(self):
        arch = subprocess.run(["dpkg", "--print-architecture"], capture_output=True, text=True,
                              check=True).stdout.strip()
        self.deb = os.path.join(FOLDER, f"tickwell_{VERSION}_{arch}.deb")
        self.assertEqual(glob.glob(os.path.join(FOLDER, "*.deb")), [self.deb])

    def test_control_fields(self):
        field = lambda name: dpkg_deb("--field", self.deb, name).strip()
        self.assertEqual(field("Package"), "tickwell")
        self.assertEqual(field("Version"), VERSION)
        self.assertEqual(field("Section"), "utils")
        self.assertRegex(field("Maintainer"), r"^[^<>]+ <[^@<>]+@[^@<>]+>$")
        summary, *body = field("Description").splitlines()
        self.assertEqual(summary, "alarm clock in the notification area")
        self.assertIn("Tickwell is a small alarm clock for one user.", " ".join(line.strip() for line in body))
        # What dpkg-shlibdeps found, with versions, and the SVG plugins' library it cannot see.
        depends = {re.sub(r" \(.*\)", "", d.strip()): d.strip() for d in field("Depends").split(",")}
        for library in ("libc6", "libstdc++6", "libqt6core6", "libqt6gui6", "libqt6widgets6", "libqt6svg6"):
            self.assertRegex(depends.get(library, ""), rf"^{re.escape(library)} \(>= [0-9]", f"Depends: {depends}")

    def test_files_are_those_installed(self):
        packaged = {}
        for line in dpkg_deb("--contents", self.deb).splitlines():
            mode, owner, _size, _date, _time, path, *link = line.split()
            packaged[path.lstrip(".")] = (mode, owner, link)
        staged = set()
        for folder, _, files in os.walk(STAGING):
            for name in files:
                staged.add("/usr" + os.path.join(folder, name)[len(STAGING):])
        packaged_files = {path for path, (mode, _, _) in packaged.items() if not mode.startswith("d")}
        self.assertEqual(packaged_files, staged)
        self.assertEqual({owner for _, owner, _ in packaged.values()}, {"root/root"})
        for program in ("/usr/bin/tickwell", "/usr/bin/tickwell-launcher"):
            self.assertEqual(packaged[program][0], "-rwxr-xr-x", program)
        self.assertEqual(packaged["/usr/share/man/man1/tickwell-launcher.1.gz"][2], ["->", "tickwell.1.gz"])
        self.assertEqual(packaged["/usr/share/bash-completion/completions/tickwell-launcher"][2], ["->", "tickwell"])
        self.assertEqual(packaged["/usr/share/bash-completion/completions/tickwell"][0], "-rw-r--r--")


if __name__ == "__main__":
    FOLDER, STAGING, VERSION = sys.argv[1:4]
    unittest.main(argv=[sys.argv[0], "-v"])
