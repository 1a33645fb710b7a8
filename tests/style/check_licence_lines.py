# SPDX-License-Identifier: GPL-3.0-or-later
"""Every tracked source file and build script says its licence in its first
lines, in its own comment syntax, so that files added later keep saying it;
and the licence's full text is at the top of the tree.
Usage: check_licence_lines.py SOURCE_DIR"""

import subprocess
import sys
from pathlib import Path

IDENTIFIER = "SPDX-License-Identifier: GPL-3.0-or-later"
# The kinds of files that carry the line (git pathspecs).
SOURCES = ["*.cpp", "*.h", "*.py", "*.sh", "*CMakeLists.txt", "*.cmake", "Makefile", "scripts/*", ".ci/run",
           "tests/fuzz/run", "resources/*.in", "resources/*.desktop", "resources/*.bash"]


def wanted_line(path):
    return f"// {IDENTIFIER}" if path.endswith((".cpp", ".h")) else f"# {IDENTIFIER}"


def main(source_dir):
    root = Path(source_dir)
    names = subprocess.run(["git", "ls-files", "-z", "--", *SOURCES], cwd=root, check=True,
                           capture_output=True).stdout.decode().split("\0")
    names = [name for name in names if name]
    if not names:
        sys.exit("git lists no source files: is this a git checkout?")
    missing = []
    for name in names:
        path = root / name
        if not path.is_file():
            continue  # deleted in the working tree, not yet in the index
        lines = path.read_text(encoding="utf-8", errors="replace").splitlines()[:2]
        if lines and lines[0].startswith("#!"):
            lines = lines[1:]  # the shebang stays first, the licence comes next
        if lines[:1] != [wanted_line(name)]:
            missing.append(name)
    for name in missing:
        print(f"{name}: the first line (after any #! line) is not \"{wanted_line(name)}\"")
    licence = root / "LICENSE"
    if not licence.is_file() or "GNU GENERAL PUBLIC LICENSE" not in licence.read_text(encoding="utf-8")[:200] \
            or "Version 3" not in licence.read_text(encoding="utf-8")[:200]:
        print("LICENSE: not the full text of the GNU General Public License, version 3")
        missing.append("LICENSE")
    if missing:
        sys.exit(1)
    print(f"{len(names)} files say their licence")


if __name__ == "__main__":
    main(sys.argv[1])
