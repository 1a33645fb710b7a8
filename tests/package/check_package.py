# SPDX-License-Identifier: GPL-3.0-or-later
"""The Debian package CPack made, read with dpkg-deb: its control fields, its
files, which are the files `cmake --install` installs, owned by root, and
Debian's papers among them; and what lintian says of it.

    check_package.py PACKAGE_FOLDER STAGING_PREFIX VERSION [unittest names...]
"""

import glob
import gzip
import os
import shutil
import re
import subprocess
import sys
import tempfile
import unittest

FOLDER = STAGING = VERSION = None


def dpkg_deb(*args):
    return subprocess.run(["dpkg-deb", *args], capture_output=True, text=True, check=True, timeout=60).stdout


class PackageTest(unittest.TestCase):
    def setUp(self):
        arch = subprocess.run(["dpkg", "--print-architecture"], capture_output=True, text=True,
                              check=True).stdout.strip()
        self.deb = os.path.join(FOLDER, f"tickwell_{VERSION}_{arch}.deb")
        self.assertEqual(glob.glob(os.path.join(FOLDER, "*.deb")), [self.deb])


class Package(PackageTest):
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

        for paper in ("copyright", "changelog.gz"):
            self.assertEqual(packaged[f"/usr/share/doc/tickwell/{paper}"][0], "-rw-r--r--", paper)

    def test_papers(self):
        unpacked = tempfile.mkdtemp(prefix="tickwell-deb-")
        self.addCleanup(shutil.rmtree, unpacked)
        dpkg_deb("--extract", self.deb, unpacked)
        doc = os.path.join(unpacked, "usr", "share", "doc", "tickwell")
        # The copyright in Debian's machine-readable format, the whole program under GPL-3+.
        with open(os.path.join(doc, "copyright"), encoding="utf-8") as f:
            copyright = f.read()
        self.assertTrue(copyright.startswith(
            "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"), copyright[:100])
        self.assertRegex(copyright, r"\nFiles: \*\nCopyright: .+\nLicense: GPL-3\+\n")
        self.assertIn("/usr/share/common-licenses/GPL-3", copyright)
        # The changelog: compressed without a name or a time (the same bytes at every build), in
        # Debian's format, which dpkg reads, newest first and with every version down to 1.0.
        changelog = os.path.join(doc, "changelog.gz")
        with open(changelog, "rb") as f:
            header = f.read(10)
        self.assertEqual(header[:3], b"\x1f\x8b\x08")
        self.assertEqual(header[3] & 0x08, 0, "the file's name is kept in changelog.gz")
        self.assertEqual(header[4:8], b"\0\0\0\0", "a time is kept in changelog.gz")
        with gzip.open(changelog, "rt", encoding="utf-8") as f:
            text = f.read()
        plain = os.path.join(unpacked, "changelog")
        with open(plain, "w", encoding="utf-8") as f:
            f.write(text)
        entries = subprocess.run(["dpkg-parsechangelog", "-l", plain, "--format", "rfc822", "--all"],
                                 capture_output=True, text=True, check=True).stdout
        parsed = re.findall(r"^Version: (\S+)$", entries, re.MULTILINE)
        self.assertIn(VERSION, parsed)
        self.assertEqual(parsed[-1], "1.0")
        self.assertEqual(parsed, sorted(parsed, key=lambda v: [int(n) for n in v.split(".")], reverse=True))


class Lintian(PackageTest):
    def test_no_errors_or_warnings(self):
        lintian = shutil.which("lintian")
        if lintian is None:
            self.skipTest("lintian is not installed (scripts/bootstrap test installs it)")
        done = subprocess.run([lintian, "--tag-display-limit", "0", self.deb], capture_output=True, text=True,
                              timeout=600)
        said = [line for line in done.stdout.splitlines() if line.startswith(("E:", "W:"))]
        self.assertEqual(said, [], done.stdout + done.stderr)
        self.assertIn(done.returncode, (0, 1), done.stderr)


if __name__ == "__main__":
    FOLDER, STAGING, VERSION = sys.argv[1:4]
    unittest.main(argv=[sys.argv[0], "-v"] + sys.argv[4:])
